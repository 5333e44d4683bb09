#include "helpwindow.h"

#include "icons.h"

#include <QAbstractTextDocumentLayout>
#include <QCollator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int PositionRole = Qt::UserRole;
constexpr int AnchorRole = Qt::UserRole + 1;

} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpF"));
    setWindowTitle(tr("Справка Tessary"));
    setWindowIcon(Icons::Help());
    resize(900, 600);
    // A window of its own, not a dialog, so it gets the usual close keys here.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* close = new QShortcut(key, this);
        close->setContext(Qt::WindowShortcut);
        connect(close, &QShortcut::activated, this, &QWidget::close);
    }

    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("HelpText"));
    m_text->setOpenExternalLinks(true);
    Icons::Program(); // registers the resources that hold the document
    // The page of the window's language: its name comes with the catalogue.
    QFile file(QStringLiteral(":/help/") + tr("tessary_ru.html", "the help page of this language"));
    if (file.open(QIODevice::ReadOnly))
        m_text->setHtml(QString::fromUtf8(file.readAll()));

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("HelpTabs"));

    m_contents = new QTreeWidget(tabs);
    m_contents->setObjectName(QStringLiteral("HelpContents"));
    m_contents->setHeaderHidden(true);
    tabs->addTab(m_contents, tr("&Содержание"));

    auto* indexPage = new QWidget(tabs);
    auto* indexLayout = new QVBoxLayout(indexPage);
    auto* prompt = new QLabel(tr("&Введите первые буквы слова:"), indexPage);
    m_indexFilter = new QLineEdit(indexPage);
    m_indexFilter->setObjectName(QStringLiteral("HelpIndexFilter"));
    prompt->setBuddy(m_indexFilter);
    m_index = new QListWidget(indexPage);
    m_index->setObjectName(QStringLiteral("HelpIndex"));
    indexLayout->addWidget(prompt);
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(m_index, 1);
    tabs->addTab(indexPage, tr("&Указатель"));

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(tabs);
    splitter->addWidget(m_text);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    BuildContents();
    BuildIndex();

    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ScrollToBlock(item->data(0, PositionRole).toInt()); });
    connect(m_contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { ScrollToBlock(item->data(0, PositionRole).toInt()); });
    auto openIndexEntry = [this](QListWidgetItem* item) {
        m_text->scrollToAnchor(item->data(AnchorRole).toString());
    };
    connect(m_index, &QListWidget::itemClicked, this, openIndexEntry);
    connect(m_index, &QListWidget::itemActivated, this, openIndexEntry);
    connect(m_indexFilter, &QLineEdit::textChanged, this, &THelpWindow::FilterIndex);
    connect(m_indexFilter, &QLineEdit::returnPressed, this, [this, openIndexEntry] {
        if (QListWidgetItem* item = m_index->currentItem())
            openIndexEntry(item);
    });
}

void THelpWindow::ShowContents()
{
    show();
    raise();
    activateWindow();
}

void THelpWindow::BuildContents()
{
    // Level 1 is the document title; levels 2 and 3 make the tree.
    QTreeWidgetItem* section = nullptr;
    for (QTextBlock b = m_text->document()->begin(); b.isValid(); b = b.next()) {
        const int level = b.blockFormat().headingLevel();
        if (level < 2 || level > 3)
            continue;
        QTreeWidgetItem* item = nullptr;
        if (level == 2 || !section) {
            item = new QTreeWidgetItem(m_contents, {b.text()});
            section = item;
        } else {
            item = new QTreeWidgetItem(section, {b.text()});
        }
        item->setData(0, PositionRole, b.position());
    }
    m_contents->expandAll();
}

void THelpWindow::BuildIndex()
{
    const QString prefix = QLatin1String(IndexPrefix);
    QStringList terms;
    for (QTextBlock b = m_text->document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            for (const QString& name : it.fragment().charFormat().anchorNames())
                if (name.startsWith(prefix))
                    terms << name;
        }
    }
    QCollator collator(QLocale(QLocale::Russian));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(terms.begin(), terms.end(),
              [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    terms.removeDuplicates();
    for (const QString& anchor : terms) {
        auto* item = new QListWidgetItem(anchor.mid(prefix.size()), m_index);
        item->setData(AnchorRole, anchor);
    }
}

void THelpWindow::ScrollToBlock(int position)
{
    const QTextBlock block = m_text->document()->findBlock(position);
    if (!block.isValid())
        return;
    const QRectF rect = m_text->document()->documentLayout()->blockBoundingRect(block);
    m_text->verticalScrollBar()->setValue(int(rect.top()));
}

void THelpWindow::FilterIndex(const QString& text)
{
    // Like a printed index: jump to the first entry that begins with the text.
    for (int i = 0; i < m_index->count(); ++i) {
        if (m_index->item(i)->text().startsWith(text, Qt::CaseInsensitive)) {
            m_index->setCurrentRow(i);
            m_index->scrollToItem(m_index->item(i), QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

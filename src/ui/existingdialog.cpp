#include "existingdialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TExistingDlg::TExistingDlg(const Pairs& files, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExistingDlg"));
    setWindowTitle(tr("Файлы уже существуют"));

    auto* text = new QLabel(tr("Файлы результата этих заданий уже существуют:"));
    text->setObjectName(QStringLiteral("ExistingLbl"));

    auto* list = new QTreeWidget;
    list->setObjectName(QStringLiteral("ExistingLst"));
    list->setColumnCount(2);
    list->setHeaderLabels({tr("Исходный файл"), tr("Файл результата")});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setTextElideMode(Qt::ElideLeft);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(files.size()));
    for (const auto& [source, output] : files) {
        auto* row = new QTreeWidgetItem({source, output});
        row->setToolTip(0, source);
        row->setToolTip(1, output);
        rows.append(row);
    }
    list->addTopLevelItems(rows);
    list->header()->setSectionResizeMode(QHeaderView::Stretch);

    // The buttons in the order the question names them, whatever the
    // desktop's usual button order.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const auto add = [&](const QString& caption, const char* name,
                         std::optional<TExistingOutput> answer) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, answer] {
            m_answer = answer;
            if (answer)
                accept();
            else
                reject();
        });
        return b;
    };
    add(tr("Перезаписать"), "OverwriteBtn", TExistingOutput::Overwrite);
    add(tr("Пропустить"), "SkipBtn", TExistingOutput::Skip);
    QPushButton* keep = add(tr("Сохранить оба"), "KeepBothBtn",
                            TExistingOutput::KeepBoth);
    add(tr("Отмена"), "CancelBtn", std::nullopt);
    // Enter keeps both files: the one answer that loses nothing.
    keep->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
    resize(640, 320);
}

std::optional<TExistingOutput> TExistingDlg::Ask(const Pairs& files, QWidget* parent)
{
    TExistingDlg dialog(files, parent);
    dialog.exec();
    return dialog.Answer();
}

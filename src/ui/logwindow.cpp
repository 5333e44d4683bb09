#include "logwindow.h"

#include "runlog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// "run-20261211-135800-123.log" -> "11.12.2026 13:58:00".
QString RunTitle(const QString& path)
{
    static const QRegularExpression stamp(QStringLiteral("run-(\\d{8}-\\d{6})"));
    const QRegularExpressionMatch m = stamp.match(QFileInfo(path).fileName());
    const QDateTime t = m.hasMatch()
        ? QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss"))
        : QDateTime();
    return t.isValid() ? t.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                       : QFileInfo(path).fileName();
}

} // namespace

TLogWindow::TLogWindow(const QString& folder, QWidget* parent)
    : QDialog(parent), m_folder(folder)
{
    setObjectName(QStringLiteral("LogF"));
    setWindowTitle(tr("Журнал"));
    setModal(false);
    resize(760, 480);

    m_runs = new QComboBox;
    m_runs->setObjectName(QStringLiteral("LogRunCBx"));
    auto* runsLabel = new QLabel(tr("&Запуск:"));
    runsLabel->setBuddy(m_runs);
    auto* top = new QHBoxLayout;
    top->addWidget(runsLabel);
    top->addWidget(m_runs, 1);

    m_text = new QPlainTextEdit;
    m_text->setObjectName(QStringLiteral("LogMemo"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setPlaceholderText(tr("Журнал пуст: записи появятся после первого запуска."));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* copy = buttons->addButton(tr("&Копировать всё"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("LogCopyBtn"));
    QPushButton* open = buttons->addButton(tr("Открыть &папку"), QDialogButtonBox::ActionRole);
    open->setObjectName(QStringLiteral("LogFolderBtn"));
    connect(copy, &QPushButton::clicked, this, &TLogWindow::CopyAll);
    connect(open, &QPushButton::clicked, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(m_folder)); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(m_runs, &QComboBox::currentIndexChanged, this, &TLogWindow::ShowRun);

    auto* rows = new QVBoxLayout(this);
    rows->addLayout(top);
    rows->addWidget(m_text, 1);
    rows->addWidget(buttons);
    Reload();
}

void TLogWindow::Reload()
{
    const QSignalBlocker block(m_runs);
    m_runs->clear();
    for (const QString& path : TRunLog::Files(m_folder))
        m_runs->addItem(RunTitle(path), path);
    m_runs->setCurrentIndex(m_runs->count() > 0 ? 0 : -1);
    ShowRun(m_runs->currentIndex());
}

QString TLogWindow::Text() const
{
    return m_text->toPlainText();
}

void TLogWindow::ShowRun(int index)
{
    m_text->setPlainText(index >= 0 ? TRunLog::Read(m_runs->itemData(index).toString())
                                    : QString());
}

void TLogWindow::CopyAll()
{
    QApplication::clipboard()->setText(m_text->toPlainText());
}

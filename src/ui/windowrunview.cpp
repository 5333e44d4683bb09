#include "windowrunview.h"

#include "queuelist.h"
#include "runprogress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>

TWindowRunView::TWindowRunView(QStatusBar& statusBar, TQueueList& queueList,
                               std::function<int()> mode, QWidget* dialogParent)
    : m_statusBar(statusBar), m_queueList(queueList), m_mode(std::move(mode)),
      m_dialogParent(dialogParent)
{
    // A label rather than showMessage(): a temporary message would hide the
    // progress widgets beside it.
    m_text = new QLabel(&statusBar);
    m_text->setObjectName(QStringLiteral("StatusText"));
    m_text->setTextFormat(Qt::PlainText);
    m_position = new QLabel(&statusBar);
    m_position->setObjectName(QStringLiteral("RunPosition"));
    m_timeLeft = new QLabel(&statusBar);
    m_timeLeft->setObjectName(QStringLiteral("RunTimeLeft"));
    m_progress = new QProgressBar(&statusBar);
    m_progress->setObjectName(QStringLiteral("RunProgress"));
    m_progress->setRange(0, 100);
    m_progress->setFixedWidth(160);
    m_progress->setMaximumHeight(statusBar.fontMetrics().height() + 4);
    // QStatusBar lays its widgets out against its edges; the style's layout
    // margins keep the text off the window's border, as in a dialog.
    const QStyle* style = statusBar.style();
    statusBar.setContentsMargins(style->pixelMetric(QStyle::PM_LayoutLeftMargin), 2,
                                 style->pixelMetric(QStyle::PM_LayoutRightMargin), 2);
    statusBar.addWidget(m_text, 1);
    statusBar.addPermanentWidget(m_timeLeft);
    statusBar.addPermanentWidget(m_position);
    statusBar.addPermanentWidget(m_progress);
    m_timeLeft->hide();
    m_position->hide();
    m_progress->hide();
}

void TWindowRunView::SetStatusText(const QString& text)
{
    m_text->setText(text);
    m_text->repaint();
}

bool TWindowRunView::IsLineChecked(int line) const
{
    return m_queueList.IsLineChecked(line);
}

void TWindowRunView::SetLineChecked(int line, bool checked)
{
    m_queueList.SetLineChecked(line, checked);
}

void TWindowRunView::SetLineFailure(int line, const QString& reason)
{
    m_queueList.SetLineFailure(line, reason);
}

void TWindowRunView::SetLineSkipped(int line, const QString& reason)
{
    m_queueList.SetLineSkipped(line, reason);
}

void TWindowRunView::SetLineStopped(int line, const QString& reason)
{
    m_queueList.SetLineStopped(line, reason);
}

void TWindowRunView::ShowNotice(const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tessary"), text,
                                QMessageBox::Ok, m_dialogParent);
    box->setObjectName(QStringLiteral("RunNoticeBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void TWindowRunView::DeleteProcessedLines()
{
    m_queueList.DeleteProcessed();
}

void TWindowRunView::ShowError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tessary"), text, QMessageBox::Ok,
                    m_dialogParent);
    box.setObjectName(QStringLiteral("RunErrorBox"));
    box.exec();
}

int TWindowRunView::CurrentMode() const
{
    return m_mode ? m_mode() : 0;
}

void TWindowRunView::SetProgress(int position, int count, int percent)
{
    if (position < 0) {
        m_position->hide();
        m_progress->hide();
        return;
    }
    m_position->setText(QCoreApplication::translate("TWindowRunView", "%1 из %2").arg(position + 1).arg(count));
    m_position->show();
    m_progress->setValue(qBound(0, percent, 100));
    m_progress->show();
}

void TWindowRunView::SetLineProgress(int line, int percent)
{
    m_queueList.SetLineProgress(line, percent);
}

void TWindowRunView::SetLineWarning(int line, const QString& text)
{
    m_queueList.SetLineWarning(line, text);
}

void TWindowRunView::SetTimeLeft(int seconds)
{
    if (seconds < 0) {
        m_timeLeft->hide();
        return;
    }
    m_timeLeft->setText(TRunProgress::Text(seconds));
    m_timeLeft->show();
}

void TWindowRunView::ShowAddProgress(int done, int total)
{
    if (done >= total) {
        m_adding = false;
        SetStatusText(m_beforeAdd);
        return;
    }
    if (!m_adding)
        m_beforeAdd = m_text->text();
    m_adding = true;
    SetStatusText(QCoreApplication::translate("TWindowRunView", "Добавление в очередь: %1 из %2")
                      .arg(done)
                      .arg(total));
}

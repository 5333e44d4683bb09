#pragma once

#include "runview.h"

#include <functional>

class QLabel;
class QProgressBar;
class QStatusBar;
class QWidget;
class TQueueList;

// Shows the batch run in the main window: status text, progress and time
// left in the status bar, check and failure marks and running jobs'
// percentages on the queue lines.
class TWindowRunView final : public IRunView
{
public:
    TWindowRunView(QStatusBar& statusBar, TQueueList& queueList, std::function<int()> mode,
                   QWidget* dialogParent);

    void SetStatusText(const QString& text) override;
    bool IsLineChecked(int line) const override;
    void SetLineChecked(int line, bool checked) override;
    void SetLineFailure(int line, const QString& reason) override;
    void SetLineSkipped(int line, const QString& reason) override;
    void DeleteProcessedLines() override;
    void ShowError(const QString& text) override;
    int CurrentMode() const override;
    void SetProgress(int position, int count, int percent) override;
    void SetLineProgress(int line, int percent) override;
    void SetLineWarning(int line, const QString& text) override;
    void SetTimeLeft(int seconds) override;
    void SetLineStopped(int line, const QString& reason) override;
    // Shown beside the window, without waiting for an answer.
    void ShowNotice(const QString& text) override;

    // How far a long add has come; once done == total the text from before
    // the add comes back.
    void ShowAddProgress(int done, int total);

private:
    QStatusBar& m_statusBar;
    TQueueList& m_queueList;
    std::function<int()> m_mode;
    QWidget* m_dialogParent;
    QLabel* m_text = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_timeLeft = nullptr;
    QProgressBar* m_progress = nullptr;
    QString m_beforeAdd;
    bool m_adding = false;
};

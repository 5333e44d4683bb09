#pragma once

#include <QDialog>

#include <functional>

class TCompressFrm;
class TQueue;
class TQueueItem;
struct ProgramSettings;

// Compression settings of one queued job. Accepting writes the panel back
// into that job through its setters; nothing else changes. The dialog is
// modal, but a run goes on behind it and may take the job out of the queue;
// so it holds the job's Id, not the job, and finds it again on OK.
class TPropF final : public QDialog
{
    Q_OBJECT

public:
    // settings, when given, holds the profiles of "Профиль:": saved and
    // deleted ones are kept there when the dialog is accepted.
    TPropF(TQueue& queue, quint64 jobId, QWidget* parent = nullptr,
           ProgramSettings* settings = nullptr);

    // Edits the job on line currentLine; does nothing and returns false when
    // there is no such line. True when the dialog was accepted.
    static bool Run(TQueue& queue, int currentLine, QWidget* parent,
                    ProgramSettings* settings = nullptr);

    // Tells the user why OK was refused; replaceable so tests never block.
    std::function<void(QWidget* parent, const QString& text)> ShowWarning;

    // Keeps the dialog open while the extra LAME options are refused.
    void accept() override;

private:
    TQueue& m_queue;
    ProgramSettings* m_settings;
    quint64 m_jobId;
    TCompressFrm* m_compress = nullptr;
};

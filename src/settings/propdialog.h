#pragma once

#include <QDialog>

class TCompressFrm;
class TQueue;
class TQueueItem;

// Compression settings of one queued job. Accepting writes the panel back
// into that job through its setters; nothing else changes. The dialog is
// modal, but a run goes on behind it and may take the job out of the queue;
// so it holds the job's Id, not the job, and finds it again on OK.
class TPropF final : public QDialog
{
    Q_OBJECT

public:
    TPropF(TQueue& queue, quint64 jobId, QWidget* parent = nullptr);

    // Edits the job on line currentLine; does nothing and returns false when
    // there is no such line. True when the dialog was accepted.
    static bool Run(TQueue& queue, int currentLine, QWidget* parent);

    void accept() override;

private:
    TQueue& m_queue;
    quint64 m_jobId;
    TCompressFrm* m_compress = nullptr;
};

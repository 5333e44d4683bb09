#pragma once

#include <QDialog>

class TCompressFrm;
class TQueue;
class TQueueItem;

// Compression settings of one queued job. Accepting writes the panel back
// into that job through its setters; nothing else changes.
class TPropF final : public QDialog
{
    Q_OBJECT

public:
    explicit TPropF(TQueueItem& job, QWidget* parent = nullptr);

    // Edits the job on line currentLine; does nothing and returns false when
    // there is no such line. True when the dialog was accepted.
    static bool Run(TQueue& queue, int currentLine, QWidget* parent);

    void accept() override;

private:
    TQueueItem& m_job;
    TCompressFrm* m_compress = nullptr;
};

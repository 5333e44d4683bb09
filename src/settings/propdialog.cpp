#include "propdialog.h"

#include "compressfrm.h"
#include "queue.h"

#include <QPushButton>

TPropF::TPropF(TQueue& queue, quint64 jobId, QWidget* parent)
    : QDialog(parent), m_queue(queue), m_jobId(jobId)
{
    setObjectName(QStringLiteral("PropF"));
    setWindowTitle(QStringLiteral("Свойства сжатия"));

    // Fixed positions, no layout: the window may be resized, but the panel
    // and the buttons keep their place and size.
    m_compress = new TCompressFrm(this);
    m_compress->move(0, 0);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    ok->setGeometry(232, 282, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("О&тмена"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(313, 282, 75, 25);
    connect(ok, &QPushButton::clicked, this, &TPropF::accept);
    connect(cancel, &QPushButton::clicked, this, &TPropF::reject);

    // Client area of a 402 x 346 window with an ordinary sizeable frame.
    resize(394, 315);

    if (const TQueueItem* job = m_queue.Find(m_jobId))
        m_compress->Load(TCompressValues::From(*job));
}

bool TPropF::Run(TQueue& queue, int currentLine, QWidget* parent)
{
    TQueueItem* job = queue.Items(currentLine);
    if (!job)
        return false;
    TPropF dialog(queue, job->Id(), parent);
    return dialog.exec() == QDialog::Accepted;
}

void TPropF::accept()
{
    // Reading back over the job's own values keeps a bitrate that the panel
    // could not show, so the job is updated as a whole.
    // A job that left the queue while the dialog was open gets nothing.
    if (TQueueItem* job = m_queue.Find(m_jobId)) {
        TCompressValues values = TCompressValues::From(*job);
        m_compress->ReadBack(values);
        values.StoreTo(*job);
    }
    QDialog::accept();
}

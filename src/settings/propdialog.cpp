#include "propdialog.h"

#include "compressfrm.h"
#include "programsettings.h"
#include "queue.h"

#include <QMessageBox>
#include <QPushButton>

TPropF::TPropF(TQueue& queue, quint64 jobId, QWidget* parent, ProgramSettings* settings)
    : QDialog(parent),
      ShowWarning([](QWidget* owner, const QString& text) {
          QMessageBox::warning(owner, QStringLiteral("Tessary"), text);
      }),
      m_queue(queue), m_settings(settings), m_jobId(jobId)
{
    setObjectName(QStringLiteral("PropF"));
    setWindowTitle(tr("Свойства сжатия"));

    // Fixed positions, no layout: the window may be resized, but the panel
    // and the buttons keep their place and size. The places follow from the
    // panel's size, which is the design size unless the font needs more.
    m_compress = new TCompressFrm(this);
    m_compress->ensurePolished(); // the style's fonts count in the size
    const QSize panel = m_compress->sizeHint();
    m_compress->setGeometry(QRect(QPoint(0, 0), panel));

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("О&тмена"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    const QSize button = QSize(75, 25).expandedTo(ok->sizeHint()).expandedTo(cancel->sizeHint());
    const int top = panel.height() + 11;
    cancel->setGeometry(QRect(QPoint(panel.width() - 5 - button.width(), top), button));
    ok->setGeometry(QRect(QPoint(cancel->x() - 6 - button.width(), top), button));
    connect(ok, &QPushButton::clicked, this, &TPropF::accept);
    connect(cancel, &QPushButton::clicked, this, &TPropF::reject);

    // Client area of a 402 x 346 window with an ordinary sizeable frame.
    resize(panel.width() + 1, top + button.height() + 8);

    if (m_settings)
        m_compress->SetPresets(TCompressPresets(m_settings->UserPresets));
    if (const TQueueItem* job = m_queue.Find(m_jobId))
        m_compress->Load(TCompressValues::From(*job));
}

bool TPropF::Run(TQueue& queue, int currentLine, QWidget* parent, ProgramSettings* settings)
{
    TQueueItem* job = queue.Items(currentLine);
    if (!job)
        return false;
    TPropF dialog(queue, job->Id(), parent, settings);
    return dialog.exec() == QDialog::Accepted;
}

void TPropF::accept()
{
    if (const QString problem = m_compress->ExtraOptionsProblem(); !problem.isEmpty()) {
        if (ShowWarning)
            ShowWarning(this, problem);
        m_compress->FocusExtraOptions();
        return;
    }
    if (m_settings)
        m_settings->UserPresets = m_compress->Presets().User();
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

#include "rundesktop.h"

#include "batchrun.h"
#include "endnotifier.h"
#include "launcherentry.h"
#include "programsettings.h"
#include "sleepinhibitor.h"

#include <QWidget>

TRunDesktop::TRunDesktop(TBatchRun& run, QWidget& window, const ProgramSettings& settings,
                         QObject* parent)
    : QObject(parent), m_run(run), m_window(window), m_settings(settings)
{
    connect(&m_run, &TBatchRun::Started, this, &TRunDesktop::OnStarted);
    connect(&m_run, &TBatchRun::ProgressChanged, this, &TRunDesktop::OnProgress);
    connect(&m_run, &TBatchRun::Finished, this, &TRunDesktop::OnFinished);
}

// Only when the window closes during a run (the run may be gone by now).
TRunDesktop::~TRunDesktop()
{
    if (!m_active)
        return;
    m_inhibitor->Release();
    m_launcher->Clear();
}

QString TRunDesktop::InhibitReason(int jobs)
{
    return tr("Tessary: кодирование %1 файлов").arg(jobs);
}

void TRunDesktop::Connect()
{
    if (m_inhibitor)
        return;
    m_inhibitor = new TSleepInhibitor(this);
    m_notifier = new TEndNotifier(this);
    m_launcher = new TLauncherEntry(this);
    connect(m_notifier, &TEndNotifier::Activated, this, &TRunDesktop::Raise);
}

void TRunDesktop::OnStarted(int jobs)
{
    Connect();
    m_active = true;
    m_inhibitor->Take(InhibitReason(jobs));
    m_launcher->Show(0, jobs);
}

void TRunDesktop::OnProgress(int percent, int left)
{
    if (m_active)
        m_launcher->Show(percent, left);
}

void TRunDesktop::OnFinished()
{
    Connect();
    m_active = false;
    m_inhibitor->Release();
    m_launcher->Clear();
    if (m_settings.NotifyAtEnd && !m_window.isActiveWindow())
        m_notifier->Notify(QStringLiteral("Tessary"), m_run.EndStatus());
}

void TRunDesktop::Raise()
{
    if (m_window.isMinimized())
        m_window.showNormal();
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

#pragma once

#include <QObject>
#include <QPointer>

class QWidget;
class TBatchRun;
class TEndNotifier;
class TLauncherEntry;
class TSleepInhibitor;
struct ProgramSettings;

// What the desktop learns of a run: no sleep while it goes on, its progress
// and jobs left on the taskbar entry, and a notice at its end when the
// window is not the active one (a click on it brings the window up). The
// services are reached on the first run, so a start costs no bus.
class TRunDesktop final : public QObject
{
    Q_OBJECT
public:
    TRunDesktop(TBatchRun& run, QWidget& window, const ProgramSettings& settings,
                QObject* parent = nullptr);
    ~TRunDesktop() override;

    // "Tessary: кодирование N файлов".
    static QString InhibitReason(int jobs);

    TSleepInhibitor* Inhibitor() const { return m_inhibitor; }

private:
    void Connect();
    void OnStarted(int jobs);
    void OnProgress(int percent, int left);
    void OnFinished();
    void Raise();

    TBatchRun& m_run;
    QWidget& m_window;
    const ProgramSettings& m_settings;
    TSleepInhibitor* m_inhibitor = nullptr;
    TEndNotifier* m_notifier = nullptr;
    TLauncherEntry* m_launcher = nullptr;
    bool m_active = false; // between the run's start and its end
};

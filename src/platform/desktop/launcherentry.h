#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// The run's progress and the count of jobs left on the program's taskbar
// entry, through the launcher API that KDE Plasma's task manager and
// GNOME's Dash to Dock read (com.canonical.Unity.LauncherEntry "Update"
// signals, keyed by the desktop file). A signal asks for no answer; without
// a session bus nothing is sent.
class TLauncherEntry final : public QObject
{
    Q_OBJECT
public:
    explicit TLauncherEntry(QObject* parent = nullptr);
    TLauncherEntry(const QDBusConnection& session, QObject* parent = nullptr);

    static QString AppUri() { return QStringLiteral("application://tessary.desktop"); }

    // percent 0 to 100; count: jobs left. Sends only what changed.
    void Show(int percent, int count);
    // Takes the progress and the count away.
    void Clear();

private:
    void Send(const QVariantMap& properties);

    QDBusConnection m_session;
    int m_percent = -1;
    int m_count = -1;
};

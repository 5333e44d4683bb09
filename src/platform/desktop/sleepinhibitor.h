#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

// Keeps the machine from suspending and the screen from going idle while a
// run goes on: through the desktop portal (org.freedesktop.portal.Inhibit,
// flags suspend and idle) on the session bus, or, where no portal answers,
// through logind's Inhibit ("sleep:idle") on the system bus. Every call is
// asynchronous; where neither service exists nothing happens and nothing
// fails. A release that comes before a service's answer lets go of what
// the answer brings.
class TSleepInhibitor final : public QObject
{
    Q_OBJECT
public:
    enum class Via { None, Portal, Logind };

    // The session and system buses, connected on first use.
    explicit TSleepInhibitor(QObject* parent = nullptr);
    TSleepInhibitor(const QDBusConnection& session, const QDBusConnection& system,
                    QObject* parent = nullptr);
    ~TSleepInhibitor() override;

    void Take(const QString& why);
    void Release();
    // What holds the inhibition now (None while an answer is awaited).
    Via Holder() const { return m_holder; }

Q_SIGNALS:
    // The holder changed (for tests and diagnostics).
    void Changed();

private:
    void TryLogind(const QString& why, quint64 generation);
    void ClosePortal(const QString& handle);

    QDBusConnection m_session;
    QDBusConnection m_system;
    bool m_wanted = false;
    quint64 m_generation = 0; // tells a Take's answers from a later one's
    Via m_holder = Via::None;
    QString m_portalHandle;
    QDBusUnixFileDescriptor m_fd; // logind holds the lock while this is open
};

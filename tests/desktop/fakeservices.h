#pragma once

// Stand-ins for the desktop's services, each on a private bus the test
// starts: the portal's Inhibit, logind's Inhibit, the notification server,
// and a listener for launcher entry updates.

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QVariantMap>

#include <poll.h>
#include <unistd.h>

#include <memory>
#include <vector>

// A dbus-daemon of the test's own; Address() is empty when none could start.
class TPrivateBus final
{
public:
    bool Start()
    {
        m_daemon.setProgram(QStringLiteral("dbus-daemon"));
        m_daemon.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                               QStringLiteral("--print-address=1")});
        m_daemon.start();
        if (!m_daemon.waitForStarted(5000))
            return false;
        while (!m_daemon.canReadLine()) {
            if (!m_daemon.waitForReadyRead(5000))
                return false;
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        return !m_address.isEmpty();
    }
    ~TPrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(2000);
    }
    const QString& Address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

class TFakeRequest final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    bool closed = false;
public Q_SLOTS:
    void Close() { closed = true; }
};

class TFakePortal final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    explicit TFakePortal(QDBusConnection bus) : m_bus(bus) {}
    int Held() const
    {
        int n = 0;
        for (const auto& r : requests)
            n += r->closed ? 0 : 1;
        return n;
    }
    std::vector<std::unique_ptr<TFakeRequest>> requests;
    QStringList reasons;
    QList<uint> flags;
public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString& window, uint flag, const QVariantMap& options)
    {
        Q_UNUSED(window)
        reasons << options.value(QStringLiteral("reason")).toString();
        flags << flag;
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/t/%1").arg(requests.size());
        requests.push_back(std::make_unique<TFakeRequest>());
        m_bus.registerObject(path, requests.back().get(), QDBusConnection::ExportAllSlots);
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection m_bus;
};

// logind's lock is a file descriptor: it is released once every copy of
// the write end handed out is closed, which the read end kept here sees.
class TFakeLogind final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    ~TFakeLogind() override
    {
        for (int fd : m_readEnds)
            ::close(fd);
    }
    int Held() const
    {
        int n = 0;
        for (int fd : m_readEnds) {
            pollfd p{fd, POLLIN, 0};
            n += ::poll(&p, 1, 0) == 0 ? 1 : 0; // no hang-up yet
        }
        return n;
    }
    QStringList calls; // "what|who|why|mode"
public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode)
    {
        calls << QStringList{what, who, why, mode}.join(u'|');
        int fds[2];
        if (::pipe(fds) != 0)
            return {};
        m_readEnds << fds[0];
        QDBusUnixFileDescriptor handed(fds[1]); // a copy of its own
        ::close(fds[1]);
        return handed;
    }

private:
    QList<int> m_readEnds;
};

class TFakeNotifications final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notice
    {
        QString app, icon, summary, body;
        QStringList actions;
    };
    QList<Notice> notices;
public Q_SLOTS:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int timeout)
    {
        Q_UNUSED(replaces) Q_UNUSED(hints) Q_UNUSED(timeout)
        notices << Notice{app, icon, summary, body, actions};
        return uint(notices.size());
    }
};

class TLauncherListener final : public QObject
{
    Q_OBJECT
public:
    struct Update
    {
        QString uri;
        QVariantMap properties;
    };
    QList<Update> updates;
public Q_SLOTS:
    void OnUpdate(const QString& uri, const QVariantMap& properties)
    {
        updates << Update{uri, properties};
    }
};

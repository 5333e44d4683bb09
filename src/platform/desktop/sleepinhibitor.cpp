#include "sleepinhibitor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
constexpr uint kSuspendAndIdle = 4 | 8;

// Runs done on the answer to call, then lets the watcher go.
template <typename F> void OnAnswer(const QDBusPendingCall& call, QObject* context, F done)
{
    auto* watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, done](QDBusPendingCallWatcher*) {
                         done(*watcher);
                         watcher->deleteLater();
                     });
}

} // namespace

TSleepInhibitor::TSleepInhibitor(QObject* parent)
    : TSleepInhibitor(QDBusConnection::sessionBus(), QDBusConnection::systemBus(), parent)
{
}

TSleepInhibitor::TSleepInhibitor(const QDBusConnection& session, const QDBusConnection& system,
                                 QObject* parent)
    : QObject(parent), m_session(session), m_system(system)
{
}

TSleepInhibitor::~TSleepInhibitor()
{
    Release();
}

void TSleepInhibitor::Take(const QString& why)
{
    if (m_wanted)
        return;
    m_wanted = true;
    const quint64 generation = ++m_generation;
    if (!m_session.isConnected()) {
        TryLogind(why, generation);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.portal.Inhibit"),
        QStringLiteral("Inhibit"));
    call << QString() << kSuspendAndIdle << QVariantMap{{QStringLiteral("reason"), why}};
    OnAnswer(m_session.asyncCall(call), this, [this, why, generation](QDBusPendingCallWatcher& w) {
        const QDBusPendingReply<QDBusObjectPath> reply = w;
        if (reply.isError()) {
            if (generation == m_generation)
                TryLogind(why, generation);
            return;
        }
        const QString handle = reply.value().path();
        if (generation != m_generation) {
            ClosePortal(handle); // released meanwhile
            return;
        }
        m_portalHandle = handle;
        m_holder = Via::Portal;
        Q_EMIT Changed();
    });
}

void TSleepInhibitor::TryLogind(const QString& why, quint64 generation)
{
    if (!m_system.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("Tessary") << why
         << QStringLiteral("block");
    OnAnswer(m_system.asyncCall(call), this, [this, generation](QDBusPendingCallWatcher& w) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = w;
        // A late answer's descriptor is closed with the reply.
        if (reply.isError() || generation != m_generation || !reply.value().isValid())
            return;
        m_fd = reply.value();
        m_holder = Via::Logind;
        Q_EMIT Changed();
    });
}

void TSleepInhibitor::ClosePortal(const QString& handle)
{
    if (handle.isEmpty() || !m_session.isConnected())
        return;
    m_session.asyncCall(QDBusMessage::createMethodCall(
        kPortalService, handle, QStringLiteral("org.freedesktop.portal.Request"),
        QStringLiteral("Close")));
}

void TSleepInhibitor::Release()
{
    if (!m_wanted)
        return;
    m_wanted = false;
    ++m_generation;
    ClosePortal(std::exchange(m_portalHandle, QString()));
    m_fd = QDBusUnixFileDescriptor(); // closing it ends logind's lock
    if (m_holder != Via::None) {
        m_holder = Via::None;
        Q_EMIT Changed();
    }
}

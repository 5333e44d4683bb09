#include "endnotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

TEndNotifier::TEndNotifier(QObject* parent) : TEndNotifier(QDBusConnection::sessionBus(), parent)
{
}

TEndNotifier::TEndNotifier(const QDBusConnection& session, QObject* parent)
    : QObject(parent), m_session(session)
{
}

void TEndNotifier::Notify(const QString& summary, const QString& body)
{
    if (!m_session.isConnected())
        return;
    if (!m_listening) {
        m_listening = true;
        m_session.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                          SLOT(OnActionInvoked(uint, QString)));
        m_session.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                          SLOT(OnClosed(uint, uint)));
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("tessary")}};
    // "default" is the click on the notice itself; its label is rarely shown.
    call << QStringLiteral("Tessary") << m_shown << IconName() << summary << body
         << QStringList{QStringLiteral("default"), tr("Показать окно")} << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(m_session.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        const QDBusPendingReply<uint> reply = *watcher;
        if (!reply.isError())
            m_shown = reply.value();
        watcher->deleteLater();
    });
}

void TEndNotifier::OnActionInvoked(uint id, const QString& action)
{
    if (id != 0 && id == m_shown && action == u"default")
        Q_EMIT Activated();
}

void TEndNotifier::OnClosed(uint id, uint reason)
{
    Q_UNUSED(reason)
    if (id == m_shown)
        m_shown = 0;
}

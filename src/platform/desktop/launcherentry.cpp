#include "launcherentry.h"

#include <QDBusMessage>
#include <QVariantMap>

TLauncherEntry::TLauncherEntry(QObject* parent)
    : TLauncherEntry(QDBusConnection::sessionBus(), parent)
{
}

TLauncherEntry::TLauncherEntry(const QDBusConnection& session, QObject* parent)
    : QObject(parent), m_session(session)
{
}

void TLauncherEntry::Show(int percent, int count)
{
    percent = qBound(0, percent, 100);
    if (percent == m_percent && count == m_count)
        return;
    m_percent = percent;
    m_count = count;
    Send({{QStringLiteral("progress"), percent / 100.0},
          {QStringLiteral("progress-visible"), true},
          {QStringLiteral("count"), qint64(count)},
          {QStringLiteral("count-visible"), count > 0}});
}

void TLauncherEntry::Clear()
{
    m_percent = -1;
    m_count = -1;
    Send({{QStringLiteral("progress"), 0.0},
          {QStringLiteral("progress-visible"), false},
          {QStringLiteral("count"), qint64(0)},
          {QStringLiteral("count-visible"), false}});
}

void TLauncherEntry::Send(const QVariantMap& properties)
{
    if (!m_session.isConnected())
        return;
    // The listeners go by the signal's first argument, not by its path.
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/com/canonical/unity/launcherentry/tessary"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    signal << AppUri() << properties;
    m_session.send(signal);
}

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// A desktop notification (org.freedesktop.Notifications) with the program's
// icon; its default action, a click on it, is reported as Activated. The
// call is asynchronous; without a notification service nothing is shown and
// nothing fails.
class TEndNotifier final : public QObject
{
    Q_OBJECT
public:
    explicit TEndNotifier(QObject* parent = nullptr);
    TEndNotifier(const QDBusConnection& session, QObject* parent = nullptr);

    // The icon's name in the desktop's icon theme (the installed
    // "tessary"), and the desktop entry the notice belongs to.
    static QString IconName() { return QStringLiteral("tessary"); }

    void Notify(const QString& summary, const QString& body);

Q_SIGNALS:
    void Activated();

private Q_SLOTS:
    // Slots, for QDBusConnection::connect.
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    QDBusConnection m_session;
    bool m_listening = false;
    uint m_shown = 0; // the id of our last notice, 0 for none
};

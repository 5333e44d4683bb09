#include "filenotify.h"

#include "notificationthread.h"

EFileNotificationError::EFileNotificationError() : std::runtime_error(Message().toStdString()) {}

QString EFileNotificationError::Message()
{
    return QStringLiteral("Невозможно установить обработчик нотификаций");
}

TFileNotify::TFileNotify(TNotifyKinds kinds, QObject* parent) : QObject(parent), m_kinds(kinds) {}

TFileNotify::~TFileNotify()
{
    delete m_thread;
}

void TFileNotify::SetDirectory(const QString& value)
{
    QString folder = value;
    // "/" keeps its slash: without it the root could not be watched at all.
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (folder == m_directory)
        return;
    m_directory = folder;
    if (m_thread)
        m_thread->Rebuild();
}

void TFileNotify::SetKinds(TNotifyKinds value)
{
    if (value == m_kinds)
        return;
    m_kinds = value;
    if (m_thread)
        m_thread->Rebuild();
}

void TFileNotify::StartWatching()
{
    if (!m_thread)
        m_thread = new TNotificationThread(this);
}

bool TFileNotify::Active() const
{
    return m_thread && m_thread->isRunning();
}

void TFileNotify::Change(int kind)
{
    Q_EMIT OnChange(kind);
}

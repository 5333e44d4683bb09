#include "filedrop.h"

#include <QAbstractItemView>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

TFileDrop* TFileDrop::Install(QAbstractItemView* view, std::function<bool()> accepting,
                              std::function<void(const QStringList&)> dropped)
{
    return new TFileDrop(view, std::move(accepting), std::move(dropped));
}

TFileDrop::TFileDrop(QAbstractItemView* view, std::function<bool()> accepting,
                     std::function<void(const QStringList&)> dropped)
    : QObject(view), m_accepting(std::move(accepting)), m_dropped(std::move(dropped))
{
    // The view would take the drag for its own item moves: the filter sits
    // on the viewport, where the drag events arrive, and answers first.
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    view->viewport()->installEventFilter(this);
}

QStringList TFileDrop::LocalPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths << url.toLocalFile();
    }
    return paths;
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (m_accepting() && !LocalPaths(drag->mimeData()).isEmpty()) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = LocalPaths(drop->mimeData());
        if (!m_accepting() || paths.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        m_dropped(paths);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

#include "emptyhint.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QPainter>

TEmptyHint* TEmptyHint::Install(QAbstractItemView* view, std::function<QString()> text)
{
    return new TEmptyHint(view, std::move(text));
}

TEmptyHint::TEmptyHint(QAbstractItemView* view, std::function<QString()> text)
    : QObject(view), m_view(view), m_text(std::move(text))
{
    view->viewport()->installEventFilter(this);
    // Rows coming and going decide whether the hint shows. The viewport is
    // the context: a view being destroyed loses its viewport before its
    // model empties itself.
    QWidget* viewport = view->viewport();
    const auto repaint = [viewport] { viewport->update(); };
    if (QAbstractItemModel* model = view->model()) {
        connect(model, &QAbstractItemModel::rowsInserted, viewport, repaint);
        connect(model, &QAbstractItemModel::rowsRemoved, viewport, repaint);
        connect(model, &QAbstractItemModel::modelReset, viewport, repaint);
        connect(model, &QAbstractItemModel::layoutChanged, viewport, repaint);
    }
}

bool TEmptyHint::eventFilter(QObject* watched, QEvent* event)
{
    // Painted before the view paints its items; an empty view paints none,
    // so the hint stays.
    if (event->type() == QEvent::Paint && watched == m_view->viewport() && m_view->model() &&
        m_view->model()->rowCount(m_view->rootIndex()) == 0) {
        const QString text = m_text ? m_text() : QString();
        if (!text.isEmpty()) {
            QPainter painter(m_view->viewport());
            QColor grey = m_view->palette().color(QPalette::Text);
            grey.setAlphaF(0.5);
            painter.setPen(grey);
            painter.drawText(m_view->viewport()->rect().adjusted(12, 12, -12, -12),
                             Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
        }
    }
    return QObject::eventFilter(watched, event);
}

#include "listkeys.h"

#include <QAbstractItemView>
#include <QAction>
#include <QEvent>
#include <QShortcut>

namespace ListKeys {

void Bind(QAbstractItemView* view, const QList<QKeySequence>& keys, QAction* action)
{
    for (const QKeySequence& key : keys) {
        auto* shortcut = new QShortcut(key, view);
        shortcut->setContext(Qt::WidgetShortcut);
        QObject::connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    }
}

namespace {

class TFocusMark final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A view being destroyed loses the focus too; by then it is no
        // longer a view (qobject_cast says so) and must not be restyled.
        auto* view = qobject_cast<QAbstractItemView*>(watched);
        if (view && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
            // Only the frame: the items keep the style's own drawing.
            view->setStyleSheet(event->type() == QEvent::FocusIn
                                    ? QStringLiteral("QAbstractItemView { border: 1px solid "
                                                     "palette(highlight); }")
                                    : QString());
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void MarkFocus(QAbstractItemView* view)
{
    view->installEventFilter(new TFocusMark(view));
}

} // namespace ListKeys

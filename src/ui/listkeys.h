#pragma once

#include <QKeySequence>
#include <QList>

class QAbstractItemView;
class QAction;

// Keyboard use of the window's lists.
namespace ListKeys {

// The keys trigger the action while the view has the focus. The action's
// own enabled state applies, so a key refused during a run stays refused.
void Bind(QAbstractItemView* view, const QList<QKeySequence>& keys, QAction* action);

// Draws the view's frame in the highlight colour while it has the focus, so
// the user sees which of the lists the keys go to.
void MarkFocus(QAbstractItemView* view);

} // namespace ListKeys

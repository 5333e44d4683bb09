#pragma once

#include <QStyledItemDelegate>

class TQueueList;

// Paints a queue line in the columns of the list's header: the line itself
// (check box, mark, source path) in the first, the planned or written output
// in the second, a clash in a warning colour and an existing file with a
// mark; a running job's line carries its percentage. With the output column
// hidden a line otherwise looks as in any list.
class TQueueLineDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TQueueLineDelegate(TQueueList* list);

    // The text colour of a line whose output was numbered for a clash.
    static QColor ClashColor();

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void PaintSource(QPainter* painter, const QStyleOptionViewItem& option,
                     const QModelIndex& index) const;

    TQueueList* m_list;
};

#include "queuelinedelegate.h"

#include "icons.h"
#include "queuelist.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>

TQueueLineDelegate::TQueueLineDelegate(TQueueList* list) : QStyledItemDelegate(list), m_list(list)
{
}

QColor TQueueLineDelegate::ClashColor()
{
    return QColor(0xb0, 0x5a, 0x00);
}

// The line of a running job: its percentage at the right end of the source
// column and a thin bar along the bottom, the rest of the line as usual.
void TQueueLineDelegate::PaintSource(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const
{
    const int percent = m_list->LineProgress(index.row());
    if (percent < 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QString text = QStringLiteral("%1%").arg(percent);
    const int width = option.fontMetrics.horizontalAdvance(QStringLiteral("100%")) + 8;
    QStyleOptionViewItem line = option;
    line.rect.setRight(option.rect.right() - width);
    QStyledItemDelegate::paint(painter, line, index);

    const bool selected = option.state & QStyle::State_Selected;
    const QRect figure(line.rect.right() + 1, option.rect.top(), width, option.rect.height());
    painter->save();
    if (selected)
        painter->fillRect(figure, option.palette.brush(QPalette::Highlight));
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(figure.adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, text);
    QRect bar = option.rect.adjusted(1, 0, -1, 0);
    bar.setTop(bar.bottom() - 1);
    bar.setWidth(bar.width() * percent / 100);
    painter->fillRect(bar, option.palette.brush(selected ? QPalette::HighlightedText
                                                         : QPalette::Highlight));
    painter->restore();
}

void TQueueLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    if (!m_list->IsOutputColumnVisible()) {
        PaintSource(painter, option, index);
        return;
    }
    const QHeaderView* header = m_list->Header();
    const int firstWidth = header->sectionSize(0);

    QStyleOptionViewItem first = option;
    first.rect.setWidth(firstWidth);
    PaintSource(painter, first, index);

    QStyleOptionViewItem second = option;
    second.rect = QRect(option.rect.left() + firstWidth, option.rect.top(),
                        header->sectionSize(1), option.rect.height());
    second.features = QStyleOptionViewItem::HasDisplay;
    second.textElideMode = Qt::ElideLeft; // the file name is the end of the path
    second.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    second.state &= ~QStyle::State_HasFocus;
    second.index = index;
    if (const TLineOutput* out = m_list->LineOutput(index.row())) {
        second.text = out->text;
        if (out->existing) {
            second.features |= QStyleOptionViewItem::HasDecoration;
            second.icon = Icons::Existing();
            second.decorationSize = option.decorationSize;
        }
        if (out->clash)
            second.palette.setColor(QPalette::Text, ClashColor());
        else if (out->written)
            second.palette.setColor(QPalette::Text,
                                    option.palette.color(QPalette::Disabled, QPalette::Text));
    }
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &second, painter, widget);
}

QSize TQueueLineDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    // Tall enough for the check box, the only mark of a processed line.
    const QWidget* widget = option.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    size.setHeight(qMax(size.height(), style->pixelMetric(QStyle::PM_IndicatorHeight, &option,
                                                          widget) + 4));
    if (m_list->IsOutputColumnVisible())
        size.setWidth(m_list->Header()->length());
    return size;
}

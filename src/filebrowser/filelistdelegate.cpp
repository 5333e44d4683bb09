#include "filelistdelegate.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QStyle>

TFileListDelegate::TFileListDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void TFileListDelegate::SetLineHeight(int height)
{
    m_lineHeight = qMax(1, height);
}

void TFileListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                                : QPalette::Inactive;
    painter->fillRect(option.rect, option.palette.brush(group, selected ? QPalette::Highlight
                                                                          : QPalette::Base));

    if (m_iconSide < 0)
        m_iconSide = m_lineHeight;
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull()) {
        auto it = m_cells.constFind(icon.cacheKey());
        if (it == m_cells.constEnd()) {
            const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
            QPixmap cell = icon.pixmap(QSize(m_iconSide, m_iconSide), ratio);
            it = m_cells.insert(icon.cacheKey(), cell);
        }
        painter->drawPixmap(QRect(option.rect.left() + 2, option.rect.top(), m_iconSide, m_iconSide), *it);
    }

    const QRect textRect = option.rect.adjusted(TextOffset(), 0, 0, 0);
    painter->setFont(option.font);
    painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QSize TFileListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int offset = (m_iconSide < 0 ? m_lineHeight : m_iconSide) + 8;
    return QSize(offset + option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 4,
                 m_lineHeight);
}

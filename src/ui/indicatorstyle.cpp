#include "indicatorstyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

bool TIndicatorStyle::IsDark(const QPalette& palette)
{
    return palette.color(QPalette::Base).lightness() < 128;
}

void TIndicatorStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool radio = element == PE_IndicatorRadioButton;
    if (!radio && element != PE_IndicatorCheckBox && element != PE_IndicatorItemViewItemCheck)
        return;
    if (!IsDark(option->palette))
        return;
    QColor edge = option->palette.color(QPalette::Text);
    edge.setAlphaF((option->state & State_Enabled) ? 0.75 : 0.4);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(edge, 1));
    painter->setBrush(Qt::NoBrush);
    const QRectF box = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (radio)
        painter->drawEllipse(box);
    else
        painter->drawRoundedRect(box, 2, 2);
    painter->restore();
}

void TIndicatorStyle::Install()
{
    if (qobject_cast<TIndicatorStyle*>(QApplication::style()))
        return;
    // The proxy takes the current style over; QApplication owns the proxy.
    QApplication::setStyle(new TIndicatorStyle(QApplication::style()->name()));
}

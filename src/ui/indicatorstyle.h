#pragma once

#include <QProxyStyle>

// Check boxes and radio buttons that stay visible in dark colour schemes.
// Several styles (Fusion among them) draw an unticked indicator as a box of
// the base colour with an outline only a shade darker than the window; on a
// dark palette the queue's check boxes, the only mark of a processed line,
// vanish. Over a dark palette this style draws a clear outline in the text
// colour around every such indicator; light palettes are left as they are.
class TIndicatorStyle final : public QProxyStyle
{
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    // Puts the style over the application's current one.
    static void Install();
    static bool IsDark(const QPalette& palette);
};

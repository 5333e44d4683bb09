#include "updown.h"

#include <QToolButton>
#include <QVBoxLayout>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto make = [this, layout](Qt::ArrowType arrow, const QString& name, bool up) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setToolTip(up ? tr("Переместить задание вверх")
                         : tr("Переместить задание вниз"));
        b->setAccessibleName(b->toolTip());
        b->setArrowType(arrow);
        b->setAutoRepeat(false);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->setFixedWidth(20);
        connect(b, &QToolButton::clicked, this, [this, up] { Q_EMIT Clicked(up); });
        layout->addWidget(b);
        return b;
    };
    m_up = make(Qt::UpArrow, QStringLiteral("UpDown1Up"), true);
    m_down = make(Qt::DownArrow, QStringLiteral("UpDown1Down"), false);
}

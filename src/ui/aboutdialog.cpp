#include "aboutdialog.h"

#include "icons.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutF::TAboutF(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutF"));
    setWindowTitle(tr("О программе"));
    QFont f = font();
    f.setPointSize(10);
    setFont(f);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setFixedSize(128, 128);
    picture->setPixmap(Icons::Program().pixmap(128, 128));

    auto* title = new QLabel(QStringLiteral("Tessary"), this);
    title->setObjectName(QStringLiteral("Label1"));
    QFont tf(QStringLiteral("Times New Roman"));
    tf.setStyleHint(QFont::Serif);
    tf.setPixelSize(27);
    tf.setBold(true);
    tf.setUnderline(true);
    title->setFont(tf);

    auto* text = new QLabel(tr("Бета-версия.\n\nTessary developers\nРоссия, Казань, 2026"),
                            this);
    text->setObjectName(QStringLiteral("Label2"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Bevel1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Raised);

    auto* copyright = new QLabel(tr("© 2026 Tessary developers. Распространяется свободно."),
                                 this);
    copyright->setObjectName(QStringLiteral("Label3"));
    QFont cf = copyright->font();
    cf.setItalic(true);
    copyright->setFont(cf);

    auto* close = new QPushButton(tr("Закрыть"), this);
    close->setObjectName(QStringLiteral("SpeedButton1"));
    close->setFlat(true);
    close->setCursor(Qt::PointingHandCursor);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &TAboutF::SpeedButton1Click);

    auto* textColumn = new QVBoxLayout;
    textColumn->addWidget(title);
    textColumn->addWidget(text, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(textColumn, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(copyright, 1);
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(line);
    layout->addLayout(bottom);

    // Designed as 440 x 216; larger desktop fonts may need a little more.
    const QSize hint = sizeHint();
    setFixedSize(qMax(440, hint.width()), qMax(216, hint.height()));
}

void TAboutF::SpeedButton1Click()
{
    accept();
}

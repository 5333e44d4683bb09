// Check boxes and radio buttons stay visible in a dark colour scheme: the
// pixels of an unticked indicator must stand out from the background.

#include "indicatorstyle.h"
#include "queue.h"
#include "queuelist.h"
#include "tageditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QRadioButton>
#include <QStyleFactory>
#include <QtTest>

namespace {

QPalette DarkPalette()
{
    QPalette p;
    const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, base);
    return p;
}

// The largest difference in grey level between any pixel of the area and
// the area's corner pixel, which shows the background.
int Contrast(const QImage& image, const QRect& area)
{
    const int background = qGray(image.pixel(area.topLeft()));
    int most = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            most = qMax(most, qAbs(qGray(image.pixel(x, y)) - background));
    return most;
}

} // namespace

class TstPalette final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { QApplication::setPalette(m_light); }
    void indicatorsVisible_data();
    void indicatorsVisible();

private:
    QPalette m_light;
};

void TstPalette::initTestCase()
{
    m_light = QApplication::palette();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    TIndicatorStyle::Install();
    QApplication::setPalette(DarkPalette());
}

void TstPalette::indicatorsVisible_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("queue line") << "queue";
    QTest::newRow("tag editor check box") << "check";
    QTest::newRow("radio button") << "radio";
}

void TstPalette::indicatorsVisible()
{
    QFETCH(QString, what);
    QImage image;
    QRect indicator;
    if (what == u"queue") {
        TQueue queue;
        TQueueList list(queue);
        list.resize(300, 100);
        TQueueItem* job = list.AddToQueue(QStringLiteral("/tmp/a.wav"), nullptr);
        QVERIFY(job);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        image = list.viewport()->grab().toImage();
        const QRect row = list.visualItemRect(list.item(0));
        indicator = QRect(row.left(), row.top(), row.height(), row.height());
    } else {
        std::unique_ptr<QAbstractButton> button;
        if (what == u"check")
            button = std::make_unique<QCheckBox>(QStringLiteral("Фикс."));
        else
            button = std::make_unique<QRadioButton>(QStringLiteral("Сжатие"));
        button->show();
        QVERIFY(QTest::qWaitForWindowExposed(button.get()));
        image = button->grab().toImage();
        const int side = button->height();
        indicator = QRect(0, 0, side, side);
    }
    QVERIFY(!image.isNull());
    const int contrast = Contrast(image, indicator);
    QVERIFY2(contrast >= 90, qPrintable(QStringLiteral("contrast %1").arg(contrast)));
}

QTEST_MAIN(TstPalette)
#include "tst_palette.moc"

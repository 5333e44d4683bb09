// The main window's smallest size: as long as the screen has room, the mode
// group and the whole tag editor stay in view without scrolling, at any font
// size; on a screen too low for that the window still fits and the tag area
// scrolls.

#include "mainwindow.h"
#include "tageditor.h"
#include "testutil.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// The offscreen platform with two screens: a roomy one and one too low for
// the whole tag editor at any font size.
constexpr char ScreensJson[] = R"({
    "screens": [
        {"name": "large", "x": 0, "y": 0, "width": 1920, "height": 1200,
         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "low", "x": 1920, "y": 0, "width": 1280, "height": 400,
         "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]
})";

QScreen* ScreenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    return nullptr;
}

void SetPointSize(int points)
{
    QFont font = QApplication::font();
    font.setPointSize(points);
    QApplication::setFont(font);
}

// The part of a widget that its parents up to the window leave visible, in
// the window's coordinates.
QRect VisiblePart(QWidget* widget, QWidget* window)
{
    QRect part(widget->mapTo(window, QPoint(0, 0)), widget->size());
    for (QWidget* p = widget->parentWidget(); p && p != window; p = p->parentWidget())
        part &= QRect(p->mapTo(window, QPoint(0, 0)), p->size());
    return part & window->rect();
}

} // namespace

class TstMinSize final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void tagEditorWhole_data();
    void tagEditorWhole();
    void lowScreen_data();
    void lowScreen();

private:
    // A window on the given screen, shown at its normal size.
    std::unique_ptr<TMainF> ShownWindow(QScreen* screen);

    QTemporaryDir m_home;
    QFont m_font;
};

void TstMinSize::initTestCase()
{
    QVERIFY(m_home.isValid());
    TestUtil::UseHome(m_home.path());
    m_font = QApplication::font();
}

void TstMinSize::cleanup()
{
    QApplication::setFont(m_font);
}

std::unique_ptr<TMainF> TstMinSize::ShownWindow(QScreen* screen)
{
    auto window = std::make_unique<TMainF>();
    window->setScreen(screen);
    window->move(screen->availableGeometry().topLeft());
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}

void TstMinSize::tagEditorWhole_data()
{
    QTest::addColumn<int>("created");
    QTest::addColumn<int>("points");
    for (int points : {9, 11, 14})
        QTest::addRow("%d pt", points) << points << points;
    // The minimum follows a font change of a window already shown, up and down.
    QTest::newRow("9 pt, then 14 pt") << 9 << 14;
    QTest::newRow("14 pt, then 9 pt") << 14 << 9;
}

// Shrinks the window as far as it goes and says what, if anything, is cut or
// scrolls there: empty when the mode group, the tag editor and the buttons
// are whole (the first two within the scroll box's viewport) and the box is
// no higher than its content.
static QString CutAtMinimum(TMainF& window)
{
    window.resize(100, 100);
    auto* scrollBox = window.findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
    const QRect viewport = scrollBox->viewport()->rect();
    QStringList cut;
    if (window.size() != window.minimumSize())
        cut << QStringLiteral("window not at its minimum");
    if (scrollBox->verticalScrollBar()->maximum() != 0)
        cut << QStringLiteral("scrolls by %1").arg(scrollBox->verticalScrollBar()->maximum());
    for (const char* name : {"ModeRG", "GroupBox1", "AddBtn", "GoBtn", "CancelBtn"}) {
        auto* widget = window.findChild<QWidget*>(QLatin1String(name));
        const QRect part = VisiblePart(widget, &window);
        if (part.size() != widget->size())
            cut << QStringLiteral("%1 cut to %2x%3 of %4x%5")
                       .arg(QLatin1String(name))
                       .arg(part.width()).arg(part.height())
                       .arg(widget->width()).arg(widget->height());
        if (widget->height() < widget->sizeHint().height()
            || widget->width() < widget->sizeHint().width())
            cut << QLatin1String(name) + QStringLiteral(" squeezed");
    }
    // No higher than it must be, either.
    if (viewport.height() != scrollBox->widget()->sizeHint().height())
        cut << QStringLiteral("viewport %1 high for content of %2")
                   .arg(viewport.height())
                   .arg(scrollBox->widget()->sizeHint().height());
    return cut.join(QStringLiteral(", "));
}

void TstMinSize::tagEditorWhole()
{
    QFETCH(int, created);
    QFETCH(int, points);
    QScreen* screen = ScreenNamed(QStringLiteral("large"));
    if (!screen)
        screen = QGuiApplication::primaryScreen();

    SetPointSize(created);
    std::unique_ptr<TMainF> window = ShownWindow(screen);
    QVERIFY(window);
    const QSize before = window->minimumSize();
    if (points != created) {
        SetPointSize(points);
        auto* tags = window->findChild<TTagEditor*>();
        QVERIFY(tags);
        QTRY_COMPARE(tags->font().pointSize(), points); // reaches the widgets later
    }

    // Polled: after a font change the layouts pass the new minimum up over
    // several turns of the event loop.
    QTRY_COMPARE(CutAtMinimum(*window), QString());
    QVERIFY(window->minimumWidth() > 100 && window->minimumHeight() > 100);

    if (points != created) {
        std::unique_ptr<TMainF> fresh = ShownWindow(screen);
        QVERIFY(fresh);
        const QSize central = window->centralWidget()->minimumSizeHint();
        const QSize freshCentral = fresh->centralWidget()->minimumSizeHint();
        if (points > created) {
            // The same minimum as a window made at that font.
            QCOMPARE(central, freshCentral);
        } else {
            // Smaller, though not quite down to a fresh window's: a combo
            // box keeps the minimum size hint of the larger font.
            QVERIFY2(window->minimumHeight() < before.height(),
                     qPrintable(QStringLiteral("%1 -> %2")
                                    .arg(before.height())
                                    .arg(window->minimumHeight())));
            QVERIFY(central.height() >= freshCentral.height());
        }
    }
}

void TstMinSize::lowScreen_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("moved");
    QTest::newRow("9 pt") << 9 << false;
    QTest::newRow("14 pt") << 14 << false;
    // Shown on the roomy screen first, then put on the low one.
    QTest::newRow("14 pt, moved there") << 14 << true;
}

void TstMinSize::lowScreen()
{
    QFETCH(int, points);
    QFETCH(bool, moved);
    QScreen* low = ScreenNamed(QStringLiteral("low"));
    QScreen* large = ScreenNamed(QStringLiteral("large"));
    if (!low || !large)
        QSKIP("needs the offscreen platform with the screens of this test");

    SetPointSize(points);
    std::unique_ptr<TMainF> window = ShownWindow(moved ? large : low);
    QVERIFY(window);
    if (moved) {
        window->setScreen(low);
        window->move(low->availableGeometry().topLeft());
    }
    auto* scrollBox = window->findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
    QVERIFY(scrollBox);

    const QSize room = low->availableGeometry().size();
    QTRY_VERIFY(window->minimumHeight() <= room.height());
    window->resize(100, 100);
    QTRY_VERIFY(window->frameGeometry().height() <= room.height());
    QVERIFY(window->minimumWidth() <= room.width());
    // The buttons under the tag area are still in the window, and the tag
    // editor is reached by scrolling.
    auto* go = window->findChild<QWidget*>(QStringLiteral("GoBtn"));
    QVERIFY(go);
    // The layout settles in later turns of the event loop, and a slow build
    // (the sanitizers') takes more of them.
    QTRY_COMPARE(VisiblePart(go, window.get()).size(), go->size());
    QTRY_VERIFY(scrollBox->verticalScrollBar()->maximum() > 0);
}

int main(int argc, char* argv[])
{
    // The screens are part of the test, so the offscreen platform gets them
    // from a file; another platform runs with the screens it has.
    QTemporaryDir config;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && config.isValid()) {
        QFile file(config.filePath(QStringLiteral("screens.json")));
        if (file.open(QIODevice::WriteOnly) && file.write(ScreensJson) > 0) {
            file.close();
            qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(file.fileName()));
        }
    }
    QApplication app(argc, argv);
    TstMinSize test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_minsize.moc"

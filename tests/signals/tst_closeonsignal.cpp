#include "closeonsignal.h"
#include "mainwindow.h"
#include "testutil.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <memory>

// A signal that arrives while a modal dialog is open closes the dialog first
// and the main window only after the dialog's own event loop has returned,
// so the code that opened the dialog never runs on a destroyed window.
class TstCloseOnSignal final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void closesDialogThenWindow_data();
    void closesDialogThenWindow();
};

namespace {

// Notes the event loop depth and the open modal dialog when the window closes.
class TCloseProbe final : public QObject
{
public:
    bool closed = false;
    int loopLevel = -1;
    QWidget* modal = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            closed = true;
            loopLevel = QThread::currentThread()->loopLevel();
            modal = QApplication::activeModalWidget();
        }
        return QObject::eventFilter(watched, event);
    }
};

QString SettingsFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Morvane/Tessary/1.0.reg");
}

} // namespace

void TstCloseOnSignal::closesDialogThenWindow_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("preferences, SIGTERM") << "N7" << SIGTERM;
    QTest::newRow("about box, SIGINT") << "N8" << SIGINT;
    QTest::newRow("no dialog, SIGHUP") << "" << SIGHUP;
}

void TstCloseOnSignal::closesDialogThenWindow()
{
    QFETCH(QString, action);
    QFETCH(int, signalNumber);
    QFile::remove(SettingsFile());

    auto window = std::make_unique<TMainF>();
    TCloseOnSignal closeOnSignal(window.get());
    TCloseProbe probe;
    window->installEventFilter(&probe);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const int baseLevel = QThread::currentThread()->loopLevel();

    // The dialog runs its own event loop; the signal is raised from inside it.
    bool dialogSeen = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (!action.isEmpty() && !qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            return;
        dialogSeen = !action.isEmpty();
        poll.stop();
        ::raise(signalNumber);
    });
    poll.start();
    if (!action.isEmpty()) {
        QAction* open = window->findChild<QAction*>(action);
        QVERIFY(open);
        QTimer::singleShot(0, open, &QAction::trigger);
    }

    QTRY_VERIFY_WITH_TIMEOUT(probe.closed, 10000);
    QCOMPARE(dialogSeen, !action.isEmpty());
    QCOMPARE(probe.modal, nullptr);
    QCOMPARE(probe.loopLevel, baseLevel);
    QVERIFY(!window->isVisible());
    QVERIFY(QFile::exists(SettingsFile()));
}

int main(int argc, char* argv[])
{
    // A private home and settings folder, set before Qt reads them.
    QTemporaryDir home;
    TestUtil::UseHome(home.path());
    QApplication app(argc, argv);
    TstCloseOnSignal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_closeonsignal.moc"

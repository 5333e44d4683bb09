#include "batchrun.h"
#include "fakeservices.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "rundesktop.h"
#include "sleepinhibitor.h"
#include "testutil.h"

#include <QApplication>
#include <QDBusPendingCallWatcher>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace std::chrono_literals;

// What the desktop learns of a run, against stand-ins for its services on
// two private buses the test starts (one as the session bus, one as the
// system bus): the sleep inhibitor, the notice at the end, the launcher's
// progress.
class TstDesktop final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void inhibitor_data();
    void inhibitor();
    void notice_data();
    void notice();
    void launcher();

private:
    TQueueItem* AddJob(const QString& name, bool good = true);
    // An encoder that shows 50 % and waits for the file GO in its folder;
    // then it runs tail, a shell command.
    QString WaitingEncoder(const QString& tail);
    // Everything the client sent before this has reached the stand-ins.
    bool Flush();

    std::unique_ptr<TPrivateBus> m_sessionBus;
    std::unique_ptr<TPrivateBus> m_systemBus;
    std::unique_ptr<TLauncherListener> m_listener;
    std::unique_ptr<TFakePortal> m_portal;
    std::unique_ptr<TFakeLogind> m_logind;
    std::unique_ptr<TFakeNotifications> m_notifications;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TRecordingView> m_view;
    ProgramSettings m_settings;
};

namespace {

const QString kSession = QStringLiteral("tessary-test-session");
const QString kSystem = QStringLiteral("tessary-test-system");

QDBusConnection FakeSession() { return QDBusConnection(kSession); }
QDBusConnection FakeSystem() { return QDBusConnection(kSystem); }

} // namespace

void TstDesktop::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
        QSKIP("dbus-daemon is not installed (Debian package dbus-daemon)");
    m_sessionBus = std::make_unique<TPrivateBus>();
    m_systemBus = std::make_unique<TPrivateBus>();
    QVERIFY(m_sessionBus->Start());
    QVERIFY(m_systemBus->Start());
    // Read by Qt when the program first asks for either bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_sessionBus->Address().toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_systemBus->Address().toUtf8());
    QVERIFY(QDBusConnection::connectToBus(m_sessionBus->Address(), kSession).isConnected());
    QVERIFY(QDBusConnection::connectToBus(m_systemBus->Address(), kSystem).isConnected());

    m_listener = std::make_unique<TLauncherListener>();
    QVERIFY(FakeSession().connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                  QStringLiteral("Update"), m_listener.get(),
                                  SLOT(OnUpdate(QString, QVariantMap))));
    m_notifications = std::make_unique<TFakeNotifications>();
    QVERIFY(FakeSession().registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                         m_notifications.get(), QDBusConnection::ExportAllSlots));
    QVERIFY(FakeSession().registerService(QStringLiteral("org.freedesktop.Notifications")));
    m_logind = std::make_unique<TFakeLogind>();
    QVERIFY(FakeSystem().registerObject(QStringLiteral("/org/freedesktop/login1"), m_logind.get(),
                                        QDBusConnection::ExportAllSlots));
    QVERIFY(FakeSystem().registerService(QStringLiteral("org.freedesktop.login1")));
    m_portal = std::make_unique<TFakePortal>(FakeSession());
    QVERIFY(FakeSession().registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                                         m_portal.get(), QDBusConnection::ExportAllSlots));
}

void TstDesktop::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_queue = std::make_unique<TQueue>();
    m_view = std::make_unique<TRecordingView>(*m_queue);
    m_settings = ProgramSettings();
    m_settings.TargetDirectory = m_dir->filePath(QStringLiteral("out/"));
    m_settings.FileNameFormat = QStringLiteral("%0");
    m_settings.DeleteFromQueue = false;
    m_settings.PauseBetweenJobs = 0;
    QVERIFY(Flush()); // nothing of an earlier test comes in late
    m_listener->updates.clear();
    m_notifications->notices.clear();
}

void TstDesktop::cleanup()
{
    FakeSession().unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
}

TQueueItem* TstDesktop::AddJob(const QString& name, bool good)
{
    const QString source = m_dir->filePath(QStringLiteral("in/") + name);
    // A bad one is no audio at all: the run refuses it by its contents.
    if (good ? !TestUtil::WriteWav(source, 0.3, 44100, 2)
             : !TestUtil::WriteFile(source, "not a sound file"))
        return nullptr;
    TQueueItem* job = m_queue->Add();
    job->SetInputFile(source);
    return job;
}

QString TstDesktop::WaitingEncoder(const QString& tail)
{
    const QString path = m_dir->filePath(QStringLiteral("bin/lame"));
    const QString script = QStringLiteral("#!/bin/sh\n"
                                          "eval out=\\${$#}\n"
                                          "printf '  1/2 (50%%)|\\r' >&2\n"
                                          "while [ ! -e '%1' ]; do sleep 0.05; done\n")
                               .arg(m_dir->filePath(QStringLiteral("GO")))
                           + tail + u'\n';
    if (!TestUtil::WriteFile(path, script.toUtf8()))
        return QString();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

bool TstDesktop::Flush()
{
    // Messages from one connection to another keep their order: once the
    // stand-in has answered this, it has seen all that came before.
    QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    QDBusPendingCallWatcher watcher(QDBusConnection::sessionBus().asyncCall(ping));
    return QTest::qWaitFor([&] { return watcher.isFinished(); }, 5000);
}

void TstDesktop::inhibitor_data()
{
    QTest::addColumn<bool>("portal");   // else only logind answers
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("status");
    for (bool portal : {true, false}) {
        const char* via = portal ? "portal" : "logind";
        QTest::addRow("%s, done", via) << portal << "done" << "Готово";
        QTest::addRow("%s, cancelled", via) << portal << "cancel" << "Готово";
        QTest::addRow("%s, stopped", via) << portal << "stop" << "Остановлено. Прервано: 1";
        QTest::addRow("%s, failed", via) << portal << "failed" << "Готово. Ошибок: 2";
    }
}

// Taken when the run starts, with the number of its jobs; released however
// the run ends. Where the portal does not answer, logind's lock is taken.
void TstDesktop::inhibitor()
{
    QFETCH(bool, portal);
    QFETCH(QString, ending);
    QFETCH(QString, status);
    if (portal)
        QVERIFY(FakeSession().registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    const int portalBefore = int(m_portal->requests.size());
    const int logindBefore = int(m_logind->calls.size());

    QVERIFY(AddJob(QStringLiteral("a.wav")));
    QVERIFY(AddJob(QStringLiteral("b.wav")));
    TBatchRun run(*m_queue, m_settings, *m_view);
    run.SetStopGrace(200ms);
    QWidget window;
    TRunDesktop desktop(run, window, m_settings);
    const auto held = [&] { return portal ? m_portal->Held() : m_logind->Held(); };
    QSignalSpy finished(&run, &TBatchRun::Finished);

    if (ending == u"done") {
        run.Start(); // the real lame
    } else {
        const QString encoder = WaitingEncoder(ending == u"failed" ? QStringLiteral("exit 1")
                                                                  : QStringLiteral("printf mp3 > \"$out\""));
        QVERIFY(!encoder.isEmpty());
        run.SetEncoderProgram(encoder);
        run.Start();
        QTRY_COMPARE_WITH_TIMEOUT(held(), 1, 10000);
        QVERIFY(run.IsRunning());
        if (ending == u"cancel" || ending == u"stop")
            run.Cancel();
        if (ending == u"stop")
            run.Cancel();
        else
            QVERIFY(TestUtil::WriteFile(m_dir->filePath(QStringLiteral("GO")), "go"));
    }
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
    QCOMPARE(run.EndStatus(), status);
    QTRY_COMPARE_WITH_TIMEOUT(held(), 0, 10000);

    const QString why = QStringLiteral("Tessary: кодирование 2 файлов");
    if (portal) {
        QTRY_COMPARE(int(m_portal->requests.size()), portalBefore + 1);
        QCOMPARE(m_portal->reasons.last(), why);
        QCOMPARE(m_portal->flags.last(), 4u | 8u); // suspend and idle
        QCOMPARE(int(m_logind->calls.size()), logindBefore);
    } else {
        QTRY_COMPARE(int(m_logind->calls.size()), logindBefore + 1);
        QCOMPARE(m_logind->calls.last(), QStringLiteral("sleep:idle|Tessary|") + why + QStringLiteral("|block"));
    }
}

void TstDesktop::notice_data()
{
    QTest::addColumn<bool>("active");  // the window is the active one at the end
    QTest::addColumn<bool>("setting"); // "Notify at end"
    QTest::addColumn<bool>("shown");
    QTest::newRow("window active") << true << true << false;
    QTest::newRow("window not active") << false << true << true;
    QTest::newRow("window not active, switched off") << false << false << false;
}

// Only a window that is not the active one is told of the end, with the end
// text and the program's icon; a click on the notice brings it up.
void TstDesktop::notice()
{
    QFETCH(bool, active);
    QFETCH(bool, setting);
    QFETCH(bool, shown);
    m_settings.NotifyAtEnd = setting;
    QVERIFY(AddJob(QStringLiteral("good.wav")));
    QVERIFY(AddJob(QStringLiteral("not audio.wav"), false));
    TBatchRun run(*m_queue, m_settings, *m_view);
    QWidget window;
    QWidget other;
    TRunDesktop desktop(run, window, m_settings);
    window.show();
    other.show();
    (active ? window : other).activateWindow();
    QTRY_VERIFY((active ? window : other).isActiveWindow());

    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
    QCOMPARE(run.EndStatus(), QStringLiteral("Готово. Ошибок: 1"));
    QVERIFY(Flush());
    if (!shown) {
        QCOMPARE(m_notifications->notices.size(), 0);
        return;
    }
    QTRY_COMPARE(m_notifications->notices.size(), 1);
    const TFakeNotifications::Notice& n = m_notifications->notices[0];
    QCOMPARE(n.app, QStringLiteral("Tessary"));
    QCOMPARE(n.icon, QStringLiteral("tessary"));
    QCOMPARE(n.body, QStringLiteral("Готово. Ошибок: 1"));
    QVERIFY(n.actions.contains(QStringLiteral("default")));

    QVERIFY(!window.isActiveWindow());
    QDBusMessage click = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                    QStringLiteral("org.freedesktop.Notifications"),
                                                    QStringLiteral("ActionInvoked"));
    click << uint(1) << QStringLiteral("default");
    QVERIFY(FakeSession().send(click));
    QTRY_VERIFY(window.isActiveWindow());
}

// The taskbar entry shows the run's share growing and the jobs left
// falling, and is cleared at the end.
void TstDesktop::launcher()
{
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        QVERIFY(AddJob(QLatin1String(name)));
    TBatchRun run(*m_queue, m_settings, *m_view);
    QWidget window;
    TRunDesktop desktop(run, window, m_settings);
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
    QVERIFY(Flush());
    QTRY_VERIFY(!m_listener->updates.isEmpty()
                && !m_listener->updates.last().properties.value(QStringLiteral("progress-visible")).toBool());

    const auto& updates = m_listener->updates;
    QVERIFY2(updates.size() >= 3, qPrintable(QString::number(updates.size())));
    double progress = -1;
    qint64 count = 4;
    for (qsizetype i = 0; i + 1 < updates.size(); ++i) {
        const QVariantMap& p = updates[i].properties;
        QCOMPARE(updates[i].uri, QStringLiteral("application://tessary.desktop"));
        QVERIFY(p.value(QStringLiteral("progress-visible")).toBool());
        QVERIFY2(p.value(QStringLiteral("progress")).toDouble() >= progress, "the progress went back");
        QVERIFY2(p.value(QStringLiteral("count")).toLongLong() <= count, "the count of jobs left grew");
        progress = p.value(QStringLiteral("progress")).toDouble();
        count = p.value(QStringLiteral("count")).toLongLong();
    }
    QCOMPARE(updates.first().properties.value(QStringLiteral("count")).toLongLong(), 3);
    QVERIFY(progress > updates.first().properties.value(QStringLiteral("progress")).toDouble());
    QCOMPARE(count, 0);
    QVERIFY(!updates.last().properties.value(QStringLiteral("count-visible")).toBool());
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    TstDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktop.moc"

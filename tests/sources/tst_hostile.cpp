// Crafted files dropped on the window among good ones: the window stays up,
// every file is queued in its place, the good ones get their tags, and a
// file the reader could not read says so on its line.

#include "e2etest.h"
#include "hostilefiles.h"
#include "mainwindow.h"
#include "queuelist.h"
#include "settingsstore.h"
#include "sourcefixture.h"
#include "sourcereader.h"
#include "sourcetagfiller.h"

#include <QAction>
#include <QtTest>

using namespace std::chrono_literals;

class TstHostile final : public QObject
{
    Q_OBJECT
public:
    explicit TstHostile(const E2E::TPrivateHome& home) : m_home(home) {}

private Q_SLOTS:
    void initTestCase();
    void hostileFilesAmongGoodOnes();

private:
    const E2E::TPrivateHome& m_home;
};

void TstHostile::initTestCase()
{
    if (!SourceFixture::Have(QStringLiteral("flac")) || !SourceFixture::Have(QStringLiteral("ffmpeg")))
        QSKIP("flac or ffmpeg is not installed");
    QVERIFY2(!TSourceReader::HelperProgram().isEmpty(), "tessary-reader is not built");
}

void TstHostile::hostileFilesAmongGoodOnes()
{
    QTemporaryDir work(m_home.MusicPath() + QStringLiteral("/hostile-XXXXXX"));
    QVERIFY(work.isValid());
    auto good = [&work](const QString& name) {
        SourceFixture::Tags tags;
        tags.title = QStringLiteral("Название ") + name;
        tags.artist = QStringLiteral("Кино");
        const QString path = work.filePath(name);
        return SourceFixture::Make(path, QStringLiteral("flac"), tags, 0.2) ? path : QString();
    };
    const QStringList goods{good(QStringLiteral("1.flac")), good(QStringLiteral("2.flac")),
                            good(QStringLiteral("sleepy.flac")), good(QStringLiteral("crashy.flac"))};
    QVERIFY(!goods.contains(QString()));
    const std::pair<const char*, QByteArray> crafted[] = {
        {"nested.m4a", Hostile::NestedM4a()},
        {"inflating.wav", Hostile::CompressedId3Wav()},
        {"overflow.wv", Hostile::OverflowingWavPack()},
        {"wrapping.flac", Hostile::WrappingFlac()},
    };
    QStringList hostile;
    for (const auto& [name, bytes] : crafted) {
        hostile << work.filePath(QLatin1String(name));
        QVERIFY(TestUtil::WriteFile(hostile.last(), bytes));
    }

    ProgramSettings s;
    s.TargetDirectory = work.filePath(QStringLiteral("out/"));
    s.AllSourceFormats = true;
    QVERIFY(SaveSettings(s, work.path() + u'/', nullptr));
    TMainF window;
    window.SourceReader()->SetTimeLimit(2000ms);
    window.SourceReader()->SetProgram(TSourceReader::HelperProgram(),
                                      {QStringLiteral("--test-crash-on"), QStringLiteral("crashy"),
                                       QStringLiteral("--test-sleep-on"), QStringLiteral("sleepy")});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QStringList all{goods[0], hostile[0], goods[2], hostile[1], hostile[2], goods[3],
                          hostile[3], goods[1]};
    QCOMPARE(window.AddSources(all), QStringList());
    QCOMPARE(window.Queue().Count(), all.size());
    // Until the tags are in, no run can start.
    QVERIFY(window.SourceTagFiller()->IsBusy());
    QVERIFY(!window.findChild<QAction*>(QStringLiteral("acGO"))->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!window.SourceTagFiller()->IsBusy(), 60000);
    QVERIFY(window.findChild<QAction*>(QStringLiteral("acGO"))->isEnabled());

    // The queue is whole, in the order given.
    QCOMPARE(window.Queue().Count(), all.size());
    const auto* list = window.findChild<TQueueList*>(QStringLiteral("QueueLst"));
    QVERIFY(list);
    for (int i = 0; i < all.size(); ++i) {
        const TQueueItem* job = window.Queue().Items(i);
        QCOMPARE(job->InputFile(), all[i]);
        const QString name = QFileInfo(all[i]).fileName();
        const QString tip = list->item(i)->toolTip();
        if (name == QLatin1String("1.flac") || name == QLatin1String("2.flac")) {
            QCOMPARE(job->Title(), QStringLiteral("Название ") + name);
            QCOMPARE(job->Artist(), QStringLiteral("Кино"));
            QVERIFY(job->Id3v2());
            QVERIFY2(tip.isEmpty(), qPrintable(tip));
        } else {
            QVERIFY2(job->Title().isEmpty(), qPrintable(name));
            // A file the reader could not read says why; one it read (TagLib
            // copes with some of these) has simply no tags.
            QVERIFY2(tip.isEmpty() || tip.startsWith(QStringLiteral("Не удалось прочитать теги: ")),
                     qPrintable(tip));
        }
        if (name.startsWith(QLatin1String("sleepy")) || name.startsWith(QLatin1String("crashy"))
            || name.startsWith(QLatin1String("nested")))
            QVERIFY2(tip.startsWith(QStringLiteral("Не удалось прочитать теги: ")), qPrintable(name));
    }
}

E2E_TEST_MAIN(TstHostile)
#include "tst_hostile.moc"

// The plan tessary --plan prints for some files is the one the window's
// output column shows for the same files: clashes numbered alike and
// automatic track numbers counted alike, since both come from one planner.

#include "batchfixture.h"
#include "mainwindow.h"
#include "outputpreview.h"
#include "queuelist.h"

using namespace BatchTest;

class TstBatchPlan final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void planEqualsOutputColumn();
};

void TstBatchPlan::planEqualsOutputColumn()
{
    Home home;
    home.settings.AllSourceFormats = true;
    home.settings.CreateSubFolders = true;
    home.settings.FileNameFormat = QStringLiteral("%8 - %1");
    home.SaveSettings();
    struct Source { const char* path; const char* title; const char* artist; };
    const Source sources[] = {
        {"in/a/1.wav", "Song", "A"},  {"in/a/2.wav", "Other", "A"},
        {"in/a/3.wav", "Song", "A"},  {"in/a/4.wav", "Third", "A"},
        {"in/b/1.wav", "Song", "B"},  {"in/b/2.wav", "song", "B"},
    };
    for (const Source& s : sources)
        QVERIFY(WriteTaggedWav(home.Path(QString::fromLatin1(s.path)), QString::fromLatin1(s.title),
                               QString::fromLatin1(s.artist), QStringLiteral("Album")));

    const Result plan = home.Run({QStringLiteral("--plan"), home.Path(QStringLiteral("in"))});
    QVERIFY2(plan.status == 0, plan.err.constData());
    QStringList planned;
    for (const QByteArray& line : plan.out.trimmed().split('\n'))
        planned << QString::fromUtf8(line.split('\t').value(1));
    QVERIFY(planned.join(u'\n').contains(QStringLiteral("01 - Song (2).mp3")));
    QVERIFY(planned.join(u'\n').contains(QStringLiteral("03 - Third.mp3")));

    TestUtil::UseHome(home.dir.path());
    TMainF window;
    window.AddSources({home.Path(QStringLiteral("in"))});
    auto* list = window.findChild<TQueueList*>(QStringLiteral("QueueLst"));
    QVERIFY(list);
    QTRY_COMPARE(window.Queue().Count(), int(std::size(sources)));
    QTRY_VERIFY(!window.OutputPreview()->IsDirty() && list->LineOutput(0));
    QStringList shown;
    for (int i = 0; i < window.Queue().Count(); ++i)
        shown << list->LineOutput(i)->path;
    QCOMPARE(shown, planned);
}

QTEST_MAIN(TstBatchPlan)
#include "tst_batchplan.moc"

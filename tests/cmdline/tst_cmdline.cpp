#include "cmdline.h"
#include "queue.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Jobs are built through their setters; InputFile needs a real file, so each
// test writes its sources under a temporary folder named like the examples.
class TstCmdline final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void workedExamples();
    void pieces_data();
    void pieces();
    void argumentsMatchOptionString_data();
    void argumentsMatchOptionString();
    void quoteInTitleStaysOneArgument();
    void pathsReachLameAsAbsolute_data();
    void pathsReachLameAsAbsolute();

private:
    TQueueItem* Job(const QString& input, const QString& output);
    QTemporaryDir m_dir;
    TQueue m_queue;
    QString m_wav, m_mp3;
};

void TstCmdline::initTestCase()
{
    m_wav = m_dir.filePath(QStringLiteral("Music/song.wav"));
    m_mp3 = m_dir.filePath(QStringLiteral("Music/song.mp3"));
    QVERIFY(TestUtil::WriteFile(m_wav));
    QVERIFY(TestUtil::WriteFile(m_mp3));
}

TQueueItem* TstCmdline::Job(const QString& input, const QString& output)
{
    TQueueItem* j = m_queue.Add();
    j->SetInputFile(input);
    j->SetOutputFile(output);
    return j;
}

void TstCmdline::workedExamples()
{
    const QString in = u'"' + m_wav + u'"';

    TQueueItem* a = Job(m_wav, QStringLiteral("/Out/Band/2001 - Record/03 - Song.mp3"));
    a->SetMode(Joint_stereo);
    a->SetId3v1(true);
    a->SetId3v2(true);
    a->SetTitle(QStringLiteral("Song"));
    a->SetArtist(QStringLiteral("Band"));
    a->SetAlbum(QStringLiteral("Record"));
    a->SetYear(QStringLiteral("2001"));
    a->SetGenre(17);
    a->SetTrack(3);
    QCOMPARE(JobOptions(*a, 0),
             QStringLiteral("-m j -q 5 -b 128 --tt \"Song\" --ta \"Band\" --tl \"Record\" "
                            "--ty \"2001\" --tg 17 --tn 3 --add-id3v2 ")
                 + in + QStringLiteral(" \"/Out/Band/2001 - Record/03 - Song.mp3\""));

    TQueueItem* b = Job(m_wav, QStringLiteral("/Out/song.mp3"));
    b->SetMode(Default);
    b->SetQuality(2);
    b->SetAlgorithm(VBR);
    b->SetCopyrighted(true);
    b->SetCRCs(true);
    b->SetFrequency(2);
    b->SetId3v1(true);
    b->SetTitle(QStringLiteral("Song"));
    QCOMPARE(JobOptions(*b, 0),
             QStringLiteral("-q 2 --vbr-new -V 4 -b 32 -B 320 -c -p --resample 44.1 --tt \"Song\" "
                            "--id3v1-only ")
                 + in + QStringLiteral(" \"/Out/song.mp3\""));

    TQueueItem* c = Job(m_mp3, QStringLiteral("/Out/song.wav"));
    c->SetId3v2(true); // ignored when decoding, like every other tag and compression field
    c->SetTitle(QStringLiteral("x"));
    c->SetAlgorithm(VBR);
    QCOMPARE(JobOptions(*c, 1),
             QStringLiteral("--decode \"") + m_mp3 + QStringLiteral("\" \"/Out/song.wav\""));
}

// Each row sets up a job through a small recipe and names the text that the
// options between the start and the paths must be.
void TstCmdline::pieces_data()
{
    QTest::addColumn<QString>("recipe");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("options");

    QTest::newRow("default mode starts with -q") << "mode=5" << 0 << "-q 5 -b 128 ";
    QTest::newRow("auto mode") << "" << 0 << "-m a -q 5 -b 128 ";
    QTest::newRow("stereo/force/mono") << "mode=1" << 0 << "-m s -q 5 -b 128 ";
    QTest::newRow("force") << "mode=2" << 0 << "-m f -q 5 -b 128 ";
    QTest::newRow("mono") << "mode=3" << 0 << "-m m -q 5 -b 128 ";
    QTest::newRow("abr ignores vbr fields")
        << "mode=5,alg=1,rate=192,vbrq=9,vbrnew=0" << 0 << "-q 5 --abr 192 ";
    QTest::newRow("vbr ignores abitrate")
        << "mode=5,alg=2,rate=192,vbrnew=0,min=64,max=256" << 0
        << "-q 5 --vbr-old -V 4 -b 64 -B 256 ";
    QTest::newRow("flags in order") << "mode=5,c,o,p,k" << 0 << "-q 5 -b 128 -c -o -p -k ";
    QTest::newRow("resample 22.05") << "mode=5,freq=5" << 0 << "-q 5 -b 128 --resample 22.05 ";
    QTest::newRow("resample 8") << "mode=5,freq=9" << 0 << "-q 5 -b 128 --resample 8 ";
    QTest::newRow("resample 11.025") << "mode=5,freq=8" << 0 << "-q 5 -b 128 --resample 11.025 ";
    QTest::newRow("frequency out of range") << "mode=5,freq=10" << 0 << "-q 5 -b 128 ";
    QTest::newRow("texts without a tag version")
        << "mode=5,title=Song,genre=3,track=4" << 0 << "-q 5 -b 128 ";
    QTest::newRow("version only") << "mode=5,v1" << 0 << "-q 5 -b 128 --id3v1-only ";
    QTest::newRow("v2 only") << "mode=5,v2" << 0 << "-q 5 -b 128 --id3v2-only ";
    QTest::newRow("genre 0") << "mode=5,v2,genre=0" << 0 << "-q 5 -b 128 --tg 0 --id3v2-only ";
    QTest::newRow("genre 148 is none") << "mode=5,v2,genre=148" << 0
                                       << "-q 5 -b 128 --id3v2-only ";
    QTest::newRow("comment") << "mode=5,v1,v2,comment=hi" << 0
                             << "-q 5 -b 128 --tc \"hi\" --add-id3v2 ";
    // ID3v1 holds Latin-1 only: other text brings an ID3v2 tag beside it.
    QTest::newRow("v1 only, Latin-1 text") << "mode=5,v1,title=Café Müller" << 0
                                           << "-q 5 -b 128 --tt \"Café Müller\" --id3v1-only ";
    QTest::newRow("v1 only, Cyrillic title") << "mode=5,v1,title=Кино" << 0
                                             << "-q 5 -b 128 --tt \"Кино\" --add-id3v2 ";
    QTest::newRow("v1 only, Cyrillic comment") << "mode=5,v1,comment=ок" << 0
                                               << "-q 5 -b 128 --tc \"ок\" --add-id3v2 ";
    QTest::newRow("v1 only, euro sign") << "mode=5,v1,title=5€" << 0
                                        << "-q 5 -b 128 --tt \"5€\" --add-id3v2 ";
    QTest::newRow("v2 only stays v2 only") << "mode=5,v2,title=Кино" << 0
                                           << "-q 5 -b 128 --tt \"Кино\" --id3v2-only ";
    QTest::newRow("decode ignores all") << "alg=2,v1,title=x,c,freq=3" << 1 << "--decode ";
    QTest::newRow("other mode: paths only") << "alg=2,v1,title=x" << 2 << "";
    QTest::newRow("negative mode: paths only") << "" << -1 << "";
}

namespace {
void Apply(TQueueItem* j, const QString& recipe)
{
    for (const QString& part : recipe.split(u',', Qt::SkipEmptyParts)) {
        const QString key = part.section(u'=', 0, 0);
        const QString val = part.section(u'=', 1);
        const int n = val.toInt();
        if (key == u"mode") j->SetMode(TMode(n));
        else if (key == u"alg") j->SetAlgorithm(TAlgorithm(n));
        else if (key == u"rate") j->SetABitrate(n);
        else if (key == u"min") j->SetMinBitrate(n);
        else if (key == u"max") j->SetMaxBitrate(n);
        else if (key == u"vbrq") j->SetVBRQuality(quint8(n));
        else if (key == u"vbrnew") j->SetVBRNew(n != 0);
        else if (key == u"freq") j->SetFrequency(quint8(n));
        else if (key == u"c") j->SetCopyrighted(true);
        else if (key == u"o") j->SetNonOriginal(true);
        else if (key == u"p") j->SetCRCs(true);
        else if (key == u"k") j->SetKeepFreq(true);
        else if (key == u"v1") j->SetId3v1(true);
        else if (key == u"v2") j->SetId3v2(true);
        else if (key == u"title") j->SetTitle(val);
        else if (key == u"comment") j->SetComment(val);
        else if (key == u"genre") j->SetGenre(quint8(n));
        else if (key == u"track") j->SetTrack(quint8(n));
        else QFAIL(qPrintable(QStringLiteral("unknown recipe key ") + key));
    }
}
} // namespace

void TstCmdline::pieces()
{
    QFETCH(QString, recipe);
    QFETCH(int, mode);
    QFETCH(QString, options);
    TQueueItem* j = Job(m_wav, QStringLiteral("/o/x.mp3"));
    Apply(j, recipe);
    QCOMPARE(JobOptions(*j, mode), options + u'"' + m_wav + QStringLiteral("\" \"/o/x.mp3\""));
}

void TstCmdline::argumentsMatchOptionString_data()
{
    QTest::addColumn<QString>("recipe");
    QTest::addColumn<int>("mode");
    QTest::newRow("cbr tags") << "mode=0,v1,v2,title=A B,genre=17,track=3" << 0;
    QTest::newRow("vbr flags") << "alg=2,c,o,p,k,freq=4" << 0;
    QTest::newRow("decode") << "" << 1;
}

// Without quotes inside values, splitting the option string on blanks outside
// quotes must give exactly the argument list: the two forms cannot drift.
void TstCmdline::argumentsMatchOptionString()
{
    QFETCH(QString, recipe);
    QFETCH(int, mode);
    TQueueItem* j = Job(m_wav, QStringLiteral("/o/a b.mp3"));
    Apply(j, recipe);
    QStringList split;
    QString cur;
    bool inQuote = false, any = false;
    for (QChar ch : JobOptions(*j, mode)) {
        if (ch == u'"') { inQuote = !inQuote; any = true; continue; }
        if (ch == u' ' && !inQuote) { if (any) split << cur; cur.clear(); any = false; continue; }
        cur += ch;
        any = true;
    }
    if (any)
        split << cur;
    QCOMPARE(JobArguments(*j, mode), split);
}

void TstCmdline::quoteInTitleStaysOneArgument()
{
    const QString title = QStringLiteral("x\" --decode \"y");
    const QString out = QStringLiteral("/o/we\"ird \"name.mp3");
    TQueueItem* j = Job(m_wav, out);
    j->SetMode(Default);
    j->SetId3v2(true);
    j->SetTitle(title);
    const QStringList args = JobArguments(*j, 0);
    QCOMPARE(args, QStringList({QStringLiteral("-q"), QStringLiteral("5"), QStringLiteral("-b"),
                                QStringLiteral("128"), QStringLiteral("--tt"), title,
                                QStringLiteral("--id3v2-only"), m_wav, out}));
    QVERIFY(!args.contains(QStringLiteral("--decode")));
    // The option string still shows the text as it stands, unescaped.
    QVERIFY(JobOptions(*j, 0).contains(QStringLiteral("--tt \"") + title + QStringLiteral("\" ")));
}

void TstCmdline::pathsReachLameAsAbsolute_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("title");

    // Paths typed into the target folder field may be relative, and lame runs
    // in the program's folder, not ours: it must get the files we mean. A
    // relative path starting with "-" would be read as an option by lame
    // ("-" alone as standard input or output). A tag text is always the
    // value of its option, whatever it starts with.
    QTest::newRow("absolute") << "song.wav@" << "/o/x.mp3" << "Song";
    QTest::newRow("relative output") << "song.wav@" << "out/x.mp3" << "Song";
    QTest::newRow("output starting with a dash") << "song.wav@" << "-out/x.mp3" << "Song";
    QTest::newRow("output a lone dash") << "song.wav@" << "-" << "Song";
    QTest::newRow("relative source starting with a dash") << "-dash.wav" << "/o/x.mp3" << "Song";
    QTest::newRow("title like an option") << "song.wav@" << "/o/x.mp3" << "--decode";
    QTest::newRow("title a lone dash") << "song.wav@" << "/o/x.mp3" << "-";
}

void TstCmdline::pathsReachLameAsAbsolute()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QString, title);
    const QString music = QFileInfo(m_wav).absolutePath();
    // Back to the previous folder however the row ends.
    const std::unique_ptr<const QString, void (*)(const QString*)> restore(
        new QString(QDir::currentPath()), [](const QString* p) {
            QDir::setCurrent(*p);
            delete p;
        });
    QVERIFY(QDir::setCurrent(music));
    QVERIFY(TestUtil::WriteFile(QStringLiteral("-dash.wav")));
    // "name@" stands for the file given by its absolute path.
    const QString in = input.endsWith(u'@') ? music + u'/' + input.chopped(1) : input;

    TQueueItem* j = Job(in, output);
    QCOMPARE(j->InputFile(), in);
    j->SetMode(Default);
    j->SetId3v1(true);
    j->SetTitle(title);
    const QStringList args = JobArguments(*j, 0);
    const auto absolute = [&music](const QString& p) {
        return p.startsWith(u'/') ? p : music + u'/' + p;
    };
    QCOMPARE(args, QStringList({QStringLiteral("-q"), QStringLiteral("5"), QStringLiteral("-b"),
                                QStringLiteral("128"), QStringLiteral("--tt"), title,
                                QStringLiteral("--id3v1-only"), absolute(in), absolute(output)}));
    // The option string shows the paths as the job holds them.
    QVERIFY(JobOptions(*j, 0).endsWith(u'"' + in + QStringLiteral("\" \"") + output + u'"'));
}

QTEST_GUILESS_MAIN(TstCmdline)
#include "tst_cmdline.moc"

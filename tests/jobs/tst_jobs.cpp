#include "genres.h"
#include "jobfields.h"
#include "queue.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QTest>

namespace {
using TestUtil::Fields;
} // namespace

class TstJobs final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newJobDefaults();
    void bitrateSetters_data();
    void bitrateSetters();
    void year_data();
    void year();
    void inputFileMustExist();
    void outputDirFollowsOutputFile_data();
    void outputDirFollowsOutputFile();
    void assignCopiesEverything();
    void queueOwnsAndOrders();
    void positionsFollowEveryChange();
    void genreTable();
};

void TstJobs::newJobDefaults()
{
    TQueue q;
    const TQueueItem* j = q.Add();
    QVERIFY(j->Title().isEmpty() && j->Artist().isEmpty() && j->Album().isEmpty());
    QVERIFY(j->Year().isEmpty() && j->Comment().isEmpty() && j->InputFile().isEmpty());
    QVERIFY(j->OutputFile().isEmpty() && j->OutputDir().isEmpty());
    QCOMPARE(j->Track(), 0);
    QCOMPARE(j->Genre(), 255);
    QVERIFY(!j->Id3v1() && !j->Id3v2());
    QCOMPARE(j->ABitrate(), 128);
    QCOMPARE(j->MinBitrate(), 32);
    QCOMPARE(j->MaxBitrate(), 320);
    QCOMPARE(j->Frequency(), 0);
    QCOMPARE(j->Quality(), 5);
    QCOMPARE(j->VBRQuality(), 4);
    QCOMPARE(j->Mode(), Auto);
    QCOMPARE(j->Algorithm(), CBR);
    QVERIFY(j->VBRNew() && j->AutoTrack);
    QVERIFY(!j->KeepFreq() && !j->Copyrighted() && !j->CRCs() && !j->NonOriginal());
    QCOMPARE(j->Collection(), &q);
    QCOMPARE(j->Index(), 0);
}

void TstJobs::bitrateSetters_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("24 is a job bitrate") << 24 << 24;
    QTest::newRow("8") << 8 << 8;
    QTest::newRow("320") << 320 << 320;
    QTest::newRow("100 ignored") << 100 << 128;
    QTest::newRow("0 ignored") << 0 << 128;
    QTest::newRow("negative ignored") << -128 << 128;
    QTest::newRow("65664 ignored, no narrowing") << 65664 << 128;
}

void TstJobs::bitrateSetters()
{
    QFETCH(int, value);
    QFETCH(int, expected);
    TQueue q;
    TQueueItem* j = q.Add();
    j->SetABitrate(value);
    QCOMPARE(int(j->ABitrate()), expected);
    // Min and max follow the same list, with no order enforced between them.
    j->SetMinBitrate(320);
    j->SetMaxBitrate(8);
    QCOMPARE(j->MinBitrate(), 320);
    QCOMPARE(j->MaxBitrate(), 8);
    j->SetMinBitrate(value);
    QCOMPARE(int(j->MinBitrate()), expected == 128 ? 320 : expected);
}

void TstJobs::year_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("expected"); // starting from "1999"
    QTest::newRow("plain") << "2001" << "2001";
    QTest::newRow("leading zero kept") << "0999" << "0999";
    QTest::newRow("zero empties") << "0" << "";
    QTest::newRow("zeros empty") << "00000" << "";
    QTest::newRow("10000 empties") << "10000" << "";
    QTest::newRow("modulo 65536") << "65537" << "65537";
    QTest::newRow("65536 is zero") << "65536" << "";
    QTest::newRow("plus sign") << "+2001" << "+2001";
    QTest::newRow("minus wraps high") << "-1" << "";
    QTest::newRow("not a number") << "abc" << "1999";
    QTest::newRow("empty text") << "" << "1999";
    QTest::newRow("blank around") << " 2001" << "1999";
    QTest::newRow("sign alone") << "-" << "1999";
    QTest::newRow("hex") << "0x10" << "1999";
    QTest::newRow("beyond 64 bits") << "99999999999999999999" << "1999";
    QTest::newRow("64-bit edge") << "9223372036854775807" << "";
    QTest::newRow("cyrillic digits look-alike") << QString::fromUtf8("２００１") << "1999";
}

void TstJobs::year()
{
    QFETCH(QString, written);
    QFETCH(QString, expected);
    TQueue q;
    TQueueItem* j = q.Add();
    j->SetYear(QStringLiteral("1999"));
    j->SetYear(written);
    QCOMPARE(j->Year(), expected);
}

void TstJobs::inputFileMustExist()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("song: \"live\".wav"));
    QVERIFY(TestUtil::WriteFile(file));
    TQueue q;
    TQueueItem* j = q.Add();
    j->SetInputFile(dir.filePath(QStringLiteral("missing.wav")));
    QVERIFY(j->InputFile().isEmpty());
    j->SetInputFile(dir.path()); // a folder is not a file
    QVERIFY(j->InputFile().isEmpty());
    j->SetInputFile(file);
    QCOMPARE(j->InputFile(), file);
    j->SetInputFile(dir.filePath(QStringLiteral("missing.wav")));
    QCOMPARE(j->InputFile(), file);
}

void TstJobs::outputDirFollowsOutputFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("dir");
    QTest::newRow("nested") << "/out/Band/Song.mp3" << "/out/Band/";
    QTest::newRow("colon is a name character") << "/out/a:b/c:d.mp3" << "/out/a:b/";
    QTest::newRow("double slash kept") << "/out//x.mp3" << "/out//";
    QTest::newRow("no folder") << "x.mp3" << "";
}

void TstJobs::outputDirFollowsOutputFile()
{
    QFETCH(QString, file);
    QFETCH(QString, dir);
    TQueue q;
    TQueueItem* j = q.Add();
    j->SetOutputFile(file);
    QCOMPARE(j->OutputFile(), file);
    QCOMPARE(j->OutputDir(), dir);
}

void TstJobs::assignCopiesEverything()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("a.wav"));
    QVERIFY(TestUtil::WriteFile(in));
    TQueue q;
    TQueueItem* a = q.Add();
    a->SetTitle(QStringLiteral("T"));
    a->SetArtist(QStringLiteral("Ar"));
    a->SetAlbum(QStringLiteral("Al"));
    a->SetYear(QStringLiteral("2001"));
    a->SetComment(QStringLiteral("C"));
    a->SetTrack(7);
    a->SetGenre(17);
    a->SetId3v1(true);
    a->SetId3v2(true);
    a->SetABitrate(24);
    a->SetAlgorithm(VBR);
    a->SetFrequency(9);
    a->SetMinBitrate(64);
    a->SetMaxBitrate(256);
    a->SetQuality(2);
    a->SetVBRQuality(7);
    a->SetKeepFreq(true);
    a->SetMode(Mono);
    a->SetVBRNew(false);
    a->SetCopyrighted(true);
    a->SetCRCs(true);
    a->SetNonOriginal(true);
    a->SetInputFile(in);
    a->SetOutputFile(QStringLiteral("/o/x.mp3"));
    a->AutoTrack = false;

    TQueueItem* b = q.Add();
    b->Assign(a);
    QCOMPARE(Fields(b), Fields(a));
    QCOMPARE(b->OutputDir(), QStringLiteral("/o/"));
    QCOMPARE(b->AutoTrack, false);
    b->Assign(nullptr); // anything that is not a job: nothing happens
    QCOMPARE(b->Title(), QStringLiteral("T"));
}

void TstJobs::queueOwnsAndOrders()
{
    TQueue q;
    for (int i = 0; i < 4; ++i)
        q.Add()->SetTitle(QString::number(i));
    QCOMPARE(q.Count(), 4);
    q.Delete(1);
    QCOMPARE(q.Count(), 3);
    QCOMPARE(q.Items(1)->Title(), QStringLiteral("2"));
    QCOMPARE(q.Items(1)->Index(), 1);
    q.Move(2, 0);
    QCOMPARE(q.Items(0)->Title(), QStringLiteral("3"));
    QCOMPARE(q.Items(0)->Index(), 0);
    q.Delete(7); // out of range: nothing
    QVERIFY(q.Items(3) == nullptr && q.Items(-1) == nullptr);
    q.Clear();
    QCOMPARE(q.Count(), 0);
}

// Each job knows its own position, so a line is found by Id without a
// search: after any mix of adds, deletes, bulk deletes and moves, position,
// Id lookup and order agree with a plain list kept beside the queue.
void TstJobs::positionsFollowEveryChange()
{
    TQueue q;
    std::vector<quint64> model;
    std::vector<quint64> gone;
    QRandomGenerator random(12);
    const auto check = [&] {
        QCOMPARE(q.Count(), int(model.size()));
        for (int i = 0; i < q.Count(); ++i) {
            QCOMPARE(q.Items(i)->Id(), model[std::size_t(i)]);
            QCOMPARE(q.Items(i)->Index(), i);
            QCOMPARE(q.IndexOfId(model[std::size_t(i)]), i);
            QCOMPARE(q.Find(model[std::size_t(i)]), q.Items(i));
        }
        for (quint64 id : gone) {
            QCOMPARE(q.IndexOfId(id), -1);
            QVERIFY(!q.Find(id));
        }
    };
    for (int step = 0; step < 400; ++step) {
        const int n = q.Count();
        const int op = n < 3 ? 0 : int(random.bounded(5));
        if (op <= 1) {
            model.push_back(q.Add()->Id());
        } else if (op == 2) {
            const int i = int(random.bounded(n));
            gone.push_back(model[std::size_t(i)]);
            model.erase(model.begin() + i);
            q.Delete(i);
        } else if (op == 3) {
            const int from = int(random.bounded(n)), to = int(random.bounded(n));
            const quint64 id = model[std::size_t(from)];
            model.erase(model.begin() + from);
            model.insert(model.begin() + to, id);
            q.Move(from, to);
        } else {
            std::vector<bool> remove(static_cast<std::size_t>(n), false);
            std::vector<quint64> kept;
            for (int i = 0; i < n; ++i) {
                remove[std::size_t(i)] = random.bounded(4) == 0;
                (remove[std::size_t(i)] ? gone : kept).push_back(model[std::size_t(i)]);
            }
            model = kept;
            q.DeleteWhere(remove);
        }
        check();
        if (QTest::currentTestFailed())
            return;
    }
    q.Clear();
    QCOMPARE(q.IndexOfId(model.empty() ? 0 : model.front()), -1);
}

void TstJobs::genreTable()
{
    // The ID3v1 list with its extensions, numbered from 0; four names end in a blank.
    const QStringList expected = {
        "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop",
        "Jazz", "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock",
        "Techno", "Industrial", "Alternative", "Ska", "Death Metal ", "Pranks", "Soundtrack ",
        "Euro - Techno", "Ambient", "Trip - Hop", "Vocal", "Jazz & Funk", "Fusion", "Trance",
        "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise",
        "Alternative-Rock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop",
        "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic",
        "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40",
        "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
        "Psychedelic", "Rave", "Show Tunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk ",
        "Acid Jazz ", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk",
        "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebop", "Latin", "Revival",
        "Celtic", "Bluegrass", "Avant-garde", "Gothic Rock", "Progressive Rock",
        "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus",
        "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music",
        "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam",
        "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul",
        "Freestyle", "Duet", "Punk Rock", "Drum Solo", "Acapella", "Euro-House", "Dance Hall",
        "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie", "BritPop",
        "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal",
        "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
        "Thrash Metal", "Anime", "JPop", "Synthpop"};
    QStringList table;
    for (int i = 0; i < 256; ++i) {
        if (const QString name = GenreName(quint8(i)); !name.isEmpty())
            table << name;
    }
    QCOMPARE(table, expected);
    QCOMPARE(GenreNames.size(), std::size_t(148));
}

QTEST_GUILESS_MAIN(TstJobs)
#include "tst_jobs.moc"

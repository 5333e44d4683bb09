#include "naming.h"
#include "namingtree.h"
#include "programsettings.h"
#include "queue.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

// Output naming against real source files in a temporary "Music" folder; the
// target folder "/Out" is only a string here, nothing is written there.
class TstNaming final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void paths_data();
    void paths();
    void autoTrackCountsDistinctTitles();
    void treeComparesNamesLikeQString_data();
    void treeComparesNamesLikeQString();
    void albumPositionPattern();
    void countersPerArtistAndAlbum();
    void longNamesFit();
    void twoDigits_data();
    void twoDigits();
    void expansion_data();
    void expansion();
    void emptyTargetWritesBesideSource();
    void outputFolderCheck();

private:
    TQueueItem* Job(const QString& file = QStringLiteral("song.wav"));
    QTemporaryDir m_dir;
    TQueue m_queue;
};

void TstNaming::initTestCase()
{
    for (const char* f : {"song.wav", "song.mp3", "live.2001.wav", "noext"})
        QVERIFY(TestUtil::WriteFile(m_dir.filePath(QStringLiteral("Music/") + QLatin1String(f))));
}

TQueueItem* TstNaming::Job(const QString& file)
{
    TQueueItem* j = m_queue.Add();
    j->SetInputFile(m_dir.filePath(QStringLiteral("Music/") + file));
    return j;
}

void TstNaming::paths_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("sub");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");

    QTest::newRow("target without slash") << "/Out" << false << "Band" << "song.wav" << 0
                                          << "/Out/song.mp3";
    QTest::newRow("target with slash") << "/Out/" << false << "Band" << "song.wav" << 0
                                       << "/Out/song.mp3";
    QTest::newRow("decoding") << "/Out" << false << "Band" << "song.mp3" << 1 << "/Out/song.wav";
    QTest::newRow("sub-folders") << "/Out" << true << "Band" << "song.wav" << 0
                                 << "/Out/Band/2001 - Record/03 - Song.mp3";
    QTest::newRow("empty artist folder") << "/Out" << true << "" << "song.wav" << 0
                                         << "/Out//2001 - Record/03 - Song.mp3";
    QTest::newRow("slash in tag adds a level") << "/Out" << true << "AC/DC" << "song.wav" << 0
                                               << "/Out/AC/DC/2001 - Record/03 - Song.mp3";
    QTest::newRow("colon kept") << "/Out" << true << "a:b" << "song.wav" << 0
                                << "/Out/a:b/2001 - Record/03 - Song.mp3";
}

void TstNaming::paths()
{
    QFETCH(QString, target);
    QFETCH(bool, sub);
    QFETCH(QString, artist);
    QFETCH(QString, source);
    QFETCH(int, mode);
    QFETCH(QString, expected);

    ProgramSettings s;
    s.TargetDirectory = target;
    s.CreateSubFolders = sub;
    if (sub)
        s.FileNameFormat = QStringLiteral("%8 - %1");
    TQueueItem* j = Job(source);
    j->SetArtist(artist);
    j->SetAlbum(QStringLiteral("Record"));
    j->SetYear(QStringLiteral("2001"));
    j->SetTitle(QStringLiteral("Song"));
    j->SetTrack(3);
    j->AutoTrack = false;
    TNamingTree tree;
    BuildOutputPath(*j, tree, s, mode);
    QCOMPARE(j->OutputFile(), expected);
    QCOMPARE(j->OutputDir(), expected.left(expected.lastIndexOf(u'/') + 1));

    // Any other mode leaves the output path as it was.
    j->SetOutputFile(QStringLiteral("/keep.mp3"));
    BuildOutputPath(*j, tree, s, 2);
    QCOMPARE(j->OutputFile(), QStringLiteral("/keep.mp3"));
}

void TstNaming::autoTrackCountsDistinctTitles()
{
    ProgramSettings s;
    s.TargetDirectory = QStringLiteral("/Out");
    s.FileNameFormat = QStringLiteral("%8 - %1");
    TNamingTree tree;
    QStringList names;
    QList<int> tracks;
    // Titles A, B, a (case-insensitive equal to A), then another album.
    const QList<std::pair<QString, QString>> jobs = {
        {QStringLiteral("Rec"), QStringLiteral("A")},
        {QStringLiteral("Rec"), QStringLiteral("B")},
        {QStringLiteral("REC"), QStringLiteral("a")},
        {QStringLiteral("Other"), QStringLiteral("B")}};
    for (const auto& [album, title] : jobs) {
        TQueueItem* j = Job();
        j->SetArtist(QStringLiteral("Band"));
        j->SetAlbum(album);
        j->SetTitle(title);
        BuildOutputPath(*j, tree, s, 0);
        tracks << j->Track();
        names << j->OutputFile();
    }
    QCOMPARE(tracks, QList<int>({1, 2, 1, 1}));
    QCOMPARE(names.at(2), QStringLiteral("/Out/01 - a.mp3"));

    // AutoTrack off: the job's own track, 0 giving "00".
    TQueueItem* j = Job();
    j->AutoTrack = false;
    j->SetTitle(QStringLiteral("Song"));
    BuildOutputPath(*j, tree, s, 0);
    QCOMPARE(j->OutputFile(), QStringLiteral("/Out/00 - Song.mp3"));
}

void TstNaming::treeComparesNamesLikeQString_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::newRow("Latin") << "ABBA" << "Abba";
    QTest::newRow("Cyrillic") << "Кино" << "кИНО";
    QTest::newRow("yo") << "Ёлка" << "ёлка";
    QTest::newRow("ye is not yo") << "Елка" << "Ёлка";
    QTest::newRow("final sigma") << "ΣΟΦΟΣ" << "σοφος";
    QTest::newRow("sharp s is no double s") << "Straße" << "STRASSE";
    QTest::newRow("Kelvin sign") << QString(QChar(0x212A)) << "k";
    QTest::newRow("beyond 16 bits") << QString::fromUcs4(U"\U00010400") << QString::fromUcs4(U"\U00010428");
    QTest::newRow("different lengths") << "ab" << "a";
    QTest::newRow("empty and space") << "" << " ";
    QTest::newRow("both empty") << "" << "";
}

// The hashed tree counts two names as one exactly when QString compares
// them equal without regard to case.
void TstNaming::treeComparesNamesLikeQString()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    const bool same = a.compare(b, Qt::CaseInsensitive) == 0;
    TNamingTree tree;
    tree.Enter(a, a, a);
    const TNamingTree::Position p = tree.Enter(b, b, b);
    QCOMPARE(p.artist == 0, same);
    QCOMPARE(tree.Enter(a, b, a).album == 0, same);
    QCOMPARE(tree.Enter(a, a, b).title == 0, same);
    QCOMPARE(TNamingTree::FoldKey(a) == TNamingTree::FoldKey(b), same);
}

void TstNaming::albumPositionPattern()
{
    ProgramSettings s;
    s.TargetDirectory = QStringLiteral("/Out");
    s.CreateSubFolders = true;
    s.ArtistFolderFormat = QStringLiteral("%8 %2");
    s.AlbumFolderFormat = QStringLiteral("%8. %3 (%4)");
    TNamingTree tree;
    QStringList dirs;
    for (const char* album : {"Record", "Second", "Record"}) {
        TQueueItem* j = Job();
        j->SetArtist(QStringLiteral("Band"));
        j->SetAlbum(QString::fromLatin1(album));
        j->SetYear(QStringLiteral("2001"));
        BuildOutputPath(*j, tree, s, 0);
        dirs << j->OutputDir();
    }
    QCOMPARE(dirs, QStringList({QStringLiteral("/Out/01 Band/01. Record (2001)/"),
                                QStringLiteral("/Out/01 Band/02. Second (2001)/"),
                                QStringLiteral("/Out/01 Band/01. Record (2001)/")}));
}

// Albums belong to their artist: the same album name (the empty one
// included) under two artists counts twice, and an artist spelled in
// another case, Cyrillic too, is the same artist.
void TstNaming::countersPerArtistAndAlbum()
{
    ProgramSettings s;
    s.TargetDirectory = QStringLiteral("/Out");
    s.CreateSubFolders = true;
    s.ArtistFolderFormat = QStringLiteral("%8 %2");
    s.AlbumFolderFormat = QStringLiteral("%8 %3");
    s.FileNameFormat = QStringLiteral("%8 %1");
    TNamingTree tree;
    const QStringList jobs[] = {
        {"КИНО", "Альбом", "Песня 1"}, {"ДДТ", "Альбом", "Песня 1"}, {"кино", "Альбом", "Песня 2"},
        {"ДДТ", "", "X"},              {"КИНО", "", "Y"},            {"ддт", "альбом", "Песня 2"},
    };
    QStringList paths;
    for (const QStringList& tags : jobs) {
        TQueueItem* j = Job();
        j->SetArtist(tags[0]);
        j->SetAlbum(tags[1]);
        j->SetTitle(tags[2]);
        BuildOutputPath(*j, tree, s, 0);
        paths << j->OutputFile();
    }
    QCOMPARE(paths, QStringList({"/Out/01 КИНО/01 Альбом/01 Песня 1.mp3",
                                 "/Out/02 ДДТ/01 Альбом/01 Песня 1.mp3",
                                 "/Out/01 кино/01 Альбом/02 Песня 2.mp3",
                                 "/Out/02 ДДТ/02 /01 X.mp3",
                                 "/Out/01 КИНО/02 /01 Y.mp3",
                                 "/Out/02 ддт/01 альбом/02 Песня 2.mp3"}));
}

// Names longer than the file system takes (255 bytes) are cut at a
// character boundary, the extension kept; other names stay as they are.
void TstNaming::longNamesFit()
{
    ProgramSettings s;
    s.TargetDirectory = QStringLiteral("/Out");
    s.CreateSubFolders = true;
    s.ArtistFolderFormat = QStringLiteral("%2");
    s.AlbumFolderFormat = QStringLiteral("%3");
    s.FileNameFormat = QStringLiteral("%8 - %1");
    TNamingTree tree;
    TQueueItem* j = Job();
    const QString title = QStringLiteral("Песня").repeated(51);    // 255 characters, 510 bytes
    const QString artist = QString(200, u'Ж');                      // 400 bytes
    const QString album = QString(127, u'a') + QStringLiteral("😀") // a surrogate pair at the cut
                          + QString(200, u'b');
    j->SetTitle(title);
    j->SetArtist(artist);
    j->SetAlbum(album);
    BuildOutputPath(*j, tree, s, 0);

    const QStringList names = j->OutputFile().mid(QStringLiteral("/Out/").size()).split(u'/');
    QCOMPARE(names.size(), 3);
    for (const QString& name : names) {
        QVERIFY2(name.toUtf8().size() <= 255, qPrintable(name));
        QVERIFY(name.toUtf8().size() > 250); // cut no further than needed
        QVERIFY(!name.back().isHighSurrogate());
        QCOMPARE(QString::fromUtf8(name.toUtf8()), name); // whole characters only
    }
    QVERIFY(artist.startsWith(names[0]));
    QVERIFY(album.startsWith(names[1]));
    QVERIFY(names[2].startsWith(QStringLiteral("01 - Песня")));
    QVERIFY(names[2].endsWith(QStringLiteral(".mp3")));
    QCOMPARE(int(j->Track()), 1); // numbering is untouched

    // A short name keeps every character.
    QCOMPARE(Naming::FitName(QStringLiteral("Song"), QStringLiteral(".mp3")),
             QStringLiteral("Song.mp3"));
}

void TstNaming::twoDigits_data()
{
    QTest::addColumn<int>("track");
    QTest::addColumn<QString>("expected"); // "%7|%8"
    for (const auto& [track, text] : {std::pair{0, "0|00"}, {1, "1|01"}, {9, "9|09"},
                                      {10, "10|10"}, {99, "99|99"}, {100, "100|100"},
                                      {254, "254|254"}})
        QTest::addRow("%d", track) << track << QString::fromLatin1(text);
}

void TstNaming::twoDigits()
{
    QFETCH(int, track);
    QFETCH(QString, expected);
    TQueueItem* j = Job();
    j->SetTrack(quint8(track));
    QCOMPARE(Naming::ExpandPattern(QStringLiteral("%7|%8"), Naming::PatternKind::FileName, *j, {}),
             expected);
    // The folder codes count positions the same way.
    const Naming::Counters n{track - 1, track - 1};
    if (track > 0)
        QCOMPARE(Naming::ExpandPattern(QStringLiteral("%7|%8"), Naming::PatternKind::AlbumFolder,
                                       *j, n),
                 expected);
}

void TstNaming::expansion_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    const int file = int(Naming::PatternKind::FileName);
    const int artist = int(Naming::PatternKind::ArtistFolder);
    const int album = int(Naming::PatternKind::AlbumFolder);
    QTest::newRow("all file codes") << "%0|%1|%2|%3|%4|%5|%6|%7|%8" << file
                                    << "live.2001|T|Ar|Al|1999|Death Metal |C 100%|3|03";
    QTest::newRow("artist folder codes") << "%0|%1|%2|%3|%4|%5|%6|%7|%8" << artist
                                         << "%0|%1|Ar|%3|%4|Death Metal |C 100%|1|01";
    QTest::newRow("album folder codes") << "%0|%1|%2|%3|%4|%5|%6|%7|%8" << album
                                        << "%0|%1|Ar|Al|1999|Death Metal |C 100%|1|01";
    QTest::newRow("percent pair") << "100%%" << file << "100%";
    QTest::newRow("unknown pair") << "%9%x" << file << "%9%x";
    QTest::newRow("lone percent at end") << "a%" << file << "a%";
    QTest::newRow("percent percent code") << "%%1" << file << "%1";
    QTest::newRow("empty pattern") << "" << file << "";
}

void TstNaming::expansion()
{
    QFETCH(QString, pattern);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    TQueueItem* j = Job(QStringLiteral("live.2001.wav"));
    j->SetTitle(QStringLiteral("T"));
    j->SetArtist(QStringLiteral("Ar"));
    j->SetAlbum(QStringLiteral("Al"));
    j->SetYear(QStringLiteral("1999"));
    j->SetGenre(22);
    j->SetComment(QStringLiteral("C 100%"));
    j->SetTrack(3);
    QCOMPARE(Naming::ExpandPattern(pattern, Naming::PatternKind(kind), *j, {}), expected);

    // Helpers behind the codes.
    QCOMPARE(Naming::TwoDigits(0), QStringLiteral("00"));
    QCOMPARE(Naming::TwoDigits(100), QStringLiteral("100"));
    QCOMPARE(Naming::SourceBaseName(QStringLiteral("/a.b/noext")), QStringLiteral("noext"));
    j->SetGenre(200); // no genre inserts nothing
    QCOMPARE(Naming::ExpandPattern(QStringLiteral("[%5]"), Naming::PatternKind::FileName, *j, {}),
             QStringLiteral("[]"));
}

void TstNaming::emptyTargetWritesBesideSource()
{
    ProgramSettings s;
    s.TargetDirectory.clear();
    TQueueItem* j = Job();
    TNamingTree tree;
    BuildOutputPath(*j, tree, s, 0);
    QCOMPARE(j->OutputFile(), m_dir.filePath(QStringLiteral("Music/song.mp3")));
}

void TstNaming::outputFolderCheck()
{
    QTemporaryDir dir;
    const QString deep = dir.filePath(QStringLiteral("a/b c/d:e/"));
    QVERIFY(EnsureOutputDir(deep));
    QVERIFY(QFileInfo(deep).isDir());
    QVERIFY(EnsureOutputDir(deep)); // existing
    QVERIFY(EnsureOutputDir(dir.filePath(QStringLiteral("x//y/")))); // doubled slash
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("x/y"))).isDir());
    // A regular file in the way cannot become a folder.
    QVERIFY(TestUtil::WriteFile(dir.filePath(QStringLiteral("file"))));
    QVERIFY(!EnsureOutputDir(dir.filePath(QStringLiteral("file/sub/"))));
    QVERIFY(!EnsureOutputDir(dir.filePath(QStringLiteral("file/"))));
    QVERIFY(!EnsureOutputDir(QString()));
}

QTEST_GUILESS_MAIN(TstNaming)
#include "tst_naming.moc"

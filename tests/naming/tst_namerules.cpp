#include "filesystemkind.h"
#include "namerules.h"
#include "naming.h"
#include "namingtree.h"
#include "programsettings.h"
#include "queue.h"

#include <QTemporaryDir>
#include <QTest>

// The names each kind of file system takes, its case folding, how a mount's
// kind is read, and that no tag or pattern leads an output out of the
// target folder.
class TstNameRules final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void adaptPart_data();
    void adaptPart();
    void portableSlash();
    void foldCase_data();
    void foldCase();
    void mountKinds_data();
    void mountKinds();
    void mountinfo();
    void neverOutsideTarget_data();
    void neverOutsideTarget();
    void notesSayWhy();
};

Q_DECLARE_METATYPE(TFsKind)

void TstNameRules::adaptPart_data()
{
    QTest::addColumn<TFsKind>("kind");
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("expected");

    const QString mp3 = QStringLiteral(".mp3");
    for (const char c : QByteArrayLiteral("<>:\"\\|?*")) {
        const QString part = QStringLiteral("a") + QChar(char16_t(c)) + QStringLiteral("b");
        QTest::addRow("FAT refuses %c", c) << TFsKind::Fat << false << part << mp3 << "a_b";
        QTest::addRow("NTFS refuses %c", c) << TFsKind::Ntfs << false << part << mp3 << "a_b";
        QTest::addRow("ext4 takes %c", c) << TFsKind::Other << false << part << mp3 << part;
        QTest::addRow("portable on ext4 refuses %c", c) << TFsKind::Other << true << part << mp3
                                                        << "a_b";
    }
    QTest::newRow("control characters go")
        << TFsKind::ExFat << false << QStringLiteral("a\x01" "b\x1f" "c\tz") << mp3 << "abcz";
    QTest::newRow("NUL goes everywhere") << TFsKind::Other << false << QString(QStringLiteral("a") + QChar(0) + u'b') << mp3 << "ab";
    QTest::newRow("DEL is a character") << TFsKind::Fat << false << "a\x7f" << mp3 << "a\x7f";
    QTest::newRow("trailing dots of a folder") << TFsKind::Fat << false << "Live..." << "" << "Live";
    QTest::newRow("trailing dot and space") << TFsKind::Smb << false << "Live. . " << "" << "Live";
    QTest::newRow("a dot before the extension stays") << TFsKind::Fat << false << "Live." << mp3
                                                      << "Live.";
    QTest::newRow("ext4 keeps trailing dots") << TFsKind::Other << false << "Live..." << ""
                                              << "Live...";
    QTest::newRow("only dots and blanks") << TFsKind::Fat << false << ". . ." << "" << "_";
    QTest::newRow("empty stays empty") << TFsKind::Fat << false << "" << "" << "";
    QTest::newRow("CON") << TFsKind::Fat << false << "CON" << "" << "CON_";
    QTest::newRow("con.mp3") << TFsKind::Ntfs << false << "con" << mp3 << "con_";
    QTest::newRow("CON.live folder") << TFsKind::Fat << false << "CON.live" << "" << "CON_.live";
    QTest::newRow("Aux with a blank") << TFsKind::Fat << false << "Aux .x" << "" << "Aux_ .x";
    QTest::newRow("NUL.") << TFsKind::Fat << false << "NUL." << "" << "NUL_";
    QTest::newRow("COM1") << TFsKind::ExFat << false << "COM1" << mp3 << "COM1_";
    QTest::newRow("LPT9") << TFsKind::Fat << false << "lpt9" << "" << "lpt9_";
    QTest::newRow("COM superscript") << TFsKind::Fat << false << "COM\u00b2" << "" << "COM\u00b2_";
    QTest::newRow("COM10 is a name") << TFsKind::Fat << false << "COM10" << "" << "COM10";
    QTest::newRow("CONSOLE is a name") << TFsKind::Fat << false << "CONSOLE" << mp3 << "CONSOLE";
    QTest::newRow("a.CON is a name") << TFsKind::Fat << false << "a.CON" << mp3 << "a.CON";
    QTest::newRow("ext4 keeps CON") << TFsKind::Other << false << "CON" << mp3 << "CON";
    QTest::newRow("portable CON") << TFsKind::Other << true << "CON" << mp3 << "CON_";
    QTest::newRow("dot level on ext4") << TFsKind::Other << false << "." << "" << "_";
    QTest::newRow("dot-dot level on ext4") << TFsKind::Other << false << ".." << "" << "__";
    QTest::newRow("dot-dot level on FAT") << TFsKind::Fat << false << ".." << "" << "__";
    QTest::newRow("three dots on ext4") << TFsKind::Other << false << "..." << "" << "...";
    QTest::newRow("dot-dot with extension is a name") << TFsKind::Other << false << ".." << mp3
                                                      << "..";

    const QString a300(300, u'a');
    QTest::newRow("FAT: 255 units with the extension")
        << TFsKind::Fat << false << a300 << mp3 << QString(251, u'a');
    const QString cyr(200, QChar(0x044f));
    QTest::newRow("FAT counts UTF-16 units") << TFsKind::Fat << false << cyr << mp3 << cyr;
    QTest::newRow("ext4 counts bytes") << TFsKind::Other << false << cyr << mp3
                                       << QString(125, QChar(0x044f));
    QTest::newRow("portable on ext4: both") << TFsKind::Other << true << cyr << mp3
                                            << QString(125, QChar(0x044f));
    const QString smile = QStringLiteral("\U0001F600");
    QTest::newRow("a surrogate pair at the cut goes whole")
        << TFsKind::Ntfs << false << QString(250, u'a') + smile + u'b' << mp3 << QString(250, u'a');
    QTest::newRow("a pair just fits") << TFsKind::Ntfs << false << QString(249, u'a') + smile << mp3
                                      << QString(249, u'a') + smile;
    QTest::newRow("a folder cut ends without a dot")
        << TFsKind::Fat << false << QString(254, u'a') + QStringLiteral(". b") << ""
        << QString(254, u'a');
}

void TstNameRules::adaptPart()
{
    QFETCH(TFsKind, kind);
    QFETCH(bool, portable);
    QFETCH(QString, part);
    QFETCH(QString, extension);
    QFETCH(QString, expected);
    QStringList notes;
    const QString out = NameRules::AdaptPart(part, extension, {kind, portable}, &notes);
    QCOMPARE(out, expected);
    // On Linux's own kinds only a replaced level is worth a word.
    if (kind != TFsKind::Other || portable)
        QCOMPARE(notes.isEmpty(), out == part);
    else if (out == part)
        QVERIFY(notes.isEmpty());
}

// With names for any medium a "/" in a tag is a character, not a level;
// otherwise it makes a folder, as it always did.
void TstNameRules::portableSlash()
{
    QStringList notes;
    QCOMPARE(NameRules::AdaptValue(QStringLiteral("AC/DC"), {TFsKind::Other, true}, &notes),
             QStringLiteral("AC_DC"));
    QCOMPARE(notes, QStringList{QStringLiteral("Носитель FAT не принимает «/»")});
    notes.clear();
    QCOMPARE(NameRules::AdaptValue(QStringLiteral("AC/DC"), {TFsKind::Fat, false}, &notes),
             QStringLiteral("AC/DC"));
    QVERIFY(notes.isEmpty());

    ProgramSettings s;
    s.TargetDirectory = QStringLiteral("/out/");
    s.CreateSubFolders = true;
    s.ArtistFolderFormat = QStringLiteral("%2");
    s.AlbumFolderFormat = QStringLiteral("%3");
    s.FileNameFormat = QStringLiteral("%1/%2");
    TQueue queue;
    TQueueItem* job = queue.Add();
    job->SetArtist(QStringLiteral("AC/DC"));
    job->SetAlbum(QStringLiteral("Live: 1992"));
    job->SetTitle(QStringLiteral("T.N.T."));
    TNamingTree tree;
    s.PortableNames = true;
    BuildOutputPath(*job, tree, s, 0);
    QCOMPARE(job->OutputFile(), QStringLiteral("/out/AC_DC/Live_ 1992/T.N.T/AC_DC.mp3"));
    QCOMPARE(job->Artist(), QStringLiteral("AC/DC")); // the tags keep their text
    s.PortableNames = false;
    BuildOutputPath(*job, tree, s, 0);
    QCOMPARE(job->OutputFile(), QStringLiteral("/out/AC/DC/Live: 1992/T.N.T./AC/DC.mp3"));
}

void TstNameRules::foldCase_data()
{
    QTest::addColumn<TFsKind>("kind");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");

    const QString deseretUpper = QStringLiteral("\U00010400");
    const QString deseretLower = QStringLiteral("\U00010428");
    for (const TFsKind kind : {TFsKind::Fat, TFsKind::ExFat, TFsKind::Ntfs, TFsKind::Smb}) {
        const QString name = FileSystemKind::Name(kind);
        QTest::addRow("%s: ABBA, Abba", qPrintable(name)) << kind << "ABBA" << "Abba" << true;
        QTest::addRow("%s: Cyrillic", qPrintable(name)) << kind << "ЁЛКА" << "ёлка" << true;
        QTest::addRow("%s: Greek final sigma", qPrintable(name)) << kind << "ΣΑΣ" << "σας" << true;
        QTest::addRow("%s: sharp s is no SS", qPrintable(name)) << kind << "STRASSE" << "straße"
                                                                 << false;
        QTest::addRow("%s: a lone surrogate", qPrintable(name))
            << kind << QString(QChar(0xd801)) << QString(QChar(0xd801)) << true;
        // The 16-bit up-case tables of exFAT and NTFS reach no further than the BMP.
        QTest::addRow("%s: beyond the BMP", qPrintable(name))
            << kind << deseretUpper << deseretLower << (kind == TFsKind::Fat);
    }
    QTest::newRow("ext4 tells case") << TFsKind::Other << "ABBA" << "Abba" << false;
    QTest::newRow("ext4: the same name") << TFsKind::Other << "Abba" << "Abba" << true;
}

void TstNameRules::foldCase()
{
    QFETCH(TFsKind, kind);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(NameRules::FoldCase(a, kind) == NameRules::FoldCase(b, kind), same);
    QCOMPARE(NameRules::FoldCase(a, kind).size(), a.size());
}

void TstNameRules::mountKinds_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<TFsKind>("kind");
    QTest::newRow("vfat") << "vfat" << TFsKind::Fat;
    QTest::newRow("msdos") << "msdos" << TFsKind::Fat;
    QTest::newRow("fusefat") << "fuse.fusefat" << TFsKind::Fat;
    QTest::newRow("exfat") << "exfat" << TFsKind::ExFat;
    QTest::newRow("exfat-fuse") << "fuse.exfat" << TFsKind::ExFat;
    QTest::newRow("ntfs-3g") << "fuseblk" << TFsKind::Ntfs;
    QTest::newRow("ntfs3") << "ntfs3" << TFsKind::Ntfs;
    QTest::newRow("lowntfs-3g") << "fuse.lowntfs-3g" << TFsKind::Ntfs;
    QTest::newRow("cifs") << "cifs" << TFsKind::Smb;
    QTest::newRow("smb3") << "smb3" << TFsKind::Smb;
    QTest::newRow("ext4") << "ext4" << TFsKind::Other;
    QTest::newRow("tmpfs") << "tmpfs" << TFsKind::Other;
    QTest::newRow("sshfs") << "fuse.sshfs" << TFsKind::Other;
    QTest::newRow("nothing") << "" << TFsKind::Other;
}

void TstNameRules::mountKinds()
{
    QFETCH(QString, type);
    QFETCH(TFsKind, kind);
    QCOMPARE(FileSystemKind::FromMountType(type), kind);
}

void TstNameRules::mountinfo()
{
    const QByteArray text =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "36 22 0:40 / /media/stick rw,nosuid,nodev - fuse.fusefat fusefat rw,user_id=0\n"
        "37 22 0:41 / /mnt/a\\040b rw shared:9 master:2 - fuseblk /dev/sdb1 rw\n"
        "garbage\n";
    QCOMPARE(FileSystemKind::MountTypeOfDevice(text, 0, 40), QStringLiteral("fuse.fusefat"));
    QCOMPARE(FileSystemKind::MountTypeOfDevice(text, 0, 41), QStringLiteral("fuseblk"));
    QCOMPARE(FileSystemKind::MountTypeOfDevice(text, 8, 1), QStringLiteral("ext4"));
    QCOMPARE(FileSystemKind::MountTypeOfDevice(text, 0, 4), QString());
    QCOMPARE(FileSystemKind::FromStatfsType(0x4d44), std::optional(TFsKind::Fat));
    QCOMPARE(FileSystemKind::FromStatfsType(0xef53), std::optional(TFsKind::Other));
    QCOMPARE(FileSystemKind::FromStatfsType(FileSystemKind::FuseMagic), std::nullopt);
    // This machine's own folders: whatever they are, a kind and no crash,
    // also for a folder that does not exist yet.
    TFileSystemProbe probe;
    QCOMPARE(probe.KindOf(QStringLiteral("/proc")), TFsKind::Other);
    probe.KindOf(QDir::tempPath() + QStringLiteral("/no/such/folder"));
}

void TstNameRules::neverOutsideTarget_data()
{
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    QTest::newRow("dot-dots in a tag") << false << "/music/out/" << "../../.local/share/applications"
                                       << "%2/%1" << "/music/out/__/__/.local/share/applications/t.mp3";
    QTest::newRow("dot-dots in the pattern") << false << "/music/out" << "x" << "../../%1"
                                             << "/music/out/__/__/t.mp3";
    QTest::newRow("a dot level") << false << "/music/out/" << "." << "%2/%1"
                                 << "/music/out/_/t.mp3";
    QTest::newRow("dot-dots inside a tag") << false << "/music/out/" << "a/../../b" << "%2/%1"
                                           << "/music/out/a/__/__/b/t.mp3";
    QTest::newRow("portable: one folder") << true << "/music/out/" << "../.." << "%2/%1"
                                          << "/music/out/.._/t.mp3";
    QTest::newRow("no target: the source's folder") << false << "" << ".." << "%2/%1"
                                                    << "/music/src/__/t.mp3";
}

void TstNameRules::neverOutsideTarget()
{
    QFETCH(bool, portable);
    QFETCH(QString, target);
    QFETCH(QString, artist);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    ProgramSettings s;
    s.TargetDirectory = target;
    s.FileNameFormat = pattern;
    s.PortableNames = portable;
    // The source must exist for the job to take it.
    const QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("music/src/a.wav"));
    QVERIFY(QDir().mkpath(QFileInfo(source).path()));
    QFile f(source);
    QVERIFY(f.open(QIODevice::WriteOnly));
    expected.replace(QStringLiteral("/music/src/"), dir.filePath(QStringLiteral("music/src/")));
    TQueue queue;
    TQueueItem* job = queue.Add();
    job->SetInputFile(source);
    job->SetArtist(artist);
    job->SetTitle(QStringLiteral("t"));
    TNamingTree tree;
    BuildOutputPath(*job, tree, s, 0);
    QCOMPARE(job->OutputFile(), expected);
}

// The tooltip says what changed and why, once per reason.
void TstNameRules::notesSayWhy()
{
    QStringList notes;
    const QString out = NameRules::AdaptPart(QStringLiteral("Intro: Why? \"Live\" <1>:"),
                                             QStringLiteral(".mp3"), {TFsKind::Fat, false}, &notes);
    QCOMPARE(out, QStringLiteral("Intro_ Why_ _Live_ _1__"));
    QCOMPARE(notes, (QStringList{QStringLiteral("Носитель FAT не принимает «:»"),
                                 QStringLiteral("Носитель FAT не принимает «?»"),
                                 QStringLiteral("Носитель FAT не принимает «\"»"),
                                 QStringLiteral("Носитель FAT не принимает «<»"),
                                 QStringLiteral("Носитель FAT не принимает «>»")}));
    notes.clear();
    NameRules::AdaptPart(QStringLiteral("CON."), QString(), {TFsKind::Ntfs, false}, &notes);
    QCOMPARE(notes, (QStringList{QStringLiteral("Имя «CON» на носителе NTFS зарезервировано для устройства"),
                                 QStringLiteral("Носитель NTFS не принимает точку или пробел в конце имени")}));
}

QTEST_GUILESS_MAIN(TstNameRules)
#include "tst_namerules.moc"

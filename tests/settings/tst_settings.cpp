#include "programsettings.h"
#include "settingsstore.h"
#include "testutil.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Prints a settings record when a comparison fails.
char* toString(const ProgramSettings& s)
{
    QStringList f;
    for (int n : {int(s.ABitrate), int(s.Frequency), int(s.MinBitrate), int(s.MaxBitrate),
                  int(s.Quality), int(s.VBRQuality), int(s.KeepFreq), int(s.Mode),
                  int(s.VBRNew), int(s.Algorithm), int(s.Copyrighted), int(s.CRCs),
                  int(s.NonOriginal), int(s.CreateSubFolders), int(s.DeleteAfterProcess),
                  int(s.DeleteFromQueue), int(s.ShowOutputNames), int(s.ExistingOutput),
                  int(s.ParallelJobs), int(s.PauseBetweenJobs)})
        f.append(QString::number(n));
    for (const QString* t : {&s.TargetDirectory, &s.ArtistFolderFormat, &s.AlbumFolderFormat,
                             &s.FileNameFormat})
        f.append(u'"' + *t + u'"');
    return qstrdup(f.join(u' ').toUtf8().constData());
}

namespace {

// One value line of a settings file: name and data text, as UTF-8.
using Lines = QList<std::pair<QByteArray, QByteArray>>;

const QByteArray kKeyLine = "[HKEY_CURRENT_USER\\SOFTWARE\\Morvane\\Tessary\\1.0]";

// A record where every field differs from its default ...
ProgramSettings Stored()
{
    ProgramSettings s;
    s.ABitrate = 192;
    s.Frequency = 3;
    s.MinBitrate = 64;
    s.MaxBitrate = 256;
    s.Quality = 2;
    s.VBRQuality = 7;
    s.KeepFreq = true;
    s.Mode = Stereo;
    s.VBRNew = false;
    s.Algorithm = VBR;
    s.Copyrighted = true;
    s.CRCs = true;
    s.NonOriginal = true;
    s.TargetDirectory = QStringLiteral("/srv/out/");
    s.CreateSubFolders = true;
    s.ArtistFolderFormat = QStringLiteral("%2 (artist)");
    s.AlbumFolderFormat = QStringLiteral("%3");
    s.FileNameFormat = QStringLiteral("%1 - %8");
    s.DeleteAfterProcess = true;
    s.DeleteFromQueue = false;
    s.ShowOutputNames = false;
    s.ExistingOutput = TExistingOutput::KeepBoth;
    s.ParallelJobs = 0;
    s.PauseBetweenJobs = 1;
    s.AllSourceFormats = true;
    s.EmbedCoverArt = true;
    s.PortableNames = true;
    s.ExtraOptions = QStringLiteral("--lowpass 19 --noasm \"a b\"");
    s.ReplayGain = TReplayGain::Album;
    s.NotifyAtEnd = false;
    s.KeepQueue = true;
    s.QueueFolder = QStringLiteral("/srv/queues");
    return s;
}

const QString kStoredFolder = QStringLiteral("/srv/music/");

// ... and its lines in the file, in the order Tessary writes them.
Lines StoredLines()
{
    return {
        {"ABitrate", "dword:000000c0"},
        {"FreqIdx", "dword:00000003"},
        {"MinBitrate", "dword:00000040"},
        {"MaxBitrate", "dword:00000100"},
        {"Quality", "dword:00000002"},
        {"VBRQuality", "dword:00000007"},
        {"Keep all frequences", "dword:00000001"},
        {"Mode", "dword:00000001"},
        {"New VBR routine", "dword:00000000"},
        {"Copyrighted bit", "dword:00000001"},
        {"CRCs", "dword:00000001"},
        {"Non-original bit", "dword:00000001"},
        {"Target directory", "\"/srv/out/\""},
        {"Output file name format", "\"%1 - %8\""},
        {"Delete after process", "dword:00000001"},
        {"Algorithm", "dword:00000002"},
        {"Output artist folder format", "\"%2 (artist)\""},
        {"Output album folder format", "\"%3\""},
        {"Create sub folders", "dword:00000001"},
        {"Delete from queue", "dword:00000000"},
        {"Folder", "\"/srv/music/\""},
        {"Show output names", "dword:00000000"},
        {"Existing output", "dword:00000003"},
        {"Parallel jobs", "dword:00000000"},
        {"Pause between jobs", "dword:00000001"},
        {"Source formats", "dword:00000001"},
        {"Embed cover art", "dword:00000001"},
        {"File names", "dword:00000001"},
        {"Extra LAME options", "\"--lowpass 19 --noasm \\\"a b\\\"\""},
        {"ReplayGain", "dword:00000002"},
        {"Notify at end", "dword:00000000"},
        {"Keep queue", "dword:00000001"},
        {"Queue folder", "\"/srv/queues\""},
    };
}


QByteArray ValueLines(const Lines& lines)
{
    QByteArray out;
    for (const auto& [name, data] : lines)
        out += '"' + name + "\"=" + data + '\n';
    return out;
}

QByteArray Compose(const Lines& lines, const QByteArray& header = "REGEDIT4")
{
    return header + "\n\n" + kKeyLine + '\n' + ValueLines(lines);
}

Lines With(Lines lines, const QByteArray& name, const QByteArray& data)
{
    for (auto& line : lines)
        if (line.first == name)
            line.second = data;
    return lines;
}

Lines Without(Lines lines, const QByteArray& name)
{
    lines.removeIf([&name](const auto& line) { return line.first == name; });
    return lines;
}

// The same file as written before the optional values existed.
Lines EarlierLines()
{
    Lines lines = StoredLines();
    for (const char* name : {"Show output names", "Existing output", "Parallel jobs",
                             "Pause between jobs", "Source formats", "Embed cover art",
                             "File names", "Extra LAME options", "ReplayGain",
                             "Notify at end", "Keep queue", "Queue folder"})
        lines = Without(lines, name);
    return lines;
}

// As written by the version that added the output column and the choice for
// existing outputs, before the values for parallel jobs and the pause.
Lines OutputColumnLines()
{
    Lines lines = StoredLines();
    for (const char* name : {"Parallel jobs", "Pause between jobs", "Source formats",
                             "Embed cover art", "File names", "Extra LAME options",
                             "ReplayGain", "Notify at end", "Keep queue", "Queue folder"})
        lines = Without(lines, name);
    return lines;
}

// An expandable string as regedit writes it: UTF-16LE bytes with the
// terminating zero, optionally wrapped over lines ending in "\".
QByteArray ExpandHex(const QString& text, bool wrapped = false)
{
    QByteArray out = "hex(2):";
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const char16_t c = i < text.size() ? text.at(i).unicode() : 0;
        if (i > 0)
            out += wrapped && i % 4 == 0 ? ",\\\n  " : ",";
        out += QByteArray::number(c & 0xff, 16).rightJustified(2, '0') + ','
            + QByteArray::number(c >> 8, 16).rightJustified(2, '0');
    }
    return out;
}

ProgramSettings Changed(void (*change)(ProgramSettings&))
{
    ProgramSettings s = Stored();
    change(s);
    return s;
}

} // namespace

// The settings store against real files in a temporary XDG_CONFIG_HOME.
class TstSettings final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void firstStart();
    void savedFileLayout();
    void load_data();
    void load();
    void failingFolderRestoreKeepsSettings();
    void loadedValuesWrittenBackNormalised();
    void textsRoundTrip_data();
    void textsRoundTrip();
    void saveOverHandEditedFile();
    void storeUnavailable_data();
    void storeUnavailable();

private:
    QString SettingsFile() const
    {
        return m_config->filePath(QStringLiteral("Morvane/Tessary/1.0.reg"));
    }
    bool WriteSettingsFile(const QByteArray& bytes) const
    {
        return TestUtil::WriteFile(SettingsFile(), bytes);
    }
    // Loads into a record that starts out non-default; records the restores.
    ProgramSettings Load(QStringList* restored, bool restoreResult = true) const
    {
        ProgramSettings s = Stored();
        s.ABitrate = 320;
        LoadSettings(s, [&](const QString& folder) {
            restored->append(folder);
            return restoreResult;
        });
        return s;
    }

    std::unique_ptr<QTemporaryDir> m_config;
};

void TstSettings::init()
{
    m_config = std::make_unique<QTemporaryDir>();
    QVERIFY(m_config->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
}

void TstSettings::firstStart()
{
    QStringList restored;
    QCOMPARE(Load(&restored), ProgramSettings());
    QVERIFY(restored.isEmpty());

    QStringList errors;
    QVERIFY(SaveSettings(Stored(), kStoredFolder,
                         [&](const QString& message) { errors.append(message); }));
    QVERIFY(errors.isEmpty());
    QVERIFY(QFileInfo(SettingsFile()).isFile());

    QCOMPARE(Load(&restored), Stored());
    QCOMPARE(restored, QStringList{kStoredFolder});
}

void TstSettings::savedFileLayout()
{
    QVERIFY(SaveSettings(Stored(), kStoredFolder, nullptr));
    QCOMPARE(TestUtil::ReadFile(SettingsFile()), Compose(StoredLines()));
}

void TstSettings::load_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("defaults"); // every field default, folder not restored
    QTest::addColumn<ProgramSettings>("expected");
    QTest::addColumn<QString>("folder");

    const auto loads = [](const char* tag, const QByteArray& file,
                          const ProgramSettings& expected = Stored(),
                          const QString& folder = kStoredFolder) {
        QTest::newRow(tag) << file << false << expected << folder;
    };
    const auto fails = [](const char* tag, const QByteArray& file) {
        QTest::newRow(tag) << file << true << ProgramSettings() << QString();
    };
    const Lines stored = StoredLines();
    const QByteArray full = Compose(stored);

    loads("all values", full);
    {
        QByteArray f = Compose(stored, "Windows Registry Editor Version 5.00");
        f.insert(f.indexOf('['), "; exported\n[HKEY_CURRENT_USER\\SOFTWARE\\Other]\n"
                                 "\"ABitrate\"=dword:00000001\n\n");
        f += "\n[HKEY_CURRENT_USER\\SOFTWARE\\Morvane\\Tessary\\1.0\\Sub]\n"
             "\"Algorithm\"=\"x\"\n";
        loads("version 5 header, comments, other keys, CRLF",
              f.replace("\n", "\r\n"));
    }
    {
        QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        loads("UTF-16 with byte order mark",
              utf16(QString::fromUtf8(Compose(stored, "Windows Registry Editor Version 5.00"))));
    }
    loads("UTF-8 byte order mark", "\xef\xbb\xbf" + full);
    loads("header, key and names in other case", full.toLower());
    loads("target directory missing", Compose(Without(stored, "Target directory")),
          Changed([](ProgramSettings& s) { s.TargetDirectory.clear(); }));
    loads("file name format empty", Compose(With(stored, "Output file name format", "\"\"")),
          Changed([](ProgramSettings& s) { s.FileNameFormat.clear(); }));
    loads("folder missing", Compose(Without(stored, "Folder")), Stored(), QString());
    // The optional values: every file written before them loads as it did,
    // and one missing, of the wrong type or out of range costs only itself.
    const ProgramSettings earlier = Changed([](ProgramSettings& s) {
        s.ShowOutputNames = true;
        s.ExistingOutput = TExistingOutput::Ask;
        s.ParallelJobs = 1;
        s.PauseBetweenJobs = 3;
        s.AllSourceFormats = false;
        s.EmbedCoverArt = false;
        s.PortableNames = false;
        s.ExtraOptions.clear();
        s.ReplayGain = TReplayGain::Off;
        s.NotifyAtEnd = true;
        s.KeepQueue = false;
        s.QueueFolder.clear();
    });
    loads("format with the output column, without parallel jobs and pause",
          Compose(OutputColumnLines()), Changed([](ProgramSettings& s) {
              s.ParallelJobs = 1;
              s.PauseBetweenJobs = 3;
              s.AllSourceFormats = false;
              s.EmbedCoverArt = false;
              s.PortableNames = false;
              s.ExtraOptions.clear();
              s.ReplayGain = TReplayGain::Off;
              s.KeepQueue = false;
              s.QueueFolder.clear();
              s.NotifyAtEnd = true;
          }));
    loads("earlier format without the optional values", Compose(EarlierLines()), earlier);
    loads("source formats out of range", Compose(With(stored, "Source formats", "dword:00000002")),
          Changed([](ProgramSettings& s) { s.AllSourceFormats = false; }));
    loads("cover art as text", Compose(With(stored, "Embed cover art", "\"1\"")),
          Changed([](ProgramSettings& s) { s.EmbedCoverArt = false; }));
    loads("file names out of range", Compose(With(stored, "File names", "dword:00000002")),
          Changed([](ProgramSettings& s) { s.PortableNames = false; }));
    loads("file names as text", Compose(With(stored, "File names", "\"1\"")),
          Changed([](ProgramSettings& s) { s.PortableNames = false; }));
    loads("notice at the end missing", Compose(Without(stored, "Notify at end")),
          Changed([](ProgramSettings& s) { s.NotifyAtEnd = true; }));
    loads("optional values in front, other case",
          Compose(Lines{{"show OUTPUT names", "dword:00000000"}, {"Existing Output", "dword:00000002"},
                        {"PARALLEL jobs", "dword:00000000"}, {"pause between JOBS", "dword:00000001"}}
                  + EarlierLines()),
          Changed([](ProgramSettings& s) {
              s.ExistingOutput = TExistingOutput::Skip;
              s.AllSourceFormats = false;
              s.EmbedCoverArt = false;
              s.PortableNames = false;
              s.ExtraOptions.clear();
              s.ReplayGain = TReplayGain::Off;
              s.KeepQueue = false;
              s.QueueFolder.clear();
              s.NotifyAtEnd = true;
          }));
    loads("keep queue as text", Compose(With(stored, "Keep queue", "\"1\"")),
          Changed([](ProgramSettings& s) { s.KeepQueue = false; }));
    loads("queue folder as a number", Compose(With(stored, "Queue folder", "dword:00000001")),
          Changed([](ProgramSettings& s) { s.QueueFolder.clear(); }));
    loads("show output names as text", Compose(With(stored, "Show output names", "\"0\"")),
          Changed([](ProgramSettings& s) { s.ShowOutputNames = true; }));
    loads("show output names 2 is true", Compose(With(stored, "Show output names", "dword:00000002")),
          Changed([](ProgramSettings& s) { s.ShowOutputNames = true; }));
    loads("existing output as binary", Compose(With(stored, "Existing output", "hex:03,00,00,00")),
          Changed([](ProgramSettings& s) { s.ExistingOutput = TExistingOutput::Ask; }));
    loads("existing output out of range", Compose(With(stored, "Existing output", "dword:00000004")),
          Changed([](ProgramSettings& s) { s.ExistingOutput = TExistingOutput::Ask; }));
    loads("parallel jobs 64", Compose(With(stored, "Parallel jobs", "dword:00000040")),
          Changed([](ProgramSettings& s) { s.ParallelJobs = 64; }));
    loads("parallel jobs out of range", Compose(With(stored, "Parallel jobs", "dword:00000041")),
          Changed([](ProgramSettings& s) { s.ParallelJobs = 1; }));
    loads("parallel jobs as text", Compose(With(stored, "Parallel jobs", "\"4\"")),
          Changed([](ProgramSettings& s) { s.ParallelJobs = 1; }));
    loads("pause 0", Compose(With(stored, "Pause between jobs", "dword:00000000")),
          Changed([](ProgramSettings& s) { s.PauseBetweenJobs = 0; }));
    loads("pause out of range", Compose(With(stored, "Pause between jobs", "dword:00000004")),
          Changed([](ProgramSettings& s) { s.PauseBetweenJobs = 3; }));
    loads("existing output overwrite", Compose(With(stored, "Existing output", "dword:00000001")),
          Changed([](ProgramSettings& s) { s.ExistingOutput = TExistingOutput::Overwrite; }));
    loads("numbers narrowed to the field",
          Compose(With(With(With(stored, "ABitrate", "dword:00010080"), "Mode", "dword:00000105"),
                       "FreqIdx", "dword:000001ff")),
          Changed([](ProgramSettings& s) {
              s.ABitrate = 128;
              s.Mode = Default;
              s.Frequency = 255;
          }));
    loads("flag 2 is true", Compose(With(With(stored, "Keep all frequences", "dword:00000002"),
                                         "Delete from queue", "dword:ffffffff")),
          Changed([](ProgramSettings& s) { s.DeleteFromQueue = true; }));
    // Variables are not expanded, and a target that is not absolute is taken
    // under the home folder.
    loads("expandable string taken unexpanded",
          Compose(With(stored, "Target directory", ExpandHex(QStringLiteral("/srv/$HOME/x")))),
          Changed([](ProgramSettings& s) { s.TargetDirectory = QStringLiteral("/srv/$HOME/x"); }));
    loads("expandable string wrapped over lines",
          Compose(With(stored, "Target directory",
                       ExpandHex(QStringLiteral("%USERPROFILE%\\Музыка"), true))),
          Changed([](ProgramSettings& s) {
              s.TargetDirectory = QDir::homePath() + QStringLiteral("/%USERPROFILE%\\Музыка");
          }));
    loads("relative target under home", Compose(With(stored, "Target directory", "\"Music/\"")),
          Changed([](ProgramSettings& s) { s.TargetDirectory = QDir::homePath() + "/Music/"; }));
    loads("target under ~", Compose(With(stored, "Target directory", "\"~/Music\"")),
          Changed([](ProgramSettings& s) { s.TargetDirectory = QDir::homePath() + "/Music"; }));
    loads("broken other value ending in a backslash",
          QByteArray(full).replace("\"ABitrate\"", "\"Note\"=\"abc\\\n\"ABitrate\""));
    loads("string ending in a backslash", Compose(With(stored, "Target directory", "\"/a\\\\\"")),
          Changed([](ProgramSettings& s) { s.TargetDirectory = QStringLiteral("/a\\"); }));

    fails("empty file", QByteArray());
    fails("header only", "REGEDIT4\n");
    fails("no header", ValueLines(stored));
    fails("text", "The quick brown fox\njumps over\n[the lazy dog]\n");
    {
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += char((i * 7919) >> 3);
        fails("binary", binary);
        fails("binary after the key line", "REGEDIT4\n\n" + kKeyLine + '\n' + binary);
    }
    fails("truncated inside a number", full.left(full.indexOf("\"Algorithm\"") + 20));
    fails("truncated inside the last text", Compose(EarlierLines()).chopped(5));
    fails("truncated after a line", full.left(full.indexOf("\"Algorithm\"")));
    fails("algorithm missing", Compose(Without(stored, "Algorithm")));
    fails("earlier format with algorithm missing", Compose(Without(EarlierLines(), "Algorithm")));
    fails("algorithm as text", Compose(With(stored, "Algorithm", "\"2\"")));
    fails("flag as binary", Compose(With(stored, "CRCs", "hex:01,00,00,00")));
    fails("flag as 4-byte dword in hex form", Compose(With(stored, "CRCs", "hex(4):01,00,00,00")));
    fails("dword not hex", Compose(With(stored, "Mode", "dword:0000000g")));
    fails("dword over 32 bits", Compose(With(stored, "Mode", "dword:100000000")));
    fails("dword with fewer digits", Compose(With(stored, "Mode", "dword:1")));
    fails("bitrate only in another key",
          Compose(Without(stored, "ABitrate"))
              + "[HKEY_CURRENT_USER\\SOFTWARE\\Morvane\\Tessary\\2.0]\n\"ABitrate\"=dword:00000080\n");
    fails("string as binary", Compose(With(stored, "Target directory", "hex:41,00")));
    fails("string as multi-string", Compose(With(stored, "Target directory", "hex(7):41,00,00,00")));
    fails("string with junk after the quote", Compose(With(stored, "Folder", "\"/srv\" x")));
    {
        // A valid file padded past the size cap is not read at all.
        QByteArray huge = full;
        const QByteArray comment = ';' + QByteArray(1000, 'x') + '\n';
        while (huge.size() < 5 * 1024 * 1024)
            huge += comment;
        fails("huge file", huge);
    }
}

void TstSettings::load()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, defaults);
    QFETCH(ProgramSettings, expected);
    QFETCH(QString, folder);
    QVERIFY(WriteSettingsFile(file));

    QStringList restored;
    const ProgramSettings loaded = Load(&restored);
    if (defaults) {
        QCOMPARE(loaded, ProgramSettings());
        QVERIFY(restored.isEmpty());
    } else {
        QCOMPARE(loaded, expected);
        QCOMPARE(restored, QStringList{folder});
    }
}

void TstSettings::failingFolderRestoreKeepsSettings()
{
    QVERIFY(WriteSettingsFile(Compose(StoredLines())));
    QStringList restored;
    QCOMPARE(Load(&restored, false), Stored());
    QCOMPARE(restored, QStringList{kStoredFolder});
}

void TstSettings::loadedValuesWrittenBackNormalised()
{
    QVERIFY(WriteSettingsFile(Compose(With(With(StoredLines(), "Keep all frequences", "dword:00000002"),
                                           "ABitrate", "dword:00010080"))));
    ProgramSettings s;
    LoadSettings(s, nullptr);
    QVERIFY(SaveSettings(s, kStoredFolder, nullptr));
    QCOMPARE(TestUtil::ReadFile(SettingsFile()),
             Compose(With(StoredLines(), "ABitrate", "dword:00000080")));
}

void TstSettings::textsRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("quotes and backslashes")
        << QStringLiteral("/home/u/Album \"Live\" \\1\\ \\\"x\"");
    QTest::newRow("Cyrillic") << QStringLiteral("/home/u/Музыка/Кино – Группа крови/");
    QTest::newRow("ends in a backslash") << QStringLiteral("/tmp/a\\");
    QTest::newRow("line breaks") << QStringLiteral("/tmp/two\nlines\r/");
    QTest::newRow("outer spaces") << QStringLiteral("  /x y/  ");
    QTest::newRow("looks like a key line") << QStringLiteral("[HKEY_CURRENT_USER\\SOFTWARE]");
    QTest::newRow("empty") << QString();
}

void TstSettings::textsRoundTrip()
{
    QFETCH(QString, text);
    ProgramSettings s = Stored();
    s.TargetDirectory = u'/' + text; // the target is always read back absolute
    s.FileNameFormat = text + QStringLiteral("%0");
    QVERIFY(SaveSettings(s, text, nullptr));

    QStringList restored;
    QCOMPARE(Load(&restored), s);
    QCOMPARE(restored, QStringList{text});
}

void TstSettings::saveOverHandEditedFile()
{
    // Names in other case, a value of the wrong type, a value of our own and
    // another key: the save must leave one line per value, not add a second.
    QByteArray edited = Compose(With(StoredLines(), "Algorithm", "\"2\"")).toLower();
    edited += "\"Window\"=dword:00000005\n; note\n[HKEY_CURRENT_USER\\SOFTWARE\\Other]\n\"A\"=\"b\"\n";
    QVERIFY(WriteSettingsFile(edited));

    QVERIFY(SaveSettings(Stored(), kStoredFolder, nullptr));
    QStringList restored;
    QCOMPARE(Load(&restored), Stored());

    const QByteArray saved = TestUtil::ReadFile(SettingsFile());
    for (const auto& [name, data] : StoredLines())
        QCOMPARE(saved.toLower().count(('"' + name + "\"=").toLower()), 1);
    QVERIFY(saved.contains("\"Window\"=dword:00000005\n"));
    QVERIFY(!saved.contains("Other"));
}

void TstSettings::storeUnavailable_data()
{
    QTest::addColumn<bool>("belowRegularFile");
    QTest::newRow("config folder below a regular file") << true;
    QTest::newRow("settings file is a folder") << false;
}

void TstSettings::storeUnavailable()
{
    QFETCH(bool, belowRegularFile);
    const QString plain = m_config->filePath(QStringLiteral("plain"));
    if (belowRegularFile) {
        QVERIFY(TestUtil::WriteFile(plain, "keep"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(plain + QStringLiteral("/config")));
    } else {
        QVERIFY(QDir().mkpath(SettingsFile()));
    }

    QStringList restored;
    QCOMPARE(Load(&restored), ProgramSettings());
    QVERIFY(restored.isEmpty());

    QStringList errors;
    QVERIFY(!SaveSettings(Stored(), kStoredFolder,
                          [&](const QString& message) { errors.append(message); }));
    QCOMPARE(errors, QStringList{QStringLiteral("Failed to set data for 'ABitrate'")});
    QVERIFY(!SaveSettings(Stored(), kStoredFolder, nullptr));

    if (belowRegularFile)
        QCOMPARE(TestUtil::ReadFile(plain), QByteArray("keep"));
    else
        QVERIFY(QFileInfo(SettingsFile()).isDir());
}

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"

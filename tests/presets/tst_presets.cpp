#include "cmdline.h"
#include "compresspresets.h"
#include "queue.h"
#include "settingsstore.h"
#include "testutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The compression profiles: what each built-in gives lame, and the user's
// own ones kept in the settings file with the other values added after the
// original 21 (the extra options, ReplayGain).
class TstPresets final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void builtInOptionStrings_data();
    void builtInOptionStrings();
    void matchIgnoresFieldsTheMethodDoesNotUse();
    void namesThatCannotBeSaved();
    void userPresetSurvivesRestartAndDeletion();
    void badStoredValuesCostNothingElse();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString SettingsFile() const
    {
        return m_home->filePath(QStringLiteral("config/Morvane/Tessary/1.0.reg"));
    }
};

void TstPresets::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    TestUtil::UseHome(m_home->path());
}

void TstPresets::builtInOptionStrings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("options");
    QTest::newRow("extreme") << "-V 0 (extreme)" << "-q 3 --vbr-new -V 0 -b 32 -B 320";
    QTest::newRow("standard") << "-V 2 (standard)" << "-q 3 --vbr-new -V 2 -b 32 -B 320";
    QTest::newRow("medium") << "-V 4 (medium)" << "-q 3 --vbr-new -V 4 -b 32 -B 320";
    QTest::newRow("insane") << "CBR 320 (insane)" << "-q 3 -b 320";
    QTest::newRow("cd") << "ABR 192 (cd)" << "-q 3 --abr 192";
}

void TstPresets::builtInOptionStrings()
{
    QFETCH(QString, name);
    QFETCH(QString, options);
    const TCompressPresets presets;
    const int at = presets.IndexOf(name);
    QVERIFY(presets.IsBuiltIn(at));

    const QString wav = m_home->filePath(QStringLiteral("a.wav"));
    QVERIFY(TestUtil::WriteFile(wav));
    TQueue queue;
    TQueueItem* job = queue.Add();
    job->SetInputFile(wav);
    job->SetOutputFile(QStringLiteral("/out/a.mp3"));
    // From a job with other values and flags: the profile replaces its
    // fields and keeps the flags.
    job->SetCopyrighted(true);
    job->SetMode(Stereo);
    const TCompressValues applied =
        TCompressPresets::Applied(TCompressValues::From(*job), presets.At(at));
    applied.StoreTo(*job);
    QCOMPARE(JobOptions(*job, 0),
             options + QStringLiteral(" -c \"") + wav + QStringLiteral("\" \"/out/a.mp3\""));
    QCOMPARE(presets.Find(applied), at);
}

void TstPresets::matchIgnoresFieldsTheMethodDoesNotUse()
{
    const TCompressPresets presets;
    const int standard = presets.IndexOf(QStringLiteral("-V 2 (standard)"));
    TCompressValues v = presets.At(standard).Values;
    v.ABitrate = 64; // not used by VBR
    v.Copyrighted = true;
    QCOMPARE(presets.Find(v), standard);
    v.MaxBitrate = 256;
    QCOMPARE(presets.Find(v), -1);
    v.MaxBitrate = 320;
    v.ExtraOptions = QStringLiteral("--lowpass 19");
    QCOMPARE(presets.Find(v), -1);
}

void TstPresets::namesThatCannotBeSaved()
{
    TCompressPresets presets;
    const TCompressValues v;
    QVERIFY(!presets.Save(QStringLiteral("-V 0 (extreme)"), v));
    QVERIFY(!presets.Save(QStringLiteral("  "), v));
    QVERIFY(!presets.Save(QStringLiteral("a\tb"), v));
    QVERIFY(!presets.Save(QString(TCompressPresets::MaxNameLength + 1, u'x'), v));
    TCompressValues bad;
    bad.ExtraOptions = QStringLiteral("--decode");
    QVERIFY(!presets.Save(QStringLiteral("Mine"), bad));
    QVERIFY(presets.User().isEmpty());
    QVERIFY(!presets.Remove(QStringLiteral("-V 0 (extreme)")));
    QCOMPARE(presets.Count(), int(TCompressPresets::BuiltIn().size()));
}

void TstPresets::userPresetSurvivesRestartAndDeletion()
{
    TCompressPresets presets;
    TCompressValues mine = presets.At(presets.IndexOf(QStringLiteral("-V 2 (standard)"))).Values;
    mine.ExtraOptions = QStringLiteral("--lowpass 19 --noasm \"два слова\"");
    QVERIFY(presets.Save(QStringLiteral("Мой -V 2"), mine));
    TCompressValues other;
    other.Algorithm = ABR;
    other.ABitrate = 160;
    QVERIFY(presets.Save(QStringLiteral("Радио"), other));

    ProgramSettings s;
    s.UserPresets = presets.User();
    s.ExtraOptions = QStringLiteral("--noreplaygain");
    s.ReplayGain = TReplayGain::Album;
    QVERIFY(SaveSettings(s, QString(), nullptr));

    // A restart: a new record from the file.
    ProgramSettings loaded;
    LoadSettings(loaded, nullptr);
    QCOMPARE(loaded.UserPresets, s.UserPresets);
    QCOMPARE(loaded.ExtraOptions, QStringLiteral("--noreplaygain"));
    QCOMPARE(loaded.ReplayGain, TReplayGain::Album);
    const TCompressPresets reloaded(loaded.UserPresets);
    QCOMPARE(reloaded.Find(mine), reloaded.IndexOf(QStringLiteral("Мой -V 2")));

    TCompressPresets edited(loaded.UserPresets);
    QVERIFY(edited.Remove(QStringLiteral("Мой -V 2")));
    loaded.UserPresets = edited.User();
    QVERIFY(SaveSettings(loaded, QString(), nullptr));
    ProgramSettings again;
    LoadSettings(again, nullptr);
    QCOMPARE(again.UserPresets.size(), 1);
    QCOMPARE(again.UserPresets.front().Name, QStringLiteral("Радио"));
    QVERIFY(!TestUtil::ReadFile(SettingsFile()).contains("\"Preset 2\""));
}

void TstPresets::badStoredValuesCostNothingElse()
{
    ProgramSettings s;
    s.ABitrate = 192;
    TCompressPresets presets;
    QVERIFY(presets.Save(QStringLiteral("A"), TCompressValues()));
    QVERIFY(presets.Save(QStringLiteral("B"), TCompressValues()));
    s.UserPresets = presets.User();
    QVERIFY(SaveSettings(s, QString(), nullptr));

    QByteArray file = TestUtil::ReadFile(SettingsFile());
    const auto replace = [&file](const QByteArray& from, const QByteArray& to) {
        QVERIFY2(file.contains(from), from.constData());
        file.replace(from, to);
    };
    replace("\"Extra LAME options\"=\"\"", "\"Extra LAME options\"=\"--decode\"");
    replace("\"ReplayGain\"=dword:00000000", "\"ReplayGain\"=dword:00000007");
    replace("\"Preset 1\"=\"A\t", "\"Preset 1\"=\"-V 0 (extreme)\t");
    QVERIFY(TestUtil::WriteFile(SettingsFile(), file));

    ProgramSettings loaded;
    LoadSettings(loaded, nullptr);
    QCOMPARE(loaded.ABitrate, quint16(192));
    QCOMPARE(loaded.ExtraOptions, QString());
    QCOMPARE(loaded.ReplayGain, TReplayGain::Off);
    QCOMPARE(loaded.UserPresets.size(), 1);
    QCOMPARE(loaded.UserPresets.front().Name, QStringLiteral("B"));
}

QTEST_GUILESS_MAIN(TstPresets)
#include "tst_presets.moc"

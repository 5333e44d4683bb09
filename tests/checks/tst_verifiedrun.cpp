// Runs of the real lame (and ffmpeg) on sources of every kind, made here by
// Debian's tools: each source goes where its contents say, whatever its
// name; a job is done only when its output holds what the source does; a
// refused or failed source is kept even with "Delete source" on; and a job
// whose encoder or decoder stops moving is stopped, the run going on.

#include "batchrun.h"
#include "encoder.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "sourcefixture.h"
#include "testutil.h"

#include <QRegularExpression>
#include <QtTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

struct TOutcome
{
    bool done = false;
    QString reason;
};

bool Ffmpeg(const QStringList& args)
{
    return SourceFixture::Run(QStringLiteral("ffmpeg"),
                              QStringList{"-nostdin", "-v", "error", "-y"} + args);
}

// seconds of a tone through ffmpeg into path, with the codec and filters given.
bool Tone(const QString& path, double seconds, const QString& codec,
          const QStringList& more = {}, int rate = 44100)
{
    return Ffmpeg(QStringList{"-f", "lavfi", "-i",
                              QStringLiteral("aevalsrc=0.5*sin(2*PI*440*t):d=%1:s=%2").arg(seconds).arg(rate),
                              "-ac", "2"}
                  + more + QStringList{"-c:a", codec, path});
}

// The mean level of a file's audio, in dB, as ffmpeg measures it.
double MeanVolume(const QString& path)
{
    QString out;
    SourceFixture::Run(QStringLiteral("ffmpeg"),
                       {"-nostdin", "-hide_banner", "-i", path, "-af", "volumedetect", "-f", "null", "-"},
                       &out);
    static const QRegularExpression mean(QStringLiteral("mean_volume: (-?[0-9.]+) dB"));
    const QRegularExpressionMatch m = mean.match(out);
    return m.hasMatch() ? m.captured(1).toDouble() : 1000;
}

QByteArray Cut(const QByteArray& bytes, double part) { return bytes.left(qsizetype(bytes.size() * part)); }

} // namespace

class TstVerifiedRun final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void sources_data();
    void sources();
    void levelKept_data();
    void levelKept();
    void manyAtOnce_data();
    void manyAtOnce();
    void halfWrittenOutput();
    void stall_data();
    void stall();

private:
    // A source made by recipe at src/name.
    QString Make(const QString& recipe, const QString& name);
    QList<TOutcome> Run(const QStringList& sources, int mode, bool formats, int parallel = 1);

    QString Work(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_encoder; // a fake one, for the runs that use it
    QString m_decoder;
    std::chrono::milliseconds m_stall{0};
};

void TstVerifiedRun::initTestCase()
{
    if (!Encoder::Locate().errorName.isEmpty())
        QSKIP("lame is not installed");
    for (const char* tool : {"ffmpeg", "flac", "oggenc", "opusenc", "wavpack", "truncate"}) {
        if (!SourceFixture::Have(QLatin1String(tool)))
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
    }
}

void TstVerifiedRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_encoder.clear();
    m_decoder.clear();
    m_stall = 0ms;
}

QString TstVerifiedRun::Make(const QString& recipe, const QString& name)
{
    const QString path = Work(QStringLiteral("src/") + name);
    QDir().mkpath(Work(QStringLiteral("src")));
    const QString side = Work(QStringLiteral("side-") + name);
    // Made under the name of its kind, then given the name asked for.
    const auto sideKind = [&](const char* kind, double seconds = 2.0, int rate = 44100, int bits = 16) {
        const QString made = side + u'.' + QLatin1String(kind);
        return SourceFixture::Make(made, QLatin1String(kind), {}, seconds, rate, bits)
               && QFile::rename(made, path);
    };
    bool ok = false;
    if (recipe == u"wav16")
        ok = TestUtil::WriteWav(path, 2.0);
    else if (recipe == u"wav8")
        ok = Tone(path, 2.0, "pcm_u8");
    else if (recipe == u"wav24")
        ok = Tone(path, 2.0, "pcm_s24le");
    else if (recipe == u"float32")
        ok = Tone(path, 2.0, "pcm_f32le");
    else if (recipe == u"float64")
        ok = Tone(path, 2.0, "pcm_f64le");
    else if (recipe == u"wav6")
        ok = Tone(path, 2.0, "pcm_s16le", {"-af", "pan=5.1|c0=c0|c1=c1|c2=c0|c3=c1|c4=c0|c5=c1"});
    else if (recipe == u"tiny")
        ok = TestUtil::WriteWav(path, 0.01);
    else if (recipe == u"headerless")
        ok = TestUtil::WriteWav(side, 1.0) && TestUtil::WriteFile(path, TestUtil::ReadFile(side).mid(44));
    else if (recipe == u"damaged40")
        ok = TestUtil::WriteWav(side, 1.0) && TestUtil::WriteFile(path, TestUtil::ReadFile(side).left(40));
    else if (recipe == u"text")
        ok = TestUtil::WriteFile(path, "Список покупок: хлеб, молоко.\n");
    else if (recipe == u"flac96")
        ok = sideKind("flac", 2.0, 96000, 24);
    else if (recipe == u"flacTiny")
        ok = sideKind("flac", 0.01);
    else if (recipe == u"flac" || recipe == u"ogg" || recipe == u"opus" || recipe == u"aiff"
             || recipe == u"m4a" || recipe == u"wv")
        ok = sideKind(recipe.toLatin1().constData());
    else if (recipe == u"wvTags")
        ok = TestUtil::WriteWav(side + QStringLiteral(".wav"), 2.0)
             && SourceFixture::Run(QStringLiteral("wavpack"),
                                   {"-q", "-y", "-w", "Title=Песня", "-w", "Artist=Кто-то",
                                    side + QStringLiteral(".wav"), "-o", path});
    else if (recipe == u"wv4")
        ok = Tone(side + QStringLiteral(".wav"), 2.0, "pcm_s16le",
                  {"-af", "pan=4.0|c0=c0|c1=c1|c2=c0|c3=c1"})
             && SourceFixture::Run(QStringLiteral("wavpack"),
                                   {"-q", "-y", side + QStringLiteral(".wav"), "-o", path});
    else if (recipe == u"flacCut")
        ok = Ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=4:a=0.3", "-ac", "2", "-c:a", "flac",
                     side + QStringLiteral(".flac")})
             && TestUtil::WriteFile(path, Cut(TestUtil::ReadFile(side + QStringLiteral(".flac")), 0.5));
    else if (recipe == u"m4aCut")
        ok = Tone(side + QStringLiteral(".m4a"), 4.0, "aac", {"-movflags", "+faststart"})
             && TestUtil::WriteFile(path, Cut(TestUtil::ReadFile(side + QStringLiteral(".m4a")), 0.5));
    else if (recipe == u"mp4video")
        ok = Ffmpeg({"-f", "lavfi", "-i", "testsrc=d=1:s=64x48:r=10", "-f", "lavfi", "-i",
                     "sine=d=1", "-c:v", "mpeg4", "-c:a", "aac", "-shortest", "-f", "mp4", path});
    else if (recipe == u"mp3" || recipe == u"mp3Untagged" || recipe == u"mp3Id3")
        ok = TestUtil::WriteWav(side + QStringLiteral(".wav"), recipe == u"mp3" ? 2.0 : 0.5)
             && SourceFixture::Run(Encoder::Locate().program,
                                   QStringList{"-S"}
                                       + (recipe == u"mp3Untagged" ? QStringList{"-t"} : QStringList())
                                       + (recipe == u"mp3Id3" ? QStringList{"--tt", "Песня", "--add-id3v2"}
                                                              : QStringList())
                                       + QStringList{side + QStringLiteral(".wav"), path});
    if (!ok)
        qWarning() << "could not make" << recipe << "at" << path;
    return path;
}

QList<TOutcome> TstVerifiedRun::Run(const QStringList& sources, int mode, bool formats, int parallel)
{
    TQueue queue;
    TRecordingView view(queue);
    view.mode = mode;
    ProgramSettings settings;
    settings.TargetDirectory = Work(QStringLiteral("out/"));
    settings.FileNameFormat = QStringLiteral("%0");
    settings.DeleteAfterProcess = true;
    settings.DeleteFromQueue = false;
    settings.AllSourceFormats = formats;
    settings.ParallelJobs = quint32(parallel);
    for (const QString& source : sources)
        queue.Add()->SetInputFile(source);
    TBatchRun run(queue, settings, view);
    run.SetPauseStep(0ms);
    if (!m_encoder.isEmpty()) {
        run.SetEncoderProgram(m_encoder);
        run.SetVerification(true); // these fakes write what lame writes, or less
    }
    run.SetDecoderProgram(m_decoder);
    if (m_stall.count() > 0)
        run.SetStallLimit(m_stall);
    QSignalSpy finished(&run, &TBatchRun::Finished);
    run.Start();
    if (!QTest::qWaitFor([&] { return finished.count() == 1; }, 180000))
        qWarning() << "the run did not end";
    QList<TOutcome> outcomes;
    for (int i = 0; i < queue.Count(); ++i)
        outcomes.append({view.checked.contains(queue.Items(i)), view.Failure(i)});
    return outcomes;
}

void TstVerifiedRun::sources_data()
{
    QTest::addColumn<QString>("recipe");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("formats"); // "Source formats"
    QTest::addColumn<QString>("reason"); // how the line's reason begins; empty: done

    const auto done = [](const char* recipe, const char* name, int mode = 0, bool formats = true) {
        QTest::newRow(qPrintable(QStringLiteral("%1 done").arg(QLatin1String(name))))
            << QString::fromLatin1(recipe) << QString::fromLatin1(name) << mode << formats << QString();
    };
    // A correct file of every kind: no false alarm.
    done("wav16", "pcm16.wav", 0, false);
    done("wav8", "pcm8.wav", 0, false);
    done("wav24", "pcm24.wav", 0, false);
    done("tiny", "ten-ms.wav", 0, false);
    done("flac", "plain.flac");
    done("flac96", "hires.flac");
    done("flacTiny", "ten-ms.flac");
    done("ogg", "plain.ogg");
    done("opus", "plain.opus");
    done("aiff", "plain.aiff");
    done("m4a", "plain.m4a");
    done("wv", "plain.wv");
    done("mp3", "plain.mp3", 1);
    done("mp3Untagged", "untagged.mp3", 1);
    done("mp3Id3", "id3.mp3", 1);
    // WAVs lame would misread go through the decoder, "Source formats" off.
    done("float32", "float32.wav", 0, false);
    done("float64", "float64.wav", 0, false);
    done("wav6", "six.wav", 0, false);
    // Valid files a decoder stopping at its first warning refused.
    done("wvTags", "tagged.wv");
    done("wv4", "four.wv");
    // Named .wav, known by what they hold.
    done("m4a", "interview.wav", 0, true);

    const auto refused = [](const char* tag, const char* recipe, const char* name, int mode,
                            bool formats, const QString& reason) {
        QTest::newRow(tag) << QString::fromLatin1(recipe) << QString::fromLatin1(name) << mode
                           << formats << reason;
    };
    refused("M4A named .wav", "m4a", "interview.wav", 0, false,
            QStringLiteral("Не WAV-файл: это M4A (включите «Сжимать также…»)"));
    refused("WAV without a header", "headerless", "raw.wav", 0, true,
            QStringLiteral("Не WAV-файл: формат не распознан"));
    refused("40-byte WAV", "damaged40", "forty.wav", 0, true,
            QStringLiteral("Повреждённый WAV-файл: нет блока данных"));
    refused("text named .wav", "text", "notes.wav", 0, true,
            QStringLiteral("Не WAV-файл: это текстовый файл"));
    refused("MP4 video to decode", "mp4video", "clip.mp4", 1, true,
            QStringLiteral("Не MPEG-аудио: видео MP4"));
    refused("text to decode", "text", "notes.mp3", 1, true,
            QStringLiteral("Не MPEG-аудио: текстовый файл"));
    refused("truncated FLAC", "flacCut", "cut.flac", 0, true,
            QStringLiteral("Результат короче исходного: "));
    refused("truncated M4A", "m4aCut", "cut.m4a", 0, true,
            QStringLiteral("Результат короче исходного: "));
}

void TstVerifiedRun::sources()
{
    QFETCH(QString, recipe);
    QFETCH(QString, name);
    QFETCH(int, mode);
    QFETCH(bool, formats);
    QFETCH(QString, reason);
    const QString source = Make(recipe, name);
    const QByteArray before = TestUtil::ReadFile(source);
    QVERIFY(!before.isEmpty());

    const QList<TOutcome> outcome = Run({source}, mode, formats);
    QCOMPARE(outcome.size(), 1);
    const QStringList outputs = QDir(Work(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden);
    if (reason.isEmpty()) {
        QVERIFY2(outcome[0].done, qPrintable(outcome[0].reason));
        QCOMPARE(outputs.size(), 1);
        QVERIFY(outputs[0].endsWith(mode == 1 ? QStringLiteral(".wav") : QStringLiteral(".mp3")));
        QVERIFY(!QFileInfo::exists(source)); // "Delete source" is on
        return;
    }
    QVERIFY(!outcome[0].done);
    QVERIFY2(outcome[0].reason.startsWith(reason), qPrintable(outcome[0].reason));
    // The source is kept as it was, and the job left nothing behind.
    QCOMPARE(TestUtil::ReadFile(source), before);
    QVERIFY2(outputs.isEmpty(), qPrintable(outputs.join(u' ')));
}

void TstVerifiedRun::levelKept_data()
{
    QTest::addColumn<QString>("codec");
    QTest::newRow("32-bit float") << "pcm_f32le";
    QTest::newRow("64-bit float") << "pcm_f64le";
}

// A tone in floating point comes out at the level the same tone in 16-bit
// integers does: lame, given floating-point samples, would scale them to
// its peak (or take them for silence from a pipe).
void TstVerifiedRun::levelKept()
{
    QFETCH(QString, codec);
    QDir().mkpath(Work(QStringLiteral("src")));
    const QString floating = Work(QStringLiteral("src/floating.wav"));
    const QString integers = Work(QStringLiteral("src/integers.wav"));
    QVERIFY(Tone(floating, 2.0, codec));
    QVERIFY(Tone(integers, 2.0, QStringLiteral("pcm_s16le")));
    const QList<TOutcome> outcome = Run({floating, integers}, 0, false);
    QVERIFY2(outcome.value(0).done, qPrintable(outcome.value(0).reason));
    QVERIFY2(outcome.value(1).done, qPrintable(outcome.value(1).reason));
    const double a = MeanVolume(Work(QStringLiteral("out/floating.mp3")));
    const double b = MeanVolume(Work(QStringLiteral("out/integers.mp3")));
    QVERIFY2(b < 0 && std::abs(a - b) <= 0.1,
             qPrintable(QStringLiteral("%1 dB against %2 dB").arg(a).arg(b)));
}

void TstVerifiedRun::manyAtOnce_data()
{
    QTest::addColumn<int>("parallel");
    QTest::newRow("one at a time") << 1;
    QTest::newRow("two at once") << 2;
}

// Good and bad sources in one run, in both modes: each job is judged on
// its own, the bad ones kept.
void TstVerifiedRun::manyAtOnce()
{
    QFETCH(int, parallel);
    const QStringList encode{Make("flac", "a.flac"), Make("flacCut", "b.flac"),
                             Make("float32", "c.wav"), Make("headerless", "d.wav"),
                             Make("wav16", "e.wav")};
    QList<TOutcome> outcome = Run(encode, 0, true, parallel);
    QCOMPARE(outcome.size(), 5);
    const QList<bool> encodeDone{true, false, true, false, true};
    for (int i = 0; i < 5; ++i) {
        QVERIFY2(outcome[i].done == encodeDone[i], qPrintable(encode[i] + u' ' + outcome[i].reason));
        QCOMPARE(QFileInfo::exists(encode[i]), !encodeDone[i]);
    }

    const QStringList decode{Make("mp3", "f.mp3"), Make("mp4video", "g.mp4"),
                             Make("mp3Id3", "h.mp3"), Make("text", "i.mp3")};
    outcome = Run(decode, 1, false, parallel);
    QCOMPARE(outcome.size(), 4);
    const QList<bool> decodeDone{true, false, true, false};
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(outcome[i].done == decodeDone[i], qPrintable(decode[i] + u' ' + outcome[i].reason));
        QCOMPARE(QFileInfo::exists(decode[i]), !decodeDone[i]);
    }
    QCOMPARE(QDir(Work(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

// lame's exit status 0 is not proof: a "lame" that runs the real one and
// then keeps half of what it wrote fails its job, and the source stays.
void TstVerifiedRun::halfWrittenOutput()
{
    m_encoder = Work(QStringLiteral("bin/half-lame"));
    QVERIFY(TestUtil::WriteFile(m_encoder, QStringLiteral("#!/bin/sh\n"
                                                          "for a; do out=$a; done\n"
                                                          "'%1' \"$@\" || exit\n"
                                                          "size=$(stat -c %s \"$out\")\n"
                                                          "truncate -s $((size / 2)) \"$out\"\n")
                                                   .arg(Encoder::Locate().program)
                                                   .toUtf8()));
    QFile::setPermissions(m_encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString source = Make("wav16", "half.wav");
    const QList<TOutcome> outcome = Run({source}, 0, false);
    QVERIFY(!outcome.value(0).done);
    QVERIFY2(outcome.value(0).reason.startsWith(QStringLiteral("Результат ")),
             qPrintable(outcome.value(0).reason));
    QVERIFY(QFileInfo::exists(source));
    QVERIFY(QDir(Work(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void TstVerifiedRun::stall_data()
{
    QTest::addColumn<bool>("decoder"); // the decoder stalls, else the encoder
    QTest::newRow("encoder stops printing") << false;
    QTest::newRow("decoder stops moving") << true;
}

// A job that stops moving is stopped after the limit, fails as not
// responding, and the next job runs.
void TstVerifiedRun::stall()
{
    QFETCH(bool, decoder);
    QStringList sources;
    if (decoder) {
        m_decoder = Work(QStringLiteral("bin/stuck-ffmpeg"));
        QVERIFY(TestUtil::WriteFile(m_decoder, "#!/bin/sh\nexec sleep 60\n"));
        QFile::setPermissions(m_decoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        sources << Make("flac", "stuck.flac") << Make("wav16", "next.wav");
    } else {
        // Prints a first progress line for the stuck job, then sleeps; the
        // next job runs the real lame.
        m_encoder = Work(QStringLiteral("bin/stuck-lame"));
        QVERIFY(TestUtil::WriteFile(m_encoder, QStringLiteral("#!/bin/sh\n"
                                                              "case \"$*\" in *stuck*)\n"
                                                              "  printf '    1/99   ( 1%%)|\\n'\n"
                                                              "  exec sleep 60;;\n"
                                                              "esac\n"
                                                              "exec '%1' \"$@\"\n")
                                                       .arg(Encoder::Locate().program)
                                                       .toUtf8()));
        QFile::setPermissions(m_encoder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        sources << Make("wav16", "stuck.wav") << Make("wav16", "next.wav");
    }
    m_stall = 3000ms;
    QElapsedTimer clock;
    clock.start();
    const QList<TOutcome> outcome = Run(sources, 0, true);
    QVERIFY2(clock.elapsed() < 40000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(outcome.size(), 2);
    QVERIFY(!outcome[0].done);
    QCOMPARE(outcome[0].reason, QStringLiteral("Кодер не отвечает"));
    QVERIFY2(outcome[1].done, qPrintable(outcome[1].reason));
    QVERIFY(QFileInfo::exists(sources[0]));
}

QTEST_GUILESS_MAIN(TstVerifiedRun)
#include "tst_verifiedrun.moc"

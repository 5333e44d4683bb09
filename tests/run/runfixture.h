#pragma once

// What the run tests share: a work folder with sources and an output
// folder, a recording view, and fake encoders written as shell scripts that
// log their arguments and know their input ($in) and output ($out).

#include "batchrun.h"
#include "encoder.h"
#include "programsettings.h"
#include "queue.h"
#include "recordingview.h"
#include "testutil.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Runs until Finished; the run ends synchronously when nothing is to do.
#define RUN_TO_END(run)                                                  \
    do {                                                                 \
        QSignalSpy finished(&(run), &TBatchRun::Finished);               \
        (run).Start();                                                   \
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);           \
        QVERIFY(!(run).IsRunning());                                     \
    } while (false)

inline const char* const kOkBody = "printf '  1/2 (50%%)|\\r  2/2 (100%%)|\\n' >&2\n"
                                   "printf mp3 > \"$out\"\n";

class TRunFixture
{
protected:
    // A fresh work folder, queue and view; output into out/ named "%0".
    void Reset()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_queue = std::make_unique<TQueue>();
        m_view = std::make_unique<TRecordingView>(*m_queue);
        m_settings = ProgramSettings();
        m_settings.TargetDirectory = m_dir->filePath(QStringLiteral("out/"));
        m_settings.FileNameFormat = QStringLiteral("%0");
        m_settings.DeleteFromQueue = true;
        m_settings.DeleteAfterProcess = false;
    }

    QString WriteScript(const QString& body, bool executable = true)
    {
        const QString path = m_dir->filePath(QStringLiteral("bin/fake-lame"));
        const QString script = QStringLiteral("#!/bin/sh\n"
                                              "for a; do in=$out; out=$a; done\n"
                                              "printf '%s\\n' \"$*\" >> '%1'\n")
                                   .arg(m_dir->filePath(QStringLiteral("starts.log")))
                               + body;
        if (!TestUtil::WriteFile(path, script.toUtf8()))
            return QString();
        QFile::setPermissions(path, executable
                                        ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                        : QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

    // One job per character: "x" a checked line, "-" an unchecked one. With
    // wav, each source is a real WAV of a tenth of a second, for real lame.
    void AddJobs(const QString& lines, bool wav = false)
    {
        for (int k = 0; k < lines.size(); ++k) {
            QVERIFY(wav ? TestUtil::WriteWav(Source(k), 0.1) : TestUtil::WriteFile(Source(k), "wav"));
            TQueueItem* job = m_queue->Add();
            job->SetInputFile(Source(k));
            QCOMPARE(job->InputFile(), Source(k));
            if (lines[k] == u'x')
                m_view->checked.insert(job);
        }
    }

    // "P2": processing job 2; "W": the full pause; "W3": the pause cut at its
    // first count; "D": "Готово"; "E3": "Готово. Ошибок: 3".
    QStringList Expand(const QString& tokens) const
    {
        QStringList out;
        for (const QString& t : tokens.split(u' ', Qt::SkipEmptyParts)) {
            if (t.startsWith(u'P'))
                out << QStringLiteral("Обрабатывается: ") + Source(t.mid(1).toInt());
            else if (t == u"W")
                for (int c = 3; c >= 1; --c)
                    out << QStringLiteral("Ожидание отмены... %1").arg(c);
            else if (t == u"W3")
                out << QStringLiteral("Ожидание отмены... 3");
            else if (t == u"D")
                out << QStringLiteral("Готово");
            else if (t.startsWith(u'E'))
                out << QStringLiteral("Готово. Ошибок: ") + t.mid(1);
        }
        return out;
    }

    // The real lame, for scripts that hand it the job when their output has
    // to be a real MP3; empty when it is not installed.
    static QString RealLame()
    {
        const Encoder::Location lame = Encoder::Locate();
        return lame.errorName.isEmpty() ? lame.program : QString();
    }

    // Whether a logged start reads source and writes a temporary beside output.
    static bool WritesInto(const QString& start, const QString& source, const QString& output)
    {
        const QString folder = output.left(output.lastIndexOf(u'/') + 1);
        static const QRegularExpression temp(
            QStringLiteral(" (\\S+/)\\.tessary-[0-9a-f]{16}\\.part$"));
        const QRegularExpressionMatch m = temp.match(start);
        return m.hasMatch() && m.captured(1) == folder
               && start.left(m.capturedStart()).endsWith(u' ' + source);
    }

    QStringList Starts() const
    {
        return QString::fromUtf8(TestUtil::ReadFile(m_dir->filePath(QStringLiteral("starts.log"))))
            .split(u'\n', Qt::SkipEmptyParts);
    }

    // The hidden temporaries in out/.
    QStringList Temporaries() const
    {
        return QDir(m_dir->filePath(QStringLiteral("out")))
            .entryList(QDir::Files | QDir::Hidden)
            .filter(QStringLiteral(".tessary-"));
    }

    QString Source(int k) const { return m_dir->filePath(QStringLiteral("src/job%1.wav").arg(k)); }
    QString Output(int k) const { return m_dir->filePath(QStringLiteral("out/job%1.mp3").arg(k)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TQueue> m_queue;
    std::unique_ptr<TRecordingView> m_view;
    ProgramSettings m_settings;
};

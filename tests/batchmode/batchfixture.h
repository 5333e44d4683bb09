#pragma once

// Runs the real tessary --batch / --plan in a child process, as a script
// would: no display and no platform plugin in its environment, settings
// under a temporary home.

#include "programsettings.h"
#include "settingsstore.h"
#include "testutil.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace BatchTest {

inline QString Program()
{
    return qEnvironmentVariable("TESSARY_BINARY_DIR") + QStringLiteral("/src/ui/tessary");
}

inline bool HaveLame()
{
    return !QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty();
}

// A WAV file whose RIFF INFO list names its title, artist and album.
inline bool WriteTaggedWav(const QString& path, const QString& title, const QString& artist,
                           const QString& album, double seconds = 0.1)
{
    if (!TestUtil::WriteWav(path, seconds, 44100, 1))
        return false;
    QByteArray d = TestUtil::ReadFile(path);
    QByteArray info("INFO");
    const auto add = [&info](const char* id, const QString& text) {
        QByteArray value = text.toUtf8() + '\0';
        if (value.size() % 2)
            value += '\0';
        char size[4];
        qToLittleEndian(quint32(value.size()), size);
        info += QByteArray(id, 4) + QByteArray(size, 4) + value;
    };
    add("INAM", title);
    add("IART", artist);
    add("IPRD", album);
    char size[4];
    qToLittleEndian(quint32(info.size()), size);
    d += QByteArray("LIST") + QByteArray(size, 4) + info;
    qToLittleEndian(quint32(d.size() - 8), size);
    d.replace(4, 4, QByteArray(size, 4));
    return TestUtil::WriteFile(path, d);
}

struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;

    QList<QJsonObject> Events() const
    {
        QList<QJsonObject> events;
        for (const QByteArray& line : out.split('\n')) {
            if (!line.isEmpty())
                events << QJsonDocument::fromJson(line).object();
        }
        return events;
    }
};

// A temporary home with its own settings file, sources and target.
struct Home
{
    QTemporaryDir dir;
    ProgramSettings settings;
    QString language = QStringLiteral("ru"); // the desktop's, as LANGUAGE names it

    Home()
    {
        settings.TargetDirectory = Path(QStringLiteral("out/"));
        settings.PauseBetweenJobs = 0;
    }
    QString Path(const QString& rel) const { return dir.path() + u'/' + rel; }
    QString SettingsFile() const { return Path(QStringLiteral("config/Morvane/Tessary/1.0.reg")); }

    void SaveSettings() const
    {
        const QByteArray old = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", Path(QStringLiteral("config")).toUtf8());
        QVERIFY(::SaveSettings(settings, QString(), [](const QString& m) { qWarning("%s", qPrintable(m)); }));
        qputenv("XDG_CONFIG_HOME", old);
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
        env.insert(QStringLiteral("LANGUAGE"), language);
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.remove(QStringLiteral("LC_ALL"));
        env.remove(QStringLiteral("LC_MESSAGES"));
        env.remove(QStringLiteral("TESSARY_ENCODER"));
        return env;
    }

    // A process of the batch mode in a process group of its own, so a signal
    // to the group reaches it and everything it starts, as Ctrl+C would.
    void Prepare(QProcess& p, const QStringList& args, const QString& encoder = QString()) const
    {
        QProcessEnvironment env = Environment();
        if (!encoder.isEmpty())
            env.insert(QStringLiteral("TESSARY_ENCODER"), encoder);
        p.setProcessEnvironment(env);
        p.setProgram(Program());
        p.setArguments(args);
        p.setChildProcessModifier([] { ::setpgid(0, 0); });
    }

    Result Run(const QStringList& args, const QString& stdinFile = QString(),
               const QString& encoder = QString(), int timeoutMs = 120000) const
    {
        QProcess p;
        Prepare(p, args, encoder);
        if (!stdinFile.isEmpty())
            p.setStandardInputFile(stdinFile);
        p.start();
        Result r;
        // A child of its own: the test's own thread may block on it.
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
};

// Every file below root, by its path relative to root, with its bytes.
inline QMap<QString, QByteArray> Tree(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(root).relativeFilePath(path), TestUtil::ReadFile(path));
    }
    return files;
}

} // namespace BatchTest

#pragma once

// Source files of every kind, made from a generated WAV with the Debian
// tools the set-up installs (flac, oggenc, opusenc, ffmpeg).

#include "testutil.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <utility>

namespace SourceFixture {

inline bool Have(const QString& tool)
{
    return !QStandardPaths::findExecutable(tool).isEmpty();
}

// Runs a tool to its end; a test helper may wait, the program never does.
inline bool Run(const QString& tool, const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, args);
    if (!p.waitForFinished(60000))
        return false;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

struct Tags
{
    QString title, artist, album, date, genre, track, comment;
};

// A WAV of seconds made by ffmpeg at rate and bits, then the kind wanted
// ("flac", "ogg", "opus", "aiff", "m4a", "wv" or "wav") with tags. The tone
// is a 440 Hz sine at -18 dBFS, and gainDb below that when given.
inline bool Make(const QString& path, const QString& kind, const Tags& tags,
                 double seconds = 2.0, int rate = 44100, int bits = 16, double gainDb = 0)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString wav = path + QStringLiteral(".src.wav");
    const QString codec = bits == 24 ? QStringLiteral("pcm_s24le") : QStringLiteral("pcm_s16le");
    QStringList make{"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                     QStringLiteral("sine=frequency=440:duration=%1:sample_rate=%2").arg(seconds).arg(rate)};
    if (gainDb != 0)
        make << QStringLiteral("-af") << QStringLiteral("volume=%1dB").arg(gainDb);
    if (!Run(QStringLiteral("ffmpeg"), make << "-ac" << "2" << "-c:a" << codec << wav))
        return false;
    QStringList meta;
    auto add = [&meta](const char* key, const QString& value) {
        if (!value.isEmpty())
            meta << QStringLiteral("-metadata") << QLatin1String(key) + u'=' + value;
    };
    add("title", tags.title);
    add("artist", tags.artist);
    add("album", tags.album);
    add("date", tags.date);
    add("genre", tags.genre);
    add("track", tags.track);
    add("comment", tags.comment);
    // The tags as Vorbis comments, each given after option.
    const auto comments = [&tags](QStringList& args, const QString& option) {
        const std::pair<const char*, const QString*> fields[] = {
            {"TITLE", &tags.title},  {"ARTIST", &tags.artist},     {"ALBUM", &tags.album},
            {"DATE", &tags.date},    {"GENRE", &tags.genre},       {"TRACKNUMBER", &tags.track},
            {"COMMENT", &tags.comment}};
        for (const auto& [key, value] : fields) {
            if (!value->isEmpty())
                args << option << QLatin1String(key) + u'=' + *value;
        }
    };
    bool ok = false;
    if (kind == QLatin1String("flac")) {
        QStringList args{"-s", "-f", "-o", path};
        comments(args, QStringLiteral("-T"));
        ok = Run(QStringLiteral("flac"), args << wav);
    } else if (kind == QLatin1String("ogg")) {
        QStringList args{"-Q", "-o", path};
        comments(args, QStringLiteral("-c"));
        ok = Run(QStringLiteral("oggenc"), args << wav);
    } else if (kind == QLatin1String("opus")) {
        QStringList args{"--quiet"};
        comments(args, QStringLiteral("--comment"));
        ok = Run(QStringLiteral("opusenc"), args << wav << path);
    } else {
        QStringList args{"-nostdin", "-v", "error", "-y", "-i", wav};
        if (kind == QLatin1String("aiff"))
            args << "-c:a" << (bits == 24 ? "pcm_s24be" : "pcm_s16be") << "-write_id3v2" << "1";
        else if (kind == QLatin1String("m4a"))
            args << "-c:a" << "aac" << "-b:a" << "128k";
        else if (kind == QLatin1String("wv"))
            args << "-c:a" << "wavpack";
        else if (kind == QLatin1String("wav"))
            args << "-c:a" << codec;
        ok = Run(QStringLiteral("ffmpeg"), args + meta << path);
    }
    QFile::remove(wav);
    return ok;
}

} // namespace SourceFixture

#pragma once

// Small helpers shared by the test areas: files in temporary folders and
// short WAV files written on the spot.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QtEndian>

#include <cmath>

namespace TestUtil {

inline bool WriteFile(const QString& path, const QByteArray& data = QByteArray("x"))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data) == data.size();
}

inline QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A 16-bit PCM WAV file holding a sine tone of the given peak.
inline bool WriteWav(const QString& path, double seconds = 0.5, int rate = 44100,
                     int channels = 2, int amplitude = 8000)
{
    const int frames = int(seconds * rate);
    const quint32 dataBytes = quint32(frames * channels * 2);
    QByteArray d;
    auto u32 = [&d](quint32 v) { char b[4]; qToLittleEndian(v, b); d.append(b, 4); };
    auto u16 = [&d](quint16 v) { char b[2]; qToLittleEndian(v, b); d.append(b, 2); };
    d.append("RIFF");
    u32(36 + dataBytes);
    d.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(quint16(channels));
    u32(quint32(rate));
    u32(quint32(rate * channels * 2));
    u16(quint16(channels * 2));
    u16(16);
    d.append("data");
    u32(dataBytes);
    for (int i = 0; i < frames; ++i) {
        const auto s = qint16(amplitude * std::sin(2 * M_PI * 440.0 * i / rate));
        for (int c = 0; c < channels; ++c)
            u16(quint16(s));
    }
    return WriteFile(path, d);
}

// Settings and the user's folders under home: no test ever touches the
// real ones.
inline void UseHome(const QString& home)
{
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toUtf8());
}

} // namespace TestUtil

#pragma once

// Shared by the fuzz targets: an input is a list of fields separated by NUL
// bytes, so seeds stay readable and a mutation of one field leaves the others
// in place. Texts are taken as UTF-8 (invalid bytes become U+FFFD) or, when a
// field starts with the byte 0x01, as raw UTF-16LE, which lets the fuzzer
// reach lone surrogates and other text no UTF-8 decoder produces.

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Fuzz {

class TFields final
{
public:
    TFields(const uint8_t* data, size_t size)
        : m_data(reinterpret_cast<const char*>(data)), m_size(size) {}

    QByteArray Bytes()
    {
        if (m_pos > m_size)
            return QByteArray();
        size_t end = m_pos;
        while (end < m_size && m_data[end] != '\0')
            ++end;
        QByteArray field(m_data + m_pos, qsizetype(end - m_pos));
        m_pos = end + 1;
        return field;
    }

    QString Text()
    {
        const QByteArray b = Bytes();
        if (b.startsWith('\x01')) {
            QString s;
            for (qsizetype i = 1; i + 1 < b.size(); i += 2)
                s += QChar(char16_t(quint8(b[i]) | quint8(b[i + 1]) << 8));
            return s;
        }
        return QString::fromUtf8(b);
    }

    // A number from the field's first bytes (0 when the field is empty).
    unsigned Number()
    {
        const QByteArray b = Bytes();
        unsigned n = 0;
        for (qsizetype i = 0; i < b.size() && i < 4; ++i)
            n = n << 8 | quint8(b[i]);
        return n;
    }

    quint64 Number64()
    {
        const QByteArray b = Bytes();
        quint64 n = 0;
        for (qsizetype i = 0; i < b.size() && i < 8; ++i)
            n = n << 8 | quint8(b[i]);
        return n;
    }

private:
    const char* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A scratch folder for the whole fuzzing process, in memory when /dev/shm is there.
inline const QString& ScratchDir()
{
    static const std::unique_ptr<QTemporaryDir> dir = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        auto d = std::make_unique<QTemporaryDir>(base + QStringLiteral("/tessary-fuzz-XXXXXX"));
        if (!d->isValid())
            std::abort();
        return d;
    }();
    static const QString path = dir->path();
    return path;
}

[[noreturn]] inline void Fail(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

inline void Check(bool ok, const char* what, const QString& detail = QString())
{
    if (!ok)
        Fail(what, detail);
}

} // namespace Fuzz

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the window and its tag reader (tessary-reader, a helper process that
// parses sources with TagLib so that a hostile file can only take the helper
// down) say to each other over the helper's standard input and output. One
// request at a time per helper; the helper answers each one before it reads
// the next.
//
// Request, window to helper:
//   <verb> SP <length> LF <length bytes: the file's path> LF
//   verb "info": the tags and the audio facts; "cover": the embedded picture
//   (front cover, else the first), with the audio facts.
// Reply, helper to window:
//   "ok" SP <length> LF <body of length bytes>
//   "fail" SP <length> LF <a short UTF-8 text: why the file could not be read>
// The body is a run of records, each
//   <key> SP <length> LF <length bytes> LF
// Keys: title, artist, album, comment, date, genre, track (UTF-8 texts, the
// first value of the tag, trimmed); ms, bits, rate, channels (decimal);
// picture (the image's bytes), mime (its type as the file says). A key
// missing means the file does not say.
//
// Everything the window reads from a helper is untrusted: ParseReply checks
// every field and every size against the limits below, and a reply breaking
// any of them makes the helper one to kill.
namespace ReaderProtocol {

constexpr qsizetype MaxHeader = 32;                    // "fail 123\n" and the like
constexpr qsizetype MaxPicture = 16 * 1024 * 1024;     // see README: cover pictures
constexpr qsizetype MaxText = 4 * 1024;                // one tag value, UTF-8 bytes
constexpr qsizetype MaxFailure = 1024;                 // a fail reply's text
constexpr qsizetype MaxBody = MaxPicture + 64 * 1024;  // the whole of an ok reply
constexpr qsizetype MaxPath = 64 * 1024;               // a request's path (helper side)

enum class Verb { Info, Cover };

// The facts of one reply, as checked.
struct TAnswer
{
    bool readable = false;
    QString failure; // when not readable
    std::optional<QString> title, artist, album, comment, date, genre, track;
    qint64 durationMs = 0;
    int bitsPerSample = 0;
    int sampleRate = 0;
    int channels = 0;
    QByteArray picture;
    QString mime;
};

enum class Parse { NeedMore, Done, Broken };

// Takes one whole reply from the front of buffer into answer (and removes
// it); NeedMore leaves buffer as it is, Broken says why in error. Never
// allocates more than the limits allow beyond what buffer already holds.
Parse TakeReply(QByteArray& buffer, TAnswer* answer, QString* error);

QByteArray Request(Verb verb, const QString& path);

// Helper side: one request from the front of buffer; NeedMore or Broken
// leave verb and path alone.
Parse TakeRequest(QByteArray& buffer, Verb* verb, QByteArray* path);
QByteArray OkReply(const TAnswer& answer);
QByteArray FailReply(const QString& why);

} // namespace ReaderProtocol

// What a reader helper says: any bytes, arriving in any pieces. Replies are
// taken one after another until the stream breaks or needs more; none may
// crash, each taken one keeps within the caps, and nothing taken grows the
// buffer.

#include "fuzzinput.h"
#include "readerprotocol.h"
#include "sourcetags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte: how many bytes arrive at a time (1 to 256).
    const qsizetype piece = qsizetype(data[0]) + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const qsizetype total = qsizetype(size - 1);

    QByteArray buffer;
    qsizetype fed = 0;
    while (fed < total || !buffer.isEmpty()) {
        const qsizetype n = qMin(piece, total - fed);
        buffer.append(bytes + fed, n);
        fed += n;
        for (;;) {
            const qsizetype before = buffer.size();
            ReaderProtocol::TAnswer answer;
            QString error;
            const ReaderProtocol::Parse p = ReaderProtocol::TakeReply(buffer, &answer, &error);
            if (p == ReaderProtocol::Parse::Broken)
                return 0;
            if (p == ReaderProtocol::Parse::NeedMore) {
                Fuzz::Check(buffer.size() == before, "NeedMore changed the buffer");
                break;
            }
            Fuzz::Check(buffer.size() < before, "a reply taken without its bytes");
            Fuzz::Check(answer.picture.size() <= ReaderProtocol::MaxPicture, "picture over the cap");
            Fuzz::Check(answer.failure.size() <= 200, "failure over the cap");
            for (const auto* t : {&answer.title, &answer.artist, &answer.album, &answer.comment,
                                  &answer.date, &answer.genre, &answer.track})
                Fuzz::Check(!*t || (*t)->size() <= ReaderProtocol::MaxText, "text over the cap");
            Fuzz::Check(answer.bitsPerSample >= 0 && answer.bitsPerSample <= 64, "bits");
            Fuzz::Check(answer.channels >= 0 && answer.channels <= 255, "channels");
            // What the window makes of it.
            const TSourceTags tags = TSourceTags::From(answer);
            Fuzz::Check(!tags.Title || tags.Title->size() <= 255, "title longer than a tag");
            Fuzz::Check(!tags.Track || *tags.Track >= 1, "track 0");
            (void)TCoverArt::Embedded(answer);
        }
        if (fed >= total)
            break;
    }
    return 0;
}

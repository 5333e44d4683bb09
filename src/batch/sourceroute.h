#pragma once

#include "sourcekind.h"

#include <QString>

// How a job's source reaches lame, decided by what the source is: a WAV
// lame reads exactly goes to it as it stands; any other WAV goes through
// the decoder whatever "Source formats" says (it is a WAV the user chose);
// other audio goes through the decoder when it may, and is refused with a
// reason when it may not; in decoding mode only MPEG audio is taken.
struct TSourceRoute
{
    enum class Way { Lame, Decoder, Refused };

    Way way = Way::Lame;
    QString reason; // Refused: why. Decoder: why a WAV needs it, else empty
    TSourceKind kind;

    // mode: 0 encode, 1 decode. decoderAllowed: "Source formats" is on, or
    // the source's name is one of the decoder's kinds.
    static TSourceRoute For(const TSourceKind& kind, int mode, bool decoderAllowed);
};

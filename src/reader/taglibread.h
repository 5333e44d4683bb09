#pragma once

#include "readerprotocol.h"

// The TagLib side of the reader: everything Tessary learns from inside a
// source file other than a WAV header or MPEG frames. Runs only in the
// tessary-reader helper, never in the window's process.
namespace TagLibRead {

// Tags (the first value of each, trimmed, at most 255 characters) and the
// audio facts; not readable when TagLib cannot open the file.
ReaderProtocol::TAnswer Info(const QByteArray& path);
// The audio facts and the embedded picture: the front cover, else the first
// picture; no picture when the file has none.
ReaderProtocol::TAnswer Cover(const QByteArray& path);

} // namespace TagLibRead

#pragma once

// Tests: one request to a reader pool, answered before this returns (the
// event loop runs meanwhile), or a failure named "no answer" after 30 s.

#include "sourcereader.h"

#include <QEventLoop>
#include <QTimer>

#include <optional>

namespace TestUtil {

inline ReaderProtocol::TAnswer ReadNow(TSourceReader& reader, ReaderProtocol::Verb verb,
                                       const QString& path)
{
    std::optional<ReaderProtocol::TAnswer> got;
    QEventLoop loop;
    reader.Read(verb, path, nullptr, [&](const ReaderProtocol::TAnswer& a) {
        got = a;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (!got)
        loop.exec();
    if (!got) {
        ReaderProtocol::TAnswer none;
        none.failure = QStringLiteral("no answer");
        return none;
    }
    return *got;
}

} // namespace TestUtil

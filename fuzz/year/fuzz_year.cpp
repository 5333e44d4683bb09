// The year field: any text. Only a whole number ("[+-]digits" within 64
// bits) is taken; its low 16 bits decide: 0 or 10000 and more clear the year,
// anything else stores the text as typed; any other text leaves the year.

#include "fuzzinput.h"
#include "queue.h"

#include <limits>
#include <optional>

namespace {

std::optional<qint64> WholeNumber(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        i = 1;
    }
    if (i >= text.size())
        return std::nullopt;
    // Accumulated as a negative number, which reaches one further than a positive one.
    qint64 n = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int d = c - u'0';
        if (n < (std::numeric_limits<qint64>::min() + d) / 10)
            return std::nullopt;
        n = n * 10 - d;
    }
    if (!negative) {
        if (n == std::numeric_limits<qint64>::min())
            return std::nullopt;
        n = -n;
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::TFields in(data, size);
    const QString before = in.Text();
    const QString text = in.Text();

    qint64 read = 0;
    const bool ok = TQueueItem::ReadWholeNumber(text, &read);
    const std::optional<qint64> expected = WholeNumber(text);
    Fuzz::Check(ok == expected.has_value() && (!ok || read == *expected),
                "whole number read wrongly", text);

    TQueue queue;
    TQueueItem& job = *queue.Add();
    job.SetYear(before);
    const QString old = job.Year();
    job.SetYear(text);
    if (!expected) {
        Fuzz::Check(job.Year() == old, "a text that is no number changed the year", text);
    } else {
        const quint16 low = quint16(quint64(*expected) & 0xFFFF);
        const QString want = low == 0 || low >= 10000 ? QString() : text;
        Fuzz::Check(job.Year() == want, "wrong year stored", text + u'\n' + job.Year());
    }
    return 0;
}

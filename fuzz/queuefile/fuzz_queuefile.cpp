// The queue file reader: any bytes as a queue file. Nothing may crash; a
// refused file gives an empty queue and a reason; every job read holds only
// what its setters allow; what was read writes and reads back to the same
// jobs, lines and current line, and writing that again gives the same bytes.

#include "fuzzinput.h"
#include "jobfields.h"
#include "queuefile.h"

#include <QStringList>

namespace {

using TestUtil::Fields;

void CheckJob(const TQueueItem* j)
{
    const QString& in = j->InputFile();
    Fuzz::Check(in.startsWith(u'/') && !in.contains(QChar(u'\0'))
                    && in.toUtf8().size() <= TQueueItem::MaxPathBytes,
                "a source path the job could not hold", in);
    for (const QString* tag : {&j->Title(), &j->Artist(), &j->Album(), &j->Year(), &j->Comment()})
        Fuzz::Check(tag->size() <= TQueueFile::MaxTagLength && !tag->contains(QChar(u'\0')),
                    "a tag beyond its cap", *tag);
    for (int rate : {int(j->ABitrate()), int(j->MinBitrate()), int(j->MaxBitrate())})
        Fuzz::Check(TQueueItem::IsValidBitrate(rate), "a bitrate outside the list",
                    QString::number(rate));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TQueueFile::TReadResult first = TQueueFile::Read(bytes);
    if (!first.Ok()) {
        Fuzz::Check(first.content.Count() == 0 && first.content.lines.empty(),
                    "a refused file left jobs", first.error);
        return 0;
    }
    const TQueueContent& c = first.content;
    Fuzz::Check(int(c.lines.size()) == c.Count(), "lines and jobs differ in number");
    Fuzz::Check(c.current >= -1 && c.current < c.Count(), "current line out of range");
    for (int i = 0; i < c.Count(); ++i)
        CheckJob(c.queue->Items(i));

    const QByteArray written = TQueueFile::Write(c);
    const TQueueFile::TReadResult second = TQueueFile::Read(written);
    Fuzz::Check(second.Ok(), "a written file does not read", second.error);
    Fuzz::Check(second.dropped == 0, "a written job was dropped", QString::fromUtf8(written));
    Fuzz::Check(second.content.Count() == c.Count(), "jobs lost by a write and a read");
    for (int i = 0; i < c.Count(); ++i)
        Fuzz::Check(Fields(second.content.queue->Items(i)) == Fields(c.queue->Items(i)),
                    "a job changed by a write and a read", QString::fromUtf8(written));
    Fuzz::Check(second.content.lines == c.lines, "a line changed by a write and a read");
    Fuzz::Check(second.content.current == c.current, "the current line moved");
    Fuzz::Check(TQueueFile::Write(second.content) == written,
                "writing what was read wrote other bytes", QString::fromUtf8(written));
    return 0;
}

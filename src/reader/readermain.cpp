// tessary-reader: answers the window's requests about source files (see
// readerprotocol.h) on its standard input and output, one at a time, until
// its input ends. It parses with TagLib, which has known faults on crafted
// files; so it runs with a capped address space and stack, and the window
// kills and replaces it when it crashes, hangs or talks nonsense.

#include "readerprotocol.h"
#include "taglibread.h"

#include <taglib/tdebuglistener.h>

#include <QByteArray>
#include <QString>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// TagLib's complaints about broken files would only fill the window's log.
class TQuietListener final : public TagLib::DebugListener
{
public:
    void printMessage(const TagLib::String&) override {}
};

void Limit(int resource, rlim_t bytes)
{
    rlimit r{};
    if (getrlimit(resource, &r) != 0)
        return;
    if (r.rlim_max != RLIM_INFINITY && r.rlim_max < bytes)
        bytes = r.rlim_max;
    r.rlim_cur = bytes;
    setrlimit(resource, &r);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

bool WriteAll(const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = write(STDOUT_FILENO, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // A file TagLib allocates gigabytes for, or recurses into without end,
    // ends this process, not the machine's memory. AddressSanitizer maps far
    // more address space than that for itself, so its builds keep only the
    // stack limit.
    if (!kSanitized)
        Limit(RLIMIT_AS, rlim_t(1) << 30);
    Limit(RLIMIT_STACK, rlim_t(2) << 20);
    Limit(RLIMIT_CORE, 0);
    signal(SIGPIPE, SIG_DFL);

    // Tests only: a file whose path holds the given text makes the reader
    // hang or crash, as a hostile file would.
    QByteArray sleepOn, crashOn;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--test-sleep-on") == 0)
            sleepOn = argv[++i];
        else if (std::strcmp(argv[i], "--test-crash-on") == 0)
            crashOn = argv[++i];
    }

    TQuietListener quiet;
    TagLib::setDebugListener(&quiet);

    QByteArray buffer;
    char chunk[16384];
    for (;;) {
        ReaderProtocol::Verb verb{};
        QByteArray path;
        const ReaderProtocol::Parse got = ReaderProtocol::TakeRequest(buffer, &verb, &path);
        if (got == ReaderProtocol::Parse::Broken)
            return 2;
        if (got == ReaderProtocol::Parse::NeedMore) {
            const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return 0;
            buffer.append(chunk, qsizetype(n));
            continue;
        }
        if (!sleepOn.isEmpty() && path.contains(sleepOn))
            for (;;)
                pause();
        if (!crashOn.isEmpty() && path.contains(crashOn))
            std::abort();
        const ReaderProtocol::TAnswer answer = verb == ReaderProtocol::Verb::Info
                                                   ? TagLibRead::Info(path)
                                                   : TagLibRead::Cover(path);
        const QByteArray reply = answer.readable ? ReaderProtocol::OkReply(answer)
                                                 : ReaderProtocol::FailReply(answer.failure);
        if (!WriteAll(reply))
            return 0;
    }
}

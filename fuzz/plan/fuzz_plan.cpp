// The plan file a batch run reads (untrusted: it may come from anywhere). Any
// bytes: the parser never crashes, takes every line whole or refuses the
// text, and a parsed plan written back parses to the same lines. Every
// output the path check lets through lies inside the target folder once
// "." and ".." are resolved, and ends in the mode's extension.

#include "planfile.h"

#include <QDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "plan fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), qsizetype(size));
    const PlanFile::Parsed parsed = PlanFile::Parse(text);
    Require(parsed.error.isEmpty() == (parsed.errorLine == 0), "an error without its line");
    Require(parsed.error.isEmpty() || parsed.lines.empty(), "a refused text left lines");

    QByteArray again;
    for (const PlanFile::Line& line : parsed.lines) {
        Require(line.source.startsWith(u'/') && line.output.startsWith(u'/'), "a relative path");
        again += PlanFile::Format(line);
        for (const int mode : {0, 1}) {
            const QString target = QStringLiteral("/music/out/");
            if (PlanFile::OutputProblem(line.source, line.output, target, mode).isEmpty()) {
                const QString cleaned = QDir::cleanPath(line.output);
                Require(cleaned.startsWith(target) && cleaned.size() > target.size(),
                        "an output outside the target was let through");
                Require(cleaned.endsWith(mode == 1 ? u".wav" : u".mp3"), "a foreign extension");
            }
        }
    }
    const PlanFile::Parsed reparsed = PlanFile::Parse(again);
    Require(reparsed.error.isEmpty(), "a written plan does not parse");
    Require(reparsed.lines == parsed.lines, "a written plan parses to other lines");
    return 0;
}

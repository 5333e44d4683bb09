#include "batchoptions.h"

#include <QCoreApplication>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("TBatchOptions", text);
}

} // namespace

TBatchOptions TBatchOptions::Parse(const QStringList& arguments)
{
    TBatchOptions o;
    bool batch = false;
    bool plan = false;
    QString planValue;
    bool options = true;
    for (qsizetype i = 0; i < arguments.size() && o.error.isEmpty(); ++i) {
        QString a = arguments[i];
        if (!options || a == u"-" || !a.startsWith(u'-')) {
            o.sources << a;
            continue;
        }
        if (a == u"--") {
            options = false;
            continue;
        }
        std::optional<QString> inlineValue;
        if (const qsizetype eq = a.indexOf(u'='); a.startsWith(u"--") && eq > 2) {
            inlineValue = a.mid(eq + 1);
            a = a.left(eq);
        }
        const auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            o.error = Tr("параметру %1 нужно значение").arg(a);
            return std::nullopt;
        };
        const auto flag = [&](bool& field) {
            if (inlineValue)
                o.error = Tr("параметр %1 не принимает значения").arg(a);
            field = true;
        };
        if (a == u"--batch") {
            flag(batch);
        } else if (a == u"--plan") {
            // A value only with --batch, which may come after it: taken
            // now, and given back to the sources if it turns out a flag.
            plan = true;
            if (inlineValue) {
                planValue = *inlineValue;
            } else if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(u"--")) {
                planValue = arguments[++i];
                o.sources << QString(); // its place among the sources
            }
        } else if (a == u"--queue") {
            if (const auto v = value())
                o.queueFile = *v;
        } else if (a == u"--settings") {
            if (const auto v = value())
                o.settingsFile = *v;
        } else if (a == u"--target") {
            if (const auto v = value())
                o.target = *v;
        } else if (a == u"--jobs") {
            if (const auto v = value()) {
                bool ok = false;
                const int n = v->toInt(&ok);
                if (!ok || n < 0 || n > int(ProgramSettings::MaxParallelJobs))
                    o.error = Tr("--jobs: ожидалось число от 0 до %1").arg(ProgramSettings::MaxParallelJobs);
                else
                    o.jobs = n;
            }
        } else if (a == u"--existing") {
            if (const auto v = value()) {
                if (*v == u"overwrite")
                    o.existing = TExistingOutput::Overwrite;
                else if (*v == u"skip")
                    o.existing = TExistingOutput::Skip;
                else if (*v == u"keep-both")
                    o.existing = TExistingOutput::KeepBoth;
                else
                    o.error = Tr("--existing: ожидалось overwrite, skip или keep-both");
            }
        } else if (a == u"--decode") {
            flag(o.decode);
        } else if (a == u"--delete-source") {
            flag(o.deleteSource);
        } else if (a == u"--json") {
            flag(o.json);
        } else if (a == u"--help" || a == u"-h") {
            flag(o.help);
        } else {
            o.error = Tr("неизвестный параметр: %1").arg(a);
        }
    }
    // The empty place kept for a --plan value goes, or takes it back.
    const qsizetype held = o.sources.indexOf(QString());
    if (held >= 0) {
        if (batch)
            o.sources.removeAt(held);
        else
            o.sources[held] = planValue;
    }
    if (plan && batch) {
        o.planFile = planValue;
        if (o.planFile.isEmpty() && o.error.isEmpty())
            o.error = Tr("параметру --plan нужно значение: файл плана или «-»");
    }
    o.printPlan = plan && !batch;
    if (!o.error.isEmpty() || o.help)
        return o;
    const int inputs = int(!o.planFile.isEmpty()) + int(!o.queueFile.isEmpty())
                       + int(!o.sources.isEmpty());
    if (inputs == 0)
        o.error = Tr("не указаны файлы, папки, --plan или --queue");
    else if (inputs > 1)
        o.error = Tr("файлы и папки, --plan и --queue нельзя сочетать");
    return o;
}

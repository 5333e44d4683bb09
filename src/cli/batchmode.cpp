#include "batchmode.h"

#include "batchoptions.h"
#include "batchrun.h"
#include "consolerunview.h"
#include "decoderpipe.h"
#include "newjob.h"
#include "outputplan.h"
#include "planfile.h"
#include "programsettings.h"
#include "queue.h"
#include "queuefile.h"
#include "settingsstore.h"
#include "signalwatcher.h"
#include "sourcepaths.h"
#include "sourcereader.h"
#include "sourcetags.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace BatchMode {

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("BatchMode", text);
}

void Err(const QString& text)
{
    std::fputs((QStringLiteral("tessary: ") + text + u'\n').toUtf8().constData(), stderr);
}

QString HelpText()
{
    return Tr("Использование:\n"
              "  tessary --batch [ПАРАМЕТРЫ] ФАЙЛ|ПАПКА...   сжать без окна\n"
              "  tessary --batch [ПАРАМЕТРЫ] --plan ФАЙЛ|-   выполнить задания плана\n"
              "  tessary --batch [ПАРАМЕТРЫ] --queue ФАЙЛ    выполнить необработанные задания файла очереди\n"
              "  tessary --plan [ПАРАМЕТРЫ] ФАЙЛ|ПАПКА...    вывести план, ничего не запуская\n"
              "\n"
              "Параметры:\n"
              "  --settings ФАЙЛ     файл настроек вместо файла пользователя\n"
              "  --target ПАПКА      папка назначения\n"
              "  --jobs N            заданий одновременно (0 — по числу ядер)\n"
              "  --existing overwrite|skip|keep-both\n"
              "                      что делать с уже существующими файлами результата\n"
              "  --decode            декодирование MP3 в WAV\n"
              "  --delete-source     удалять исходный файл после выполненного задания\n"
              "  --json              по объекту JSON в строке на каждое событие\n"
              "\n"
              "Строка плана: исходный файл, файл результата, отметки и номер трека,\n"
              "через табуляцию; в путях \\\\ — обратная косая черта, \\t — табуляция,\n"
              "\\n — перевод строки, \\r — возврат каретки.\n"
              "Код выхода: 0 — все задания выполнены или пропущены по выбору,\n"
              "1 — есть ошибки, 2 — неверный вызов или запуск отклонён, 130 — прервано.\n");
}

// Standard input or a file, at most the plan's cap (one byte more tells it
// is over).
bool ReadPlan(const QString& name, QByteArray* bytes, QString* error)
{
    QFile file;
    bool opened = false;
    if (name == u"-") {
        opened = file.open(stdin, QIODevice::ReadOnly);
    } else {
        // Only a regular file: a FIFO or a device given by mistake could
        // block or never end.
        const QFileInfo info(name);
        if (!info.isFile()) {
            *error = Tr("файл плана не найден: %1").arg(name);
            return false;
        }
        file.setFileName(name);
        opened = file.open(QIODevice::ReadOnly);
    }
    if (!opened) {
        *error = Tr("не удалось открыть план: %1").arg(name);
        return false;
    }
    while (bytes->size() <= PlanFile::MaxBytes) {
        const QByteArray chunk = file.read(1 << 20);
        if (chunk.isEmpty())
            break;
        *bytes += chunk;
    }
    return true;
}

struct Jobs
{
    TQueue queue;
    QHash<quint64, TGivenOutput> given;
    std::vector<int> skipLines; // lines the plan marks to be skipped
    QStringList names;          // each job's source as given
    // Jobs whose source tags are to be read, with the track a plan gave
    // them (which the source's own does not override).
    std::vector<std::pair<quint64, std::optional<quint8>>> wantTags;
};

TQueueItem* AddJob(Jobs& jobs, const QString& path, const ProgramSettings& settings, int mode)
{
    TQueueItem* job = jobs.queue.Add();
    // A source that is gone leaves the job without one; the run fails it
    // and the messages name it as given.
    job->SetInputFile(path);
    jobs.names << path;
    NewJob::Init(*job, settings, NewJob::Fixed(), nullptr);
    // As the window adds a file: source tags only with the other source
    // kinds, read by the reader helpers (ReadSourceTags).
    if (mode != DecodeMode && settings.AllSourceFormats)
        jobs.wantTags.emplace_back(job->Id(), std::nullopt);
    return job;
}

// The source tags of the jobs that want them, from the reader helpers, as
// the window gets them: a file that cannot be read keeps its job without.
void ReadSourceTags(Jobs& jobs, TSourceReader& reader)
{
    if (jobs.wantTags.empty())
        return;
    QEventLoop loop;
    QObject::connect(&reader, &TSourceReader::Idle, &loop, &QEventLoop::quit);
    for (const auto& [id, track] : jobs.wantTags) {
        TQueueItem* job = jobs.queue.Find(id);
        reader.Read(ReaderProtocol::Verb::Info, job->InputFile(), &loop,
                    [job, track = track](const ReaderProtocol::TAnswer& answer) {
                        if (!answer.readable)
                            return;
                        const TSourceTags tags = TSourceTags::From(answer);
                        NewJob::ApplyTags(*job, NewJob::Fixed(), &tags);
                        if (track) {
                            job->SetTrack(*track);
                            job->AutoTrack = false;
                        }
                    },
                    TSourceReader::Later);
    }
    if (reader.Pending() > 0)
        loop.exec();
}

int FromSources(Jobs& jobs, const TBatchOptions& o, const ProgramSettings& settings, int mode)
{
    const QString mask = mode == DecodeMode ? QStringLiteral("*.mp?")
                         : settings.AllSourceFormats ? TDecoderPipe::SourceMask()
                                                     : QStringLiteral("*.wav");
    const SourcePaths::Result sources = SourcePaths::Expand(o.sources, mask);
    for (const QString& refused : sources.refused)
        Err(Tr("не файл текущего вида и не папка: %1").arg(refused));
    if (!sources.refused.isEmpty())
        return Refused;
    QSet<QString> queued;
    for (const QString& path : sources.files) {
        if (queued.contains(path))
            continue;
        queued.insert(path);
        AddJob(jobs, path, settings, mode);
    }
    return AllDone;
}

int FromPlan(Jobs& jobs, const TBatchOptions& o, const ProgramSettings& settings, int mode)
{
    QByteArray bytes;
    QString error;
    if (!ReadPlan(o.planFile, &bytes, &error)) {
        Err(error);
        return Refused;
    }
    const PlanFile::Parsed plan = PlanFile::Parse(bytes);
    if (!plan.error.isEmpty()) {
        Err(Tr("план, строка %1: %2").arg(plan.errorLine).arg(plan.error));
        return Refused;
    }
    // Every line is checked before anything runs: a piece is run whole or
    // not at all.
    for (std::size_t i = 0; i < plan.lines.size(); ++i) {
        const PlanFile::Line& line = plan.lines[i];
        if (const QString problem =
                PlanFile::OutputProblem(line.source, line.output, settings.TargetDirectory, mode);
            !problem.isEmpty()) {
            Err(Tr("план, задание %1: %2: %3").arg(i + 1).arg(line.output, problem));
            return Refused;
        }
    }
    for (const PlanFile::Line& line : plan.lines) {
        TQueueItem* job = AddJob(jobs, line.source, settings, mode);
        // The plan numbered the tracks over the whole library.
        job->SetTrack(line.track);
        job->AutoTrack = false;
        if (!jobs.wantTags.empty() && jobs.wantTags.back().first == job->Id())
            jobs.wantTags.back().second = quint8(line.track);
        TGivenOutput out;
        out.path = line.output;
        if (line.overwrite)
            out.existing = TExistingOutput::Overwrite;
        jobs.given.insert(job->Id(), out);
        if (line.skip)
            jobs.skipLines.push_back(job->Index());
    }
    return AllDone;
}

// The jobs of a saved queue, as the window would reopen them: each with
// its own tags and compression; lines already processed are left out, and
// so is a second job of a source queued once already.
int FromQueue(Jobs& jobs, const TBatchOptions& o)
{
    const TQueueFile::TReadResult read = TQueueFile::ReadFile(o.queueFile);
    if (!read.Ok()) {
        Err(read.error);
        return Refused;
    }
    QSet<QString> queued;
    const TQueue& saved = *read.content.queue;
    for (int i = 0; i < saved.Count(); ++i) {
        const TQueueItem* record = saved.Items(i);
        if (read.content.lines[std::size_t(i)].processed || queued.contains(record->InputFile()))
            continue;
        queued.insert(record->InputFile());
        TQueueItem* job = jobs.queue.Add();
        job->Assign(record);
        jobs.names << record->InputFile();
    }
    return AllDone;
}

std::vector<const TQueueItem*> AllJobs(const TQueue& queue)
{
    std::vector<const TQueueItem*> all;
    for (int i = 0; i < queue.Count(); ++i)
        all.push_back(queue.Items(i));
    return all;
}

int PrintPlan(const Jobs& jobs, const ProgramSettings& settings, int mode,
              TExistingOutput existing)
{
    TOutputPlan plan;
    for (const TPlannedOutput& p : plan.Compute(AllJobs(jobs.queue), settings, mode, existing)) {
        PlanFile::Line line;
        line.source = p.job->InputFile();
        line.output = p.path;
        line.clash = p.clashWith != nullptr;
        line.exists = p.existed;
        line.overwrite = p.replace;
        line.skip = p.skip;
        line.track = p.track;
        const QByteArray text = PlanFile::Format(line);
        std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
    }
    std::fflush(stdout);
    return std::ferror(stdout) ? SomeFailed : AllDone;
}

// With "Спрашивать" and no --existing nobody can answer: the outputs that
// exist are listed and the run does not start.
bool ExistingOutputs(const Jobs& jobs, const ProgramSettings& settings, int mode)
{
    std::vector<std::pair<QString, QString>> existing;
    if (jobs.given.isEmpty()) {
        TOutputPlan plan;
        for (const TPlannedOutput& p :
             plan.Compute(AllJobs(jobs.queue), settings, mode, TExistingOutput::Ask)) {
            if (p.existed)
                existing.emplace_back(p.job->InputFile(), p.path);
        }
    } else {
        for (int i = 0; i < jobs.queue.Count(); ++i) {
            const TQueueItem* job = jobs.queue.Items(i);
            const TGivenOutput& out = jobs.given[job->Id()];
            if (!out.existing && QFileInfo::exists(out.path)
                && std::find(jobs.skipLines.begin(), jobs.skipLines.end(), i)
                       == jobs.skipLines.end())
                existing.emplace_back(jobs.names[i], out.path);
        }
    }
    if (existing.empty())
        return false;
    Err(Tr("файлы результата уже существуют (%1):").arg(existing.size()));
    for (const auto& [source, output] : existing)
        std::fputs(QStringLiteral("  %1 -> %2\n").arg(source, output).toUtf8().constData(), stderr);
    Err(Tr("запуск отменён: укажите --existing overwrite, skip или keep-both"));
    return true;
}

} // namespace

int Main(const QStringList& arguments)
{
    const TBatchOptions o = TBatchOptions::Parse(arguments.mid(1));
    if (o.help) {
        std::fputs(HelpText().toUtf8().constData(), stdout);
        return AllDone;
    }
    if (!o.error.isEmpty()) {
        Err(o.error);
        Err(Tr("справка: tessary --batch --help"));
        return Refused;
    }
    ProgramSettings settings;
    if (o.settingsFile.isEmpty()) {
        LoadSettings(settings, {});
    } else {
        if (!QFileInfo(o.settingsFile).isFile()) {
            Err(Tr("файл настроек не найден: %1").arg(o.settingsFile));
            return Refused;
        }
        LoadSettingsFile(settings, o.settingsFile);
    }
    if (o.target) {
        QString target = QFileInfo(*o.target).absoluteFilePath();
        if (!target.endsWith(u'/'))
            target += u'/';
        settings.TargetDirectory = target;
    }
    if (o.jobs)
        settings.ParallelJobs = quint32(*o.jobs);
    if (o.deleteSource)
        settings.DeleteAfterProcess = true;
    // The countdown between jobs is there for a hand on the cancel button;
    // here a signal cancels at any moment.
    settings.PauseBetweenJobs = 0;
    const TExistingOutput existing = o.existing.value_or(settings.ExistingOutput);
    const int mode = o.decode ? DecodeMode : EncodeMode;

    Jobs jobs;
    const int loaded = !o.planFile.isEmpty()    ? FromPlan(jobs, o, settings, mode)
                       : !o.queueFile.isEmpty() ? FromQueue(jobs, o)
                                                : FromSources(jobs, o, settings, mode);
    if (loaded != AllDone)
        return loaded;
    TSourceReader reader;
    ReadSourceTags(jobs, reader);

    if (o.printPlan)
        return PrintPlan(jobs, settings, mode, existing);

    if (existing == TExistingOutput::Ask && ExistingOutputs(jobs, settings, mode))
        return Refused;

    const TConsoleRunView::Style style = o.json ? TConsoleRunView::Style::Json
                                         : ::isatty(::fileno(stdout))
                                             ? TConsoleRunView::Style::Terminal
                                             : TConsoleRunView::Style::Lines;
    TConsoleRunView view(jobs.queue, jobs.names, mode, style, stdout);
    TBatchRun run(jobs.queue, settings, view);
    run.SetSourceReader(&reader);
    run.SetGivenOutputs(jobs.given);
    // As the window: another encoder for demonstrations, tests and the benchmark.
    if (const QString encoder = qEnvironmentVariable("TESSARY_ENCODER"); !encoder.isEmpty())
        run.SetEncoderProgram(encoder);

    bool interrupted = false;
    TSignalWatcher watcher({SIGINT, SIGTERM});
    QObject::connect(&watcher, &TSignalWatcher::Received, &run, [&run, &interrupted](int) {
        // Once: no new job starts; twice: the running ones are stopped.
        interrupted = true;
        run.Cancel();
    });
    QObject::connect(&run, &TBatchRun::Finished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);

    QElapsedTimer clock;
    clock.start();
    for (const int line : jobs.skipLines)
        view.SkipBeforeRun(line, TBatchRun::SkippedReason());
    if (jobs.queue.Count() > 0) {
        run.Start(existing);
        if (run.IsRunning())
            QCoreApplication::exec();
    }

    const int status = interrupted         ? Interrupted
                       : view.Failed() > 0 ? SomeFailed
                                           : AllDone;
    view.Summary(status, interrupted, clock.elapsed() / 1000.0);
    return status;
}

} // namespace BatchMode

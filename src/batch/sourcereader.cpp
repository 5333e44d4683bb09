#include "sourcereader.h"

#include "readerhelper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <algorithm>

TSourceReader::TSourceReader(QObject* parent)
    : QObject(parent), m_program(HelperProgram()),
      m_maxHelpers(qMax(1, QThread::idealThreadCount()))
{
}

TSourceReader::~TSourceReader() = default;

QString TSourceReader::HelperProgram()
{
    const QString name = QStringLiteral("tessary-reader");
    QStringList places;
    if (QCoreApplication::instance()) {
        const QString here = QCoreApplication::applicationDirPath();
        places << here + u'/' + name << here + QStringLiteral("/../libexec/tessary/") + name;
    }
#ifdef TESSARY_READER_INSTALLED
    places << QStringLiteral(TESSARY_READER_INSTALLED);
#endif
    // Tests and benchmarks run from their own folders of the build.
    if (const QString build = qEnvironmentVariable("TESSARY_BINARY_DIR"); !build.isEmpty())
        places << build + QStringLiteral("/src/ui/") + name;
    for (const QString& place : places) {
        const QFileInfo file(place);
        if (file.isFile() && file.isExecutable())
            return file.absoluteFilePath();
    }
    return QString();
}

void TSourceReader::Warm()
{
    if (m_program.isEmpty())
        return;
    while (int(m_helpers.size()) < m_maxHelpers)
        NewHelper();
    for (TReaderHelper* h : m_helpers)
        h->Start();
}

void TSourceReader::SetProgram(const QString& program, const QStringList& arguments)
{
    m_program = program;
    m_arguments = arguments;
    qDeleteAll(m_helpers);
    m_helpers.clear();
}

void TSourceReader::Read(ReaderProtocol::Verb verb, const QString& path, QObject* context,
                         Done done, Priority priority)
{
    Request request{verb, path, context != nullptr, priority, context, std::move(done)};
    if (m_program.isEmpty()) {
        ++m_busy;
        QTimer::singleShot(0, this, [this, request] {
            --m_busy;
            ReaderProtocol::TAnswer answer;
            answer.failure = TReaderHelper::MissingText();
            Deliver(request, answer);
        });
        return;
    }
    if (priority == Soon) {
        const auto firstLater = std::find_if(m_waiting.begin(), m_waiting.end(),
                                             [](const Request& r) { return r.priority == Later; });
        m_waiting.insert(firstLater, std::move(request));
    } else {
        m_waiting.push_back(std::move(request));
    }
    Dispatch();
}

TReaderHelper* TSourceReader::NewHelper()
{
    auto* helper = new TReaderHelper(
        m_program, m_arguments, m_timeLimit,
        [this](ReaderProtocol::Verb verb, const QString& path, Done done) {
            m_retries.push_back(Retry{verb, path, std::move(done)});
            QTimer::singleShot(0, this, &TSourceReader::Dispatch);
        },
        this);
    m_helpers.push_back(helper);
    return helper;
}

// The helper with the fewest requests ahead of a new one, started anew
// while there are fewer than m_maxHelpers and all are at work.
TReaderHelper* TSourceReader::FreeHelper()
{
    TReaderHelper* best = nullptr;
    for (TReaderHelper* h : m_helpers) {
        if (!best || h->Load() < best->Load())
            best = h;
    }
    if ((!best || best->Load() > 0) && int(m_helpers.size()) < m_maxHelpers)
        best = NewHelper();
    return best && best->Load() < TReaderHelper::MaxAhead ? best : nullptr;
}

void TSourceReader::Dispatch()
{
    while (!m_retries.empty()) {
        TReaderHelper* helper = FreeHelper();
        if (!helper)
            return;
        Retry retry = std::move(m_retries.front());
        m_retries.pop_front();
        helper->Send(retry.verb, retry.path, std::move(retry.done));
    }
    while (!m_waiting.empty()) {
        Request request = std::move(m_waiting.front());
        m_waiting.pop_front();
        // A request whose asker has gone is not worth a helper's time.
        if (request.guarded && !request.context) {
            if (Pending() == 0)
                Q_EMIT Idle();
            continue;
        }
        TReaderHelper* helper = FreeHelper();
        if (!helper) {
            m_waiting.push_front(std::move(request));
            return;
        }
        ++m_busy;
        const QString path = request.path;
        helper->Send(request.verb, path,
                     [this, request = std::move(request)](const ReaderProtocol::TAnswer& answer) {
                         --m_busy;
                         Deliver(request, answer);
                         // Later: done may have asked for more, or deleted its asker.
                         QTimer::singleShot(0, this, &TSourceReader::Dispatch);
                     });
    }
}

void TSourceReader::Deliver(const Request& request, const ReaderProtocol::TAnswer& answer)
{
    if (!request.guarded || request.context)
        request.done(answer);
    if (Pending() == 0)
        Q_EMIT Idle();
}

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

void TSourceReader::Dispatch()
{
    while (!m_waiting.empty()) {
        TReaderHelper* free = nullptr;
        for (TReaderHelper* h : m_helpers) {
            if (!h->Busy()) {
                free = h;
                break;
            }
        }
        if (!free) {
            if (int(m_helpers.size()) >= m_maxHelpers)
                return;
            free = new TReaderHelper(m_program, m_arguments, m_timeLimit, this);
            m_helpers.push_back(free);
        }
        Request request = std::move(m_waiting.front());
        m_waiting.pop_front();
        // A request whose asker has gone is not worth a helper's time.
        if (request.guarded && !request.context) {
            if (Pending() == 0)
                Q_EMIT Idle();
            continue;
        }
        ++m_busy;
        const QString path = request.path;
        free->Send(request.verb, path,
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

#pragma once

#include "readerprotocol.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <chrono>
#include <deque>
#include <functional>
#include <vector>

class TReaderHelper;

// The window's way to what lies inside source files (tags, audio facts,
// embedded pictures): requests go to a pool of tessary-reader helpers, up to
// one per processor core, so that a hostile file only ever takes a helper
// down (see ReaderProtocol). Asynchronous throughout: nothing here waits for
// a process. A request whose helper crashed, hung past the time limit or
// broke the protocol ends unreadable, with the reason, and its helper is
// replaced; the requests behind it go on.
class TSourceReader final : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const ReaderProtocol::TAnswer&)>;

    explicit TSourceReader(QObject* parent = nullptr);
    ~TSourceReader() override;

    // Soon goes before every Later request still waiting (a job about to
    // start before the lengths of the run's other sources).
    enum Priority { Soon, Later };
    // done runs once, from the event loop (never within this call), unless
    // context (when given) is gone by then.
    void Read(ReaderProtocol::Verb verb, const QString& path, QObject* context, Done done,
              Priority priority = Soon);
    // Requests not answered yet.
    int Pending() const { return int(m_waiting.size()) + m_busy; }

    // Starts the helpers now, so that the first files to be read do not wait
    // for them (a helper that has nothing to do just waits on its input).
    void Warm();

    // The helper found next to the program, in its installed place or, for
    // the tests, in the build; empty when none is there.
    static QString HelperProgram();

    // Tests: another program or arguments, a shorter time, fewer helpers.
    void SetProgram(const QString& program, const QStringList& arguments = {});
    void SetTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }
    void SetMaxHelpers(int count) { m_maxHelpers = qMax(1, count); }

    static constexpr std::chrono::milliseconds DefaultTimeLimit{5000};

Q_SIGNALS:
    // The last pending request has been answered.
    void Idle();

private:
    struct Request
    {
        ReaderProtocol::Verb verb;
        QString path;
        bool guarded = false;
        Priority priority = Soon;
        QPointer<QObject> context;
        Done done;
    };
    struct Retry
    {
        ReaderProtocol::Verb verb;
        QString path;
        std::function<void(const ReaderProtocol::TAnswer&)> done; // counted in m_busy already
    };
    void Dispatch();
    TReaderHelper* FreeHelper();
    TReaderHelper* NewHelper();
    void Deliver(const Request& request, const ReaderProtocol::TAnswer& answer);

    QString m_program;
    QStringList m_arguments;
    std::chrono::milliseconds m_timeLimit = DefaultTimeLimit;
    int m_maxHelpers;
    std::vector<TReaderHelper*> m_helpers; // children
    std::deque<Request> m_waiting;
    std::deque<Retry> m_retries; // sent to a helper that died before it got to them
    int m_busy = 0; // sent to a helper, or to be sent again
};

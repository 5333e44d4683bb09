#pragma once

#include "readerprotocol.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>

// One tessary-reader process and the requests it is answering, in order (a
// few are sent ahead, so that the helper never waits for the window). The
// replies are checked as they come (ReaderProtocol::TakeReply); a helper
// that crashes, outruns the time limit on a file, talks nonsense or says
// more than it was asked is killed: the file it was on ends unreadable with
// the window's own words, and the requests sent after it go back to the
// pool through resend, for a new helper. The process starts again with the
// next request.
class TReaderHelper final : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const ReaderProtocol::TAnswer&)>;
    using Resend = std::function<void(ReaderProtocol::Verb, const QString&, Done)>;

    TReaderHelper(const QString& program, const QStringList& arguments,
                  std::chrono::milliseconds timeLimit, Resend resend, QObject* parent = nullptr);
    ~TReaderHelper() override;

    // Requests sent and not answered yet.
    int Load() const { return int(m_sent.size()); }
    static constexpr int MaxAhead = 128;
    // Starts the process, if it is not running.
    void Start()
    {
        if (!m_process)
            StartProcess();
    }
    // Sends one request; done comes once, from the event loop.
    void Send(ReaderProtocol::Verb verb, const QString& path, Done done);

    // The texts a request ends with when the helper failed it.
    static QString CrashedText();
    static QString TimeoutText();
    static QString BrokenText();
    static QString MissingText();
    static QString DamagedText();

private:
    struct Sent
    {
        ReaderProtocol::Verb verb;
        QString path;
        Done done;
    };
    void StartProcess();
    void OnReadyRead();
    void OnEnded();
    void FailFront(const QString& why, bool kill);
    void Discard();

    QString m_program;
    QStringList m_arguments;
    Resend m_resend;
    QProcess* m_process = nullptr;
    QByteArray m_buffer;
    QTimer m_timer; // for the request at the front
    std::deque<Sent> m_sent;
};

#pragma once

#include "readerprotocol.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>

// One tessary-reader process and the request it is answering. The reply is
// checked as it comes (ReaderProtocol::TakeReply); a helper that crashes,
// outruns its time, talks nonsense or says more than it was asked is killed,
// and the request ends unreadable with the window's own words. The process
// is started again for the next request.
class TReaderHelper final : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const ReaderProtocol::TAnswer&)>;

    TReaderHelper(const QString& program, const QStringList& arguments,
                  std::chrono::milliseconds timeLimit, QObject* parent = nullptr);
    ~TReaderHelper() override;

    bool Busy() const { return bool(m_done); }
    // Sends one request; done comes once, from the event loop.
    void Send(ReaderProtocol::Verb verb, const QString& path, Done done);

    // The texts a request ends with when the helper failed it.
    static QString CrashedText();
    static QString TimeoutText();
    static QString BrokenText();
    static QString MissingText();
    static QString DamagedText();

private:
    void StartProcess();
    void OnReadyRead();
    void OnEnded();
    void Finish(const ReaderProtocol::TAnswer& answer);
    void FailWith(const QString& why, bool kill);
    void Discard();

    QString m_program;
    QStringList m_arguments;
    QProcess* m_process = nullptr;
    QByteArray m_buffer;
    QTimer m_timer;
    Done m_done;
};

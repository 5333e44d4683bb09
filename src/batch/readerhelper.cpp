#include "readerhelper.h"

#include <QCoreApplication>

using ReaderProtocol::TAnswer;

TReaderHelper::TReaderHelper(const QString& program, const QStringList& arguments,
                             std::chrono::milliseconds timeLimit, Resend resend, QObject* parent)
    : QObject(parent), m_program(program), m_arguments(arguments), m_resend(std::move(resend))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(timeLimit);
    connect(&m_timer, &QTimer::timeout, this, [this] { FailFront(TimeoutText(), true); });
}

TReaderHelper::~TReaderHelper()
{
    // Only when the pool goes (the window closes): a helper holds nothing
    // worth keeping, and a killed one is reaped at once.
    if (m_process) {
        disconnect(m_process, nullptr, this, nullptr);
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

QString TReaderHelper::CrashedText()
{
    return QCoreApplication::translate("TReaderHelper", "чтение файла завершилось аварийно");
}

QString TReaderHelper::TimeoutText()
{
    return QCoreApplication::translate("TReaderHelper", "чтение файла заняло слишком много времени");
}

QString TReaderHelper::BrokenText()
{
    return QCoreApplication::translate("TReaderHelper", "программа чтения ответила неверно");
}

QString TReaderHelper::MissingText()
{
    return QCoreApplication::translate("TReaderHelper", "программа чтения tessary-reader не запускается");
}

QString TReaderHelper::DamagedText()
{
    return QCoreApplication::translate("TReaderHelper", "формат не распознан или файл повреждён");
}

void TReaderHelper::StartProcess()
{
    m_process = new QProcess(this);
    m_process->setProgram(m_program);
    m_process->setArguments(m_arguments);
    // What the helper says on its error output is of no use to the window.
    m_process->setStandardErrorFile(QProcess::nullDevice());
    connect(m_process, &QProcess::readyReadStandardOutput, this, &TReaderHelper::OnReadyRead);
    connect(m_process, &QProcess::finished, this, &TReaderHelper::OnEnded);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            OnEnded();
    });
    m_buffer.clear();
    m_process->start();
}

void TReaderHelper::Send(ReaderProtocol::Verb verb, const QString& path, Done done)
{
    if (!m_process)
        StartProcess();
    if (m_sent.empty())
        m_timer.start();
    m_sent.push_back(Sent{verb, path, std::move(done)});
    m_process->write(ReaderProtocol::Request(verb, path));
}

void TReaderHelper::OnReadyRead()
{
    if (!m_process)
        return;
    m_buffer += m_process->readAllStandardOutput();
    while (!m_buffer.isEmpty()) {
        if (m_sent.empty()) {
            // Nobody asked: a helper that talks by itself is not to be trusted.
            Discard();
            return;
        }
        ReaderProtocol::TAnswer answer;
        switch (ReaderProtocol::TakeReply(m_buffer, &answer, nullptr)) {
        case ReaderProtocol::Parse::NeedMore:
            // TakeReply has checked the header's length; the buffer grows
            // only up to it.
            if (m_buffer.size() > ReaderProtocol::MaxHeader + ReaderProtocol::MaxBody)
                FailFront(BrokenText(), true);
            return;
        case ReaderProtocol::Parse::Broken:
            FailFront(BrokenText(), true);
            return;
        case ReaderProtocol::Parse::Done: {
            if (!answer.readable)
                answer.failure = DamagedText(); // the helper's own words are not shown
            Sent front = std::move(m_sent.front());
            m_sent.pop_front();
            if (m_sent.empty())
                m_timer.stop();
            else
                m_timer.start(); // the next file's time starts now
            front.done(answer);
            break;
        }
        }
    }
}

void TReaderHelper::OnEnded()
{
    if (!m_process)
        return;
    const bool missing = m_process->error() == QProcess::FailedToStart;
    m_process->disconnect(this);
    m_process->deleteLater();
    m_process = nullptr;
    m_buffer.clear();
    if (!m_sent.empty())
        FailFront(missing ? MissingText() : CrashedText(), false);
}

void TReaderHelper::Discard()
{
    if (!m_process)
        return;
    QProcess* p = m_process;
    m_process = nullptr;
    p->disconnect(this);
    // Deleted once it has ended; a QProcess deleted while running would wait.
    connect(p, &QProcess::finished, p, &QObject::deleteLater);
    connect(p, &QProcess::errorOccurred, p, &QObject::deleteLater);
    p->kill();
    m_buffer.clear();
}

void TReaderHelper::FailFront(const QString& why, bool kill)
{
    if (kill)
        Discard();
    m_timer.stop();
    std::deque<Sent> sent = std::exchange(m_sent, {});
    if (sent.empty())
        return;
    ReaderProtocol::TAnswer answer;
    answer.failure = why;
    Sent front = std::move(sent.front());
    sent.pop_front();
    // A helper that cannot even start fails every request; the others were
    // only waiting behind the file that took the helper down.
    front.done(answer);
    for (Sent& s : sent) {
        if (why == MissingText())
            s.done(answer);
        else
            m_resend(s.verb, s.path, std::move(s.done));
    }
}

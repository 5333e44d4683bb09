#include "signalwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Both ends non-blocking: a burst of signals that fills the pipe loses only
// repeats, and the handler can never block.
int g_pipe[2] = {-1, -1};

void OnSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TSignalWatcher::TSignalWatcher(const QList<int>& signalNumbers, QObject* parent)
    : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TSignalWatcher::OnReadable);

    m_active = true;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls elsewhere in the program go on as if nothing happened.
    action.sa_flags = SA_RESTART;
    for (const int s : signalNumbers) {
        // A signal ignored from the start (nohup) stays ignored: whoever
        // started us asked the program to outlive its terminal.
        struct sigaction old = {};
        if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        if (::sigaction(s, &action, nullptr) == 0)
            m_installed << s;
        else
            m_active = false;
    }
}

TSignalWatcher::~TSignalWatcher()
{
    if (!m_notifier)
        return;
    for (const int s : std::as_const(m_installed))
        std::signal(s, SIG_DFL);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TSignalWatcher::OnReadable()
{
    unsigned char bytes[64];
    ssize_t n;
    while ((n = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i)
            Q_EMIT Received(bytes[i]);
    }
}

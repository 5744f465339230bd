#include "platform/endsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t g_writeEnd = -1;

// Async-signal-safe: one write, errno kept. A full pipe drops the byte; one is enough.
void onSignal(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    if (g_writeEnd >= 0)
        (void)!::write(g_writeEnd, &number, 1);
    errno = saved;
}

} // namespace

EndSignals::EndSignals(QObject *parent) : QObject(parent)
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("EndSignals: no pipe (%d); the signals keep their default action", errno);
        return;
    }
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndSignals::readPipe);
    g_writeEnd = m_pipe[1];
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // the reads and writes under way carry on
    for (int i = 0; i < 3; ++i)
        ::sigaction(Caught[i], &action, &m_previous[i]);
}

EndSignals::~EndSignals()
{
    if (m_pipe[0] < 0)
        return;
    for (int i = 0; i < 3; ++i)
        ::sigaction(Caught[i], &m_previous[i], nullptr);
    g_writeEnd = -1;
    delete m_notifier;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void EndSignals::readPipe()
{
    unsigned char numbers[16];
    ssize_t n;
    while ((n = ::read(m_pipe[0], numbers, sizeof numbers)) > 0 || (n < 0 && errno == EINTR)) {
        for (ssize_t i = 0; i < n; ++i)
            Q_EMIT received(numbers[i]);
    }
}

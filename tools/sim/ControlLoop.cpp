#include "ControlLoop.h"
#include "ControlLines.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace sim {

namespace {

sigset_t StopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

int ReceivedSignal(int signalDescriptor)
{
    signalfd_siginfo received{};
    const ssize_t got = ::read(signalDescriptor, &received, sizeof received);
    return got == ssize_t(sizeof received) ? int(received.ssi_signo) : SIGTERM;
}

// Reads what the input has; false once it has ended, failed or was no descriptor at all.
bool ReadInput(int input, short events, ControlLines& lines, bool& quit)
{
    if ((events & POLLNVAL) != 0)
        return false;
    char chunk[256];
    const ssize_t got = ::read(input, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    if (got > 0) {
        quit = !lines.Take(chunk, size_t(got));
        return true;
    }
    quit = !lines.Finish();
    return false;
}

int Serve(int signalDescriptor, int input, std::FILE* output, ControlTarget& target)
{
    ControlLines lines(output, target);
    bool reading = input >= 0;
    for (;;) {
        pollfd entries[2] = {{signalDescriptor, POLLIN, 0}, {input, POLLIN, 0}};
        if (::poll(entries, reading ? 2 : 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            return SIGTERM;
        }
        if (entries[0].revents != 0)
            return ReceivedSignal(signalDescriptor);
        if (!reading || entries[1].revents == 0)
            continue;
        bool quit = false;
        reading = ReadInput(input, entries[1].revents, lines, quit);
        if (quit)
            return 0;
    }
}

} // namespace

bool KeepStandardDescriptors()
{
    const bool hadInput = ::fcntl(STDIN_FILENO, F_GETFD) != -1;
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1)
            continue;
        const int placeholder = ::open("/dev/null", O_RDWR);
        if (placeholder >= 0 && placeholder != descriptor) {
            ::dup2(placeholder, descriptor);
            ::close(placeholder);
        }
    }
    return hadInput;
}

NativeHandle StandardInput()
{
    return STDIN_FILENO;
}

bool IsInteractive(NativeHandle input)
{
    return ::isatty(input) == 1;
}

void HoldStopRequests()
{
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // Answers to a reader that went away must not end the simulator; a read from the terminal
    // while in the background fails instead of stopping it.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTTIN, SIG_IGN);
}

int RunControlLoop(NativeHandle input, std::FILE* output, ControlTarget& target)
{
    const sigset_t signals = StopSignals();
    const int signalDescriptor = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalDescriptor < 0) {
        int received = SIGTERM;
        sigwait(&signals, &received);
        return received;
    }
    const int result = Serve(signalDescriptor, input, output, target);
    ::close(signalDescriptor);
    return result;
}

} // namespace sim

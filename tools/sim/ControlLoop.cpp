#include "ControlLoop.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr size_t LongestLine = 1024;

sigset_t StopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

// The answer to one line; false when the line asks to end.
bool Answer(const std::string& line, std::FILE* output, ControlTarget& target)
{
    const std::vector<std::string> words = SplitWords(line);
    if (words.empty())
        return true;
    if (words.size() == 1 && words[0] == "quit")
        return false;
    if (words.size() == 1 && words[0] == "help") {
        std::fputs(ControlHelp(HelpForm::Lines).c_str(), output);
    } else {
        const ParsedControl control = ParseControl(words);
        const std::string answer =
            control.action ? control.action(target) : "error: " + control.error;
        std::fprintf(output, "%s\n", answer.c_str());
    }
    std::fflush(output);
    return true;
}

// Collects input into lines and answers the complete ones.
class LineReader {
public:
    LineReader(std::FILE* output, ControlTarget& target) : output_(output), target_(target) {}

    // false when a line asked to end.
    bool Take(const char* bytes, size_t size)
    {
        for (size_t i = 0; i < size; ++i) {
            if (bytes[i] != '\n') {
                if (pending_.size() < LongestLine)
                    pending_ += bytes[i];
                else
                    overlong_ = true;
                continue;
            }
            const std::string line = std::move(pending_);
            const bool overlong = overlong_;
            pending_.clear();
            overlong_ = false;
            if (overlong) {
                std::fputs("error: line too long\n", output_);
                std::fflush(output_);
            } else if (!Answer(line, output_, target_)) {
                return false;
            }
        }
        return true;
    }

    // The last line, when the input ended without a line feed.
    bool Finish() { return pending_.empty() || Take("\n", 1); }

private:
    std::FILE* output_;
    ControlTarget& target_;
    std::string pending_;
    bool overlong_ = false;
};

int ReceivedSignal(int signalDescriptor)
{
    signalfd_siginfo received{};
    const ssize_t got = ::read(signalDescriptor, &received, sizeof received);
    return got == ssize_t(sizeof received) ? int(received.ssi_signo) : SIGTERM;
}

// Reads what the input has; false once it has ended, failed or was no descriptor at all.
bool ReadInput(int input, short events, LineReader& reader, bool& quit)
{
    if ((events & POLLNVAL) != 0)
        return false;
    char chunk[256];
    const ssize_t got = ::read(input, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    if (got > 0) {
        quit = !reader.Take(chunk, size_t(got));
        return true;
    }
    quit = !reader.Finish();
    return false;
}

int Serve(int signalDescriptor, int input, std::FILE* output, ControlTarget& target)
{
    LineReader reader(output, target);
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
        reading = ReadInput(input, entries[1].revents, reader, quit);
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

void BlockStopSignals()
{
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // Answers to a reader that went away must not end the simulator; a read from the terminal
    // while in the background fails instead of stopping it.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTTIN, SIG_IGN);
}

int RunControlLoop(int input, std::FILE* output, ControlTarget& target)
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

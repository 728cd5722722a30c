#include "TerminationRequests.h"

#include "core/SignalCatch.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> CaughtSignals = {SIGTERM, SIGHUP, SIGINT};

// The handler may only write: the event loop reads the other end.
int sendingEnd = -1;
int receivingEnd = -1;

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(sendingEnd, &byte, 1);
}

// Whether a signal came since the last call.
bool Received()
{
    char bytes[16];
    bool received = false;
    while (::read(receivingEnd, bytes, sizeof bytes) > 0)
        received = true;
    return received;
}

} // namespace

struct TerminationRequests::Watch {
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<SignalCatch> caught;
};

TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
        return;
    sendingEnd = ends[0];
    receivingEnd = ends[1];
    watch_ = std::make_unique<Watch>();
    watch_->notifier = std::make_unique<QSocketNotifier>(receivingEnd, QSocketNotifier::Read);
    connect(watch_->notifier.get(), &QSocketNotifier::activated, this, [this] {
        if (Received())
            emit Requested();
    });
    // A second signal of the kind meets the former action, the default, and ends the program.
    watch_->caught = std::make_unique<SignalCatch>(CaughtSignals, OnSignal, SA_RESTART | SA_RESETHAND);
}

TerminationRequests::~TerminationRequests()
{
    if (!watch_)
        return;
    watch_.reset();
    ::close(sendingEnd);
    ::close(receivingEnd);
    sendingEnd = receivingEnd = -1;
}

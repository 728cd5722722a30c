#include "Servers.h"
#include "TerminalSpeed.h"
#include "Waiting.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace fs = std::filesystem;

namespace {

// Bytes that stay incomplete this long are garbage.
constexpr std::chrono::milliseconds ReceiveSilence{20};

void MakeRaw(int descriptor)
{
    termios settings{};
    if (tcgetattr(descriptor, &settings) != 0)
        return;
    cfmakeraw(&settings);
    tcsetattr(descriptor, TCSANOW, &settings);
}

} // namespace

std::string WhyNoPseudoTerminals()
{
    return {};
}

PtyServer::PtyServer(Line line, std::string linkPath)
    : line_(std::move(line)), linkPath_(std::move(linkPath))
{
    char name[PATH_MAX] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        failure_ = std::string("openpty: ") + std::strerror(errno);
        master_ = slave_ = -1;
        return;
    }
    path_ = name;
    MakeRaw(slave_);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    if (!linkPath_.empty() && !CreateLink()) {
        ::close(master_);
        ::close(slave_);
        master_ = slave_ = -1;
        return;
    }
    thread_ = std::thread([this] { Serve(); });
}

PtyServer::~PtyServer()
{
    stop_.Raise();
    if (thread_.joinable())
        thread_.join();
    if (master_ >= 0) {
        std::error_code error;
        if (!linkPath_.empty() && fs::read_symlink(linkPath_, error) == path_)
            fs::remove(linkPath_, error);
        ::close(master_);
        ::close(slave_);
    }
}

bool PtyServer::CreateLink()
{
    std::error_code error;
    const fs::path link(linkPath_);
    fs::create_directories(link.parent_path(), error);
    if (fs::is_symlink(fs::symlink_status(link, error)))
        fs::remove(link, error);
    fs::create_symlink(path_, link, error);
    if (error) {
        failure_ = "link " + linkPath_ + ": " + error.message();
        return false;
    }
    return true;
}

void PtyServer::Serve()
{
    std::vector<uint8_t> buffer;
    uint8_t chunk[256];
    std::optional<Clock::time_point> silenceAt;
    for (;;) {
        const Wake wake = WaitFor(master_, stop_.Handle(), silenceAt);
        if (wake == Wake::Stopped)
            return;
        if (wake == Wake::TimeUp) {
            line_.Receive(buffer);  // an incomplete or broken frame: counted as garbage
            buffer.clear();
            silenceAt.reset();
            continue;
        }
        const ssize_t got = ::read(master_, chunk, sizeof chunk);
        if (got <= 0) {
            // No reader on the other side yet: wait a little rather than spin.
            if (WaitFor(NoHandle, stop_.Handle(), Clock::now() + ReceiveSilence) == Wake::Stopped)
                return;
            continue;
        }
        buffer.insert(buffer.end(), chunk, chunk + got);
        while (buffer.size() >= busframe::RequestSize
               && busframe::DecodeRequest(std::span(buffer.data(), busframe::RequestSize))) {
            const std::vector<uint8_t> frame(buffer.begin(),
                                             buffer.begin() + busframe::RequestSize);
            buffer.erase(buffer.begin(), buffer.begin() + busframe::RequestSize);
            Handle(frame);
        }
        silenceAt = buffer.empty() ? std::nullopt
                                   : std::optional<Clock::time_point>(Clock::now() + ReceiveSilence);
    }
}

void PtyServer::Handle(const std::vector<uint8_t>& frame)
{
    const Clock::time_point receivedAt = Clock::now();
    const Response response = line_.Receive(frame, TerminalSpeed(slave_));

    for (const auto& late : held_)
        Put(late);
    held_.clear();

    if (response.kind == Response::Kind::Silent)
        return;
    if (response.late) {
        held_.push_back(response.bytes);
        return;
    }
    PutAsOnTheWire(response, receivedAt);
}

// Each character as it would come off the wire, the last one when the reply is complete: a
// listener sees the first ones while the rest is still on its way.
void PtyServer::PutAsOnTheWire(const Response& response, Clock::time_point receivedAt)
{
    const std::span<const uint8_t> bytes(response.bytes);
    const auto complete = receivedAt + response.delay;
    if (response.characterTime.count() == 0) {
        if (WaitFor(NoHandle, stop_.Handle(), complete) != Wake::Stopped)
            Put(bytes);
        return;
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto due = complete - response.characterTime * long(bytes.size() - 1 - i);
        if (WaitFor(NoHandle, stop_.Handle(), due) == Wake::Stopped)
            return;
        Put(bytes.subspan(i, 1));
    }
}

void PtyServer::Put(std::span<const uint8_t> bytes)
{
    // A line does not wait for its listener: what does not fit is lost.
    [[maybe_unused]] const ssize_t written = ::write(master_, bytes.data(), bytes.size());
}

} // namespace sim

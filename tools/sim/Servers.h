// Serving simulated modules: as a LAN converter on a UDP port of 127.0.0.1, or on a
// pseudo-terminal as a serial line. Each server answers for the modules of its line (a module
// alone is a line of its own) in a thread of its own from construction to destruction.
#pragma once

#include "Line.h"
#include "NativeHandle.h"
#include "UdpSocket.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace sim {

// Wakes a server's thread for stopping.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;
    void Raise();
    NativeHandle Handle() const { return handle_; }

private:
    NativeHandle handle_;
};

class UdpServer {
public:
    // Port 0 picks a free port; Port() tells which.
    explicit UdpServer(Line line, uint16_t port = 0);
    ~UdpServer();
    UdpServer(const UdpServer&) = delete;
    UdpServer& operator=(const UdpServer&) = delete;

    bool Listening() const { return socket_.Bound(); }
    const std::string& Failure() const { return socket_.Failure(); }
    uint16_t Port() const { return port_; }

    // The next count replies are each preceded by a forged copy (the same transaction id, the
    // data bytes inverted) sent from another UDP port, which a driver must ignore.
    void SendStrayReplies(uint32_t count);

private:
    struct Held {
        std::vector<uint8_t> datagram;
        Peer peer;
    };
    void Serve();
    void Handle(const std::vector<uint8_t>& datagram, const Peer& peer);
    bool TakeStrayReply();  // whether one of the stray replies asked for is due
    void SendStray(uint16_t transactionId, const std::vector<uint8_t>& reply, const Peer& peer);

    Line line_;
    UdpSocket socket_;
    UdpSocket straySocket_{0};  // the forged replies come from here
    uint16_t port_ = 0;
    std::atomic<uint32_t> strayCount_{0};
    std::vector<Held> held_;
    StopSignal stop_;
    std::thread thread_;
};

// ports/comN beside a program directory, for PtyServer's link.
inline std::string ComLink(const std::string& programDirectory, int comNumber)
{
    return (std::filesystem::path(programDirectory) / "ports" / ("com" + std::to_string(comNumber)))
        .string();
}

// Why this platform has no pseudo-terminals to serve on, empty where it has them. Windows has
// none: there a PtyServer never listens, and says this as its Failure().
std::string WhyNoPseudoTerminals();

class PtyServer {
public:
    // linkPath, when given, becomes a symbolic link to the pseudo-terminal (its folder is
    // created); it is removed again on destruction. The line runs at the speed the program on
    // the other side has set on the terminal, and replies with wire time come a character at a
    // time.
    explicit PtyServer(Line line, std::string linkPath = {});
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    bool Listening() const { return master_ >= 0; }
    const std::string& Failure() const { return failure_; }
    const std::string& Path() const { return path_; }  // /dev/pts/N
    const std::string& LinkPath() const { return linkPath_; }

private:
    void Serve();
    void Handle(const std::vector<uint8_t>& frame);
    void Put(std::span<const uint8_t> bytes);
    void PutAsOnTheWire(const Response& response, std::chrono::steady_clock::time_point receivedAt);
    bool CreateLink();

    Line line_;
    int master_ = -1;
    int slave_ = -1;  // kept open, so the line stays up while no driver has it open
    std::string path_;
    std::string linkPath_;
    std::string failure_;
    std::vector<std::vector<uint8_t>> held_;
    StopSignal stop_;
    std::thread thread_;
};

} // namespace sim

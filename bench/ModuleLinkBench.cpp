// How much the driver libraries add to the line itself.
//
// UDP: one transaction through RVD773 and the simulated LAN converter, against a bare UDP echo
// round trip on the same loopback. Target: at most 1.5 times the echo. Both run on one CPU
// (wake-ups across CPUs cost more than the work itself and vary with where the scheduler puts
// the threads), in alternating blocks, and each figure is the median of all its samples.
// Pseudo-terminal: the 55 register reads of a configuration read through RVS770, with the
// simulator emulating the wire time, against the wire-time bound: per read the request and
// reply bits divided by the bus speed plus two silence gaps (the module's before it answers,
// ours before the next request). Target: at most 1.1 times the bound, at 9600 and 115200 Bd.
#include "OneCpu.h"
#include "Servers.h"

#include "core/ProgramDirectory.h"
#include "drivers/DriverBinding.h"
#include "drivers/Transaction.h"
#include "tests/support/ProgramFolder.h"

#include <QString>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int RoundTrips = 4000;
constexpr int BlockSize = 100;
constexpr int ConfigurationReads = 55;
constexpr int Repeats = 3;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MicrosecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The bare loopback: a thread that sends every datagram back.
class EchoServer {
public:
    EchoServer() : socket_(::socket(AF_INET, SOCK_DGRAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t size = sizeof address;
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~EchoServer()
    {
        stop_ = true;
        thread_.join();
        ::close(socket_);
    }
    uint16_t Port() const { return port_; }

private:
    void Serve()
    {
        uint8_t datagram[512];
        while (!stop_) {
            pollfd entry{socket_, POLLIN, 0};
            if (::poll(&entry, 1, 50) != 1)
                continue;
            sockaddr_storage peer{};
            socklen_t size = sizeof peer;
            const ssize_t got = ::recvfrom(socket_, datagram, sizeof datagram, 0,
                                           reinterpret_cast<sockaddr*>(&peer), &size);
            if (got > 0)
                ::sendto(socket_, datagram, size_t(got), 0, reinterpret_cast<sockaddr*>(&peer),
                         size);
        }
    }

    int socket_;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A client of the bare echo: one datagram of the driver's request size there and back.
class EchoClient {
public:
    explicit EchoClient(uint16_t port)
        : socket_(::socket(AF_INET, SOCK_DGRAM, 0)),
          request_(busframe::EncodeRequestDatagram(1, {1, 102, 0, 0, {4, 4, 0, 0}}))
    {
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(socket_, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
    }
    ~EchoClient() { ::close(socket_); }

    double RoundTripUs()
    {
        uint8_t reply[512];
        const Clock::time_point start = Clock::now();
        ::send(socket_, request_.data(), request_.size(), 0);
        pollfd entry{socket_, POLLIN, 0};
        ::poll(&entry, 1, 1000);
        ::recv(socket_, reply, sizeof reply, 0);
        return MicrosecondsSince(start);
    }

private:
    int socket_;
    std::vector<uint8_t> request_;
};

bool ReadOnce(uint8_t type, uint32_t handle, uint8_t reg)
{
    uint8_t status = 0xFF;
    ReadRegister(type, handle, 1, reg, status);
    return status == 0;
}

struct UdpFigures {
    double echoUs = 0;
    double driverUs = 0;
};

// Echo and driver round trips in alternating blocks, so that both meet the same machine.
UdpFigures UdpRoundTrips()
{
    ProgramFolder folder;
    sim::Module module;
    sim::UdpServer server(module);
    EchoServer echo;
    EchoClient echoClient(echo.Port());
    const QByteArray address("127.0.0.1");
    DriverConfigBlock config{};
    config[0] = reinterpret_cast<intptr_t>(address.constData());
    config[1] = server.Port();
    uint32_t handle = 0;
    if (LoadDriver(4, &handle, config) != 0 || ConfigureDriver(4, handle, 9600, 200, 2) != 0) {
        std::printf("RVD773 could not be opened\n");
        return {};
    }
    std::vector<double> echoTimes;
    std::vector<double> driverTimes;
    int failed = 0;
    for (int block = 0; block < RoundTrips / BlockSize; ++block) {
        for (int i = 0; i < BlockSize; ++i)
            echoTimes.push_back(echoClient.RoundTripUs());
        for (int i = 0; i < BlockSize; ++i) {
            const Clock::time_point start = Clock::now();
            failed += ReadOnce(4, handle, uint8_t(i % 60)) ? 0 : 1;
            driverTimes.push_back(MicrosecondsSince(start));
        }
    }
    CloseDriver(4, &handle);
    if (failed > 0)
        std::printf("%d transactions failed\n", failed);
    return {Median(echoTimes), Median(driverTimes)};
}

double WireBoundUs(uint32_t baud)
{
    const double perRead =
        double(busframe::WireTimeUs(busframe::RequestSize + busframe::ReplySize, baud))
        + 2.0 * double(busframe::SilenceGapUs(baud));
    return ConfigurationReads * perRead;
}

double ConfigurationReadUs(uint32_t baud)
{
    ProgramFolder folder;
    sim::Module module;
    module.SetWireSpeed(baud);
    sim::PtyServer server(module, sim::ComLink(folder.Path(), 1));
    DriverConfigBlock config{};
    config[0] = 1;
    uint32_t handle = 0;
    if (LoadDriver(0, &handle, config) != 0 || ConfigureDriver(0, handle, int32_t(baud), 200, 2) != 0) {
        std::printf("RVS770 could not be opened\n");
        return 0;
    }
    ReadOnce(0, handle, 59);  // the line is in step from here on
    std::vector<double> runs;
    for (int repeat = 0; repeat < Repeats; ++repeat) {
        const Clock::time_point start = Clock::now();
        for (int read = 0; read < ConfigurationReads; ++read)
            if (!ReadOnce(0, handle, uint8_t(read)))
                std::printf("read %d failed\n", read);
        runs.push_back(MicrosecondsSince(start));
    }
    CloseDriver(0, &handle);
    return Median(runs);
}

void Report(const char* what, double measured, double reference, const char* referenceName,
            double target)
{
    const double ratio = measured / reference;
    std::printf("%-44s %10.1f us  %s %10.1f us  ratio %.3f (target <= %.1f) %s\n", what, measured,
                referenceName, reference, ratio, target, ratio <= target ? "ok" : "OVER");
    WarnBelowOne(ratio, referenceName);
}

} // namespace

int main()
{
    PinToOneCpu();
    const UdpFigures udp = UdpRoundTrips();
    Report("UDP: one transaction through RVD773", udp.driverUs, udp.echoUs, "bare echo", 1.5);
    for (const uint32_t baud : {9600u, 115200u}) {
        char what[64];
        std::snprintf(what, sizeof what, "pty: 55 register reads at %u Bd", baud);
        Report(what, ConfigurationReadUs(baud), WireBoundUs(baud), "wire bound", 1.1);
    }
    return 0;
}

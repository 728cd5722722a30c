// Times the configuration read and write sequences against the simulated module and compares
// each with its bound, measured in the same run:
//   over UDP on loopback: the sequence's pauses plus its transactions × a bare UDP echo round trip;
//   over a pseudo-terminal at 9600 Bd with emulated wire time: the wire time of every frame and
//   of the silence the bus requires between frames, with the pauses (see SerialBound).
#include "ModuleFrame.h"
#include "Module.h"
#include "Servers.h"

#include "config/Connection.h"
#include "config/Sequences.h"
#include "core/ProgramDirectory.h"
#include "drivers/DriverBinding.h"
#include "drivers/Transaction.h"
#include "tests/support/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int ReadPauses = 10;
constexpr int ReadTransactions = ReadStepCount;
constexpr int WritePauses = WriteStepCount - 1;
constexpr int WriteTransactions = 2 * WriteStepCount;

double Seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

// The median of the runs, in seconds.
double Median(int runs, const std::function<void()>& action)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        action();
        times.push_back(Seconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Paces the sequences as the window does, without a window to repaint.
class PacingReporter : public SequenceReporter {
public:
    void SetStatusText(const QString& text) override { last = text; }
    void RepaintStatus() override {}
    void ProcessPendingEvents() override {}
    void PauseOneMillisecond() override { QThread::msleep(1); }
    QString last;
};

double PauseSeconds()
{
    return Median(9, [] {
               for (int i = 0; i < 100; ++i)
                   QThread::msleep(1);
           })
        / 100;
}

// A loopback UDP echo, to time a bare round trip of a datagram of the driver's size.
double UdpEchoRoundTripSeconds(size_t datagramSize)
{
    const int server = socket(AF_INET, SOCK_DGRAM, 0);
    const int client = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(server, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(server, reinterpret_cast<sockaddr*>(&address), &size);
    connect(client, reinterpret_cast<sockaddr*>(&address), size);

    constexpr int Rounds = 2000;
    std::thread echo([server] {
        std::vector<uint8_t> buffer(1500);
        for (int i = 0; i < Rounds; ++i) {
            sockaddr_in peer{};
            socklen_t peerSize = sizeof peer;
            const ssize_t got = recvfrom(server, buffer.data(), buffer.size(), 0,
                                         reinterpret_cast<sockaddr*>(&peer), &peerSize);
            if (got > 0)
                sendto(server, buffer.data(), size_t(got), 0, reinterpret_cast<sockaddr*>(&peer),
                       peerSize);
        }
    });
    std::vector<uint8_t> datagram(datagramSize, 0x55);
    std::vector<uint8_t> reply(1500);
    const auto start = Clock::now();
    for (int i = 0; i < Rounds; ++i) {
        send(client, datagram.data(), datagram.size(), 0);
        recv(client, reply.data(), reply.size(), 0);
    }
    const double seconds = Seconds(Clock::now() - start) / Rounds;
    echo.join();
    close(client);
    close(server);
    return seconds;
}

bool Connect(TData& data, int interfaceType, std::array<QString, 3> parameters)
{
    InitData(data);
    ConnectionInput input;
    input.interfaceType = interfaceType;
    input.moduleAddress = QStringLiteral("1");
    input.speedIndex = 4;
    input.parameters = parameters;
    const ConnectionResult result = InitializeConnection(data, input);
    if (!result.connected)
        std::fprintf(stderr, "no connection: %s\n", qPrintable(result.panelText));
    return result.connected;
}

// A register read through the bound driver, without any pause.
double TransactionSeconds(const TData& data)
{
    constexpr int Reads = 500;
    return Median(5, [&] {
               uint8_t status = 0;
               for (int i = 0; i < Reads; ++i)
                   ReadRegister(data.InterfaceType, data.DriverHandle, data.ModuleAddress, 4,
                                status);
           })
        / Reads;
}

struct SequenceTimes {
    double read = 0;
    double write = 0;
};

SequenceTimes TimeSequences(TData& data, int runs)
{
    PacingReporter reporter;
    TZEMO config = DefaultModelConfig();
    SequenceTimes times;
    times.read = Median(runs, [&] { PrectiData(&data, config, reporter); });
    if (reporter.last != QStringLiteral(" Konfigurace přečtena."))
        std::fprintf(stderr, "read failed: %s\n", qPrintable(reporter.last));
    config.Note = config.Note.leftJustified(50, QLatin1Char(' '));
    times.write = Median(runs, [&] { ZapisData(&data, config, reporter); });
    if (reporter.last != QStringLiteral(" Konfigurace zapsána."))
        std::fprintf(stderr, "write failed: %s\n", qPrintable(reporter.last));
    return times;
}

void Report(const char* what, double measured, double bound, double limit)
{
    std::printf("%-34s %9.2f ms  bound %9.2f ms  ratio %.3f  (limit %.2f)  %s\n", what,
                measured * 1e3, bound * 1e3, measured / bound, limit,
                measured / bound <= limit ? "ok" : "OVER");
}

void OverUdp(double pause)
{
    sim::Module module("KQ-3110", 1);
    sim::UdpServer server(module);
    TData data;
    if (!server.Listening() || !Connect(data, InterfaceLan, {QStringLiteral("127.0.0.1"),
                                                             QString::number(server.Port()),
                                                             QStringLiteral("100")}))
        return;
    const double roundTrip = UdpEchoRoundTripSeconds(busframe::TransactionIdSize + busframe::RequestSize);
    std::printf("UDP echo round trip on loopback: %.1f us\n", roundTrip * 1e6);
    std::printf("one register read through the driver: %.1f us\n",
                TransactionSeconds(data) * 1e6);
    const SequenceTimes times = TimeSequences(data, 15);
    Report("read over UDP (55 transactions)", times.read,
           ReadPauses * pause + ReadTransactions * roundTrip, 1.25);
    Report("write over UDP (118 transactions)", times.write,
           WritePauses * pause + WriteTransactions * roundTrip, 1.25);
    CloseDriver(data.InterfaceType, &data.DriverHandle);
}

// The least time a sequence can take on a serial bus: every transaction's request, the
// turnaround silence and the reply on the wire, and between one transaction's reply and the
// next request the silence the bus requires, which a pause of the sequence overlaps.
double SerialBound(int transactions, int pauses, double pause, uint32_t baud)
{
    const double gap = double(busframe::SilenceGapUs(baud)) / 1e6;
    const double frames = double(busframe::WireTimeUs(busframe::RequestSize, baud)
                                 + busframe::WireTimeUs(busframe::ReplySize, baud))
        / 1e6;
    const int unpaused = transactions - 1 - pauses;
    return transactions * (frames + gap) + unpaused * gap + pauses * std::max(gap, pause);
}

void OverPseudoTerminal(double pause, const std::string& programDirectory)
{
    constexpr uint32_t Baud = 9600;
    sim::Module module("KQ-3110", 1);
    module.SetWireSpeed(Baud);
    sim::PtyServer server(module, sim::ComLink(programDirectory, 1));
    TData data;
    if (!server.Listening()
        || !Connect(data, InterfaceCom, {QStringLiteral("1"), QString(), QString()}))
        return;
    std::printf("at %u Bd: request %.2f ms, reply %.2f ms, silence between frames %.2f ms\n",
                Baud, double(busframe::WireTimeUs(busframe::RequestSize, Baud)) / 1e3,
                double(busframe::WireTimeUs(busframe::ReplySize, Baud)) / 1e3,
                double(busframe::SilenceGapUs(Baud)) / 1e3);
    const SequenceTimes times = TimeSequences(data, 3);
    Report("read over a 9600 Bd line", times.read,
           SerialBound(ReadTransactions, ReadPauses, pause, Baud), 1.05);
    Report("write over a 9600 Bd line", times.write,
           SerialBound(WriteTransactions, WritePauses, pause, Baud), 1.05);
    CloseDriver(data.InterfaceType, &data.DriverHandle);
}

} // namespace

int main()
{
    ProgramFolder program;
    const double pause = PauseSeconds();
    std::printf("1 ms pause takes: %.3f ms\n", pause * 1e3);
    OverUdp(pause);
    OverPseudoTerminal(pause, program.Path());
    return 0;
}

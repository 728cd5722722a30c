// Times the configuration read and write sequences against the simulated module and compares
// each with its bound, measured in the same run:
//   over UDP on loopback: the sequence's pauses (as long as they took in the run measured) plus
//   its transactions × a bare UDP echo round trip;
//   over a pseudo-terminal at 9600 Bd with emulated wire time: the wire time of every frame and
//   of the silence the bus requires between frames, with the pauses (see SerialBound); the
//   silence-free figure of frames and pauses alone is printed beside it.
#include "ModuleFrame.h"
#include "OneCpu.h"
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

// Paces the sequences as the window does, without a window to repaint, and keeps how long the
// pauses really took: the bound holds the pauses of the very run it is compared with.
class PacingReporter : public SequenceReporter {
public:
    void SetStatusText(const QString& text) override { last = text; }
    void RepaintStatus() override {}
    void ProcessPendingEvents() override {}
    void PauseOneMillisecond() override
    {
        const auto start = Clock::now();
        QThread::msleep(1);
        paused += Seconds(Clock::now() - start);
        ++pauses;
    }
    double AveragePause() const { return pauses > 0 ? paused / pauses : 0; }
    void ResetPauses()
    {
        paused = 0;
        pauses = 0;
    }
    QString last;
    double paused = 0;
    int pauses = 0;
};

// One run of a sequence: how long it took and how long its pauses took on average.
struct Timed {
    double seconds = 0;
    double pause = 0;
};

// The run of median length.
Timed MedianRun(int runs, PacingReporter& reporter, const std::function<void()>& action)
{
    std::vector<Timed> times;
    for (int i = 0; i < runs; ++i) {
        reporter.ResetPauses();
        const auto start = Clock::now();
        action();
        times.push_back({Seconds(Clock::now() - start), reporter.AveragePause()});
    }
    std::sort(times.begin(), times.end(),
              [](const Timed& a, const Timed& b) { return a.seconds < b.seconds; });
    return times[times.size() / 2];
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
    Timed read;
    Timed write;
};

SequenceTimes TimeSequences(TData& data, int runs)
{
    PacingReporter reporter;
    TZEMO config = DefaultModelConfig();
    SequenceTimes times;
    times.read = MedianRun(runs, reporter, [&] { PrectiData(&data, config, reporter); });
    if (reporter.last != QStringLiteral(" Konfigurace přečtena."))
        std::fprintf(stderr, "read failed: %s\n", qPrintable(reporter.last));
    config.Note = config.Note.leftJustified(50, QLatin1Char(' '));
    times.write = MedianRun(runs, reporter, [&] { ZapisData(&data, config, reporter); });
    if (reporter.last != QStringLiteral(" Konfigurace zapsána."))
        std::fprintf(stderr, "write failed: %s\n", qPrintable(reporter.last));
    return times;
}

void Report(const char* what, double measured, double bound, double limit)
{
    std::printf("%-34s %9.2f ms  bound %9.2f ms  ratio %.3f  (limit %.2f)  %s\n", what,
                measured * 1e3, bound * 1e3, measured / bound, limit,
                measured / bound <= limit ? "ok" : "OVER");
    WarnBelowOne(measured / bound, "bound");
}

void OverUdp()
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
    std::printf("a 1 ms pause took %.3f ms in the read, %.3f ms in the write\n",
                times.read.pause * 1e3, times.write.pause * 1e3);
    Report("read over UDP (55 transactions)", times.read.seconds,
           ReadPauses * times.read.pause + ReadTransactions * roundTrip, 1.25);
    Report("write over UDP (118 transactions)", times.write.seconds,
           WritePauses * times.write.pause + WriteTransactions * roundTrip, 1.25);
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

// The same without any silence: the frames on the wire and the sequence's pauses. No serial
// bus can reach it; it shows how much of the bound the silences make up.
double FramesAndPauses(int transactions, int pauses, double pause, uint32_t baud)
{
    const double frames = double(busframe::WireTimeUs(busframe::RequestSize, baud)
                                 + busframe::WireTimeUs(busframe::ReplySize, baud))
        / 1e6;
    return transactions * frames + pauses * pause;
}

void ReportSerial(const char* what, const Timed& measured, int transactions, int pauses,
                  uint32_t baud)
{
    Report(what, measured.seconds, SerialBound(transactions, pauses, measured.pause, baud), 1.05);
    const double silenceFree = FramesAndPauses(transactions, pauses, measured.pause, baud);
    std::printf("%-34s %9s     frames + pauses %9.2f ms  (measured / that: %.3f)\n", "", "",
                silenceFree * 1e3, measured.seconds / silenceFree);
}

void OverPseudoTerminal(const std::string& programDirectory)
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
    std::printf("the ratio is against frames + silences + pauses: the 3.5-character silences\n"
                "before each reply and between transactions are the bus protocol's own rule, so\n"
                "no driver can avoid them (a 1 ms pause runs inside a silence where it is the\n"
                "shorter); frames + pauses without any silence is shown beside it\n");
    const SequenceTimes times = TimeSequences(data, 3);
    ReportSerial("read over a 9600 Bd line", times.read, ReadTransactions, ReadPauses, Baud);
    ReportSerial("write over a 9600 Bd line", times.write, WriteTransactions, WritePauses, Baud);
    CloseDriver(data.InterfaceType, &data.DriverHandle);
}

} // namespace

int main()
{
    PinToOneCpu();
    ProgramFolder program;
    OverUdp();
    OverPseudoTerminal(program.Path());
    return 0;
}

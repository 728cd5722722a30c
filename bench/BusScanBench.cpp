// Times serkon-cli's bus scan against three simulated modules on a pseudo-terminal whose
// replies take their wire time, and compares it with the wire bound: at every address one
// request, the silence before an answer and the answer's first character (what the wire needs
// before it can tell that nobody answers), and for every module its identification on the wire.
//   256 addresses at 9600 Bd, all three modules at 9600 Bd       target: at most 10 s
//   all nine speeds, the modules at 9600, 19200 and 57600 Bd      target: at most 150 s
//   the same with one reply in ten lost, over N runs (default 20) target: every module found in
//                                                                  every run, nothing else
// bench_bus_scan [N]
#include "ModuleFrame.h"

#include "config/Connection.h"
#include "drivers/SpeedTables.h"
#include "tests/support/ProgramFolder.h"
#include "tests/support/SimulatedBus.h"
#include "tools/cli/BusScan.h"
#include "tools/cli/ProbeTiming.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class Unseen final : public ScanObserver {
public:
    void Probing(uint8_t, uint8_t, int, int, ScanEstimate::Duration) override {}
    void Found(const FoundModule&) override {}
    void Notice(const QString&) override {}
};

using Sighting = std::tuple<int, uint32_t>;  // address, speed

struct Run {
    double seconds = 0;
    std::set<Sighting> found;
    bool complete = false;  // ended without interruption or failure
};

Run Scan(const std::vector<uint8_t>& speedIndexes)
{
    TData data;
    InitData(data);
    ConnectionInput input;
    input.interfaceType = InterfaceCom;
    input.parameters = {QStringLiteral("1"), QString(), QString()};
    Unseen observer;
    const auto start = Clock::now();
    const ScanOutcome outcome = ScanBus(data, input, ScanPlan{0, 255, speedIndexes}, observer);
    Run run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.complete = outcome.end == ScanEnd::Done;
    for (const FoundModule& module : outcome.modules)
        run.found.insert({module.address, BaudFromIndex(module.speedIndex)});
    return run;
}

double Seconds(uint64_t microseconds)
{
    return double(microseconds) / 1e6;
}

// One probe per address and speed at the wire, and each module's identification: three
// transactions of request, silence, reply and the silence before the next.
double WireBound(const std::vector<uint8_t>& speedIndexes, const std::vector<PlacedModule>& modules)
{
    double bound = 0;
    for (const uint8_t speed : speedIndexes)
        bound += 256 * Seconds(uint64_t(WireProbeTime(BaudFromIndex(speed)).count()));
    for (const PlacedModule& module : modules) {
        const uint32_t baud = module.baud;
        bound += 3 * Seconds(busframe::WireTimeUs(busframe::RequestSize + busframe::ReplySize, baud)
                             + 2 * busframe::SilenceGapUs(baud));
    }
    return bound;
}

std::set<Sighting> Expected(const std::vector<PlacedModule>& modules)
{
    std::set<Sighting> expected;
    for (const PlacedModule& module : modules)
        expected.insert({module.address, module.baud});
    return expected;
}

void LoseOneIn(SimulatedBus& bus, uint32_t oneIn, uint32_t seed)
{
    for (size_t i = 0; i < bus.Size(); ++i)
        bus.Module(i).LoseReplies(oneIn, seed * 31 + uint32_t(i));
}

void Report(const char* what, const Run& run, double bound, double limit)
{
    std::printf("%-44s %8.2f s  wire bound %7.2f s  ratio %.2f  (target %.0f s)  %s\n", what,
                run.seconds, bound, run.seconds / bound, limit,
                run.seconds <= limit ? "ok" : "OVER");
}

bool Exact(const Run& run, const std::vector<PlacedModule>& modules)
{
    return run.complete && run.found == Expected(modules);
}

void Clean(const char* what, const ProgramFolder& program, const std::vector<PlacedModule>& placed,
           const std::vector<uint8_t>& speeds, double limit)
{
    const SimulatedBus bus(placed, sim::ComLink(program.Path(), 1));
    if (!bus.Server().Listening())
        return;
    const Run run = Scan(speeds);
    Report(what, run, WireBound(speeds, placed), limit);
    if (!Exact(run, placed))
        std::printf("  found %zu modules, not exactly the %zu on the line\n", run.found.size(),
                    placed.size());
}

void Lossy(const ProgramFolder& program, const std::vector<PlacedModule>& placed,
           const std::vector<uint8_t>& speeds, int runs)
{
    SimulatedBus bus(placed, sim::ComLink(program.Path(), 1));
    if (!bus.Server().Listening())
        return;
    int exact = 0;
    std::vector<double> times;
    for (int i = 1; i <= runs; ++i) {
        LoseOneIn(bus, 10, uint32_t(i));
        const Run run = Scan(speeds);
        times.push_back(run.seconds);
        const bool right = Exact(run, placed);
        exact += right ? 1 : 0;
        std::printf("  lossy run %2d: %7.2f s, %zu found%s\n", i, run.seconds, run.found.size(),
                    right ? "" : "  MISSED OR EXTRA");
        std::fflush(stdout);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-44s %d of %d runs found exactly the %zu modules; median %.2f s, longest "
                "%.2f s, wire bound %.2f s  %s\n",
                "nine speeds, one reply in ten lost", exact, runs, placed.size(),
                times[times.size() / 2], times.back(), WireBound(speeds, placed),
                exact == runs ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    const int lossyRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    ProgramFolder program;
    std::vector<uint8_t> allSpeeds;
    for (uint8_t index = 0; index < BusSpeedCount; ++index)
        allSpeeds.push_back(index);
    std::printf("probe time-outs:");
    for (const uint8_t index : allSpeeds)
        std::printf(" %u Bd %d ms%s", BaudFromIndex(index), ProbeTimeoutMs(BaudFromIndex(index), false),
                    index + 1 < BusSpeedCount ? "," : "\n");
    std::fflush(stdout);

    const std::vector<PlacedModule> oneSpeed = {{3, "KQ-3110", 9600}, {42, "RZ-310", 9600}, {200, "KQ-3230", 9600}};
    Clean("256 addresses at 9600 Bd, three modules", program, oneSpeed, {DefaultSpeedIndex}, 10);
    std::fflush(stdout);

    const std::vector<PlacedModule> threeSpeeds = {{3, "KQ-3110", 9600}, {42, "RZ-310", 19200}, {200, "KQ-3230", 57600}};
    Clean("nine speeds, modules at 9600/19200/57600 Bd", program, threeSpeeds, allSpeeds, 150);
    std::fflush(stdout);

    Lossy(program, threeSpeeds, allSpeeds, lossyRuns);
    return 0;
}

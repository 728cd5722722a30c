// A search of the bus for modules, one bus speed after another. At each speed the interface is
// opened once with a short time-out derived from the wire (ProbeTiming.h) and a single attempt,
// and every address is asked for the first part of the identification: a probe. An address
// that answers, even garbled, is then identified in full with the connection dialog's time-out
// and retry, and only a module that names itself is reported. Address 0, which every module
// answers, tells whether any module answers at this speed at all; it is reported for what it
// is, never as a module. Since replies get lost, the silent addresses of a speed where anything
// answered get a second pass, and more while the line shows loss (docs/serkon-cli.md).
#pragma once

#include "ProbeTiming.h"
#include "ScanEstimate.h"

#include "config/Connection.h"
#include "core/Records.h"

#include <QString>

#include <cstdint>
#include <vector>

struct FoundModule {
    uint8_t address = 0;
    uint8_t speedIndex = 0;
    QString name;
};

struct ScanPlan {
    uint8_t from = 0;
    uint8_t to = 255;
    std::vector<uint8_t> speedIndexes;
    // What a probe waits beyond the wire's time (ProbeTiming.h).
    std::chrono::milliseconds margin = AdapterMargin;
};

// What a scan tells while it runs.
class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    // The next probe: the address and speed, the pass (1 is the first), the share of the scan
    // done so far (it never goes back) and an estimate of the time left.
    virtual void Probing(uint8_t address, uint8_t speedIndex, int pass, int percent,
                         ScanEstimate::Duration left) = 0;
    virtual void Found(const FoundModule& module) = 0;
    // Worth knowing, but no module: what address 0 met, an answer that could not be confirmed.
    virtual void Notice(const QString& text) = 0;
};

enum class ScanEnd { Done, Interrupted, Failed };

struct ScanOutcome {
    ScanEnd end = ScanEnd::Done;
    std::vector<FoundModule> modules;
    int steps = 0;      // addresses × speeds
    int stepsDone = 0;  // of those, the ones the first pass has probed
    QString failure;    // Failed: the connection's or the line's text
};

// Opens the input's interface at each speed of the range in turn; afterwards the record is not
// connected.
ScanOutcome ScanBus(TData& data, const ConnectionInput& input, const ScanPlan& plan,
                    ScanObserver& observer);

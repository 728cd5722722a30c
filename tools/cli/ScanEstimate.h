// How long the rest of a bus scan will take. A step (one address at one speed) without a module
// costs the whole time-out of its identification attempts; one with a module answers at once,
// and modules are few. So the estimate is the time-out of every step left, at the pace that the
// steps without a module have shown so far against their time-outs, weighed against the
// time-outs themselves until a few steps have been measured.
#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

class ScanEstimate {
public:
    using Duration = std::chrono::milliseconds;

    // The time-out of every step, in the order of the scan.
    explicit ScanEstimate(std::vector<Duration> stepTimeouts);

    // Steps the scan takes next, ahead of the rest of the plan, once it knows it has to take
    // them (a later pass at the speed it is at).
    void Extend(const std::vector<Duration>& stepTimeouts);

    // The next step is done: how long it took, and whether a module answered in it.
    void StepDone(Duration took, bool moduleFound);

    Duration Left() const;

private:
    std::vector<Duration> timeouts_;
    size_t done_ = 0;
    Duration left_{};             // the time-outs of the steps not done
    Duration prior_{};            // the time-outs' weight against the measured pace
    Duration emptyTook_{};        // what the steps without a module took
    Duration emptyTimeouts_{};    // and their time-outs
};

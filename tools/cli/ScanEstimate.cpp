#include "ScanEstimate.h"

#include <numeric>

namespace {

// How many average steps the time-outs count for against the measured pace.
constexpr long PriorSteps = 2;

} // namespace

ScanEstimate::ScanEstimate(std::vector<Duration> stepTimeouts) : timeouts_(std::move(stepTimeouts))
{
    left_ = std::accumulate(timeouts_.begin(), timeouts_.end(), Duration{});
    if (!timeouts_.empty())
        prior_ = left_ * PriorSteps / long(timeouts_.size());
}

void ScanEstimate::Extend(const std::vector<Duration>& stepTimeouts)
{
    timeouts_.insert(timeouts_.begin() + std::ptrdiff_t(done_), stepTimeouts.begin(), stepTimeouts.end());
    left_ = std::accumulate(stepTimeouts.begin(), stepTimeouts.end(), left_);
}

void ScanEstimate::StepDone(Duration took, bool moduleFound)
{
    if (done_ == timeouts_.size())
        return;
    const Duration timeout = timeouts_[done_++];
    left_ -= timeout;
    if (moduleFound)
        return;
    emptyTook_ += took;
    emptyTimeouts_ += timeout;
}

ScanEstimate::Duration ScanEstimate::Left() const
{
    const Duration expected = emptyTimeouts_ + prior_;
    if (expected.count() <= 0)
        return left_;
    return Duration(left_.count() * (emptyTook_ + prior_).count() / expected.count());
}

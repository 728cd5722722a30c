#include "BusScan.h"

#include "Interrupt.h"
#include "ProbeTiming.h"

#include "DriverCodes.h"
#include "drivers/DriverBinding.h"
#include "drivers/ErrorCodes.h"
#include "drivers/SpeedTables.h"
#include "drivers/Transaction.h"

#include <algorithm>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;
using Duration = ScanEstimate::Duration;

// Silence at address 0 this often means no module answers at the speed.
constexpr int AddressZeroProbes = 3;
// An address that answered a probe is identified this often before it counts as silent again.
constexpr int IdentificationTries = 3;
// Passes over the silent addresses of one speed, the first included.
constexpr int MostPasses = 5;
constexpr int32_t ProbeAttempts = 1;

enum class Heard { Nothing, Something, LineFault };

// What came back, by the serial and LAN drivers' codes (docs/module-protocol.md).
Heard Classify(uint8_t status)
{
    if (status == CodeSuccess || status == driverlib::ReplyGarbled || status == driverlib::ReplyFromOtherAddress
        || (status >= driverlib::ModuleUnknownCommand && status <= driverlib::ModuleError))
        return Heard::Something;
    if (status == driverlib::NoReply || status == driverlib::EchoOnly)
        return Heard::Nothing;
    return Heard::LineFault;
}

// What a lost or damaged reply leaves: worth asking again.
bool LooksLost(uint8_t status)
{
    return status == driverlib::NoReply || status == driverlib::ReplyGarbled || status == driverlib::EchoOnly;
}

QString Where(uint8_t address, uint8_t speedIndex)
{
    return QStringLiteral("%1 Bd, adresa %2").arg(BaudFromIndex(speedIndex)).arg(address);
}

// The share done and the time left over all speeds and passes; a later pass joins the plan
// when it starts, as the steps to come next.
class ScanProgress {
public:
    ScanProgress(ScanObserver& observer, std::vector<Duration> steps)
        : observer_(observer), planned_(steps.size()), estimate_(std::move(steps))
    {
    }

    void Plan(const std::vector<Duration>& steps)
    {
        estimate_.Extend(steps);
        planned_ += steps.size();
    }

    void Show(uint8_t address, uint8_t speedIndex, int pass)
    {
        if (planned_ > 0)
            shown_ = std::max(shown_, int(done_ * 100 / planned_));
        observer_.Probing(address, speedIndex, pass, shown_, estimate_.Left());
    }

    void StepDone(Clock::duration took, bool moduleFound)
    {
        estimate_.StepDone(std::chrono::duration_cast<Duration>(took), moduleFound);
        ++done_;
    }

private:
    ScanObserver& observer_;
    size_t planned_;
    size_t done_ = 0;
    int shown_ = 0;
    ScanEstimate estimate_;
};

// What address 0 met at one speed.
enum class AddressZero {
    Silent,    // no module answers at this speed
    One,       // one module answered and identified itself
    Collided,  // garbled answers: several modules answering at once
    Unclear,   // something answered, but no identification came through
};

// One speed of the scan, on its open connection.
class SpeedScan {
public:
    // stepTime: what a probe may take, for the estimate of the time left.
    SpeedScan(TData& data, uint32_t handle, uint8_t speedIndex, DriverSettings probe,
              Duration stepTime, const ScanPlan& plan, ScanProgress& progress,
              ScanObserver& observer, ScanOutcome& outcome);

    // False when the scan ends here: interrupted, or the line failed.
    bool Run();

    static std::vector<uint8_t> Addresses(const ScanPlan& plan);

private:
    enum class Result { Silent, Module, Unconfirmed, Stop };

    bool FirstPass();
    bool LaterPass(int pass);
    bool MorePasses(int pass, int expected) const;
    std::optional<AddressZero> AskAddressZero();
    Result ProbeAddress(uint8_t address, int pass);
    Result Confirm(uint8_t address, int pass);
    std::optional<Heard> Probe(uint8_t address);
    std::optional<Identification> Identify(uint8_t address);
    bool Configure(const DriverSettings& settings);
    bool Fail(const QString& text);
    void ReportAddressZero(AddressZero zero, const QString& name);
    int ExpectedModules(AddressZero zero) const;

    TData& data_;
    uint32_t handle_;
    uint8_t speed_;
    DriverSettings probe_;
    const ScanPlan& plan_;
    ScanProgress& progress_;
    ScanObserver& observer_;
    ScanOutcome& outcome_;
    Duration stepTime_;
    std::vector<uint8_t> silent_;  // addresses of the range (0 aside) nothing identified at
    std::vector<uint8_t> known_;   // modules found at this speed
    bool answeredAny_ = false;
    bool lossSeen_ = false;        // in the last pass: a module found late, or one gone silent
};

SpeedScan::SpeedScan(TData& data, uint32_t handle, uint8_t speedIndex, DriverSettings probe,
                     Duration stepTime, const ScanPlan& plan, ScanProgress& progress,
                     ScanObserver& observer, ScanOutcome& outcome)
    : data_(data), handle_(handle), speed_(speedIndex), probe_(probe), plan_(plan),
      progress_(progress), observer_(observer), outcome_(outcome), stepTime_(stepTime),
      silent_(Addresses(plan))
{
}

std::vector<uint8_t> SpeedScan::Addresses(const ScanPlan& plan)
{
    std::vector<uint8_t> addresses;
    for (int address = std::max<int>(plan.from, 1); address <= plan.to; ++address)
        addresses.push_back(uint8_t(address));
    return addresses;
}

bool SpeedScan::Run()
{
    if (!FirstPass())
        return false;
    const std::optional<AddressZero> zero = AskAddressZero();
    if (!zero)
        return false;
    const int expected = ExpectedModules(*zero);
    for (int pass = 2; MorePasses(pass, expected); ++pass) {
        if (!LaterPass(pass))
            return false;
    }
    return true;
}

bool SpeedScan::FirstPass()
{
    for (const uint8_t address : Addresses(plan_)) {
        progress_.Show(address, speed_, 1);
        if (ProbeAddress(address, 1) == Result::Stop)
            return false;
        ++outcome_.stepsDone;
    }
    return true;
}

// Where anything answered, a second pass over the silent addresses finds a module whose reply
// was lost in the first; more follow while the last one still met loss, or while address 0
// says more modules answer than were found.
bool SpeedScan::MorePasses(int pass, int expected) const
{
    if (!answeredAny_ || pass > MostPasses)
        return false;
    return pass == 2 || lossSeen_ || int(known_.size()) < expected;
}

// The modules found, whose silence now would show loss, and the silent addresses again. The
// modules come first: the rest of an answer a probe stopped waiting for then runs out while
// the next probe waits for a quiet line, rather than after the last probe of the speed.
bool SpeedScan::LaterPass(int pass)
{
    lossSeen_ = false;
    const std::vector<uint8_t> silent = silent_;
    const std::vector<uint8_t> known = known_;
    progress_.Plan(std::vector<Duration>(silent.size() + known.size(), stepTime_));
    for (const uint8_t address : known) {
        progress_.Show(address, speed_, pass);
        const Clock::time_point start = Clock::now();
        const std::optional<Heard> heard = Probe(address);
        if (!heard)
            return false;
        lossSeen_ = lossSeen_ || *heard == Heard::Nothing;
        progress_.StepDone(Clock::now() - start, true);
    }
    for (const uint8_t address : silent) {
        progress_.Show(address, speed_, pass);
        if (ProbeAddress(address, pass) == Result::Stop)
            return false;
    }
    return true;
}

std::optional<AddressZero> SpeedScan::AskAddressZero()
{
    progress_.Show(0, speed_, 1);
    const Clock::time_point start = Clock::now();
    bool answered = false;
    for (int probe = 0; probe < AddressZeroProbes && !answered; ++probe) {
        const std::optional<Heard> heard = Probe(0);
        if (!heard)
            return std::nullopt;
        answered = *heard == Heard::Something;
    }
    AddressZero zero = AddressZero::Silent;
    QString name;
    if (answered) {
        answeredAny_ = true;
        const std::optional<Identification> identification = Identify(0);
        if (!identification)
            return std::nullopt;
        if (identification->moduleName) {
            zero = AddressZero::One;
            name = *identification->moduleName;
        } else {
            zero = identification->status == driverlib::ReplyGarbled ? AddressZero::Collided : AddressZero::Unclear;
        }
    }
    progress_.StepDone(Clock::now() - start, answered);
    if (plan_.from == 0) {
        ++outcome_.stepsDone;
        ReportAddressZero(zero, name);
    }
    return zero;
}

void SpeedScan::ReportAddressZero(AddressZero zero, const QString& name)
{
    const QString where = Where(0, speed_) + QStringLiteral(" (odpovídá na ni každý modul): ");
    switch (zero) {
    case AddressZero::Silent:
        return;
    case AddressZero::One:
        observer_.Notice(where + QStringLiteral("odpověděl ") + DisplayModuleName(name)
                         + QStringLiteral(", není to další modul"));
        return;
    case AddressZero::Collided:
        observer_.Notice(where + QStringLiteral("odpovědi se srazily, odpovídá více modulů"));
        return;
    case AddressZero::Unclear:
        observer_.Notice(where + QStringLiteral("odpověď nelze přečíst"));
        return;
    }
}

// What address 0 says about the whole bus: it counts for nothing when the range leaves
// addresses out, as their modules answer it too.
int SpeedScan::ExpectedModules(AddressZero zero) const
{
    if (plan_.from > 1 || plan_.to < 255)
        return 0;
    switch (zero) {
    case AddressZero::Silent:
        return 0;
    case AddressZero::Collided:
        return 2;
    case AddressZero::One:
    case AddressZero::Unclear:
        break;
    }
    return 1;
}

SpeedScan::Result SpeedScan::ProbeAddress(uint8_t address, int pass)
{
    const Clock::time_point start = Clock::now();
    const std::optional<Heard> heard = Probe(address);
    if (!heard)
        return Result::Stop;
    Result result = Result::Silent;
    if (*heard == Heard::Something) {
        answeredAny_ = true;
        result = Confirm(address, pass);
        if (result == Result::Stop)
            return result;
    }
    progress_.StepDone(Clock::now() - start, result == Result::Module);
    return result;
}

// A module counts once it has named itself; an answer that stays garbled or refuses the
// identification is told, and its address not asked again.
SpeedScan::Result SpeedScan::Confirm(uint8_t address, int pass)
{
    const std::optional<Identification> identification = Identify(address);
    if (!identification)
        return Result::Stop;
    if (!identification->moduleName && identification->status != driverlib::ReplyGarbled
        && LooksLost(identification->status))
        return Result::Silent;
    silent_.erase(std::remove(silent_.begin(), silent_.end(), address), silent_.end());
    if (!identification->moduleName) {
        observer_.Notice(Where(address, speed_) + QStringLiteral(": odpověď nelze ověřit - ")
                         + identification->statusText);
        return Result::Unconfirmed;
    }
    known_.push_back(address);
    lossSeen_ = lossSeen_ || pass > 1;
    const FoundModule module{address, speed_, *identification->moduleName};
    outcome_.modules.push_back(module);
    observer_.Found(module);
    return Result::Module;
}

std::optional<Heard> SpeedScan::Probe(uint8_t address)
{
    if (InterruptWatch::Raised()) {
        outcome_.end = ScanEnd::Interrupted;
        return std::nullopt;
    }
    uint8_t extra = 0;
    ModuleData bytes{};
    uint8_t status = CodeNoDriver;
    DriverBuffer response{};
    ModuleTransaction(data_.InterfaceType, handle_, address, CmdIdentify, 0, extra, bytes, status,
                      response);
    const Heard heard = Classify(status);
    if (heard == Heard::LineFault) {
        Fail(DriverErrorString(data_.InterfaceType, status));
        return std::nullopt;
    }
    return heard;
}

// The connection dialog's identification with its time-out and retry, tried again while what
// comes back looks like a lost reply. At address 0 a garbled reply is the answers of several
// modules colliding, which asking again does not change.
std::optional<Identification> SpeedScan::Identify(uint8_t address)
{
    if (!Configure(ConnectionSettings(speed_)))
        return std::nullopt;
    Identification identification;
    for (int attempt = 0; attempt < IdentificationTries; ++attempt) {
        if (InterruptWatch::Raised()) {
            outcome_.end = ScanEnd::Interrupted;
            return std::nullopt;
        }
        identification = IdentifyModule(data_, handle_, address);
        if (identification.moduleName || !LooksLost(identification.status)
            || (address == 0 && identification.status == driverlib::ReplyGarbled))
            break;
    }
    if (!identification.moduleName && Classify(identification.status) == Heard::LineFault) {
        Fail(identification.statusText);
        return std::nullopt;
    }
    if (!Configure(probe_))
        return std::nullopt;
    return identification;
}

bool SpeedScan::Configure(const DriverSettings& settings)
{
    const int32_t code = ConfigureDriver(data_.InterfaceType, handle_,
                                         int32_t(BaudFromIndex(speed_)), settings.timeout,
                                         settings.option);
    if (code == CodeSuccess)
        return true;
    return Fail(DriverErrorString(data_.InterfaceType, uint32_t(code)));
}

bool SpeedScan::Fail(const QString& text)
{
    outcome_.end = ScanEnd::Failed;
    outcome_.failure = text;
    return false;
}

bool ThroughLanConverter(const ConnectionInput& input)
{
    return input.interfaceType == InterfaceLan;
}

DriverSettings ProbeSettings(const ConnectionInput& input, const ScanPlan& plan, uint8_t speedIndex)
{
    return {ProbeTimeoutMs(BaudFromIndex(speedIndex), ThroughLanConverter(input), plan.margin),
            ProbeAttempts};
}

// What a probe may take: its time-out and, through the LAN converter, the network's share that
// the driver waits on top.
Duration StepTime(const ConnectionInput& input, const ScanPlan& plan, uint8_t speedIndex)
{
    const int32_t network =
        ThroughLanConverter(input) ? UdpValueFromText(input.parameters[2]).value_or(0) : 0;
    return Duration(ProbeSettings(input, plan, speedIndex).timeout + network);
}

std::vector<Duration> FirstPassSteps(const ConnectionInput& input, const ScanPlan& plan)
{
    const size_t addresses = SpeedScan::Addresses(plan).size();
    std::vector<Duration> steps;
    for (const uint8_t speed : plan.speedIndexes) {
        steps.insert(steps.end(), addresses, StepTime(input, plan, speed));
        steps.push_back(AddressZeroProbes * StepTime(input, plan, speed));
    }
    return steps;
}

} // namespace

ScanOutcome ScanBus(TData& data, const ConnectionInput& input, const ScanPlan& plan,
                    ScanObserver& observer)
{
    ScanOutcome outcome;
    outcome.steps = (plan.to - plan.from + 1) * int(plan.speedIndexes.size());
    ScanProgress progress(observer, FirstPassSteps(input, plan));
    for (const uint8_t speed : plan.speedIndexes) {
        if (InterruptWatch::Raised()) {
            outcome.end = ScanEnd::Interrupted;
            break;
        }
        ConnectionInput atSpeed = input;
        atSpeed.speedIndex = speed;
        const DriverSettings probe = ProbeSettings(input, plan, speed);
        uint32_t handle = 0;
        const ConnectionResult opened = OpenDriver(data, atSpeed, handle, {}, probe);
        if (opened.stage != ConnectionStage::Identify) {
            outcome.end = ScanEnd::Failed;
            outcome.failure = opened.panelText;
            break;
        }
        data.DriverHandle = handle;
        SpeedScan scan(data, handle, speed, probe, StepTime(input, plan, speed), plan, progress,
                       observer, outcome);
        const bool carryOn = scan.Run();
        CloseConnection(data);
        if (!carryOn)
            break;
    }
    return outcome;
}

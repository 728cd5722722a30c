#include "Module.h"
#include "Utf8Path.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace sim {

namespace {

struct ModelEntry {
    const char* model;
    const char* version;
};

constexpr ModelEntry Models[] = {
    {"KQ-3110", "1.09"}, {"KQ-3120", "1.05"}, {"KQ-3130", "1.03"}, {"KQ-3140", "1.02"},
    {"KQ-3210", "1.04"}, {"KQ-3220", "1.01"}, {"KQ-3230", "1.02"}, {"RZ-310", "2.00"},
};

constexpr int RegCharTime = 0;
constexpr int RegHoldTime = 2;
constexpr int RegBaudIndex = 4;
constexpr int RegDataBits = 5;
constexpr int RegParity = 6;
constexpr int RegCustomBaud = 8;
constexpr int RegOverhang = 11;
constexpr int RegNote = 13;
constexpr int NoteLength = 45;

std::string Padded(std::string text, size_t length)
{
    text.resize(length, ' ');
    return text;
}

// A module fresh from the factory: 9600 Bd, 8 data bits, parity, one stop bit, the automatic
// direction control with a 200 µs hold time, and the timing values derived from them.
std::array<uint8_t, RegisterCount> DefaultRegisters()
{
    std::array<uint8_t, RegisterCount> registers{};
    const auto set16 = [&registers](int reg, uint16_t value) {
        registers[size_t(reg)] = uint8_t(value & 0xFF);
        registers[size_t(reg + 1)] = uint8_t(value >> 8);
    };
    set16(RegCharTime, 1094);  // (8 + 1 + 1 + 0.5) bit times of 104.17 µs
    set16(RegHoldTime, 252);   // 200 µs + half a bit time
    registers[RegBaudIndex] = 4;  // 9600 Bd
    registers[RegDataBits] = 3;   // 8 data bits
    registers[RegParity] = 1;
    set16(RegCustomBaud, 9600);
    set16(RegOverhang, 200);
    // "Simulovaný modul serkon-sim" in Windows-1250
    const std::string note = Padded("Simulovan\xFD modul serkon-sim", NoteLength);
    std::copy(note.begin(), note.end(), registers.begin() + RegNote);
    return registers;
}

bool IsRegisterCommand(uint8_t command)
{
    return command == busframe::CommandReadRegister || command == busframe::CommandWriteRegister;
}

} // namespace

std::optional<Identity> ModelIdentity(const std::string& model)
{
    for (const ModelEntry& entry : Models)
        if (model == entry.model)
            return Identity{Padded(entry.model, NameLength), entry.version};
    return std::nullopt;
}

std::vector<std::string> ModelNames()
{
    std::vector<std::string> names;
    for (const ModelEntry& entry : Models)
        names.emplace_back(entry.model);
    return names;
}

Module::Module(const std::string& model, uint8_t address)
    : registers_(DefaultRegisters()),
      identity_(ModelIdentity(model).value_or(
          Identity{Padded(model.substr(0, NameLength), NameLength), "1.00"})),
      address_(address)
{
}

uint8_t Module::Register(int reg) const
{
    std::lock_guard lock(mutex_);
    return registers_.at(size_t(reg));
}

void Module::SetRegister(int reg, uint8_t value)
{
    std::lock_guard lock(mutex_);
    registers_.at(size_t(reg)) = value;
}

std::array<uint8_t, RegisterCount> Module::Registers() const
{
    std::lock_guard lock(mutex_);
    return registers_;
}

void Module::SetRegisters(const std::array<uint8_t, RegisterCount>& registers)
{
    std::lock_guard lock(mutex_);
    registers_ = registers;
}

uint32_t Module::Status() const
{
    std::lock_guard lock(mutex_);
    return status_;
}

void Module::SetStatus(uint32_t status)
{
    std::lock_guard lock(mutex_);
    status_ = status;
}

void Module::SetStatusBits(uint32_t bits)
{
    std::lock_guard lock(mutex_);
    status_ |= bits;
}

Identity Module::GetIdentity() const
{
    std::lock_guard lock(mutex_);
    return identity_;
}

void Module::SetIdentity(const std::string& name, const std::string& version)
{
    std::lock_guard lock(mutex_);
    identity_ = Identity{Padded(name, NameLength), Padded(version, VersionLength)};
}

uint8_t Module::Address() const
{
    std::lock_guard lock(mutex_);
    return address_;
}

void Module::SetAddress(uint8_t address)
{
    std::lock_guard lock(mutex_);
    address_ = address;
}

bool Module::LoadState(const std::string& path, std::string* error)
{
    std::ifstream file(Utf8Path(path));
    if (!file) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    auto registers = Registers();
    uint32_t status = Status();
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;
        unsigned reg = 0;
        unsigned value = 0;
        if (std::sscanf(line.c_str(), "register %u = %u", &reg, &value) == 2 && reg < RegisterCount
            && value < 256) {
            registers[reg] = uint8_t(value);
        } else if (std::sscanf(line.c_str(), "status = %x", &value) == 1) {
            status = value;
        } else {
            if (error)
                *error = path + ":" + std::to_string(lineNumber) + ": not understood: " + line;
            return false;
        }
    }
    std::lock_guard lock(mutex_);
    registers_ = registers;
    status_ = status;
    return true;
}

bool Module::SaveState(const std::string& path, std::string* error) const
{
    std::ostringstream text;
    text << "# serkon-sim module state: registers 0 to 59 and the status register\n";
    const auto registers = Registers();
    for (int reg = 0; reg < RegisterCount; ++reg)
        text << "register " << reg << " = " << int(registers[size_t(reg)]) << '\n';
    char status[32];
    std::snprintf(status, sizeof status, "status = %08x\n", Status());
    text << status;

    // Written beside and renamed, so a crash never leaves half a file.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(Utf8Path(temporary), std::ios::trunc);
        file << text.str();
        file.flush();
        if (!file) {
            if (error)
                *error = "cannot write " + temporary;
            return false;
        }
    }
    // std::filesystem::rename replaces the old file on Windows too, where std::rename refuses.
    std::error_code failure;
    std::filesystem::rename(Utf8Path(temporary), Utf8Path(path), failure);
    if (failure) {
        if (error)
            *error = "cannot replace " + path;
        std::filesystem::remove(Utf8Path(temporary), failure);
        return false;
    }
    return true;
}

void Module::OnChange(std::function<void()> callback)
{
    std::lock_guard lock(mutex_);
    onChange_ = std::move(callback);
}

void Module::SetReplyDelay(std::chrono::microseconds delay)
{
    std::lock_guard lock(mutex_);
    replyDelay_ = delay;
}

void Module::SetWireSpeed(uint32_t baud)
{
    std::lock_guard lock(mutex_);
    wireBaud_ = baud;
}

uint32_t Module::WireSpeed() const
{
    std::lock_guard lock(mutex_);
    return wireBaud_;
}

void Module::SetBusSpeed(uint32_t baud)
{
    std::lock_guard lock(mutex_);
    busBaud_ = baud;
}

uint32_t Module::BusSpeed() const
{
    std::lock_guard lock(mutex_);
    return busBaud_;
}

void Module::DropReplies(uint32_t count)
{
    std::lock_guard lock(mutex_);
    dropCount_ = count;
}

void Module::CorruptReplies(uint32_t count)
{
    std::lock_guard lock(mutex_);
    corruptCount_ = count;
}

void Module::SetEchoOnly(bool echoOnly)
{
    std::lock_guard lock(mutex_);
    echoOnly_ = echoOnly;
}

void Module::SetReplyAddress(std::optional<uint8_t> address)
{
    std::lock_guard lock(mutex_);
    replyAddress_ = address;
}

void Module::SetReadBackValue(uint8_t reg, std::optional<uint8_t> value)
{
    std::lock_guard lock(mutex_);
    if (value)
        readBackValues_[reg] = *value;
    else
        readBackValues_.erase(reg);
}

void Module::SetCommandStatus(uint8_t command, std::optional<uint8_t> status)
{
    std::lock_guard lock(mutex_);
    if (status)
        commandStatus_[command] = *status;
    else
        commandStatus_.erase(command);
}

void Module::AnswerLate(uint32_t count)
{
    std::lock_guard lock(mutex_);
    lateCount_ = count;
}

void Module::LoseReplies(uint32_t oneIn, uint32_t seed)
{
    std::lock_guard lock(mutex_);
    lossOneIn_ = oneIn;
    lossDraws_.seed(seed);
}

void Module::ClearFaults()
{
    std::lock_guard lock(mutex_);
    replyDelay_ = {};
    dropCount_ = corruptCount_ = lateCount_ = lossOneIn_ = 0;
    echoOnly_ = false;
    replyAddress_.reset();
    readBackValues_.clear();
    commandStatus_.clear();
}

Counters Module::GetCounters() const
{
    std::lock_guard lock(mutex_);
    return counters_;
}

std::vector<busframe::Request> Module::RequestLog() const
{
    std::lock_guard lock(mutex_);
    return std::vector<busframe::Request>(log_.begin(), log_.end());
}

bool Module::WaitForRequests(uint64_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(mutex_);
    return heard_.wait_for(lock, limit, [&] { return counters_.requests >= count; });
}

uint32_t Module::FrameSpeed() const
{
    return busBaud_ != 0 ? busBaud_ : wireBaud_;
}

std::chrono::microseconds Module::ReplyTime() const
{
    const uint32_t baud = FrameSpeed();
    if (baud == 0)
        return replyDelay_;
    const uint64_t wire = busframe::WireTimeUs(busframe::RequestSize, baud)
        + busframe::SilenceGapUs(baud) + busframe::WireTimeUs(busframe::ReplySize, baud);
    return replyDelay_ + std::chrono::microseconds(wire);
}

bool Module::ReplyLost()
{
    if (dropCount_ > 0) {
        --dropCount_;
        return true;
    }
    return lossOneIn_ > 0 && lossDraws_() % lossOneIn_ == 0;
}

busframe::Reply Module::Answer(const busframe::Request& request, bool& changed)
{
    busframe::Reply reply{address_, request.command, request.subcode, request.extra, {}, 0};
    const uint8_t reg = request.data[0];
    if (IsRegisterCommand(request.command))
        reply.data = {request.data[0], request.data[1], 0, 0};
    if (const auto forced = commandStatus_.find(request.command); forced != commandStatus_.end()) {
        reply.status = forced->second;
        return reply;
    }
    const bool goodRegister = request.data[0] == request.data[1] && reg < RegisterCount;
    switch (request.command) {
    case busframe::CommandReadStatus:
        for (size_t i = 0; i < 4; ++i)
            reply.data[i] = uint8_t(status_ >> (8 * i));
        break;
    case busframe::CommandClearStatus:
        status_ = 0;
        changed = true;
        break;
    case busframe::CommandReadRegister:
        if (!goodRegister) {
            reply.status = busframe::StatusBadRegister;
            break;
        }
        {
            const auto override = readBackValues_.find(reg);
            const uint8_t value = override != readBackValues_.end() ? override->second : registers_[reg];
            reply.data[2] = reply.data[3] = value;
        }
        break;
    case busframe::CommandWriteRegister:
        if (!goodRegister) {
            reply.status = busframe::StatusBadRegister;
        } else if (request.data[2] != request.data[3]) {
            reply.status = busframe::StatusBadValue;
        } else {
            registers_[reg] = request.data[2];
            reply.data[2] = reply.data[3] = request.data[2];
            changed = true;
        }
        break;
    case busframe::CommandIdentify:
        if (request.subcode > 2) {
            reply.status = busframe::StatusUnknownCommand;
            break;
        }
        {
            const std::string& text = request.subcode == 2 ? identity_.version : identity_.name;
            const size_t from = request.subcode == 1 ? 4 : 0;
            for (size_t i = 0; i < 4; ++i)
                reply.data[i] = uint8_t(text[from + i]);
        }
        break;
    default:
        reply.status = busframe::StatusUnknownCommand;
        break;
    }
    return reply;
}

Response Module::Receive(std::span<const uint8_t> frame, uint32_t lineSpeed)
{
    Response response;
    bool changed = false;
    std::function<void()> notify;
    {
        std::lock_guard lock(mutex_);
        const auto request = busframe::DecodeRequest(frame);
        if (!request) {
            ++counters_.garbage;
            return response;
        }
        ++counters_.requests;
        log_.push_back(*request);
        if (log_.size() > LogLimit)
            log_.pop_front();
        heard_.notify_all();
        if (request->address != address_ && request->address != 0)
            return response;
        // Set to another speed, the module hears the frame as noise.
        if (busBaud_ != 0 && lineSpeed != 0 && lineSpeed != busBaud_)
            return response;
        if (echoOnly_) {
            response.kind = Response::Kind::Echo;
            response.bytes.assign(frame.begin(), frame.end());
            response.delay = std::chrono::microseconds(
                busframe::WireTimeUs(busframe::RequestSize, FrameSpeed()));
            return response;
        }
        busframe::Reply reply = Answer(*request, changed);
        if (changed)
            notify = onChange_;
        if (!ReplyLost()) {
            if (replyAddress_)
                reply.address = *replyAddress_;
            const auto bytes = busframe::EncodeReply(reply);
            response.kind = Response::Kind::Reply;
            response.bytes.assign(bytes.begin(), bytes.end());
            if (corruptCount_ > 0) {
                --corruptCount_;
                response.bytes.back() ^= 0x5A;
            }
            if (lateCount_ > 0) {
                --lateCount_;
                response.late = true;
            }
            response.delay = ReplyTime();
            response.characterTime =
                std::chrono::microseconds(busframe::CharacterTimeUs(FrameSpeed()));
            ++counters_.replies;
        }
    }
    if (notify)
        notify();
    return response;
}

} // namespace sim

// A simulated SERKON module: the register map 0 to 59, the 32-bit status register and the
// identification, answering the module bus protocol (docs/module-protocol.md), with faults on
// request. Tests drive it in-process; serkon-sim serves it on a pseudo-terminal or over UDP,
// alone or with others on one line (Line.h).
//
// Every member function is thread-safe: the servers answer from their own threads while a
// test reads and changes the module.
//
//   sim::Module module("KQ-3110", 5);        // model, bus address
//   sim::UdpServer udp(module);              // 127.0.0.1, ephemeral port: udp.Port()
//   sim::PtyServer pty(module, sim::ComLink(programDir, 1));  // pty.Path(), ports/com1 link
//   module.SetRegister(4, 7);
//   module.DropReplies(100);                 // a dead module
//   module.WaitForRequests(2, 5s);           // true once two requests were heard
#pragma once

#include "ModuleFrame.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace sim {

inline constexpr int RegisterCount = 60;
inline constexpr size_t NameLength = 8;
inline constexpr size_t VersionLength = 4;

// The module's answer to one frame received, for a server to put on the line.
struct Response {
    enum class Kind {
        Silent,  // nothing: not addressed to this module, garbage, or a dropped reply
        Echo,    // the request itself comes back (a wiring fault)
        Reply,   // bytes holds the reply frame (possibly with a corrupted check)
    };
    Kind kind = Kind::Silent;
    std::vector<uint8_t> bytes;
    // From the end of the request until the reply has been on the line in full: reply delay
    // plus the emulated wire time of request, silence gap and reply at the wire speed.
    std::chrono::microseconds delay{};
    // With wire time, the time of one character: a server that passes bytes on one at a time
    // puts out each as it would arrive, the last one at `delay`.
    std::chrono::microseconds characterTime{};
    // Hold the reply back and send it only after the next request has arrived, that is after
    // the driver has given up waiting for it.
    bool late = false;
};

struct Counters {
    uint64_t requests = 0;  // request frames heard with a correct check, to any address
    uint64_t replies = 0;   // replies given (dropped ones not counted)
    uint64_t garbage = 0;   // frames heard with a bad check or length
};

// The identification of one of the models: name padded to 8 characters, version 4.
struct Identity {
    std::string name;
    std::string version;
};
std::optional<Identity> ModelIdentity(const std::string& model);
// The models ModelIdentity knows, in catalogue order.
std::vector<std::string> ModelNames();

class Module {
public:
    // model: one of KQ-3110, KQ-3120, KQ-3130, KQ-3140, KQ-3210, KQ-3220, KQ-3230, RZ-310, or
    // any text of up to 8 characters used as the name. Registers start with a plausible
    // configuration (9600 Bd, 8 data bits, a note), the status register with 0.
    explicit Module(const std::string& model = "KQ-3110", uint8_t address = 1);

    // --- state
    uint8_t Register(int reg) const;
    void SetRegister(int reg, uint8_t value);
    std::array<uint8_t, RegisterCount> Registers() const;
    void SetRegisters(const std::array<uint8_t, RegisterCount>& registers);
    uint32_t Status() const;
    void SetStatus(uint32_t status);
    void SetStatusBits(uint32_t bits);  // ORs the bits in
    Identity GetIdentity() const;
    void SetIdentity(const std::string& name, const std::string& version);  // padded, cut
    uint8_t Address() const;
    void SetAddress(uint8_t address);  // the module also answers at address 0

    // The registers and the status register in a small text file, "register N = V" lines; the
    // path in UTF-8.
    bool LoadState(const std::string& path, std::string* error = nullptr);
    bool SaveState(const std::string& path, std::string* error = nullptr) const;
    // Called after a write command or a clear of the status register changed the module
    // (from the server's thread, without the module's lock held).
    void OnChange(std::function<void()> callback);

    // --- the line: how long frames take on a bus of this speed; 0 answers at once. It is how
    // the line behaves, not a fault, so ClearFaults leaves it.
    void SetWireSpeed(uint32_t baud);
    uint32_t WireSpeed() const;
    // The bus speed the module is set to: it answers only a line at that speed, and its frames
    // take their time at it (whatever SetWireSpeed says). 0, the default: any speed.
    void SetBusSpeed(uint32_t baud);
    uint32_t BusSpeed() const;

    // --- faults
    void SetReplyDelay(std::chrono::microseconds delay);
    void DropReplies(uint32_t count);     // the next count replies are not sent
    void CorruptReplies(uint32_t count);  // the next count replies carry a wrong check
    void SetEchoOnly(bool echoOnly);      // every request comes back as it was, no reply
    void SetReplyAddress(std::optional<uint8_t> address);  // replies carry this address
    // A read of the register answers this value instead of the register's (writes still land).
    void SetReadBackValue(uint8_t reg, std::optional<uint8_t> value);
    // Every request with this command is answered with this status and zero data.
    void SetCommandStatus(uint8_t command, std::optional<uint8_t> status);
    void AnswerLate(uint32_t count);  // the next count replies are sent late (Response::late)
    // Each reply is lost with a chance of one in oneIn (0: none), drawn from a generator seeded
    // with seed, so that a run can be repeated.
    void LoseReplies(uint32_t oneIn, uint32_t seed);
    void ClearFaults();

    // --- observation
    Counters GetCounters() const;
    // The requests heard, oldest first; the last LogLimit of them.
    static constexpr size_t LogLimit = 10000;
    std::vector<busframe::Request> RequestLog() const;
    // Waits until `count` requests were heard in all; false if the limit passed first.
    bool WaitForRequests(uint64_t count, std::chrono::milliseconds limit) const;

    // --- the protocol: the answer to one received bus frame (without a UDP transaction id) on
    // a line running at lineSpeed (0 when the server cannot tell: the module answers anyway).
    Response Receive(std::span<const uint8_t> frame, uint32_t lineSpeed = 0);

private:
    busframe::Reply Answer(const busframe::Request& request, bool& changed);
    std::chrono::microseconds ReplyTime() const;
    uint32_t FrameSpeed() const;
    bool ReplyLost();

    mutable std::mutex mutex_;
    mutable std::condition_variable heard_;
    std::array<uint8_t, RegisterCount> registers_{};
    uint32_t status_ = 0;
    Identity identity_;
    uint8_t address_;
    std::function<void()> onChange_;

    std::chrono::microseconds replyDelay_{};
    uint32_t wireBaud_ = 0;
    uint32_t busBaud_ = 0;
    uint32_t dropCount_ = 0;
    uint32_t corruptCount_ = 0;
    uint32_t lateCount_ = 0;
    uint32_t lossOneIn_ = 0;
    std::minstd_rand lossDraws_;
    bool echoOnly_ = false;
    std::optional<uint8_t> replyAddress_;
    std::map<uint8_t, uint8_t> readBackValues_;
    std::map<uint8_t, uint8_t> commandStatus_;

    Counters counters_;
    std::deque<busframe::Request> log_;
};

} // namespace sim

// The script and the call log of the test driver library. The test driver (built once per stem
// and variant) and the tests both link this library, so a test sets the script before the
// binding loads the driver and reads the log after it has been unloaded again.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testdriver {

struct Call {
    std::string entry;              // "Version", "Init", "SetConfig", "GetConfig", "Send",
                                    // "Done", "Error"
    std::vector<int64_t> args;      // the scalar arguments in order
    std::array<int32_t, 8> request{}; // Send: request elements 0 to 7
    std::string ipAddress;          // RVD773 Init: the text behind element 0
};

struct Reply {
    int32_t result = 0;             // Send's return value
    int32_t status = 0;
    int32_t extra = 0;
    std::array<int32_t, 4> data{};  // response elements 0 to 3
    bool fillWholeResponse = false; // also write elements 4 to 99
};

enum class ErrorMode {
    Normal,          // "<text>" for known codes, "chyba ovladače <code>" otherwise
    NoTerminator,    // all 99 text elements filled, nothing 0
    WildValues,      // elements above 255 and negative
    LeaveUntouched,  // returns without writing
};

struct Script {
    int32_t initResult = 0;
    uint32_t handleOnInit = 0x5EC0;
    int32_t setConfigResult = 0;
    int32_t doneResult = 0;
    uint32_t handleAfterDone = 0;
    ErrorMode errorMode = ErrorMode::Normal;
    // Replies to Send in order; when none is queued, `module` answers, or a default reply.
    std::deque<Reply> replies;
    std::function<Reply(const std::array<int32_t, 8>& request)> module;
    // Runs inside Done, so a test can see what had happened by then.
    std::function<void()> onDone;
};

Script& CurrentScript();
std::vector<Call>& Calls();
// Empties the log and restores the default script.
void Reset();

std::vector<Call> CallsTo(const std::string& entry);

} // namespace testdriver

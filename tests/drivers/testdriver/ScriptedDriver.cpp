// A driver library whose behaviour a test scripts. Built once per stem (DRIVER_STEM) with the
// Init form of that stem (DRIVER_INIT_FORM: 1 with a parameter, 2 without, 3 with the block),
// and in variants that lack one entry (OMIT_<Entry>).
#include "DriverContract.h"
#include "ScriptControl.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace testdriver;

#define ENTRY(name) SERKON_DRIVER_ENTRY(DRIVER_STEM, name)
#define EXPORTED SERKON_DRIVER_EXTERN_C SERKON_DRIVER_EXPORT int32_t SERKON_DRIVER_CALL

namespace {

[[maybe_unused]] int32_t Opened(uint32_t* handle)
{
    if (CurrentScript().initResult == 0)
        *handle = CurrentScript().handleOnInit;
    return CurrentScript().initResult;
}

[[maybe_unused]] void WriteText(int32_t* text, const std::string& value)
{
    std::memset(text, 0, SERKON_DRIVER_BUFFER_SIZE * sizeof(int32_t));
    for (size_t i = 0; i < value.size() && i < 99; ++i)
        text[i + 1] = static_cast<unsigned char>(value[i]);
}

[[maybe_unused]] std::string NormalText(int32_t code)
{
    switch (code) {
    case 0:
        return "V po\xF8\xE1" "dku"; // "V pořádku" in Windows-1250
    case 9:
        return "chyba sestaven\xED po\x9E" "adavku";
    case 10:
        return "ovlada\xE8 nen\xED p\xF8ipojen";
    default:
    {
        // Not std::to_string: its digit table is a unique symbol, which would pin the library
        // in memory and hide an unload.
        char number[16];
        std::snprintf(number, sizeof number, "%d", code);
        return std::string("chyba ovlada\xE8" "e ") + number;
    }
    }
}

} // namespace

#ifndef OMIT_Version
EXPORTED ENTRY(Version)(void)
{
    Calls().push_back({"Version", {}, {}, {}});
    return 0x0100;
}
#endif

#ifndef OMIT_Init
#if DRIVER_INIT_FORM == 1
EXPORTED ENTRY(Init)(uint32_t* handle, int32_t param)
{
    Calls().push_back({"Init", {param}, {}, {}});
    return Opened(handle);
}
#elif DRIVER_INIT_FORM == 2
EXPORTED ENTRY(Init)(uint32_t* handle)
{
    Calls().push_back({"Init", {}, {}, {}});
    return Opened(handle);
}
#else
EXPORTED ENTRY(Init)(uint32_t* handle, const intptr_t* config)
{
    Call call{"Init", {}, {}, {}};
    for (int i = 0; i < SERKON_DRIVER_CONFIG_SIZE; ++i)
        call.args.push_back(config[i]);
    if (config[0] != 0)
        call.ipAddress = reinterpret_cast<const char*>(config[0]);
    Calls().push_back(call);
    return Opened(handle);
}
#endif
#endif

#ifndef OMIT_SetConfig
EXPORTED ENTRY(SetConfig)(uint32_t handle, int32_t baud, int32_t timeout, int32_t option)
{
    Calls().push_back({"SetConfig", {handle, baud, timeout, option}, {}, {}});
    return CurrentScript().setConfigResult;
}
#endif

#ifndef OMIT_GetConfig
EXPORTED ENTRY(GetConfig)(uint32_t handle, int32_t* baud, int32_t* timeout, int32_t* option)
{
    Calls().push_back({"GetConfig", {handle}, {}, {}});
    *baud = 0;
    *timeout = 0;
    *option = 0;
    return 0;
}
#endif

#ifndef OMIT_Send
EXPORTED ENTRY(Send)(uint32_t handle, const int32_t* request, int32_t* response, int32_t* extra,
                     int32_t* status)
{
    Call call{"Send", {handle}, {}, {}};
    std::memcpy(call.request.data(), request, sizeof(call.request));
    Calls().push_back(call);

    Script& script = CurrentScript();
    Reply reply;
    if (!script.replies.empty()) {
        reply = script.replies.front();
        script.replies.pop_front();
    } else if (script.module) {
        reply = script.module(call.request);
    }
    if (reply.fillWholeResponse) {
        for (int i = 4; i < SERKON_DRIVER_BUFFER_SIZE; ++i)
            response[i] = 0x7700 + i;
    }
    for (size_t i = 0; i < reply.data.size(); ++i)
        response[i] = reply.data[i];
    *extra = reply.extra;
    *status = reply.status;
    return reply.result;
}
#endif

#ifndef OMIT_Done
EXPORTED ENTRY(Done)(uint32_t* handle)
{
    Calls().push_back({"Done", {*handle}, {}, {}});
    if (CurrentScript().onDone)
        CurrentScript().onDone();
    *handle = CurrentScript().handleAfterDone;
    return CurrentScript().doneResult;
}
#endif

#ifndef OMIT_Error
EXPORTED ENTRY(Error)(int32_t code, int32_t* text)
{
    Calls().push_back({"Error", {code}, {}, {}});
    switch (CurrentScript().errorMode) {
    case ErrorMode::Normal:
        WriteText(text, NormalText(code));
        break;
    case ErrorMode::NoTerminator:
        for (int i = 0; i < SERKON_DRIVER_BUFFER_SIZE; ++i)
            text[i] = 'A' + i % 26;
        break;
    case ErrorMode::WildValues:
        for (int i = 0; i < SERKON_DRIVER_BUFFER_SIZE; ++i)
            text[i] = i % 2 ? 0x100 + 'a' + i % 26 : -200 - i;
        break;
    case ErrorMode::LeaveUntouched:
        break;
    }
    return 0;
}
#endif

#include "DriverBinding.h"

#include "DynamicLibrary.h"
#include "ErrorCodes.h"
#include "InterfaceTypes.h"

#include "core/ProgramDirectory.h"

#include <string>

namespace {

enum class BindingState { Unbound, Open, FailedOpen };

struct Binding {
    LibraryHandle library = nullptr;
    BindingState state = BindingState::Unbound;
    SerkonVersionEntry version = nullptr;
    void* init = nullptr;  // in the form of the bound type
    SerkonSetConfigEntry setConfig = nullptr;
    SerkonGetConfigEntry getConfig = nullptr;
    SerkonSendEntry send = nullptr;
    SerkonDoneEntry done = nullptr;
    SerkonErrorEntry error = nullptr;
};

Binding& TheBinding()
{
    static Binding binding;
    return binding;
}

void Unload(Binding& binding)
{
    if (binding.library)
        CloseLibrary(binding.library);
    binding = Binding{};
}

template <typename Entry>
Entry Lookup(LibraryHandle library, const char* stem, const char* name)
{
    const std::string symbol = std::string(stem) + '_' + name;
    return reinterpret_cast<Entry>(LibraryEntry(library, symbol.c_str()));
}

bool LookupEntries(Binding& binding, const char* stem)
{
    binding.version = Lookup<SerkonVersionEntry>(binding.library, stem, "Version");
    binding.init = Lookup<void*>(binding.library, stem, "Init");
    binding.setConfig = Lookup<SerkonSetConfigEntry>(binding.library, stem, "SetConfig");
    binding.getConfig = Lookup<SerkonGetConfigEntry>(binding.library, stem, "GetConfig");
    binding.send = Lookup<SerkonSendEntry>(binding.library, stem, "Send");
    binding.done = Lookup<SerkonDoneEntry>(binding.library, stem, "Done");
    binding.error = Lookup<SerkonErrorEntry>(binding.library, stem, "Error");
    return binding.version && binding.init && binding.setConfig && binding.getConfig
        && binding.send && binding.done && binding.error;
}

int32_t CallInit(const Binding& binding, uint8_t type, uint32_t* handle,
                 const DriverConfigBlock& config)
{
    switch (type) {
    case InterfaceCom:
    case InterfaceIsa:
        return reinterpret_cast<SerkonInitWithParamEntry>(binding.init)(handle,
                                                                        int32_t(config[0]));
    case InterfacePci:
    case InterfaceUsb:
        return reinterpret_cast<SerkonInitEntry>(binding.init)(handle);
    default:
        return reinterpret_cast<SerkonInitWithBlockEntry>(binding.init)(handle, config.data());
    }
}

} // namespace

int32_t LoadDriver(uint8_t type, uint32_t* handle, DriverConfigBlock config)
{
    Binding& binding = TheBinding();
    // A library kept only for the text of its failed Init is released now. An open one is the
    // caller's to close first; if it did not, that library stays loaded, unused.
    if (binding.state == BindingState::FailedOpen)
        Unload(binding);
    binding = Binding{};

    if (!IsInterfaceType(type))
        return CodeNoDriver;

    const InterfaceTypeInfo& info = InterfaceTypes[type];
    binding.library = OpenLibrary(ProgramFilePath(QString::fromUtf8(info.libraryFile)));
    if (!binding.library)
        return CodeLibraryNotLoaded + type;

    if (!LookupEntries(binding, info.stem)) {
        Unload(binding);
        return CodeLibraryIncomplete + type;
    }

    const int32_t code = CallInit(binding, type, handle, config);
    binding.state = code == CodeSuccess ? BindingState::Open : BindingState::FailedOpen;
    return code;
}

int32_t ConfigureDriver(uint8_t type, uint32_t handle, int32_t baud, int32_t timeout,
                        int32_t option)
{
    const Binding& binding = TheBinding();
    if (!IsInterfaceType(type) || !binding.setConfig)
        return CodeNoDriver;
    return binding.setConfig(handle, baud, timeout, option);
}

int32_t DriverSend(uint8_t type, uint32_t handle, const DriverBuffer& request,
                   DriverBuffer& response, int32_t& extra, int32_t& status)
{
    const Binding& binding = TheBinding();
    if (!IsInterfaceType(type) || !binding.send)
        return CodeNoDriver;
    return binding.send(handle, request.data(), response.data(), &extra, &status);
}

int32_t CloseDriver(uint8_t type, uint32_t* handle)
{
    Binding& binding = TheBinding();
    if (!IsInterfaceType(type) || !binding.done)
        return CodeNoDriver;
    const int32_t code = binding.done(handle);
    Unload(binding);
    return code;
}

int32_t DriverErrorText(uint8_t type, uint32_t code, DriverBuffer& text)
{
    if (code >= FirstSystemCode)
        return TextToBuffer(SystemErrorText(code), text);
    const Binding& binding = TheBinding();
    if (!IsInterfaceType(type) || !binding.error)
        return CodeNoDriver;
    return binding.error(int32_t(code), text.data());
}

QString DriverErrorString(uint8_t type, uint32_t code)
{
    DriverBuffer text{};
    DriverErrorText(type, code, text);
    return BufferToText(text);
}

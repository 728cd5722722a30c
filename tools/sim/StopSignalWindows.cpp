#include "Servers.h"

#include <windows.h>

namespace sim {

// Manual reset: once raised it stays raised, and every wait after it ends at once.
StopSignal::StopSignal() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

StopSignal::~StopSignal()
{
    if (handle_)
        CloseHandle(handle_);
}

void StopSignal::Raise()
{
    SetEvent(handle_);
}

} // namespace sim

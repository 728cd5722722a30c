// Ending a test's connection to a module, as the main window does when the program ends.
#pragma once

#include "core/Records.h"
#include "drivers/DriverBinding.h"

// Closes the driver if the record's connection is ready; the record is then not connected.
inline void CloseConnectionIfReady(TData& data)
{
    if (!ConnectionReady(data))
        return;
    CloseDriver(data.InterfaceType, &data.DriverHandle);
    data.Connected = 0;
}

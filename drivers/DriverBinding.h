// The binding of the one driver library in use: loads the library of an interface type, opens
// the driver and routes every later call to its entries. One binding serves the whole process;
// all calls come from the user-interface thread.
#pragma once

#include "DriverBuffer.h"

#include "core/Records.h"

#include <cstdint>

// Binds the library of the type and calls its Init. Returns 10 (type above 4), 100 + type
// (library not loadable), 110 + type (an entry missing) or Init's result (0 = open, the handle
// set by the driver). A library whose Init failed stays loaded for its Error entry until the
// next LoadDriver.
int32_t LoadDriver(uint8_t type, uint32_t* handle, DriverConfigBlock config);

int32_t ConfigureDriver(uint8_t type, uint32_t handle, int32_t baud, int32_t timeout,
                        int32_t option);

int32_t DriverSend(uint8_t type, uint32_t handle, const DriverBuffer& request,
                   DriverBuffer& response, int32_t& extra, int32_t& status);

// Calls Done with the handle variable, unloads the library and empties the entry slots.
// Returns Done's result.
int32_t CloseDriver(uint8_t type, uint32_t* handle);

// Fills the buffer with the text of the code: the driver's text for codes below 100 (returns 10
// and leaves the buffer as it was when no driver's Error entry is bound), the system's own text
// for the others (returns 0).
int32_t DriverErrorText(uint8_t type, uint32_t code, DriverBuffer& text);

// DriverErrorText and BufferToText together, starting from a buffer of zeros.
QString DriverErrorString(uint8_t type, uint32_t code);

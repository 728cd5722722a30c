// serkon-sim's main loop: control lines from standard input while it waits for the signal that
// ends it.
#pragma once

#include "Controls.h"

#include <cstdio>

namespace sim {

// Puts /dev/null on standard input, output or error where the program was started without
// them, so that no socket or terminal the simulator opens takes their place. Returns whether
// standard input was there.
bool KeepStandardDescriptors();

// Blocks SIGINT and SIGTERM for this thread and every thread started after it, so that only
// RunControlLoop receives them. Call before any server starts.
void BlockStopSignals();

// Answers each line read from `input` (drop 3, help, ...) with a line on `output` until SIGINT
// or SIGTERM arrives or a line says quit. An input that ends, fails or is no descriptor at all
// (serkon-sim started with </dev/null or without standard input) leaves only the signals to
// wait for. Returns the signal received, or 0 after quit.
int RunControlLoop(int input, std::FILE* output, ControlTarget& target);

} // namespace sim

// serkon-sim's main loop: control lines from standard input while it waits for the request that
// ends it (SIGINT or SIGTERM; on Windows the console's Ctrl+C, Ctrl+Break or close, or a logoff
// or shutdown).
#pragma once

#include "Controls.h"
#include "NativeHandle.h"

#include <cstdio>

namespace sim {

// Puts /dev/null on standard input, output or error where the program was started without
// them, so that no socket or terminal the simulator opens takes their place (Windows has no
// such numbering to keep). Returns whether standard input was there.
bool KeepStandardDescriptors();

// Standard input, for RunControlLoop; whether a person types it (a terminal, a console).
NativeHandle StandardInput();
bool IsInteractive(NativeHandle input);

// Keeps the requests to stop for RunControlLoop alone: on Linux SIGINT and SIGTERM are blocked
// for this thread and every thread started after it, on Windows a console control handler
// takes them. Call before any server starts.
void HoldStopRequests();

// Answers each line read from `input` (drop 3, help, ...) with a line on `output` until a
// request to stop arrives or a line says quit. An input that ends, fails or is no input at all
// (serkon-sim started with </dev/null or without standard input) leaves only the requests to
// wait for. Returns the signal received (on Windows the one a console event stands for:
// SIGINT for Ctrl+C, SIGBREAK for Ctrl+Break, SIGTERM for the others), or 0 after quit.
int RunControlLoop(NativeHandle input, std::FILE* output, ControlTarget& target);

} // namespace sim

// The commands of serkon-cli. Each returns the exit code of the run (ExitCodes.h).
#pragma once

#include "CommandLine.h"
#include "Progress.h"

class Session;

int RunIdentify(const Options& options, ProgressOutput& output);
int RunRead(const Options& options, ProgressOutput& output);
int RunWrite(const Options& options, ProgressOutput& output);
int RunStatus(const Options& options, ProgressOutput& output);
int RunClearStatus(const Options& options, ProgressOutput& output);
int RunScan(const Options& options, ProgressOutput& output);
int RunSettings(const Options& options, ProgressOutput& output);
int RunPorts(const Options& options, ProgressOutput& output);
int RunLinkPort(const Options& options, ProgressOutput& output);

// A write whose command line was refused leaves its line in the report all the same, when the
// report was named. Returns the exit code of the usage error.
int RecordRefusedWrite(const Options& options, const QString& message, ProgressOutput& output);

// Prepares the session's connection and opens it, showing what goes wrong. 0 when a module is
// connected, otherwise the exit code.
int Connect(Session& session, const Options& options, ProgressOutput& output);

// Writes UTF-8 text to standard output.
void PrintOut(const QString& text);
void PrintOut(const QByteArray& bytes);

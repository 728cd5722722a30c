// serkon-sim started as a program of its own, as a user or a script starts it: standard input
// a pipe the test writes to (or none), standard output and error read together line by line.
#pragma once

#include "NativeHandle.h"

#include <cstdint>
#include <string>
#include <vector>

class SimChild {
public:
    enum class Input { Pipe, Null, Closed };  // a pipe; /dev/null or NUL; none at all

    explicit SimChild(const std::vector<std::string>& options, Input input = Input::Pipe);
    ~SimChild();  // stops it when it still runs
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;

    // The UDP port from the first line, "udp 127.0.0.1:PORT", the module line after it read
    // too; 0 when it does not come.
    uint16_t Port();

    // The next line of output without its line end; empty when none comes.
    std::string Line();
    // The output from here to its end, line ends as line feeds.
    std::string Rest();

    // Writes text to standard input as it is; Command adds the line feed and returns the
    // answer line.
    bool Write(const std::string& text);
    std::string Command(const std::string& line);
    void CloseInput();

    // Asks it to stop as a script does, SIGTERM (on Windows Ctrl+Break), or as a user at its
    // terminal does, SIGINT (Ctrl+C); both return its exit code as Wait does.
    int Stop();
    int Interrupt();

    // Its exit code once it has ended by itself; -1 when it ended otherwise (a signal) or had
    // ended before.
    int Wait();

private:
    // Appends what output comes next to pending_ (on Windows without the carriage returns);
    // false at its end, or when nothing comes for longer than only a broken simulator takes.
    bool ReadMore();

    sim::NativeHandle process_ = sim::NoHandle;  // the pid; on Windows the process handle
    uint32_t id_ = 0;                             // on Windows, for a way into its console
    sim::NativeHandle output_ = sim::NoHandle;
    sim::NativeHandle commands_ = sim::NoHandle;
    std::string pending_;
};

// serkon-sim run to its end without input (as for options it refuses): the first line of its
// output, the rest of it and the exit code.
struct SimRun {
    std::string firstLine;
    std::string rest;
    int exitCode = -1;
};
SimRun RunSim(const std::vector<std::string>& options);

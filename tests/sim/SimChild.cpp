#include "SimChild.h"

#include <cstdio>
#include <utility>

uint16_t SimChild::Port()
{
    unsigned port = 0;
    const std::string line = Line();
    if (std::sscanf(line.c_str(), "udp 127.0.0.1:%u", &port) != 1)
        return 0;
    Line();  // "module ..."
    return uint16_t(port);
}

std::string SimChild::Line()
{
    for (;;) {
        if (const size_t end = pending_.find('\n'); end != std::string::npos) {
            const std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        if (!ReadMore())
            return {};
    }
}

std::string SimChild::Rest()
{
    while (ReadMore()) {
    }
    return std::exchange(pending_, {});
}

std::string SimChild::Command(const std::string& line)
{
    return Write(line + '\n') ? Line() : std::string();
}

SimRun RunSim(const std::vector<std::string>& options)
{
    SimChild sim(options, SimChild::Input::Null);
    SimRun run;
    run.firstLine = sim.Line();
    run.rest = sim.Rest();
    run.exitCode = sim.Wait();
    return run;
}

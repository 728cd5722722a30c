// serkon-sim's command line as UTF-8, its name first. On Windows it comes from the wide command
// line, so that a --state path with letters outside the ANSI code page (Měření) arrives whole.
#pragma once

#include <string>
#include <vector>

namespace sim {

std::vector<std::string> ProgramArguments(int argc, char** argv);

} // namespace sim

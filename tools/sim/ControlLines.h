// The control lines of serkon-sim's standard input, however they are read: bytes in, each
// complete line answered (drop 3, help, ...) on the output.
#pragma once

#include "Controls.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace sim {

class ControlLines {
public:
    ControlLines(std::FILE* output, ControlTarget& target) : output_(output), target_(target) {}

    // Answers the lines the bytes complete; false when one of them asked to end (quit).
    bool Take(const char* bytes, size_t size);

    // The last line, when the input ended without a line feed; false when it asked to end.
    bool Finish();

private:
    std::FILE* output_;
    ControlTarget& target_;
    std::string pending_;
    bool overlong_ = false;
};

} // namespace sim

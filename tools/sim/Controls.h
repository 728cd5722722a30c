// The fault controls of a served line by name, as serkon-sim takes them on its command line
// (--drop 3) and, while it runs, as lines on its standard input (drop 3). A control acts on
// every module of the line alike: with two modules, drop 1 takes the next reply of each.
//
//   sim::ParsedControl control = sim::ParseControl({"read-back", "4", "77"});
//   if (control.action) reply = control.action(target);   // "ok read-back 4 77"
//   else error = control.error;
#pragma once

#include "Line.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class UdpServer;

// What a control acts on: the modules of the line, and the UDP server when it is served over UDP.
struct ControlTarget {
    Line line;
    UdpServer* udp = nullptr;
};

// Applies a control and returns the line to answer with ("ok drop 3", or the counters).
using ControlAction = std::function<std::string(ControlTarget&)>;

struct ParsedControl {
    ControlAction action;  // empty when the words are not a valid control
    std::string error;     // why not
};

// words: the control's name followed by its arguments.
ParsedControl ParseControl(const std::vector<std::string>& words);

// The number of arguments a control takes when given as a command-line option (--name), or -1
// when no control of that name exists or it is one for the input lines only.
int OptionArity(const std::string& name);

enum class HelpForm {
    Options,    // the controls that are also command-line options: "  --drop N   ..."
    Lines,      // every input-line command: "  drop N   ..."
    LinesOnly,  // the input-line commands without an option form (counters, help, ...)
};
// The controls, one per line with what each does.
std::string ControlHelp(HelpForm form);

// The highest bus speed a module or the wire time takes, in Bd.
inline constexpr unsigned long HighestBaud = 4000000;

enum class NumberForm {
    DecimalOr0x,  // decimal digits, or hexadecimal ones after 0x: 12, 0x0C
    Hexadecimal,  // hexadecimal digits with or without 0x: 0C, 0x0C
};
// A whole number from 0 to highest, for every option and control: digits only, no sign, no
// blanks. nullopt when the text is anything else.
std::optional<unsigned long> ParseNumber(std::string_view text, unsigned long highest,
                                         NumberForm form = NumberForm::DecimalOr0x);

// Splits a line into blank-separated words; a line starting with '#' has none.
std::vector<std::string> SplitWords(const std::string& line);

} // namespace sim

#include "Controls.h"

#include "Servers.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <random>
#include <sstream>

namespace sim {

namespace {

using Words = std::vector<std::string>;
using Parser = ParsedControl (*)(const Words& arguments);

constexpr unsigned long Count = std::numeric_limits<uint32_t>::max();
constexpr unsigned long Byte = 255;
constexpr unsigned long LongestDelayMs = 60000;

template <typename Change>
void EachModule(ControlTarget& target, const Change& change)
{
    for (Module* module : target.line.Modules())
        change(*module);
}

ParsedControl Refused(std::string error)
{
    return ParsedControl{{}, std::move(error)};
}

ParsedControl Done(ControlAction action)
{
    return ParsedControl{std::move(action), {}};
}

std::string Range(const char* what, unsigned long highest)
{
    return std::string(what) + " must be a number from 0 to " + std::to_string(highest);
}

// "off" or a number up to highest.
bool OffOrNumber(const std::string& text, unsigned long highest,
                 std::optional<unsigned long>& value)
{
    if (text == "off") {
        value.reset();
        return true;
    }
    value = ParseNumber(text, highest);
    return value.has_value();
}

template <void (Module::*Setter)(uint32_t)>
ParsedControl CountControl(const Words& arguments)
{
    const auto count = ParseNumber(arguments[0], Count);
    if (!count)
        return Refused(Range("N", Count));
    return Done([n = uint32_t(*count)](ControlTarget& target) {
        EachModule(target, [n](Module& module) { (module.*Setter)(n); });
        return std::string();
    });
}

ParsedControl Echo(const Words& arguments)
{
    if (arguments[0] != "on" && arguments[0] != "off")
        return Refused("echo takes on or off");
    return Done([on = arguments[0] == "on"](ControlTarget& target) {
        EachModule(target, [on](Module& module) { module.SetEchoOnly(on); });
        return std::string();
    });
}

ParsedControl ReplyAddress(const Words& arguments)
{
    std::optional<unsigned long> address;
    if (!OffOrNumber(arguments[0], Byte, address))
        return Refused(Range("the address", Byte) + ", or off");
    return Done([address](ControlTarget& target) {
        const std::optional<uint8_t> replyAddress =
            address ? std::optional<uint8_t>(uint8_t(*address)) : std::nullopt;
        EachModule(target, [&](Module& module) { module.SetReplyAddress(replyAddress); });
        return std::string();
    });
}

ParsedControl ReadBack(const Words& arguments)
{
    const auto reg = ParseNumber(arguments[0], RegisterCount - 1);
    std::optional<unsigned long> value;
    if (!reg)
        return Refused(Range("the register", RegisterCount - 1));
    if (!OffOrNumber(arguments[1], Byte, value))
        return Refused(Range("the value", Byte) + ", or off");
    return Done([reg = uint8_t(*reg), value](ControlTarget& target) {
        const std::optional<uint8_t> readBack =
            value ? std::optional<uint8_t>(uint8_t(*value)) : std::nullopt;
        EachModule(target, [&](Module& module) { module.SetReadBackValue(reg, readBack); });
        return std::string();
    });
}

ParsedControl CommandStatus(const Words& arguments)
{
    const auto command = ParseNumber(arguments[0], Byte);
    std::optional<unsigned long> status;
    if (!command)
        return Refused(Range("the command", Byte));
    if (!OffOrNumber(arguments[1], Byte, status))
        return Refused(Range("the status", Byte) + ", or off");
    return Done([command = uint8_t(*command), status](ControlTarget& target) {
        const std::optional<uint8_t> forced =
            status ? std::optional<uint8_t>(uint8_t(*status)) : std::nullopt;
        EachModule(target, [&](Module& module) { module.SetCommandStatus(command, forced); });
        return std::string();
    });
}

template <void (Module::*Setter)(uint32_t)>
ParsedControl StatusControl(const Words& arguments)
{
    const auto bits =
        ParseNumber(arguments[0], std::numeric_limits<uint32_t>::max(), NumberForm::Hexadecimal);
    if (!bits)
        return Refused("the status register takes up to 8 hexadecimal digits");
    return Done([bits = uint32_t(*bits)](ControlTarget& target) {
        EachModule(target, [bits](Module& module) { (module.*Setter)(bits); });
        return std::string();
    });
}

ParsedControl Delay(const Words& arguments)
{
    const auto ms = ParseNumber(arguments[0], LongestDelayMs);
    if (!ms)
        return Refused(Range("the delay in ms", LongestDelayMs));
    return Done([ms = *ms](ControlTarget& target) {
        EachModule(target, [ms](Module& module) { module.SetReplyDelay(std::chrono::milliseconds(ms)); });
        return std::string();
    });
}

ParsedControl Baud(const Words& arguments)
{
    const auto baud = ParseNumber(arguments[0], HighestBaud);
    if (!baud)
        return Refused(Range("the speed in Bd", HighestBaud));
    return Done([baud = uint32_t(*baud)](ControlTarget& target) {
        EachModule(target, [baud](Module& module) { module.SetWireSpeed(baud); });
        return std::string();
    });
}

ParsedControl Lose(const Words& arguments)
{
    std::optional<unsigned long> oneIn;
    if (!OffOrNumber(arguments[0], Count, oneIn))
        return Refused(Range("N", Count) + ", or off");
    return Done([oneIn = uint32_t(oneIn.value_or(0))](ControlTarget& target) {
        std::random_device seeds;
        EachModule(target, [&](Module& module) { module.LoseReplies(oneIn, seeds()); });
        return std::string();
    });
}

ParsedControl Stray(const Words& arguments)
{
    const auto count = ParseNumber(arguments[0], Count);
    if (!count)
        return Refused(Range("N", Count));
    return Done([n = uint32_t(*count)](ControlTarget& target) {
        if (!target.udp)
            return std::string("error: stray replies need --udp");
        target.udp->SendStrayReplies(n);
        return std::string();
    });
}

ParsedControl Clear(const Words&)
{
    return Done([](ControlTarget& target) {
        EachModule(target, [](Module& module) { module.ClearFaults(); });
        if (target.udp)
            target.udp->SendStrayReplies(0);
        return std::string();
    });
}

ParsedControl ShowCounters(const Words&)
{
    return Done([](ControlTarget& target) {
        const Counters counters = target.line.GetCounters();
        return "requests " + std::to_string(counters.requests) + " replies "
            + std::to_string(counters.replies) + " garbage " + std::to_string(counters.garbage);
    });
}

struct ControlEntry {
    const char* name;
    const char* arguments;
    const char* help;
    int arity;
    bool option;  // also a command-line option
    Parser parse;
};

constexpr ControlEntry Controls[] = {
    {"drop", "N", "the next N replies are not sent", 1, true, CountControl<&Module::DropReplies>},
    {"corrupt", "N", "the next N replies carry a wrong check", 1, true,
     CountControl<&Module::CorruptReplies>},
    {"late", "N", "the next N replies come only after the following request", 1, true,
     CountControl<&Module::AnswerLate>},
    {"lose", "N|off", "each reply is lost with a chance of one in N, at random", 1, true, Lose},
    {"echo", "on|off", "every request comes back as it was, no reply", 1, true, Echo},
    {"reply-address", "A|off", "replies carry bus address A", 1, true, ReplyAddress},
    {"read-back", "R V|off", "a read of register R answers V (writes still land)", 2, true,
     ReadBack},
    {"command-status", "C S|off", "requests with command C get status S and zero data", 2, true,
     CommandStatus},
    {"status-bits", "HEX", "set these status register bits (the others stay)", 1, true,
     StatusControl<&Module::SetStatusBits>},
    {"status", "HEX", "the status register becomes HEX", 1, true,
     StatusControl<&Module::SetStatus>},
    {"delay", "MS", "answer MS milliseconds later", 1, true, Delay},
    {"baud", "BD", "take the time frames need on a bus of BD (0: none)", 1, true, Baud},
    {"stray", "N", "with --udp: a forged reply from another port precedes each of the next N",
     1, true, Stray},
    {"clear", "", "every fault above off (the --baud wire time stays)", 0, false, Clear},
    {"counters", "", "requests heard, replies sent, garbled frames", 0, false, ShowCounters},
};

const ControlEntry* Find(const std::string& name)
{
    for (const ControlEntry& entry : Controls)
        if (name == entry.name)
            return &entry;
    return nullptr;
}

std::string Joined(const Words& words)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string HelpLine(const std::string& usage, const char* help)
{
    std::string line = "  " + usage;
    line.resize(std::max<size_t>(line.size() + 1, 28), ' ');
    return line + help + '\n';
}

} // namespace

ParsedControl ParseControl(const Words& words)
{
    if (words.empty())
        return Refused("no command");
    const ControlEntry* entry = Find(words.front());
    if (!entry)
        return Refused("unknown command \"" + words.front() + "\" (help lists them)");
    const Words arguments(words.begin() + 1, words.end());
    if (arguments.size() != size_t(entry->arity)) {
        return Refused(std::string("usage: ") + entry->name
                       + (*entry->arguments ? " " : "") + entry->arguments);
    }
    ParsedControl parsed = entry->parse(arguments);
    if (!parsed.action)
        return Refused(std::string(entry->name) + ": " + parsed.error);
    return Done([action = std::move(parsed.action), echo = "ok " + Joined(words)](
                    ControlTarget& target) {
        const std::string answer = action(target);
        return answer.empty() ? echo : answer;
    });
}

int OptionArity(const std::string& name)
{
    const ControlEntry* entry = Find(name);
    return entry && entry->option ? entry->arity : -1;
}

std::string ControlHelp(HelpForm form)
{
    const bool optionForm = form == HelpForm::Options;
    std::string help;
    for (const ControlEntry& entry : Controls) {
        if ((optionForm && !entry.option) || (form == HelpForm::LinesOnly && entry.option))
            continue;
        std::string usage = (optionForm ? "--" : "") + std::string(entry.name);
        if (*entry.arguments)
            usage += std::string(" ") + entry.arguments;
        help += HelpLine(usage, entry.help);
    }
    if (!optionForm) {
        help += HelpLine("help", "this list");
        help += HelpLine("quit", "end serkon-sim");
    }
    return help;
}

std::optional<unsigned long> ParseNumber(std::string_view text, unsigned long highest,
                                         NumberForm form)
{
    const bool prefixed = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string_view digits = prefixed ? text.substr(2) : text;
    const int base = prefixed || form == NumberForm::Hexadecimal ? 16 : 10;
    // from_chars takes no blanks and no sign, unlike strtoul.
    unsigned long value = 0;
    const auto [end, failure] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || failure != std::errc() || end != digits.data() + digits.size()
        || value > highest)
        return std::nullopt;
    return value;
}

Words SplitWords(const std::string& line)
{
    Words words;
    std::istringstream stream(line);
    std::string word;
    while (stream >> word) {
        if (words.empty() && word.front() == '#')
            break;
        words.push_back(word);
    }
    return words;
}

} // namespace sim

// serkon-sim: a simulated module for trying the program without hardware.
//
//   serkon-sim --udp PORT [options]      a LAN converter on 127.0.0.1:PORT (0: any free port)
//   serkon-sim --pty [--link PATH] ...   a module on a pseudo-terminal, PATH linked to it
//   ... --module 3:KQ-3110:9600 --module 42:RZ-310:19200    several modules on one line
//
// It prints where it listens ("udp 127.0.0.1:PORT", "pty /dev/pts/N", "link PATH") and the
// modules, then serves until interrupted, taking fault controls as lines on standard input
// ("drop 3").
#include "ControlLoop.h"
#include "Controls.h"
#include "Module.h"
#include "ProgramArguments.h"
#include "Servers.h"
#include "Utf8Path.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Options {
    std::optional<uint16_t> udpPort;
    bool pty = false;
    bool help = false;
    std::string link;
    std::string model = "KQ-3110";
    uint8_t address = 1;
    bool modelOrAddressGiven = false;
    std::vector<sim::PlacedModule> modules;  // --module, in the order given
    std::string stateFile;
    std::vector<sim::ControlAction> controls;  // in the order given
};

const char* const Usage =
    "usage: serkon-sim (--udp PORT | --pty [--link PATH]) [options]\n"
    "  --udp PORT                serve as a LAN converter on 127.0.0.1:PORT (0 picks a free port)\n"
    "  --pty                     serve on a pseudo-terminal\n"
    "  --link PATH               with --pty: make PATH a link to it, e.g. build/bin/ports/com1\n";

// In place of Usage where the platform has no pseudo-terminals (Windows).
const char* const UsageWithoutPty =
    "usage: serkon-sim --udp PORT [options]\n"
    "  --udp PORT                serve as a LAN converter on 127.0.0.1:PORT (0 picks a free port)\n"
    "  --pty, --link PATH        Linux only: on Windows serkon-sim serves over UDP only\n";

const char* const UsageOfModels =
    "  --model NAME              the module's model (default KQ-3110), one of\n";

const char* const UsageAfterModels =
    "  --address N               the module's bus address, 0 to 255 (default 1)\n"
    "  --module A:MODEL[:BD]     instead of --model and --address, one module of the line at\n"
    "                            address A (repeat for more); with BD it answers only a line at\n"
    "                            BD Bd (on --pty the speed the program set) and its frames take\n"
    "                            the time they need at BD\n"
    "  --state FILE              keep the registers and the status register in FILE between runs\n"
    "  --help                    this text\n"
    "Faults and timing (numbers in decimal or 0x-hexadecimal; HEX is hexadecimal):\n";

const char* const InputUsage =
    "While it runs, standard input takes the same controls as lines without the dashes, one\n"
    "per line (e.g. \"drop 3\", \"read-back 4 77\", \"status-bits 0x80\"), answered with a line\n"
    "\"ok ...\" or \"error: ...\"; also:\n";

// "KQ-3110, KQ-3120, ...", lineLength names a line, each line indented by indent.
std::string ModelList(size_t lineLength, const std::string& indent)
{
    const std::vector<std::string> names = sim::ModelNames();
    std::string list;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool lineStart = i % lineLength == 0;
        list += (i == 0 ? "" : lineStart ? ",\n" : ", ") + (lineStart ? indent : "") + names[i];
    }
    return list;
}

std::string FullUsage()
{
    const char* const usage = sim::WhyNoPseudoTerminals().empty() ? Usage : UsageWithoutPty;
    return usage + (UsageOfModels + ModelList(4, std::string(28, ' '))) + '\n' + UsageAfterModels
        + sim::ControlHelp(sim::HelpForm::Options) + InputUsage
        + sim::ControlHelp(sim::HelpForm::LinesOnly);
}

// The value after an option, when there is one.
const char* OptionValue(int argc, char** argv, int& i, std::string& error)
{
    if (i + 1 >= argc) {
        error = std::string(argv[i]) + " needs a value";
        return nullptr;
    }
    return argv[++i];
}

bool NumberOption(int argc, char** argv, int& i, unsigned long highest, const char* what,
                  unsigned long& number, std::string& error)
{
    const std::string option = argv[i];
    const char* text = OptionValue(argc, argv, i, error);
    if (!text)
        return false;
    const auto parsed = sim::ParseNumber(text, highest);
    if (!parsed) {
        error = option + " takes " + what + " from 0 to " + std::to_string(highest) + ", not \""
            + text + '"';
        return false;
    }
    number = *parsed;
    return true;
}

// A fault control given as an option: --name and its arguments. False with a reason when they
// are not valid.
bool ParseControlOption(int argc, char** argv, int& i, Options& options, std::string& error)
{
    const std::string name = std::string(argv[i]).substr(2);
    const int arity = sim::OptionArity(name);
    if (arity < 0) {
        error = std::string("unknown option \"") + argv[i] + '"';
        return false;
    }
    if (i + arity >= argc) {
        error = std::string(argv[i]) + " needs " + std::to_string(arity) + " value"
            + (arity == 1 ? "" : "s");
        return false;
    }
    std::vector<std::string> words{name};
    for (int k = 1; k <= arity; ++k)
        words.emplace_back(argv[i + k]);
    sim::ParsedControl control = sim::ParseControl(words);
    if (!control.action) {
        error = control.error;
        return false;
    }
    options.controls.push_back(std::move(control.action));
    i += arity;
    return true;
}

// "A:NAME" or "A:NAME:BD".
bool ParseModule(const std::string& text, sim::PlacedModule& module, std::string& error)
{
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    const auto address = sim::ParseNumber(text.substr(0, first), 255);
    const std::string model =
        first == std::string::npos ? std::string() : text.substr(first + 1, second - first - 1);
    const auto speed = second == std::string::npos
        ? std::optional<unsigned long>(0)
        : sim::ParseNumber(text.substr(second + 1), sim::HighestBaud);
    if (!address || !speed || !sim::ModelIdentity(model)) {
        error = "--module takes ADDRESS:MODEL or ADDRESS:MODEL:BD (address 0 to 255, model one of "
            + ModelList(99, "") + ", speed up to " + std::to_string(sim::HighestBaud) + "), not \""
            + text + '"';
        return false;
    }
    module = {uint8_t(*address), model, uint32_t(*speed)};
    return true;
}

bool ParseOption(int argc, char** argv, int& i, Options& options, std::string& error)
{
    const std::string option = argv[i];
    unsigned long number = 0;
    if (option == "--help" || option == "-h") {
        options.help = true;
    } else if (option == "--pty") {
        options.pty = true;
    } else if (option == "--udp") {
        if (!NumberOption(argc, argv, i, 65535, "a port", number, error))
            return false;
        options.udpPort = uint16_t(number);
    } else if (option == "--address") {
        if (!NumberOption(argc, argv, i, 255, "a bus address", number, error))
            return false;
        options.address = uint8_t(number);
        options.modelOrAddressGiven = true;
    } else if (option == "--module") {
        const char* text = OptionValue(argc, argv, i, error);
        sim::PlacedModule module;
        if (!text || !ParseModule(text, module, error))
            return false;
        options.modules.push_back(module);
    } else if (option == "--link" || option == "--model" || option == "--state") {
        const char* text = OptionValue(argc, argv, i, error);
        if (!text)
            return false;
        if (option == "--link") {
            options.link = text;
        } else if (option == "--state") {
            options.stateFile = text;
        } else if (sim::ModelIdentity(text)) {
            options.model = text;
            options.modelOrAddressGiven = true;
        } else {
            error = std::string("unknown model \"") + text + "\" (known: " + ModelList(99, "") + ")";
            return false;
        }
    } else if (option.rfind("--", 0) == 0) {
        return ParseControlOption(argc, argv, i, options, error);
    } else {
        error = "unexpected \"" + option + '"';
        return false;
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i)
        if (!ParseOption(argc, argv, i, options, error))
            return false;
    if (options.help)
        return true;
    if (const std::string why = sim::WhyNoPseudoTerminals();
        !why.empty() && (options.pty || !options.link.empty())) {
        error = (options.pty ? "--pty: " : "--link: ") + why;
        return false;
    }
    if (options.pty == options.udpPort.has_value()) {
        error = "give either --udp PORT or --pty";
        return false;
    }
    if (!options.link.empty() && !options.pty) {
        error = "--link goes with --pty";
        return false;
    }
    if (!options.modules.empty() && options.modelOrAddressGiven) {
        error = "--module gives each module its address and model: leave out --model and --address";
        return false;
    }
    if (options.modules.size() > 1 && !options.stateFile.empty()) {
        error = "--state keeps the registers of one module, not of a line of several";
        return false;
    }
    if (options.modules.empty())
        options.modules.push_back({options.address, options.model, 0});
    return true;
}

bool LoadState(sim::Module& module, const std::string& stateFile)
{
    if (stateFile.empty())
        return true;
    std::string error;
    std::error_code unknown;
    if (std::filesystem::exists(sim::Utf8Path(stateFile), unknown)) {
        if (!module.LoadState(stateFile, &error)) {
            std::cerr << "serkon-sim: " << error << '\n';
            return false;
        }
    }
    module.OnChange([&module, stateFile] {
        std::string failure;
        if (!module.SaveState(stateFile, &failure))
            std::cerr << "serkon-sim: " << failure << '\n';
    });
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool hasInput = sim::KeepStandardDescriptors();
    std::vector<std::string> arguments = sim::ProgramArguments(argc, argv);
    std::vector<char*> words;
    for (std::string& argument : arguments)
        words.push_back(argument.data());
    Options options;
    std::string error;
    if (!ParseOptions(int(words.size()), words.data(), options, error)) {
        if (!error.empty())
            std::cerr << "serkon-sim: " << error << '\n';
        std::cerr << FullUsage();
        return 2;
    }
    if (options.help) {
        std::cout << FullUsage();
        return 0;
    }

    const sim::PlacedModules modules(options.modules);
    const sim::Line line = modules.OnOneLine();
    if (!LoadState(modules.At(0), options.stateFile))
        return 1;

    sim::HoldStopRequests();
    std::unique_ptr<sim::UdpServer> udp;
    std::unique_ptr<sim::PtyServer> pty;
    if (options.udpPort) {
        udp = std::make_unique<sim::UdpServer>(line, *options.udpPort);
        if (!udp->Listening()) {
            std::cerr << "serkon-sim: " << udp->Failure() << '\n';
            return 1;
        }
    } else {
        pty = std::make_unique<sim::PtyServer>(line, options.link);
        if (!pty->Listening()) {
            std::cerr << "serkon-sim: " << pty->Failure() << '\n';
            return 1;
        }
    }
    sim::ControlTarget target{line, udp.get()};
    for (const sim::ControlAction& control : options.controls) {
        const std::string answer = control(target);
        if (answer.rfind("error", 0) == 0) {
            std::cerr << "serkon-sim: " << answer.substr(answer.find(' ') + 1) << '\n';
            return 2;
        }
    }

    if (udp) {
        std::cout << "udp 127.0.0.1:" << udp->Port() << '\n';
    } else {
        std::cout << "pty " << pty->Path() << '\n';
        if (!pty->LinkPath().empty())
            std::cout << "link " << pty->LinkPath() << '\n';
    }
    for (size_t i = 0; i < modules.Size(); ++i) {
        const sim::Module& module = modules.At(i);
        const sim::Identity identity = module.GetIdentity();
        std::cout << "module " << identity.name << " v." << identity.version << " at address "
                  << int(module.Address());
        if (module.BusSpeed() != 0)
            std::cout << ", " << module.BusSpeed() << " Bd";
        std::cout << '\n';
    }
    std::cout << std::flush;
    const sim::NativeHandle input = hasInput ? sim::StandardInput() : sim::NoHandle;
    if (hasInput && sim::IsInteractive(input))
        std::cout << "fault controls: type help" << std::endl;

    sim::RunControlLoop(input, stdout, target);
    return 0;
}

// serkon-sim: a simulated module for trying the program without hardware.
//
//   serkon-sim --udp PORT [options]      a LAN converter on 127.0.0.1:PORT (0: any free port)
//   serkon-sim --pty [--link PATH] ...   a module on a pseudo-terminal, PATH linked to it
//
// It prints where it listens ("udp 127.0.0.1:PORT", "pty /dev/pts/N", "link PATH"), then
// serves until interrupted, taking fault controls as lines on standard input ("drop 3").
#include "ControlLoop.h"
#include "Controls.h"
#include "Module.h"
#include "Servers.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    std::optional<uint16_t> udpPort;
    bool pty = false;
    bool help = false;
    std::string link;
    std::string model = "KQ-3110";
    uint8_t address = 1;
    std::string stateFile;
    std::vector<sim::ControlAction> controls;  // in the order given
};

const char* const Usage =
    "usage: serkon-sim (--udp PORT | --pty [--link PATH]) [options]\n"
    "  --udp PORT                serve as a LAN converter on 127.0.0.1:PORT (0 picks a free port)\n"
    "  --pty                     serve on a pseudo-terminal\n"
    "  --link PATH               with --pty: make PATH a link to it, e.g. build/bin/ports/com1\n"
    "  --model NAME              KQ-3110 (default), KQ-3120, KQ-3130, KQ-3140, KQ-3210, KQ-3220,\n"
    "                            KQ-3230 or RZ-310\n"
    "  --address N               the module's bus address, 0 to 255 (default 1)\n"
    "  --state FILE              keep the registers and the status register in FILE between runs\n"
    "  --help                    this text\n"
    "Faults and timing (numbers in decimal or 0x-hexadecimal; HEX is hexadecimal):\n";

const char* const InputUsage =
    "While it runs, standard input takes the same controls as lines without the dashes, one\n"
    "per line (e.g. \"drop 3\", \"read-back 4 77\", \"status-bits 0x80\"), answered with a line\n"
    "\"ok ...\" or \"error: ...\"; also:\n";

std::string FullUsage()
{
    return Usage + sim::ControlHelp(sim::HelpForm::Options) + InputUsage
        + sim::ControlHelp(sim::HelpForm::LinesOnly);
}

bool ParseNumber(const char* text, unsigned long highest, unsigned long& value)
{
    char* end = nullptr;
    value = std::strtoul(text, &end, 10);
    return *text != '\0' && *text != '-' && *end == '\0' && value <= highest;
}

// A fault control given as an option: --name and its arguments. False with a reason when they
// are not valid.
bool ParseControlOption(int argc, char** argv, int& i, Options& options, std::string& error)
{
    const std::string name = std::string(argv[i]).substr(2);
    const int arity = sim::OptionArity(name);
    if (arity < 0 || i + arity >= argc)
        return false;
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

bool ParseOptions(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        unsigned long number = 0;
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--pty") {
            options.pty = true;
        } else if (option == "--udp" && hasValue && ParseNumber(argv[i + 1], 65535, number)) {
            options.udpPort = uint16_t(number);
            ++i;
        } else if (option == "--link" && hasValue) {
            options.link = argv[++i];
        } else if (option == "--model" && hasValue) {
            options.model = argv[++i];
            if (!sim::ModelIdentity(options.model))
                return false;
        } else if (option == "--address" && hasValue && ParseNumber(argv[i + 1], 255, number)) {
            options.address = uint8_t(number);
            ++i;
        } else if (option == "--state" && hasValue) {
            options.stateFile = argv[++i];
        } else if (option.rfind("--", 0) != 0 || !ParseControlOption(argc, argv, i, options, error)) {
            return false;
        }
    }
    return options.help
        || (options.pty != options.udpPort.has_value() && (options.link.empty() || options.pty));
}

bool LoadState(sim::Module& module, const std::string& stateFile)
{
    if (stateFile.empty())
        return true;
    std::string error;
    if (std::FILE* exists = std::fopen(stateFile.c_str(), "r")) {
        std::fclose(exists);
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
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        if (!error.empty())
            std::cerr << "serkon-sim: " << error << '\n';
        std::cerr << FullUsage();
        return 2;
    }
    if (options.help) {
        std::cout << FullUsage();
        return 0;
    }

    sim::Module module(options.model, options.address);
    if (!LoadState(module, options.stateFile))
        return 1;

    sim::BlockStopSignals();
    std::unique_ptr<sim::UdpServer> udp;
    std::unique_ptr<sim::PtyServer> pty;
    if (options.udpPort) {
        udp = std::make_unique<sim::UdpServer>(module, *options.udpPort);
        if (!udp->Listening()) {
            std::cerr << "serkon-sim: " << udp->Failure() << '\n';
            return 1;
        }
    } else {
        pty = std::make_unique<sim::PtyServer>(module, options.link);
        if (!pty->Listening()) {
            std::cerr << "serkon-sim: " << pty->Failure() << '\n';
            return 1;
        }
    }
    sim::ControlTarget target{module, udp.get()};
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
    const sim::Identity identity = module.GetIdentity();
    std::cout << "module " << identity.name << " v." << identity.version << " at address "
              << int(module.Address()) << std::endl;
    if (hasInput && ::isatty(STDIN_FILENO))
        std::cout << "fault controls: type help" << std::endl;

    sim::RunControlLoop(hasInput ? STDIN_FILENO : -1, stdout, target);
    return 0;
}

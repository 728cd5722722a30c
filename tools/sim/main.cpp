// serkon-sim: a simulated module for trying the program without hardware.
//
//   serkon-sim --udp PORT [options]      a LAN converter on 127.0.0.1:PORT (0: any free port)
//   serkon-sim --pty [--link PATH] ...   a module on a pseudo-terminal, PATH linked to it
//
// It prints where it listens ("udp 127.0.0.1:PORT", "pty /dev/pts/N", "link PATH") and serves
// until interrupted.
#include "Module.h"
#include "Servers.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace {

struct Options {
    std::optional<uint16_t> udpPort;
    bool pty = false;
    std::string link;
    std::string model = "KQ-3110";
    uint8_t address = 1;
    std::string stateFile;
    uint32_t wireBaud = 0;
    uint32_t replyDelayMs = 0;
    std::optional<uint32_t> status;
};

const char* const Usage =
    "usage: serkon-sim (--udp PORT | --pty [--link PATH]) [options]\n"
    "  --udp PORT      serve as a LAN converter on 127.0.0.1:PORT (0 picks a free port)\n"
    "  --pty           serve on a pseudo-terminal\n"
    "  --link PATH     with --pty: make PATH a link to it, e.g. build/bin/ports/com1\n"
    "  --model NAME    KQ-3110 (default), KQ-3120, KQ-3130, KQ-3140, KQ-3210, KQ-3220,\n"
    "                  KQ-3230 or RZ-310\n"
    "  --address N     the module's bus address, 0 to 255 (default 1)\n"
    "  --state FILE    keep the registers and the status register in FILE between runs\n"
    "  --baud BD       emulate the time frames take on a bus of this speed\n"
    "  --delay MS      answer MS milliseconds later\n"
    "  --status HEX    start with these status register bits set\n";

bool ParseNumber(const char* text, unsigned long highest, unsigned long& value, int base = 10)
{
    char* end = nullptr;
    value = std::strtoul(text, &end, base);
    return *text != '\0' && *end == '\0' && value <= highest;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        unsigned long number = 0;
        if (option == "--pty") {
            options.pty = true;
        } else if (!hasValue) {
            return false;
        } else if (option == "--udp" && ParseNumber(argv[i + 1], 65535, number)) {
            options.udpPort = uint16_t(number);
            ++i;
        } else if (option == "--link") {
            options.link = argv[++i];
        } else if (option == "--model") {
            options.model = argv[++i];
            if (!sim::ModelIdentity(options.model))
                return false;
        } else if (option == "--address" && ParseNumber(argv[i + 1], 255, number)) {
            options.address = uint8_t(number);
            ++i;
        } else if (option == "--state") {
            options.stateFile = argv[++i];
        } else if (option == "--baud" && ParseNumber(argv[i + 1], 4000000, number)) {
            options.wireBaud = uint32_t(number);
            ++i;
        } else if (option == "--delay" && ParseNumber(argv[i + 1], 60000, number)) {
            options.replyDelayMs = uint32_t(number);
            ++i;
        } else if (option == "--status" && ParseNumber(argv[i + 1], 0xFFFFFFFF, number, 16)) {
            options.status = uint32_t(number);
            ++i;
        } else {
            return false;
        }
    }
    return options.pty != options.udpPort.has_value() && (options.link.empty() || options.pty);
}

int WaitForSignal()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    int received = 0;
    sigwait(&signals, &received);
    return received;
}

void BlockSignals()
{
    // Before any thread starts, so that only sigwait receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::cerr << Usage;
        return 2;
    }

    sim::Module module(options.model, options.address);
    if (!options.stateFile.empty()) {
        std::string error;
        if (std::FILE* exists = std::fopen(options.stateFile.c_str(), "r")) {
            std::fclose(exists);
            if (!module.LoadState(options.stateFile, &error)) {
                std::cerr << "serkon-sim: " << error << '\n';
                return 1;
            }
        }
        module.OnChange([&module, file = options.stateFile] {
            std::string failure;
            if (!module.SaveState(file, &failure))
                std::cerr << "serkon-sim: " << failure << '\n';
        });
    }
    module.SetWireSpeed(options.wireBaud);
    module.SetReplyDelay(std::chrono::milliseconds(options.replyDelayMs));
    if (options.status)
        module.SetStatus(*options.status);

    BlockSignals();
    std::unique_ptr<sim::UdpServer> udp;
    std::unique_ptr<sim::PtyServer> pty;
    if (options.udpPort) {
        udp = std::make_unique<sim::UdpServer>(module, *options.udpPort);
        if (!udp->Listening()) {
            std::cerr << "serkon-sim: " << udp->Failure() << '\n';
            return 1;
        }
        std::cout << "udp 127.0.0.1:" << udp->Port() << '\n';
    } else {
        pty = std::make_unique<sim::PtyServer>(module, options.link);
        if (!pty->Listening()) {
            std::cerr << "serkon-sim: " << pty->Failure() << '\n';
            return 1;
        }
        std::cout << "pty " << pty->Path() << '\n';
        if (!pty->LinkPath().empty())
            std::cout << "link " << pty->LinkPath() << '\n';
    }
    const sim::Identity identity = module.GetIdentity();
    std::cout << "module " << identity.name << " v." << identity.version << " at address "
              << int(module.Address()) << std::endl;

    WaitForSignal();
    return 0;
}

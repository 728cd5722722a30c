#include "Servers.h"

namespace sim {

std::string WhyNoPseudoTerminals()
{
    return "pseudo-terminals are a Linux matter: on Windows serkon-sim serves over UDP only "
           "(--udp PORT)";
}

PtyServer::PtyServer(Line line, std::string linkPath)
    : line_(std::move(line)), linkPath_(std::move(linkPath)), failure_(WhyNoPseudoTerminals())
{
}

PtyServer::~PtyServer() = default;

} // namespace sim

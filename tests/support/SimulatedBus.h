// Simulated modules on one line served on a pseudo-terminal, each placed at its bus address and
// speed: a bus to search.
#pragma once

#include "Servers.h"

#include <memory>
#include <string>
#include <vector>

using sim::PlacedModule;

class SimulatedBus {
public:
    // linkPath: the pseudo-terminal's link, sim::ComLink(programDirectory, n) for COMn.
    SimulatedBus(const std::vector<PlacedModule>& placed, const std::string& linkPath)
        : modules_(placed), server_(std::make_unique<sim::PtyServer>(modules_.OnOneLine(), linkPath))
    {
    }

    const sim::PtyServer& Server() const { return *server_; }
    sim::Module& Module(size_t index) { return modules_.At(index); }
    size_t Size() const { return modules_.Size(); }

private:
    sim::PlacedModules modules_;
    std::unique_ptr<sim::PtyServer> server_;
};

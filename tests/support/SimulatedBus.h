// Simulated modules on one line served on a pseudo-terminal, each placed at its bus address and
// speed: a bus to search.
#pragma once

#include "Servers.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct PlacedModule {
    uint8_t address;
    const char* model;
    uint32_t baud;
};

class SimulatedBus {
public:
    // linkPath: the pseudo-terminal's link, sim::ComLink(programDirectory, n) for COMn.
    SimulatedBus(const std::vector<PlacedModule>& placed, const std::string& linkPath)
    {
        std::vector<sim::Module*> line;
        for (const PlacedModule& entry : placed) {
            modules_.push_back(std::make_unique<sim::Module>(entry.model, entry.address));
            modules_.back()->SetBusSpeed(entry.baud);
            line.push_back(modules_.back().get());
        }
        server_ = std::make_unique<sim::PtyServer>(sim::Line(line), linkPath);
    }

    const sim::PtyServer& Server() const { return *server_; }
    sim::Module& Module(size_t index) { return *modules_.at(index); }
    size_t Size() const { return modules_.size(); }

private:
    std::vector<std::unique_ptr<sim::Module>> modules_;
    std::unique_ptr<sim::PtyServer> server_;
};

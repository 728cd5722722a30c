// The line a server puts its modules on: one module, the usual bench, or several. Every module
// hears every frame and answers for itself; one set to another speed than the line's stays
// silent, and when more than one answers the same request (address 0 reaches them all) their
// replies overlap on the wire and arrive as one garbled frame.
//
//   sim::Module first("KQ-3110", 3), second("RZ-310", 42);
//   second.SetBusSpeed(19200);
//   sim::PtyServer pty(sim::Line({&first, &second}), sim::ComLink(programDir, 1));
#pragma once

#include "Module.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace sim {

class Line {
public:
    // A module alone on its line; not explicit, so a module serves where a line is asked for.
    Line(Module& module) : modules_{&module} {}
    explicit Line(std::vector<Module*> modules) : modules_(std::move(modules)) {}

    const std::vector<Module*>& Modules() const { return modules_; }

    // What comes back on the line for one frame at the line's speed (0: not known, every
    // module answers as if at its own).
    Response Receive(std::span<const uint8_t> frame, uint32_t speed = 0) const;

    // Requests and garbage as the line carried them, the replies of all modules together.
    Counters GetCounters() const;

private:
    std::vector<Module*> modules_;
};

// A module's place on a line, as serkon-sim's --module gives it: its address, model and the bus
// speed it is set to (0: any).
struct PlacedModule {
    uint8_t address = 1;
    std::string model;
    uint32_t baud = 0;
};

// The modules made from their places, kept together for the life of the object.
class PlacedModules {
public:
    explicit PlacedModules(const std::vector<PlacedModule>& placed);

    Line OnOneLine() const;
    Module& At(size_t index) const { return *modules_.at(index); }
    size_t Size() const { return modules_.size(); }

private:
    std::vector<std::unique_ptr<Module>> modules_;
};

} // namespace sim

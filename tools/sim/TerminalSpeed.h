// The speed a program has set on a terminal, in Bd: what a pseudo-terminal's line runs at.
#pragma once

#include <cstdint>

namespace sim {

// 0 when the descriptor is no terminal or tells no speed.
uint32_t TerminalSpeed(int descriptor);

} // namespace sim

// A short pause of the calling thread, as long as asked: the configuration sequences pause 1 ms
// between transactions. (Windows' Sleep counts in ticks of the system timer, 15.6 ms unless a
// program asks for finer ones, which would stretch a read of 55 registers by almost a second.)
#pragma once

#include <chrono>

void PauseBriefly(std::chrono::milliseconds time);

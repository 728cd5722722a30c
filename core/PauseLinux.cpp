#include "Pause.h"

#include <thread>

void PauseBriefly(std::chrono::milliseconds time)
{
    std::this_thread::sleep_for(time);
}

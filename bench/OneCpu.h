// Benchmarks that compare a round trip between threads with another keep every thread on one
// CPU: a wake-up across CPUs can cost more than the work measured, and which threads share a
// CPU would otherwise change from run to run and between the two figures compared.
#pragma once

#include <cstddef>
#include <cstdio>
#include <sched.h>

// Pins the calling thread, and so every thread it starts later, to the CPU it runs on.
inline void PinToOneCpu()
{
    const int cpu = sched_getcpu();
    cpu_set_t set;
    CPU_ZERO(&set);
    const size_t chosen = cpu < 0 ? 0 : size_t(cpu);
    CPU_SET(chosen, &set);
    if (cpu < 0 || sched_setaffinity(0, sizeof set, &set) != 0)
        std::printf("could not pin to one CPU: figures may vary with thread placement\n");
    else
        std::printf("all threads on CPU %d\n", cpu);
}

// A ratio below 1 means the reference was no floor in this run: the comparison is void.
inline void WarnBelowOne(double ratio, const char* reference)
{
    if (ratio < 1.0)
        std::printf("  warning: ratio below 1 - the %s is no floor in this run, so the ratio "
                    "says nothing; rerun on a quieter machine\n",
                    reference);
}

#include "harness.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace bench {

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

Figures run(const Case& c, int warmup, int cycles)
{
    for (int i = 0; i < warmup; ++i)
        c.cycle();
    Figures f;
    f.name = c.name;
    f.cycles = cycles;
    f.rssStartMiB = residentMiB();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < cycles; ++i)
        c.cycle();
    auto elapsed = std::chrono::steady_clock::now() - start;
    f.rssEndMiB = residentMiB();
    f.microsecondsPerCycle = std::chrono::duration<double, std::micro>(elapsed).count() / cycles;
    return f;
}

void print(const std::vector<Figures>& results)
{
    std::printf("%-40s %8s %12s %10s %10s %9s\n", "case", "cycles", "us/cycle", "RSS start", "RSS end", "growth");
    for (const Figures& f : results)
        std::printf("%-40s %8d %12.1f %8.1f M %8.1f M %7.2f M\n", f.name.c_str(), f.cycles, f.microsecondsPerCycle,
                    f.rssStartMiB, f.rssEndMiB, f.rssEndMiB - f.rssStartMiB);
    // Cases come in pairs: ours, then the bare Qt dialog it is measured against.
    for (size_t i = 0; i + 1 < results.size(); i += 2)
        if (results[i + 1].microsecondsPerCycle > 0)
            std::printf("ratio %s / %s: %.2f\n", results[i].name.c_str(), results[i + 1].name.c_str(),
                        results[i].microsecondsPerCycle / results[i + 1].microsecondsPerCycle);
}

}  // namespace bench

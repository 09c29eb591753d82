// A small harness for dialog benchmarks: each case opens a dialog, waits until it shows and
// closes it again; the harness warms it up, then times many cycles and watches the memory.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bench {

struct Case {
    std::string name;
    std::function<void()> cycle;  // one open -> shown -> closed
};

struct Figures {
    std::string name;
    int cycles = 0;
    double microsecondsPerCycle = 0;
    double rssStartMiB = 0;  // after the warm-up
    double rssEndMiB = 0;
};

double residentMiB();
Figures run(const Case& c, int warmup, int cycles);
// Prints the table and, for each pair of cases (ours, then its bare counterpart), the ratio.
void print(const std::vector<Figures>& results);

}  // namespace bench

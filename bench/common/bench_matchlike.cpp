// MatchLike as a search field uses it: one call per list line per keystroke, over 50,000
// lines of network object names, against a bare case-sensitive wcsstr over the same lines
// (the floor: no folding, no wildcards). Prints ns per line for both and the ratio.
//
//   bench_matchlike [--lines N] [--rounds N]      (default 50000 and 30)
#include "kor/matchlike.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int option(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

std::vector<std::wstring> makeLines(int n)
{
    const wchar_t* kinds[] = {L"Wasserleitung", L"Hausanschluss", L"Hydrant Überflur", L"Hydrant Unterflur",
                              L"Schieber", L"Druckminderer", L"Entlüftung", L"Armaturenschacht",
                              L"Zählerschacht", L"Hochbehälter"};
    const wchar_t* materials[] = {L"Guss", L"GGG", L"PE 100", L"PVC", L"Stahl", L"AZ"};
    const wchar_t* places[] = {L"Hauptstraße", L"Mühlenweg", L"Am Bürgerpark", L"Lindenallee", L"Gießener Str."};
    const int sizes[] = {32, 50, 80, 100, 150, 200, 300};
    std::mt19937 rng(20261206);
    std::vector<std::wstring> lines;
    lines.reserve(n);
    for (int i = 0; i < n; ++i) {
        std::wstring s = kinds[rng() % 10];
        s += L" DN " + std::to_wstring(sizes[rng() % 7]) + L" " + materials[rng() % 6] + L" " + places[rng() % 5] +
             L" Nr. " + std::to_wstring(10000 + i);
        lines.push_back(std::move(s));
    }
    return lines;
}

struct Timing {
    double nsPerLine = 0;
    int hits = 0;
};

template <class Match>
Timing timePasses(const std::vector<std::wstring>& lines, int rounds, Match match)
{
    double best = 1e300;
    int hits = 0;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = Clock::now();
        int h = 0;
        for (const std::wstring& line : lines)
            h += match(line.c_str());
        double ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
        best = std::min(best, ns);
        hits = h;
    }
    return {best / lines.size(), hits};
}

}  // namespace

int main(int argc, char** argv)
{
    const int n = option(argc, argv, "--lines", 50000);
    const int rounds = option(argc, argv, "--rounds", 30);
    std::vector<std::wstring> lines = makeLines(n);

    // Each pattern with the floor's literal: the same text for plain patterns, the longest
    // literal part for wildcard ones (what a bare search could look for at best).
    struct Case {
        const wchar_t* pattern;
        const wchar_t* floor;
        const char* what;
    };
    const Case cases[] = {
        {L"Hydrant", L"Hydrant", "plain, same case"},
        {L"hydrant", L"Hydrant", "plain, folded"},
        {L"GUSS", L"Guss", "plain, folded"},
        {L"mühlen", L"Mühlen", "umlaut, folded"},
        {L"12345", L"12345", "digits, one hit"},
        {L"xyzzy", L"xyzzy", "no hit"},
        {L"dn 150*guss", L"Guss", "star"},
        {L"h?drant*ü", L"Hydrant", "question mark and star"},
        {L"", L"", "empty (every line)"},
    };
    std::printf("%d lines, best of %d passes; ns per line\n\n", n, rounds);
    std::printf("%-14s %-26s %8s %8s %9s %9s %7s\n", "pattern", "kind", "hits", "floor", "MatchLike", "wcsstr",
                "ratio");
    double worst = 0;
    for (const Case& c : cases) {
        Timing ours = timePasses(lines, rounds, [&](const wchar_t* line) { return MatchLike(c.pattern, line); });
        Timing bare = timePasses(lines, rounds, [&](const wchar_t* line) { return std::wcsstr(line, c.floor) != nullptr; });
        double ratio = ours.nsPerLine / std::max(bare.nsPerLine, 1e-9);
        worst = std::max(worst, c.pattern[0] ? ratio : 0.0);
        std::string name;
        for (const wchar_t* p = c.pattern; *p; ++p)
            name += *p < 128 ? static_cast<char>(*p) : '.';
        std::printf("%-14s %-26s %8d %8d %9.1f %9.1f %7.2f\n", ("\"" + name + "\"").c_str(), c.what, ours.hits,
                    bare.hits, ours.nsPerLine, bare.nsPerLine, ratio);
    }

    // Typing "hydrant" into the search field: one pass over all lines per keystroke.
    const std::wstring typed = L"hydrant";
    auto t0 = Clock::now();
    int lastHits = 0;
    for (size_t k = 1; k <= typed.size(); ++k) {
        std::wstring prefix = typed.substr(0, k);
        lastHits = 0;
        for (const std::wstring& line : lines)
            lastHits += MatchLike(prefix.c_str(), line.c_str());
    }
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    std::printf("\ntyping \"hydrant\": %zu keystrokes x %d lines in %.1f ms (%.2f ms per keystroke), %d lines left\n",
                typed.size(), n, ms, ms / typed.size(), lastHits);
    std::printf("worst ratio MatchLike / wcsstr: %.2f\n", worst);
    return 0;
}

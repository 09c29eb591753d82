// The search-field match: the pattern is folded and split at its stars once, each part is
// found by a Shift-And scan (one bit per pattern position; '?' sets its bit for every
// character), the parts in order from left to right.
#include "kor/matchlike.h"

#include <unicode/uchar.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Simple case folding of the Basic Multilingual Plane, taken once from ICU: one load per
// character of a line. Characters beyond it ask ICU each time (rare in names).
const std::uint16_t* bmpFolding()
{
    static const std::unique_ptr<std::uint16_t[]> table = [] {
        std::unique_ptr<std::uint16_t[]> t(new std::uint16_t[0x10000]);
        for (UChar32 c = 0; c < 0x10000; ++c) {
            UChar32 f = u_foldCase(c, U_FOLD_CASE_DEFAULT);
            t[c] = static_cast<std::uint16_t>(f >= 0 && f < 0x10000 ? f : c);
        }
        return t;
    }();
    return table.get();
}

inline std::uint32_t fold(const std::uint16_t* table, wchar_t c)
{
    auto u = static_cast<std::uint32_t>(c);
    if (u < 0x10000)
        return table[u];
    if (u <= 0x10FFFF)
        return static_cast<std::uint32_t>(u_foldCase(static_cast<UChar32>(u), U_FOLD_CASE_DEFAULT));
    return u;
}

constexpr std::uint32_t kAny = U'?';
constexpr int kWord = 64;

// One part of the pattern between stars.
struct Part {
    std::size_t begin = 0;   // first character in Compiled::folded
    std::size_t length = 0;  // characters, '?' included
    int scanned = 0;         // the first min(length, 64) characters are scanned bit-parallel
    std::uint64_t any = 0;   // bits of the '?' positions among them
    std::array<std::uint64_t, 256> low{};                       // masks of folded characters below 256
    std::vector<std::pair<std::uint32_t, std::uint64_t>> high;  // masks of the other folded ones
    std::array<std::uint64_t, 256> raw{};  // masks of line characters below 256, folding included

    // The mask of a character of the line.
    std::uint64_t maskOfLine(wchar_t c, const std::uint16_t* table) const
    {
        auto u = static_cast<std::uint32_t>(c);
        return u < 256 ? raw[u] : mask(fold(table, c));
    }
    // The mask of a folded character.
    std::uint64_t mask(std::uint32_t f) const
    {
        if (f < 256)
            return low[f];
        for (const auto& [c, m] : high)
            if (c == f)
                return m;
        return any;
    }
};

struct Compiled {
    bool valid = false;
    std::wstring raw;              // the pattern as given
    std::vector<std::uint32_t> folded;  // the parts' folded characters, '?' kept
    std::vector<Part> parts;       // empty: the pattern is all stars

    void compile(const wchar_t* pattern, const std::uint16_t* table)
    {
        raw.assign(pattern);
        folded.clear();
        parts.clear();
        std::size_t i = 0;
        while (i < raw.size()) {
            while (i < raw.size() && raw[i] == L'*')
                ++i;
            if (i == raw.size())
                break;
            Part p;
            p.begin = folded.size();
            for (; i < raw.size() && raw[i] != L'*'; ++i)
                folded.push_back(raw[i] == L'?' ? kAny : fold(table, raw[i]));
            p.length = folded.size() - p.begin;
            p.scanned = static_cast<int>(std::min<std::size_t>(p.length, kWord));
            for (int k = 0; k < p.scanned; ++k)
                if (folded[p.begin + k] == kAny)
                    p.any |= std::uint64_t(1) << k;
            p.low.fill(p.any);
            for (int k = 0; k < p.scanned; ++k) {
                std::uint32_t f = folded[p.begin + k];
                if (f == kAny)
                    continue;
                std::uint64_t bit = std::uint64_t(1) << k;
                if (f < 256) {
                    p.low[f] |= bit;
                    continue;
                }
                bool known = false;
                for (auto& [c, m] : p.high)
                    if (c == f) {
                        m |= bit;
                        known = true;
                    }
                if (!known)
                    p.high.emplace_back(f, p.any | bit);
            }
            for (std::uint32_t c = 0; c < 256; ++c)
                p.raw[c] = p.mask(fold(table, static_cast<wchar_t>(c)));
            parts.push_back(std::move(p));
        }
        valid = true;
    }

    bool is(const wchar_t* pattern) const
    {
        if (!valid)
            return false;
        const wchar_t* a = raw.c_str();
        while (*a && *a == *pattern)
            ++a, ++pattern;
        return *a == 0 && *pattern == 0;
    }

    // The characters of part p after its first 64, against the line from `start` on.
    bool restMatches(const Part& p, const wchar_t* start, const std::uint16_t* table) const
    {
        for (std::size_t k = kWord; k < p.length; ++k) {
            if (start[k] == 0)
                return false;
            std::uint32_t want = folded[p.begin + k];
            if (want != kAny && want != fold(table, start[k]))
                return false;
        }
        return true;
    }
};

}  // namespace

wchar_t MatchLikeFold(wchar_t c) { return static_cast<wchar_t>(fold(bmpFolding(), c)); }

bool MatchLike(const wchar_t* pattern, const wchar_t* text)
{
    if (!pattern || !*pattern)
        return true;
    if (!text)
        return false;
    const std::uint16_t* table = bmpFolding();
    thread_local Compiled cached;
    if (!cached.is(pattern))
        cached.compile(pattern, table);

    const wchar_t* at = text;  // where the next part may begin
    for (const Part& p : cached.parts) {
        const std::uint64_t hit = std::uint64_t(1) << (p.scanned - 1);
        std::uint64_t state = 0;
        const wchar_t* end = nullptr;  // one past the part's match
        for (const wchar_t* s = at; *s; ++s) {
            state = ((state << 1) | 1) & p.maskOfLine(*s, table);
            if (state & hit) {
                const wchar_t* start = s - (p.scanned - 1);
                if (p.length <= kWord || cached.restMatches(p, start, table)) {
                    end = start + p.length;
                    break;
                }
            }
        }
        if (!end)
            return false;
        at = end;
    }
    return true;
}

// Fuzz target: the search-field match. The input is a pattern and a line (wide text from the
// bytes, split at the first zero character); the match must agree with a plain reference of
// the rule: the folded pattern, with '*' any run and '?' any one character, found anywhere
// in the folded line.
#include "kor/matchlike.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Does p[pi..] match t[ti..] in full ('*' any run, '?' any one)? Memoised, so quadratic.
bool reference(const std::wstring& p, const std::wstring& t)
{
    // The pattern is searched as a part of the line: as if it began and ended with '*'.
    std::wstring q = L"*" + p + L"*";
    size_t n = q.size(), m = t.size();
    std::vector<char> row(m + 1, 0), next(m + 1, 0);
    // dp[i][j]: q[i..] matches t[j..]; computed from the end.
    row[m] = 1;  // the empty pattern matches the empty rest
    for (size_t j = 0; j < m; ++j)
        row[j] = 0;
    for (size_t i = n; i-- > 0;) {
        next.assign(m + 1, 0);
        for (size_t j = m + 1; j-- > 0;) {
            if (q[i] == L'*')
                next[j] = row[j] || (j < m && next[j + 1]);
            else if (j < m && (q[i] == L'?' || q[i] == t[j]))
                next[j] = row[j + 1];
        }
        row.swap(next);
    }
    return row[0];
}

std::wstring folded(const std::wstring& s)
{
    std::wstring out;
    for (wchar_t c : s)
        out += MatchLikeFold(c);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Two bytes a character (the plane nearly all text is in), little-endian.
    std::wstring pattern, line;
    bool inLine = false;
    for (size_t i = 0; i + 1 < size; i += 2) {
        wchar_t c = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (c == 0 && !inLine) {
            inLine = true;
            continue;
        }
        if (c == 0)
            c = L' ';
        (inLine ? line : pattern) += c;
    }
    if (pattern.size() > 300 || line.size() > 2000)
        return 0;  // the reference is quadratic
    bool got = MatchLike(pattern.c_str(), line.c_str());
    bool want = reference(folded(pattern), folded(line));
    if (got != want)
        std::abort();
    return 0;
}

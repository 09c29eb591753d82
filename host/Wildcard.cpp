#include "Wildcard.h"

#include <cwctype>
#include <vector>

namespace korcad {

namespace {

wchar_t fold(wchar_t c, bool ignoreCase) { return ignoreCase ? static_cast<wchar_t>(std::towupper(c)) : c; }

// One element of a pattern.
struct Element {
    enum Kind { Char, Digit, Alpha, Other, Any, Star, Set } kind = Char;
    wchar_t c = 0;
    bool negated = false;
    std::vector<std::pair<wchar_t, wchar_t>> ranges;  // for Set
};

bool matchOne(const Element& e, wchar_t c, bool ignoreCase)
{
    switch (e.kind) {
    case Element::Char:
        return fold(e.c, ignoreCase) == fold(c, ignoreCase);
    case Element::Digit:
        return std::iswdigit(c);
    case Element::Alpha:
        return std::iswalpha(c);
    case Element::Other:
        return !std::iswalnum(c);
    case Element::Any:
        return true;
    case Element::Set: {
        bool in = false;
        for (auto [lo, hi] : e.ranges) {
            wchar_t f = fold(c, ignoreCase);
            if ((f >= fold(lo, ignoreCase) && f <= fold(hi, ignoreCase)) || (c >= lo && c <= hi))
                in = true;
        }
        return in != e.negated;
    }
    case Element::Star:
        break;
    }
    return false;
}

// Splits one alternative into elements; `i` ends at the ',' that ends it (or the end).
std::vector<Element> parse(std::wstring_view p, size_t& i, bool& negated)
{
    std::vector<Element> out;
    negated = false;
    if (i < p.size() && p[i] == L'~') {
        negated = true;
        ++i;
    }
    while (i < p.size() && p[i] != L',') {
        Element e;
        wchar_t c = p[i++];
        switch (c) {
        case L'#':
            e.kind = Element::Digit;
            break;
        case L'@':
            e.kind = Element::Alpha;
            break;
        case L'.':
            e.kind = Element::Other;
            break;
        case L'?':
            e.kind = Element::Any;
            break;
        case L'*':
            e.kind = Element::Star;
            break;
        case L'`':
            e.c = i < p.size() ? p[i++] : L'`';
            break;
        case L'[': {
            e.kind = Element::Set;
            if (i < p.size() && p[i] == L'~') {
                e.negated = true;
                ++i;
            }
            bool first = true;
            while (i < p.size() && (p[i] != L']' || first)) {
                wchar_t lo = p[i++];
                if (lo == L'`' && i < p.size())
                    lo = p[i++];
                wchar_t hi = lo;
                if (i + 1 < p.size() && p[i] == L'-' && p[i + 1] != L']') {
                    hi = p[i + 1];
                    i += 2;
                }
                e.ranges.push_back({lo, hi});
                first = false;
            }
            if (i < p.size())
                ++i;  // the ']'
            break;
        }
        default:
            e.c = c;
        }
        out.push_back(std::move(e));
    }
    return out;
}

bool matchElements(const std::vector<Element>& els, std::wstring_view text, bool ignoreCase)
{
    // Iterative matching with one backtrack point for the last star.
    size_t e = 0, t = 0, starE = std::wstring_view::npos, starT = 0;
    while (t < text.size()) {
        if (e < els.size() && els[e].kind == Element::Star) {
            starE = e++;
            starT = t;
        } else if (e < els.size() && matchOne(els[e], text[t], ignoreCase)) {
            ++e;
            ++t;
        } else if (starE != std::wstring_view::npos) {
            e = starE + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (e < els.size() && els[e].kind == Element::Star)
        ++e;
    return e == els.size();
}

}  // namespace

bool wildcardMatch(std::wstring_view text, std::wstring_view pattern, bool ignoreCase)
{
    size_t i = 0;
    while (true) {
        bool negated = false;
        std::vector<Element> els = parse(pattern, i, negated);
        if (matchElements(els, text, ignoreCase) != negated)
            return true;
        if (i >= pattern.size())
            return false;
        ++i;  // past the ','
    }
}

}  // namespace korcad

// The wild-card matcher: a pattern is parsed into alternatives of tokens, and a text matches
// one alternative by a table over (tokens used, characters used), linear in each whatever the
// stars.
#include "text/wildcard.h"

#include "text/text.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kortext {

namespace {

bool isLetter(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}
bool isDigitChar(char32_t c) { return c >= '0' && c <= '9'; }

// One element of a pattern.
struct Token {
    enum Kind { Literal, Digit, Letter, Other, Star, Any, Set } kind = Literal;
    char32_t c = 0;
    bool negated = false;                              // [~...]
    std::vector<std::pair<char32_t, char32_t>> ranges;  // of a set
};

struct Alternative {
    bool negated = false;  // ~ at the start
    std::vector<Token> tokens;
};

// Splits a pattern at the commas that are not quoted or inside a set.
std::vector<Alternative> parsePattern(const std::u32string& p, bool ignoreCase)
{
    auto fold = [&](char32_t c) { return ignoreCase ? toUpper(c) : c; };
    std::vector<Alternative> alts(1);
    bool atStart = true;
    for (size_t i = 0; i < p.size(); ++i) {
        char32_t c = p[i];
        Alternative& alt = alts.back();
        if (c == '~' && atStart) {
            alt.negated = true;
            atStart = false;
            continue;
        }
        atStart = false;
        Token t;
        switch (c) {
        case ',':
            alts.emplace_back();
            atStart = true;
            continue;
        case '`':
            t.c = fold(i + 1 < p.size() ? p[++i] : c);
            break;
        case '#':
            t.kind = Token::Digit;
            break;
        case '@':
            t.kind = Token::Letter;
            break;
        case '.':
            t.kind = Token::Other;
            break;
        case '*':
            t.kind = Token::Star;
            break;
        case '?':
            t.kind = Token::Any;
            break;
        case '[': {
            size_t j = i + 1;
            Token set;
            set.kind = Token::Set;
            if (j < p.size() && p[j] == '~') {
                set.negated = true;
                ++j;
            }
            bool closed = false;
            size_t first = j;
            for (; j < p.size(); ++j) {
                char32_t x = p[j];
                if (x == ']' && j > first) {
                    closed = true;
                    break;
                }
                if (x == '`' && j + 1 < p.size())
                    x = p[++j];
                char32_t hi = x;
                if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
                    hi = p[j + 2];
                    j += 2;
                }
                set.ranges.push_back({fold(x), fold(hi)});
            }
            if (!closed) {  // no closing bracket: the '[' stands for itself
                t.c = c;
                break;
            }
            i = j;
            alt.tokens.push_back(std::move(set));
            continue;
        }
        default:
            t.c = fold(c);
        }
        alt.tokens.push_back(std::move(t));
    }
    return alts;
}

bool matchesOne(const Token& t, char32_t c)
{
    switch (t.kind) {
    case Token::Literal:
        return t.c == c;
    case Token::Digit:
        return isDigitChar(c);
    case Token::Letter:
        return isLetter(c);
    case Token::Other:
        return !isDigitChar(c) && !isLetter(c);
    case Token::Any:
        return true;
    case Token::Set: {
        bool in = false;
        for (auto [lo, hi] : t.ranges)
            in |= (c >= lo && c <= hi) || (lo > hi && c >= hi && c <= lo);
        return in != t.negated;
    }
    case Token::Star:
        break;
    }
    return false;
}

// Matching as a table over (tokens used, characters used): linear in each, whatever the stars.
template <class Text>
bool matchTokens(const std::vector<Token>& tokens, const Text& text)
{
    std::vector<char> row(text.size() + 1, 0), next(text.size() + 1);
    row[0] = 1;
    for (const Token& t : tokens) {
        std::fill(next.begin(), next.end(), 0);
        for (size_t j = 0; j <= text.size(); ++j) {
            if (t.kind == Token::Star)
                next[j] = row[j] || (j > 0 && next[j - 1]);
            else
                next[j] = j > 0 && row[j - 1] && matchesOne(t, static_cast<char32_t>(text[j - 1]));
        }
        row.swap(next);
    }
    return row[text.size()];
}

template <class Text>
bool matchAny(Text t, const std::u32string& pattern, bool ignoreCase)
{
    if (ignoreCase)
        for (auto& c : t)
            c = static_cast<typename Text::value_type>(toUpper(static_cast<char32_t>(c)));
    for (const Alternative& alt : parsePattern(pattern, ignoreCase))
        if (matchTokens(alt.tokens, t) != alt.negated)
            return true;
    return false;
}

}  // namespace

bool wildcardMatch(std::string_view text, std::string_view pattern, bool ignoreCase)
{
    return matchAny(decode(text), decode(pattern), ignoreCase);
}

// Wide text holds one code point a character here (wchar_t is 32 bits on Linux).
bool wildcardMatch(std::wstring_view text, std::wstring_view pattern, bool ignoreCase)
{
    return matchAny(std::wstring(text), std::u32string(pattern.begin(), pattern.end()), ignoreCase);
}

}  // namespace kortext

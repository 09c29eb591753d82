// The search-field match as a list filter uses it: what a typed text finds, with case
// folding, wildcards, odd inputs, patterns that would make a backtracking matcher crawl,
// and against a plain reference matcher on many random cases.
#include "kor/matchlike.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(MatchLike, EmptyAndNullInputs)
{
    EXPECT_TRUE(MatchLike(nullptr, nullptr));
    EXPECT_TRUE(MatchLike(L"", nullptr));
    EXPECT_TRUE(MatchLike(nullptr, L"Rohr"));
    EXPECT_TRUE(MatchLike(L"", L""));
    EXPECT_TRUE(MatchLike(L"", L"Rohr"));
    EXPECT_FALSE(MatchLike(L"a", nullptr));
    EXPECT_FALSE(MatchLike(L"*", nullptr));  // a null line matches only the empty pattern
    EXPECT_TRUE(MatchLike(L"*", L""));
    EXPECT_TRUE(MatchLike(L"***", L"Rohr"));
    EXPECT_FALSE(MatchLike(L"?", L""));
    EXPECT_FALSE(MatchLike(L"a", L""));
}

TEST(MatchLike, PlainTextMatchesAnywhere)
{
    const wchar_t* line = L"Wasserleitung DN 150 Guss";
    EXPECT_TRUE(MatchLike(L"Wasser", line));
    EXPECT_TRUE(MatchLike(L"DN 150", line));
    EXPECT_TRUE(MatchLike(L"Guss", line));
    EXPECT_TRUE(MatchLike(line, line));
    EXPECT_FALSE(MatchLike(L"DN 200", line));
    EXPECT_FALSE(MatchLike(L"Wasserleitung DN 150 Gussx", line));  // longer than the line
    EXPECT_FALSE(MatchLike(L"Guss ", line));
    // Overlapping starts: the match must not skip a start inside a partial match.
    EXPECT_TRUE(MatchLike(L"aab", L"aaab"));
    EXPECT_TRUE(MatchLike(L"abab", L"abaabab"));
    EXPECT_FALSE(MatchLike(L"abab", L"abaaba"));
}

TEST(MatchLike, CaseIsFoldedBeyondAscii)
{
    EXPECT_TRUE(MatchLike(L"wasser", L"WASSERROHR"));
    EXPECT_TRUE(MatchLike(L"ROHR", L"Wasserrohr"));
    EXPECT_TRUE(MatchLike(L"ÄÖÜ", L"xäöüx"));
    EXPECT_TRUE(MatchLike(L"äöü", L"ÄÖÜ"));
    EXPECT_TRUE(MatchLike(L"straße", L"STRAßE 5"));
    EXPECT_TRUE(MatchLike(L"ẞ", L"Straße"));           // capital sharp s finds ß
    EXPECT_FALSE(MatchLike(L"strasse", L"Straße"));     // ß stays ß
    EXPECT_FALSE(MatchLike(L"a", L"ä"));                // no accent folding
    EXPECT_TRUE(MatchLike(L"ÀÉÎÕÇØÞ", L"àéîõçøþ"));     // Latin-1
    EXPECT_TRUE(MatchLike(L"ÿ", L"Ÿ"));
    EXPECT_TRUE(MatchLike(L"łódź", L"ŁÓDŹ"));           // Latin Extended-A
    EXPECT_TRUE(MatchLike(L"ČESKÝ", L"český"));
    EXPECT_TRUE(MatchLike(L"šťáva", L"ŠŤÁVA"));
    EXPECT_TRUE(MatchLike(L"ΣΩ", L"σω"));               // Greek
    EXPECT_TRUE(MatchLike(L"москва", L"МОСКВА"));       // Cyrillic
    EXPECT_TRUE(MatchLike(L"\U00010400", L"\U00010428"));  // beyond the BMP (Deseret)
    EXPECT_EQ(MatchLikeFold(L'Ü'), L'ü');
    EXPECT_EQ(MatchLikeFold(L'ß'), L'ß');
    EXPECT_EQ(MatchLikeFold(L'1'), L'1');
}

TEST(MatchLike, StarAndQuestionMark)
{
    const wchar_t* line = L"Leitung DN 150 Guss";
    EXPECT_TRUE(MatchLike(L"dn*guss", line));
    EXPECT_TRUE(MatchLike(L"*dn*guss*", line));
    EXPECT_TRUE(MatchLike(L"lei*150", line));
    EXPECT_FALSE(MatchLike(L"guss*dn", line));  // parts in order
    EXPECT_TRUE(MatchLike(L"d?150", L"DN150"));
    EXPECT_TRUE(MatchLike(L"d?150", L"D-150"));
    EXPECT_FALSE(MatchLike(L"d?150", L"D150"));  // '?' is exactly one character
    EXPECT_TRUE(MatchLike(L"?", L"x"));
    EXPECT_TRUE(MatchLike(L"???", L"abc"));
    EXPECT_FALSE(MatchLike(L"????", L"abc"));
    EXPECT_TRUE(MatchLike(L"a*c", L"ac"));  // '*' also stands for nothing
    EXPECT_TRUE(MatchLike(L"a*c", L"abbbc"));
    EXPECT_TRUE(MatchLike(L"?eit*15?*s", line));
    EXPECT_FALSE(MatchLike(L"?eit*15?*x", line));
    EXPECT_TRUE(MatchLike(L"*?*", L"x"));
    EXPECT_TRUE(MatchLike(L"ä?ß", L"ÄXß"));
    // A part that fits only after a later start than its first partial match.
    EXPECT_TRUE(MatchLike(L"ab*abc", L"ab ab abc"));
    EXPECT_FALSE(MatchLike(L"abc*abc", L"abcab"));
}

TEST(MatchLike, PathologicalPatternsFinish)
{
    std::wstring as(20000, L'a');
    EXPECT_FALSE(MatchLike(L"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", as.c_str()));
    EXPECT_TRUE(MatchLike(L"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a", as.c_str()));
    std::wstring many = L"*";
    for (int i = 0; i < 500; ++i)
        many += L"a?*";
    EXPECT_FALSE(MatchLike((many + L"b").c_str(), as.c_str()));

    // Parts longer than the 64 positions scanned at once.
    std::wstring longPart;
    for (int i = 0; i < 200; ++i)
        longPart += static_cast<wchar_t>(L'a' + i % 26);
    std::wstring text = L"xx" + longPart + L"yy";
    EXPECT_TRUE(MatchLike(longPart.c_str(), text.c_str()));
    std::wstring upper = longPart;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(c - L'a' + L'A');
    upper[100] = L'?';
    EXPECT_TRUE(MatchLike(upper.c_str(), text.c_str()));
    std::wstring wrong = longPart;
    wrong[150] = L'#';
    EXPECT_FALSE(MatchLike(wrong.c_str(), text.c_str()));
    EXPECT_FALSE(MatchLike((longPart + L"z").c_str(), text.c_str()));  // runs past the end
    // The first 64 characters match at many places, the whole part only at the last one.
    std::wstring as64(64, L'a');
    std::wstring longTail = as64 + L"b";
    EXPECT_TRUE(MatchLike(longTail.c_str(), (std::wstring(3000, L'a') + L"b").c_str()));
    EXPECT_FALSE(MatchLike(longTail.c_str(), std::wstring(3000, L'a').c_str()));
}

// '*' and '?' as the reference reads them, anchored at neither end, by dynamic programming.
bool referenceMatch(const std::wstring& pattern, const std::wstring& text)
{
    std::wstring p = L"*" + pattern + L"*";
    std::vector<std::vector<char>> m(p.size() + 1, std::vector<char>(text.size() + 1, 0));
    m[0][0] = 1;
    for (size_t i = 1; i <= p.size(); ++i) {
        m[i][0] = m[i - 1][0] && p[i - 1] == L'*';
        for (size_t j = 1; j <= text.size(); ++j) {
            if (p[i - 1] == L'*')
                m[i][j] = m[i - 1][j] || m[i][j - 1];
            else
                m[i][j] = m[i - 1][j - 1] &&
                          (p[i - 1] == L'?' || MatchLikeFold(p[i - 1]) == MatchLikeFold(text[j - 1]));
        }
    }
    return m[p.size()][text.size()];
}

TEST(MatchLike, AgreesWithAReferenceOnRandomCases)
{
    std::mt19937 rng(4711);
    const std::wstring patternChars = L"abAB?*Ää";
    const std::wstring textChars = L"abABäÄ";
    auto word = [&](const std::wstring& from, int maxLength) {
        std::wstring w(rng() % (maxLength + 1), L' ');
        for (wchar_t& c : w)
            c = from[rng() % from.size()];
        return w;
    };
    int matches = 0;
    for (int i = 0; i < 20000; ++i) {
        std::wstring p = word(patternChars, 7), t = word(textChars, 12);
        bool expected = referenceMatch(p, t);
        ASSERT_EQ(MatchLike(p.c_str(), t.c_str()), expected) << "pattern \"" << std::string(p.begin(), p.end())
                                                              << "\" on a text of " << t.size() << " characters";
        matches += expected;
    }
    EXPECT_GT(matches, 2000);  // both outcomes were exercised
    EXPECT_LT(matches, 18000);
}

TEST(MatchLike, EachThreadKeepsItsOwnPattern)
{
    // The folded pattern is cached per thread: two threads alternating their own patterns
    // must never see each other's.
    auto work = [](const wchar_t* pattern, const wchar_t* hit, const wchar_t* miss, int* wrong) {
        for (int i = 0; i < 20000; ++i)
            *wrong += !MatchLike(pattern, hit) + MatchLike(pattern, miss);
    };
    int wrongA = 0, wrongB = 0;
    std::thread a(work, L"rohr", L"Wasserrohr", L"Schieber", &wrongA);
    std::thread b(work, L"schieb*", L"Schieber", L"Wasserrohr", &wrongB);
    a.join();
    b.join();
    EXPECT_EQ(wrongA, 0);
    EXPECT_EQ(wrongB, 0);
    // Alternating patterns on one thread.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(MatchLike(L"x?z", L"xyz"));
        EXPECT_FALSE(MatchLike(L"x?zz", L"xyz"));
    }
}

}  // namespace

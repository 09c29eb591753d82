// The search-field match as a list filter uses it: what a typed text finds, patterns that
// would make a backtracking matcher crawl, and the per-thread pattern cache.
#include "kor/matchlike.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// Anywhere in the line, case folded beyond ASCII (ß stays ß), '*' any run, '?' one character.
TEST(MatchLike, WhatATypedTextFinds)
{
    const wchar_t* line = L"Wasserleitung DN 150 Guss";
    struct Case {
        const wchar_t* pattern;
        const wchar_t* line;
        bool match;
    };
    const Case cases[] = {
        // Empty and null: a null line matches only the empty pattern.
        {nullptr, nullptr, true}, {L"", nullptr, true}, {nullptr, L"Rohr", true}, {L"", L"", true},
        {L"a", nullptr, false}, {L"*", nullptr, false}, {L"*", L"", true}, {L"***", L"Rohr", true},
        {L"?", L"", false}, {L"a", L"", false},
        // Plain text anywhere; overlapping starts are not skipped.
        {L"DN 150", line, true}, {L"Guss", line, true}, {line, line, true}, {L"DN 200", line, false},
        {L"Wasserleitung DN 150 Gussx", line, false}, {L"Guss ", line, false}, {L"aab", L"aaab", true},
        {L"abab", L"abaabab", true}, {L"abab", L"abaaba", false},
        // Case.
        {L"wasser", L"WASSERROHR", true}, {L"ÄÖÜ", L"xäöüx", true}, {L"straße", L"STRAßE 5", true},
        {L"ẞ", L"Straße", true}, {L"strasse", L"Straße", false}, {L"a", L"ä", false},
        {L"ÀÉÎÕÇØÞ", L"àéîõçøþ", true}, {L"ÿ", L"Ÿ", true}, {L"ΣΩ", L"σω", true}, {L"\U00010400", L"\U00010428", true},
        // Wildcards; parts in order; a part that fits only after a later start.
        {L"dn*guss", line, true}, {L"guss*dn", line, false}, {L"d?150", L"D-150", true},
        {L"d?150", L"D150", false}, {L"???", L"abc", true}, {L"????", L"abc", false}, {L"a*c", L"ac", true},
        {L"?ass*15?*s", line, true}, {L"?ass*15?*x", line, false}, {L"*?*", L"x", true},
        {L"ä?ß", L"ÄXß", true}, {L"ab*abc", L"ab ab abc", true}, {L"abc*abc", L"abcab", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchLike(c.pattern, c.line), c.match)
            << (c.pattern ? std::wstring(c.pattern).size() : 0) << "-character pattern #" << (&c - cases);
    EXPECT_EQ(MatchLikeFold(L'Ü'), L'ü');
    EXPECT_EQ(MatchLikeFold(L'ß'), L'ß');
}

TEST(MatchLike, PathologicalPatternsFinish)
{
    std::wstring as(20000, L'a');
    EXPECT_FALSE(MatchLike(L"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", as.c_str()));
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
    upper[100] = L'?';  // case folded and a wildcard inside the long part
    EXPECT_TRUE(MatchLike(upper.c_str(), text.c_str()));
    std::wstring wrong = longPart;
    wrong[150] = L'#';
    EXPECT_FALSE(MatchLike(wrong.c_str(), text.c_str()) || MatchLike((longPart + L"z").c_str(), text.c_str()));
    // The first 64 characters match at many places, the whole part only at the last one.
    std::wstring longTail = std::wstring(64, L'a') + L"b";
    EXPECT_TRUE(MatchLike(longTail.c_str(), (std::wstring(3000, L'a') + L"b").c_str()));
    EXPECT_FALSE(MatchLike(longTail.c_str(), std::wstring(3000, L'a').c_str()));
}

TEST(MatchLike, EachThreadKeepsItsOwnPattern)
{
    auto work = [](const wchar_t* pattern, const wchar_t* hit, const wchar_t* miss, int* wrong) {
        for (int i = 0; i < 20000; ++i)
            *wrong += !MatchLike(pattern, hit) + MatchLike(pattern, miss);
    };
    int wrongA = 0, wrongB = 0;
    std::thread a(work, L"rohr", L"Wasserrohr", L"Schieber", &wrongA);
    std::thread b(work, L"schieb*", L"Schieber", L"Wasserrohr", &wrongB);
    a.join();
    b.join();
    EXPECT_EQ(wrongA + wrongB, 0);
    // Alternating patterns on one thread, the second longer than the first.
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(MatchLike(L"x?z", L"xyz"));
        EXPECT_FALSE(MatchLike(L"x?zz", L"xyz"));
    }
}

}  // namespace

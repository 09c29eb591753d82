// Case and trim answer alike under every C locale.
#include "text/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <string>
#include <vector>

namespace {

// Each case as "what it is: answer", so a difference names the case; what it should be.
std::vector<std::string> answers(bool expected = false)
{
    using namespace kortext;
    auto yes = [](bool b) { return std::string(b ? "yes" : "no"); };
    const std::pair<std::string, std::string> cases[] = {
        {"keyword straße: " + upper("straße"), "STRAßE"},
        {"keyword ß = SS: " + yes(equalNoCase("straße", "STRASSE")), "no"},
        {"type lwpolyline: " + fromWide(upper(L"lwpolyline")), "LWPOLYLINE"},
        {"layer Wände: " + fromWide(upper(L"Wände")), "WÄNDE"},
        {"layer wände = WÄNDE: " + yes(equalNoCase(L"wände", L"WÄNDE")), "yes"},
        {"layer ÄUSSERE: " + lower("ÄUSSERE"), "äussere"},
        {"layer istanbul: " + upper("istanbul"), "ISTANBUL"},
        {"dotted İ: " + lower("İ"), "i"},
        {"dotless ı: " + upper("ı"), "I"},
        {"dotted İ = i: " + yes(equalNoCase("İ", "i")), "no"},
        {"dotless ı = I: " + yes(equalNoCase(L"ı", L"I")), "no"},
        {"table block_record < LAYER: " + yes(compareNoCase(L"block_record", L"LAYER") < 0), "yes"},
        {"trim: [" + std::string(trim(" \t Straße \r\n")) + "]", "[Straße]"},
        {"wide trim: [" + fromWide(std::wstring(trim(std::wstring_view(L"\tÄ  ")))) + "]", "[Ä]"},
    };
    std::vector<std::string> out;
    for (const auto& [got, want] : cases)
        out.push_back(expected ? got.substr(0, got.find(": ") + 2) + want : got);
    return out;
}

const std::vector<std::string> kExpected = answers(true);

class CaseUnderLocale : public testing::TestWithParam<const char*> {};

TEST_P(CaseUnderLocale, SameAnswers)
{
    std::string before = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, GetParam()))
        GTEST_SKIP() << "locale " << GetParam() << " is not installed";
    std::vector<std::string> got = answers();
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(got, kExpected);
}

INSTANTIATE_TEST_SUITE_P(Locales, CaseUnderLocale,
                         testing::Values("C", "C.UTF-8", "de_DE.UTF-8", "tr_TR.UTF-8"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name;
                             for (const char* c = info.param; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

}  // namespace

// The one case rule and trim: the same keywords, type names, layer and table names compare and
// change case alike under every C locale, and after Qt set the process's locale from the
// environment as it does when the first dialog's application starts.
#include "text/text.h"

#include <QApplication>
#include <QDialog>

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Each case as "what it is: answer", so a difference names the case.
std::vector<std::string> answers()
{
    using namespace kortext;
    auto yes = [](bool b) { return std::string(b ? "yes" : "no"); };
    return {
        "keyword straße: " + upper("straße"),
        "keyword ß = SS: " + yes(equalNoCase("straße", "STRASSE")),
        "keyword Ausgang: " + yes(equalNoCase(L"ausgang", L"AUSGANG")),
        "type lwpolyline: " + fromWide(upper(L"lwpolyline")),
        "type insert = INSERT: " + yes(equalNoCase(L"insert", L"INSERT")),
        "layer Wände: " + fromWide(upper(L"Wände")),
        "layer wände = WÄNDE: " + yes(equalNoCase(L"wände", L"WÄNDE")),
        "layer ÄUSSERE: " + lower("ÄUSSERE"),
        "layer istanbul: " + upper("istanbul"),
        "layer ISTANBUL: " + lower("ISTANBUL"),
        "dotted İ: " + lower("İ"),
        "dotless ı: " + upper("ı"),
        "dotted İ = i: " + yes(equalNoCase("İ", "i")),
        "dotless ı = I: " + yes(equalNoCase(L"ı", L"I")),
        "table ltype = LTYPE: " + yes(equalNoCase("ltype", "LTYPE")),
        "table block_record < LAYER: " + yes(compareNoCase(L"block_record", L"LAYER") < 0),
        "trim: [" + std::string(trim(" \t Straße \r\n")) + "]",
        "wide trim: [" + fromWide(std::wstring(trim(std::wstring_view(L"\tÄ  ")))) + "]",
    };
}

const std::vector<std::string> kExpected = {
    "keyword straße: STRAßE",
    "keyword ß = SS: no",
    "keyword Ausgang: yes",
    "type lwpolyline: LWPOLYLINE",
    "type insert = INSERT: yes",
    "layer Wände: WÄNDE",
    "layer wände = WÄNDE: yes",
    "layer ÄUSSERE: äussere",
    "layer istanbul: ISTANBUL",
    "layer ISTANBUL: istanbul",
    "dotted İ: i",
    "dotless ı: I",
    "dotted İ = i: no",
    "dotless ı = I: no",
    "table ltype = LTYPE: yes",
    "table block_record < LAYER: yes",
    "trim: [Straße]",
    "wide trim: [Ä]",
};

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

// Qt takes the locale from the environment when its application starts: the most telling
// one installed (Turkish, else German) is what it finds.
TEST(CaseAfterQt, SameAnswersOnceADialogIsOpen)
{
    std::string locale;
    for (const char* l : {"tr_TR.UTF-8", "de_DE.UTF-8"})
        if (std::setlocale(LC_ALL, l)) {
            locale = l;
            break;
        }
    std::setlocale(LC_ALL, "C");
    if (locale.empty())
        GTEST_SKIP() << "neither tr_TR.UTF-8 nor de_DE.UTF-8 is installed";
    EXPECT_EQ(answers(), kExpected);

    setenv("LC_ALL", locale.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed
    int argc = 1;
    char name[] = "case_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.show();
    EXPECT_EQ(std::string(std::setlocale(LC_CTYPE, nullptr)), locale);  // what Qt set
    EXPECT_EQ(answers(), kExpected);
    unsetenv("LC_ALL");
    std::setlocale(LC_ALL, "C");
}

}  // namespace

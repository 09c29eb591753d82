// The text library and what prints and converts through it: reals, UTF-8, the Windows-1252 fallback.
#include "values.h"

#include "lisp/Interpreter.h"
#include "lisp/Printer.h"
#include "mfc/afx.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace {

// The C locale a Qt program runs under once its application object exists on a German desktop.
class GermanLocale {
public:
    GermanLocale() : old_(std::setlocale(LC_ALL, nullptr))
    {
        ok_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    }
    ~GermanLocale() { std::setlocale(LC_ALL, old_.c_str()); }
    bool ok() const { return ok_; }

private:
    std::string old_;
    bool ok_ = false;
};

std::string printfReal(double r)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", r);
    return buf;
}

std::string describe(const textvalues::Utf8& u)
{
    std::string hex;
    for (unsigned char c : u.bytes) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X ", c);
        hex += b;
    }
    return std::string(u.what) + " [" + hex + "]";
}

std::wstring formatted(const wchar_t* format, ...)
{
    va_list ap;
    va_start(ap, format);
    std::wstring s = kortext::formatWindowsV(format, ap);
    va_end(ap);
    return s;
}

// Reals as the text library, the LISP printer (prin1, princ, rtos) and the Windows-style formatter write them.
void expectEveryRealPrintsAsAutoLispDoes()
{
    lisp::Interpreter lisp;
    for (const auto& r : textvalues::kReals) {
        std::wstring wide(r.text, r.text + std::char_traits<char>::length(r.text));
        EXPECT_EQ(kortext::formatReal(r.value), r.text);
        EXPECT_EQ(kortext::formatRealWide(r.value), wide);
        EXPECT_EQ(lisp::toString(lisp::Value::real(r.value), true), r.text) << "prin1";
        EXPECT_EQ(lisp::toString(lisp::Value::real(r.value), false), r.text) << "princ";
    }
    EXPECT_EQ(lisp::toString(lisp.evalText("(list 2.5 (atof \"2.5\") (/ 5 2.0) 1e20)"), true),
              "(2.5 2.5 2.5 1.0e+20)");
    EXPECT_EQ(lisp::toString(lisp.evalText("(list (rtos 2.5 2 1) (rtos 2.5 1 2) (itoa 25))"), true),
              "(\"2.5\" \"2.50E+00\" \"25\")");
    EXPECT_EQ(formatted(L"%.1f|%5.2f", 2.5, 3.14159), L"2.5| 3.14");
}

}  // namespace

TEST(TextReals, PrintAsAutoLispDoesInTheCLocale)
{
    expectEveryRealPrintsAsAutoLispDoes();
}

TEST(TextReals, PrintTheSameUnderAGermanLocale)
{
    GermanLocale german;
    ASSERT_TRUE(german.ok()) << "the locale de_DE.UTF-8 is missing: run scripts/setup.sh";
    ASSERT_EQ(printfReal(2.5), "2,5") << "printf follows the German locale, so the test means something";
    expectEveryRealPrintsAsAutoLispDoes();
}

TEST(TextCodec, DecodesWellFormedTextAndReplacesEachIllFormedSequenceOnce)
{
    for (const auto& u : textvalues::kUtf8) {
        std::wstring wide(u.chars.begin(), u.chars.end());
        EXPECT_EQ(kortext::decode(u.bytes), u.chars) << describe(u);
        EXPECT_EQ(kortext::toWide(u.bytes), wide) << describe(u);
        EXPECT_EQ(AfxFromUtf8(u.bytes), wide) << describe(u) << " (MFC layer)";
        EXPECT_EQ(kortext::length(u.bytes), u.chars.size()) << describe(u);
        // Well-formed text survives the way there and back byte for byte.
        bool wellFormed = kortext::encode(u.chars) == u.bytes;
        EXPECT_EQ(kortext::isValidUtf8(u.bytes), wellFormed) << describe(u);
        EXPECT_EQ(kortext::fromWide(wide), kortext::encode(u.chars)) << describe(u);
        EXPECT_EQ(AfxToUtf8(wide.c_str()), kortext::encode(u.chars)) << describe(u) << " (MFC layer)";
    }
}

TEST(TextCodec, EncodersWriteNoSurrogateAndNothingAboveTheLastCharacter)
{
    const std::string fffd = "\xEF\xBF\xBD";
    for (char32_t c : {char32_t(0xD800), char32_t(0xDFFF), char32_t(0x110000), char32_t(0xFFFFFFFF)}) {
        EXPECT_FALSE(kortext::isScalar(c));
        EXPECT_EQ(kortext::encode(std::u32string(1, c)), fffd) << std::hex << uint32_t(c);
        EXPECT_EQ(kortext::fromWide(std::wstring(1, static_cast<wchar_t>(c))), fffd);
    }
    // A surrogate pair in wide text is two lone halves on Linux, where wchar_t holds a whole code point.
    wchar_t pair[] = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00), L'x', 0};
    EXPECT_EQ(AfxToUtf8(pair), fffd + fffd + "x");
    for (char32_t c : {char32_t(0xD7FF), char32_t(0xE000), char32_t(0x10FFFF)})
        EXPECT_TRUE(kortext::isScalar(c)) << std::hex << uint32_t(c);
    EXPECT_EQ(AfxToUtf8(nullptr), "");
}

TEST(TextFileText, ValidUtf8StaysAndOtherTextReadsAsWindows1252)
{
    EXPECT_EQ(kortext::fromFileText("Gr\xC3\xBC\xC3\x9F" "e"), "Grüße");
    EXPECT_EQ(kortext::fromFileText("Gr\xFC\xDF" "e"), "Grüße");
    // 0x80..0x9F are Windows' own characters, not Latin-1 control codes.
    EXPECT_EQ(kortext::decode(kortext::fromFileText("\x80\x84\x8A\x9F\x81\xA0\xFF")),
              U"\u20AC\u201E\u0160\u0178\u0081\u00A0\u00FF");
    // One ill-formed sequence makes the whole text Windows-1252, as a file is in one code page.
    EXPECT_EQ(kortext::fromFileText("\xC3\xA4 \xE4"), "Ã¤ ä");
}

TEST(TextFormat, ReadsConversionsAsTheWindowsRuntime)
{
    // %s and %c wide, %hs and %hc narrow, the caller's text never read as a format.
    EXPECT_EQ(formatted(L"%s|%c|%hs|%hc|%5.2f|%d%%", L"Länge %n%x", L'Ü', "PE", 'x', 3.14159, 7),
              L"Länge %n%x|Ü|PE|x| 3.14|7%");
    // Plain conversions only (written without vswprintf) give the same.
    EXPECT_EQ(formatted(L"%s|%ls|%d|%i|%u|%c|%%|%s", L"Länge %d", L"b", -2147483647 - 1, 8, 4294967295u, L'Ü',
                        static_cast<const wchar_t*>(nullptr)),
              L"Länge %d|b|-2147483648|8|4294967295|Ü|%|(null)");
    // acutPrintf and CString::Format share it.
    CString s;
    s.Format(L"%s: %d", L"Objekte", 3);
    EXPECT_EQ(std::wstring(s.GetString()), L"Objekte: 3");
}

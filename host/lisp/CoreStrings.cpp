// String functions. Positions and lengths count characters (code points), not bytes.
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"
#include "lisp/Reader.h"
#include "lisp/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace lisp {

namespace {

[[noreturn]] void badValue(const std::string& what, const Value& v)
{
    fail("bad argument value: " + what + ": " + toString(v, true));
}

Value strcatFn(Interpreter&, const Args& a)
{
    std::string out;
    for (const Value& v : a)
        out += strArg(v);
    return Value::string(std::move(out));
}

// (substr text start [count]): start counts from 1.
Value substrFn(Interpreter&, const Args& a)
{
    auto cps = utf8::decode(strArg(a[0]));
    int32_t start = intArg(a[1]);
    if (start < 1)
        badValue("positive", a[1]);
    size_t from = std::min<size_t>(cps.size(), static_cast<size_t>(start) - 1);
    size_t count = cps.size() - from;
    if (a.has(2)) {
        int32_t n = intArg(a[2]);
        if (n < 0)
            badValue("non-negative", a[2]);
        count = std::min<size_t>(count, static_cast<size_t>(n));
    }
    return Value::string(utf8::encode(std::u32string_view(cps).substr(from, count)));
}

Value strlenFn(Interpreter&, const Args& a)
{
    size_t n = 0;
    for (const Value& v : a)
        n += utf8::length(strArg(v));
    return Value::integer(static_cast<int32_t>(n));
}

// (strcase text [lower]): upper case, or lower case when the second argument is not nil.
Value strcaseFn(Interpreter&, const Args& a)
{
    const std::string& s = strArg(a[0]);
    bool lower = a.has(1) && !a[1].isNil();
    return Value::string(lower ? utf8::lower(s) : utf8::upper(s));
}

// (vl-string-trim chars text): text without any of the characters at either end.
Value vlStringTrimFn(Interpreter&, const Args& a)
{
    auto set = utf8::decode(strArg(a[0]));
    auto cps = utf8::decode(strArg(a[1]));
    auto trimmed = [&](char32_t c) { return std::find(set.begin(), set.end(), c) != set.end(); };
    size_t b = 0, e = cps.size();
    while (b < e && trimmed(cps[b]))
        ++b;
    while (e > b && trimmed(cps[e - 1]))
        --e;
    return Value::string(utf8::encode(std::u32string_view(cps).substr(b, e - b)));
}

Value itoaFn(Interpreter&, const Args& a) { return Value::string(std::to_string(intArg(a[0]))); }

std::string_view skipSpace(std::string_view s)
{
    while (!s.empty() && (s[0] == ' ' || s[0] == '\t' || s[0] == '\n' || s[0] == '\r'))
        s.remove_prefix(1);
    return s;
}

// atoi: the integer the text begins with, 0 when it begins with none.
Value atoiFn(Interpreter&, const Args& a)
{
    std::string_view s = skipSpace(strArg(a[0]));
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    // Beyond the integer range the result stays at its end, as the C library's atoi does.
    int64_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            break;
        n = std::min<int64_t>(n * 10 + (c - '0'), int64_t(INT32_MAX) + 1);
    }
    n = negative ? -n : std::min<int64_t>(n, INT32_MAX);
    return Value::integer(static_cast<int32_t>(n));
}

// atof: the number the text begins with, 0.0 when it begins with none.
Value atofFn(Interpreter&, const Args& a)
{
    std::string_view s = skipSpace(strArg(a[0]));
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    // from_chars finds how far the number goes; the reader's rules decide what it is (from_chars
    // also takes "inf" and "nan", which are no numbers in AutoLISP).
    double ignored = 0.0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), ignored);
    std::string_view number(s.data(), r.ptr - s.data());
    auto n = number.empty() || number[0] == '-' ? std::nullopt : parseNumber(number);
    if (!n)
        return Value::real(0.0);
    return Value::real(negative ? -n->asDouble() : n->asDouble());
}

// Fixed-point text; halves round away from zero, as a person expects (2.5 -> "3").
// Infinity and NaN read as the printer shows them (1.#INF, 1.#QNAN).
std::string fixed(double x, int precision)
{
    if (!std::isfinite(x))
        return kortext::formatReal(x);
    double scale = std::pow(10.0, precision);
    double scaled = x * scale;
    if (std::fabs(scaled) < 1e15)
        x = std::round(scaled) / scale;
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, precision);
    if (r.ec != std::errc())
        return kortext::formatReal(x);
    std::string s(buf, r.ptr);
    // A negative number that rounds to zero prints as zero.
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1);
    return s;
}

std::string scientific(double x, int precision)
{
    if (!std::isfinite(x))
        return kortext::formatReal(x);
    char buf[128];
    auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, precision);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == 'e')
            c = 'E';
    return s;
}

// Inches as a whole number and a fraction with a power-of-two denominator ("2 1/2").
std::string fraction(double inches, int precision)
{
    int denominator = 1 << std::clamp(precision, 0, 8);
    long long units = std::llround(inches * denominator);
    long long whole = units / denominator, rest = units % denominator;
    std::string s = std::to_string(whole);
    if (rest != 0) {
        long long g = std::gcd(rest, static_cast<long long>(denominator));
        s += ' ' + std::to_string(rest / g) + '/' + std::to_string(denominator / g);
    }
    return s;
}

// Feet and inches; the inches as the given formatter writes them.
template <class F>
std::string feetInches(double x, int precision, double step, F inchText)
{
    double v = std::fabs(x);
    // Round first, so that 11.99999 inches do not print as 12".
    v = std::round(v / step) * step;
    long long feet = static_cast<long long>(std::floor(v / 12.0 + 1e-12));
    double inches = v - feet * 12.0;
    if (inches < 0)
        inches = 0;
    std::string s = x < 0 && v > 0 ? "-" : "";
    if (feet != 0)
        s += std::to_string(feet) + "'-";
    return s + inchText(inches, precision) + '"';
}

// (rtos number [mode [precision]]): 1 scientific, 2 decimal (the default), 3 engineering,
// 4 architectural, 5 fractional; precision 4 by default. Trailing zeros stay.
Value rtosFn(Interpreter&, const Args& a)
{
    double x = numArg(a[0]);
    int32_t mode = a.has(1) && !a[1].isNil() ? intArg(a[1]) : 2;
    int32_t precision = a.has(2) && !a[2].isNil() ? intArg(a[2]) : 4;
    if (precision < 0 || precision > 8)
        badValue("precision", a[2]);
    // Feet, inches and fractions are for lengths a drawing can hold, not for any double.
    if (mode >= 3 && mode <= 5 && !(std::fabs(x) < 1e15))
        badValue("length out of range", a[0]);
    switch (mode) {
    case 1:
        return Value::string(scientific(x, precision));
    case 2:
        return Value::string(fixed(x, precision));
    case 3:
        return Value::string(feetInches(x, precision, std::pow(10.0, -precision),
                                        [](double in, int p) { return fixed(in, p); }));
    case 4:
        return Value::string(feetInches(x, precision, 1.0 / (1 << precision), fraction));
    case 5: {
        std::string s = fraction(std::fabs(x), precision);
        return Value::string(x < 0 && s != "0" ? "-" + s : s);
    }
    default:
        badValue("units mode", a[1]);
    }
}

Value asciiFn(Interpreter&, const Args& a)
{
    auto cps = utf8::decode(strArg(a[0]));
    return Value::integer(cps.empty() ? 0 : static_cast<int32_t>(cps[0]));
}

Value chrFn(Interpreter&, const Args& a)
{
    int32_t code = intArg(a[0]);
    // Only what UTF-8 can carry: no surrogate halves, nothing above U+10FFFF.
    if (code < 0 || !utf8::isScalar(static_cast<char32_t>(code)))
        badValue("character code", a[0]);
    std::string s;
    if (code != 0)
        utf8::append(s, static_cast<char32_t>(code));
    return Value::string(std::move(s));
}

Value prin1ToString(Interpreter&, const Args& a) { return Value::string(toString(a[0], true)); }
Value princToString(Interpreter&, const Args& a) { return Value::string(toString(a[0], false)); }

}  // namespace

void installStringFunctions(Interpreter& lisp)
{
    lisp.defineBuiltin("strcat", strcatFn, 0, -1);
    lisp.defineBuiltin("substr", substrFn, 2, 3);
    lisp.defineBuiltin("strlen", strlenFn, 0, -1);
    lisp.defineBuiltin("strcase", strcaseFn, 1, 2);
    lisp.defineBuiltin("vl-string-trim", vlStringTrimFn, 2, 2);
    lisp.defineBuiltin("itoa", itoaFn, 1, 1);
    lisp.defineBuiltin("atoi", atoiFn, 1, 1);
    lisp.defineBuiltin("atof", atofFn, 1, 1);
    lisp.defineBuiltin("rtos", rtosFn, 1, 3);
    lisp.defineBuiltin("ascii", asciiFn, 1, 1);
    lisp.defineBuiltin("chr", chrFn, 1, 1);
    lisp.defineBuiltin("vl-prin1-to-string", prin1ToString, 1, 1);
    lisp.defineBuiltin("vl-princ-to-string", princToString, 1, 1);
}

}  // namespace lisp

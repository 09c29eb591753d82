// Numbers and angles as text and back: rtos, distof, angtos, angtof, and cvunit.
//
// The unit mode and precision default to the drawing's LUNITS / LUPREC (lengths) and AUNITS /
// AUPREC (angles). DIMZIN shapes the text as in dimensions: 4 drops the leading zero
// (".5"), 8 the trailing zeros ("1.5" instead of "1.5000"); its lowest two bits choose
// between feet and inches: 0 and 3 leave out zero feet ("6\""), 1 keeps zero feet and zero
// inches ("0'-6\"", "2'-0\""), 2 keeps zero feet and leaves out zero inches ("2'").
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"
#include "lisp/Reader.h"
#include "lisp/Utf8.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>
#include <numeric>
#include <optional>
#include <tuple>

namespace lisp {

namespace {

constexpr double kPi = 3.14159265358979323846;

[[noreturn]] void badValue(const std::string& what, const Value& v)
{
    fail("bad argument value: " + what + ": " + toString(v, true));
}

int sysInt(Interpreter& lisp, const char* name, int fallback)
{
    Value v = lisp.systemVariable(name);
    return v.isInt() ? v.asInt() : fallback;
}

// The optional mode and precision arguments at i and i + 1, else the system variables.
int modeArg(Interpreter& lisp, const Args& a, size_t i, const char* var, int fallback)
{
    return a.has(i) && !a[i].isNil() ? intArg(a[i]) : sysInt(lisp, var, fallback);
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

// DIMZIN's zero suppression of a decimal number: 8 drops trailing zeros (and a point left
// alone), 4 the zero before the point.
std::string suppressZeros(std::string s, int dimzin)
{
    if (dimzin & 8) {
        size_t e = s.find_first_of("E\"");
        std::string tail = e == std::string::npos ? "" : s.substr(e);
        std::string head = s.substr(0, e);
        if (head.find('.') != std::string::npos) {
            while (!head.empty() && head.back() == '0')
                head.pop_back();
            if (!head.empty() && head.back() == '.')
                head.pop_back();
        }
        s = head + tail;
    }
    if (dimzin & 4) {
        size_t z = s[0] == '-' ? 1 : 0;
        if (s.size() > z + 1 && s[z] == '0' && s[z + 1] == '.')
            s.erase(z, 1);
    }
    return s;
}

// Feet and inches; the inches as the given formatter writes them.
template <class F>
std::string feetInches(double x, int precision, double step, int dimzin, F inchText)
{
    double v = std::fabs(x);
    // Round first, so that 11.99999 inches do not print as 12".
    v = std::round(v / step) * step;
    long long feet = static_cast<long long>(std::floor(v / 12.0 + 1e-12));
    double inches = v - feet * 12.0;
    if (inches < step / 2)
        inches = 0;
    int feetMode = dimzin & 3;
    bool showFeet = feet != 0 || feetMode == 1 || feetMode == 2;
    bool showInches = inches != 0 || !showFeet || feetMode != 2;
    std::string s = x < 0 && v > 0 ? "-" : "";
    if (showFeet)
        s += std::to_string(feet) + "'";
    if (showFeet && showInches)
        s += '-';
    if (showInches)
        s += inchText(inches, precision) + '"';
    return s;
}

// (rtos number [mode [precision]]): 1 scientific, 2 decimal, 3 engineering, 4 architectural,
// 5 fractional; LUNITS and LUPREC when not given.
Value rtosFn(Interpreter& lisp, const Args& a)
{
    double x = numArg(a[0]);
    int32_t mode = modeArg(lisp, a, 1, "LUNITS", 2);
    int32_t precision = modeArg(lisp, a, 2, "LUPREC", 4);
    int dimzin = sysInt(lisp, "DIMZIN", 0);
    if (precision < 0 || precision > 8)
        badValue("precision", a.has(2) ? a[2] : Value::integer(precision));
    // Feet, inches and fractions are for lengths a drawing can hold, not for any double.
    if (mode >= 3 && mode <= 5 && !(std::fabs(x) < 1e15))
        badValue("length out of range", a[0]);
    switch (mode) {
    case 1:
        return Value::string(std::isfinite(x) ? suppressZeros(scientific(x, precision), dimzin & 8)
                                              : scientific(x, precision));
    case 2:
        return Value::string(std::isfinite(x) ? suppressZeros(fixed(x, precision), dimzin)
                                              : fixed(x, precision));
    case 3:
        return Value::string(feetInches(x, precision, std::pow(10.0, -precision), dimzin,
                                        [dimzin](double in, int p) {
                                            return suppressZeros(fixed(in, p), dimzin & 8);
                                        }));
    case 4:
        return Value::string(feetInches(x, precision, 1.0 / (1 << precision), dimzin, fraction));
    case 5: {
        std::string s = fraction(std::fabs(x), precision);
        return Value::string(x < 0 && s != "0" ? "-" + s : s);
    }
    default:
        badValue("units mode", a.has(1) ? a[1] : Value::integer(mode));
    }
}

// ---- reading numbers back -----------------------------------------------------------------

using kortext::trim;

std::optional<double> plainNumber(std::string_view s)
{
    s = trim(s);
    if (s.empty())
        return std::nullopt;
    auto n = parseNumber(s);
    if (!n)
        return std::nullopt;
    return n->asDouble();
}

// "3/4", "2 3/4", "2-3/4", "2.5" (no sign).
std::optional<double> fractionText(std::string_view s)
{
    s = trim(s);
    size_t slash = s.find('/');
    if (slash == std::string_view::npos) {
        if (!s.empty() && (s[0] == '-' || s[0] == '+'))
            return std::nullopt;
        return plainNumber(s);
    }
    std::string_view left = s.substr(0, slash);
    size_t gap = left.find_last_of(" -");
    double whole = 0;
    if (gap != std::string_view::npos) {
        auto w = plainNumber(left.substr(0, gap));
        if (!w || left.substr(0, gap).find('.') != std::string_view::npos)
            return std::nullopt;
        whole = *w;
        left = left.substr(gap + 1);
    }
    auto num = parseNumber(trim(left));
    auto den = parseNumber(trim(s.substr(slash + 1)));
    if (!num || !den || !num->isInt() || !den->isInt() || den->asInt() <= 0 || num->asInt() < 0)
        return std::nullopt;
    return whole + double(num->asInt()) / den->asInt();
}

// Feet and inches: 1'-2.5", 1'2", 1', 14", 1'-2 1/2", 14 1/2.
std::optional<double> feetInchesText(std::string_view s)
{
    s = trim(s);
    bool negative = !s.empty() && s[0] == '-';
    if (negative || (!s.empty() && s[0] == '+'))
        s.remove_prefix(1);
    double total = 0;
    size_t apostrophe = s.find('\'');
    if (apostrophe != std::string_view::npos) {
        auto feet = plainNumber(s.substr(0, apostrophe));
        if (!feet || s.substr(0, apostrophe).find_first_of("+-") != std::string_view::npos)
            return std::nullopt;
        total = *feet * 12.0;
        s = trim(s.substr(apostrophe + 1));
        if (!s.empty() && s[0] == '-')
            s.remove_prefix(1);
    }
    s = trim(s);
    if (!s.empty() && s.back() == '"')
        s.remove_suffix(1);
    if (!trim(s).empty()) {
        auto inches = fractionText(s);
        if (!inches)
            return std::nullopt;
        total += *inches;
    } else if (apostrophe == std::string_view::npos) {
        return std::nullopt;
    }
    return negative ? -total : total;
}

std::optional<double> distanceText(std::string_view s, int mode)
{
    if (mode == 1 || mode == 2)
        return plainNumber(s);
    if (auto n = plainNumber(s))
        return n;
    if (mode == 5) {
        s = trim(s);
        bool negative = !s.empty() && s[0] == '-';
        auto f = fractionText(negative ? s.substr(1) : s);
        if (f)
            return negative ? -*f : *f;
        return std::nullopt;
    }
    return feetInchesText(s);
}

// (distof text [mode]): the distance the text gives in the unit mode (LUNITS when not
// given); nil when it is no distance in that mode.
Value distofFn(Interpreter& lisp, const Args& a)
{
    const std::string& text = strArg(a[0]);
    int32_t mode = modeArg(lisp, a, 1, "LUNITS", 2);
    if (mode < 1 || mode > 5)
        badValue("units mode", a[1]);
    auto d = distanceText(text, mode);
    return d ? Value::real(*d) : Value();
}

// ---- angles -------------------------------------------------------------------------------

double normalizeAngle(double r)
{
    double twoPi = 2 * kPi;
    r = std::fmod(r, twoPi);
    if (r < 0)
        r += twoPi;
    if (r >= twoPi)
        r -= twoPi;
    return r;
}

// Degrees, minutes and seconds: precision 0 degrees, 1-2 minutes, 3-4 seconds, 5-8 seconds
// with decimals.
std::string dms(double degrees, int precision)
{
    double unit = precision == 0 ? 1.0 : precision <= 2 ? 1.0 / 60 : 1.0 / 3600;
    int decimals = precision > 4 ? precision - 4 : 0;
    double step = unit / std::pow(10.0, decimals);
    double v = std::round(degrees / step) * step;
    long long d = static_cast<long long>(std::floor(v + 1e-9));
    std::string s = std::to_string(d) + "d";
    if (precision == 0)
        return s;
    double minutesTotal = (v - d) * 60;
    long long m = static_cast<long long>(std::floor(minutesTotal + 1e-9));
    s += std::to_string(m) + "'";
    if (precision <= 2)
        return s;
    double sec = (minutesTotal - m) * 60;
    if (sec < 0)
        sec = 0;
    return s + fixed(sec, decimals) + "\"";
}

std::string angleText(double r, int mode, int precision)
{
    double deg = r * 180.0 / kPi;
    switch (mode) {
    case 0:
        return fixed(deg, precision);
    case 1:
        return dms(deg, precision);
    case 2:
        return fixed(r * 200.0 / kPi, precision) + "g";
    case 3:
        return fixed(r, precision) + "r";
    default: {  // surveyor's: a bearing from north or south towards east or west
        // Round first, so that an angle a hair below east reads as E, not S 90d E.
        double v = std::round(deg * 3600 * 1e4) / (3600 * 1e4);
        if (v >= 360)
            v -= 360;
        if (v == 0)
            return "E";
        if (v == 90)
            return "N";
        if (v == 180)
            return "W";
        if (v == 270)
            return "S";
        const char* ns = v < 180 ? "N" : "S";
        const char* ew = (v < 90 || v > 270) ? "E" : "W";
        double bearing = v < 90 ? 90 - v : v < 180 ? v - 90 : v < 270 ? 270 - v : v - 270;
        return std::string(ns) + " " + dms(bearing, precision) + " " + ew;
    }
    }
}

// (angtos angle [mode [precision]]): 0 degrees, 1 degrees/minutes/seconds, 2 grads,
// 3 radians, 4 surveyor's units; AUNITS and AUPREC when not given. The angle is taken
// into 0 <= angle < 2 pi first.
Value angtosFn(Interpreter& lisp, const Args& a)
{
    double r = numArg(a[0]);
    int32_t mode = modeArg(lisp, a, 1, "AUNITS", 0);
    int32_t precision = modeArg(lisp, a, 2, "AUPREC", 0);
    if (mode < 0 || mode > 4)
        badValue("angle units mode", a[1]);
    if (precision < 0 || precision > 8)
        badValue("precision", a.has(2) ? a[2] : Value::integer(precision));
    if (!std::isfinite(r))
        badValue("angle out of range", a[0]);
    return Value::string(angleText(normalizeAngle(r), mode, precision));
}

// "45d30'15.5\"", "45d", "45d30'", "45" in degrees.
std::optional<double> dmsText(std::string_view s)
{
    s = trim(s);
    double total = 0;
    bool any = false;
    const std::pair<char, double> parts[] = {{'d', 1.0}, {'\'', 1.0 / 60}, {'"', 1.0 / 3600}};
    for (auto [mark, scale] : parts) {
        size_t at = s.find(mark);
        if (mark == 'd' && at == std::string_view::npos)
            at = s.find('D');
        if (at == std::string_view::npos)
            continue;
        auto n = plainNumber(s.substr(0, at));
        if (!n || *n < 0)
            return std::nullopt;
        total += *n * scale;
        any = true;
        s = trim(s.substr(at + 1));
    }
    if (!s.empty()) {
        auto n = plainNumber(s);
        if (!n || (any && *n < 0))
            return std::nullopt;
        total += any ? 0 : *n;  // a bare number is degrees; after parts, no loose number
        if (any)
            return std::nullopt;
        return total;
    }
    return any ? std::optional<double>(total) : std::nullopt;
}

std::optional<double> angleFromText(std::string_view s, int mode)
{
    s = trim(s);
    auto withSuffix = [&](char suffix) -> std::optional<double> {
        std::string_view t = s;
        if (!t.empty() && (t.back() == suffix || t.back() == static_cast<char>(kortext::toUpper(static_cast<unsigned char>(suffix)))))
            t.remove_suffix(1);
        return plainNumber(t);
    };
    switch (mode) {
    case 0:
        if (auto d = plainNumber(s))
            return *d * kPi / 180;
        return std::nullopt;
    case 1: {
        bool negative = !s.empty() && s[0] == '-';
        auto d = dmsText(negative ? s.substr(1) : s);
        if (!d)
            return std::nullopt;
        return (negative ? -*d : *d) * kPi / 180;
    }
    case 2:
        if (auto g = withSuffix('g'))
            return *g * kPi / 200;
        return std::nullopt;
    case 3:
        return withSuffix('r');
    default: {
        std::string up = utf8::upper(s);
        if (up == "E")
            return 0.0;
        if (up == "N")
            return kPi / 2;
        if (up == "W")
            return kPi;
        if (up == "S")
            return 3 * kPi / 2;
        if (up.size() < 3 || (up[0] != 'N' && up[0] != 'S') ||
            (up.back() != 'E' && up.back() != 'W'))
            return std::nullopt;
        auto b = dmsText(std::string_view(up).substr(1, up.size() - 2));
        if (!b || *b > 90)
            return std::nullopt;
        bool north = up[0] == 'N', east = up.back() == 'E';
        double deg = north ? (east ? 90 - *b : 90 + *b) : (east ? 270 + *b : 270 - *b);
        return deg * kPi / 180;
    }
    }
}

// (angtof text [mode]): the angle in radians, 0 <= angle < 2 pi; nil when the text is no
// angle in that mode (AUNITS when not given).
Value angtofFn(Interpreter& lisp, const Args& a)
{
    const std::string& text = strArg(a[0]);
    int32_t mode = modeArg(lisp, a, 1, "AUNITS", 0);
    if (mode < 0 || mode > 4)
        badValue("angle units mode", a[1]);
    auto r = angleFromText(text, mode);
    return r ? Value::real(normalizeAngle(*r)) : Value();
}

// ---- cvunit -------------------------------------------------------------------------------

enum class Dimension { Length, Area, Volume, Angle, Time, Mass };

struct Unit {
    Dimension dim;
    double factor;  // to meters, radians, seconds or kilograms
};

std::optional<Unit> lengthUnit(const std::string& n)
{
    static const std::map<std::string, double> units = {
        {"millimeter", 0.001}, {"millimetre", 0.001}, {"mm", 0.001},
        {"centimeter", 0.01},  {"centimetre", 0.01},  {"cm", 0.01},
        {"decimeter", 0.1},    {"decimetre", 0.1},    {"dm", 0.1},
        {"meter", 1.0},        {"metre", 1.0},        {"m", 1.0},
        {"kilometer", 1000.0}, {"kilometre", 1000.0}, {"km", 1000.0},
        {"inch", 0.0254},      {"inches", 0.0254},    {"in", 0.0254},
        {"foot", 0.3048},      {"feet", 0.3048},      {"ft", 0.3048},
        {"yard", 0.9144},      {"yd", 0.9144},        {"mile", 1609.344},
        {"mi", 1609.344},
    };
    auto it = units.find(n);
    if (it == units.end() && n.size() > 1 && n.back() == 's')
        it = units.find(n.substr(0, n.size() - 1));
    if (it == units.end())
        return std::nullopt;
    return Unit{Dimension::Length, it->second};
}

std::optional<Unit> findUnit(std::string n)
{
    n = utf8::lower(trim(n));
    for (auto [prefix, power, dim] : {std::tuple{"sq ", 2, Dimension::Area},
                                      std::tuple{"square ", 2, Dimension::Area},
                                      std::tuple{"cu ", 3, Dimension::Volume},
                                      std::tuple{"cubic ", 3, Dimension::Volume}}) {
        std::string p = prefix;
        if (n.rfind(p, 0) == 0) {
            auto u = lengthUnit(std::string(trim(n.substr(p.size()))));
            if (!u)
                return std::nullopt;
            return Unit{dim, std::pow(u->factor, power)};
        }
    }
    if (auto u = lengthUnit(n))
        return u;
    static const std::map<std::string, Unit> others = {
        {"radian", {Dimension::Angle, 1.0}},
        {"rad", {Dimension::Angle, 1.0}},
        {"degree", {Dimension::Angle, kPi / 180}},
        {"deg", {Dimension::Angle, kPi / 180}},
        {"grad", {Dimension::Angle, kPi / 200}},
        {"gon", {Dimension::Angle, kPi / 200}},
        {"second", {Dimension::Time, 1.0}},
        {"sec", {Dimension::Time, 1.0}},
        {"minute", {Dimension::Time, 60.0}},
        {"min", {Dimension::Time, 60.0}},
        {"hour", {Dimension::Time, 3600.0}},
        {"hr", {Dimension::Time, 3600.0}},
        {"day", {Dimension::Time, 86400.0}},
        {"gram", {Dimension::Mass, 0.001}},
        {"g", {Dimension::Mass, 0.001}},
        {"kilogram", {Dimension::Mass, 1.0}},
        {"kg", {Dimension::Mass, 1.0}},
        {"tonne", {Dimension::Mass, 1000.0}},
        {"pound", {Dimension::Mass, 0.45359237}},
        {"lb", {Dimension::Mass, 0.45359237}},
        {"liter", {Dimension::Volume, 0.001}},
        {"litre", {Dimension::Volume, 0.001}},
        {"l", {Dimension::Volume, 0.001}},
        {"hectare", {Dimension::Area, 10000.0}},
        {"ha", {Dimension::Area, 10000.0}},
        {"acre", {Dimension::Area, 4046.8564224}},
    };
    auto it = others.find(n);
    if (it == others.end() && n.size() > 1 && n.back() == 's')
        it = others.find(n.substr(0, n.size() - 1));
    if (it == others.end())
        return std::nullopt;
    return it->second;
}

// (cvunit value from to): a number, or a list of numbers (a point), in other units; nil for
// a unit it does not know or units of different kinds (meters to degrees).
Value cvunitFn(Interpreter&, const Args& a)
{
    const Value& v = a[0];
    if (!v.isNumber() && !v.isCons())
        badArgType("numberp", v);
    auto from = findUnit(strArg(a[1]));
    auto to = findUnit(strArg(a[2]));
    if (!from || !to || from->dim != to->dim)
        return Value();
    double k = from->factor / to->factor;
    if (v.isNumber())
        return Value::real(v.asDouble() * k);
    ListBuilder b;
    for (const Value* p = &v; p->isCons(); p = &p->consCell()->cdr)
        b.push(Value::real(numArg(p->consCell()->car) * k));
    return b.take();
}

}  // namespace

void installConversionFunctions(Interpreter& lisp)
{
    lisp.defineBuiltin("rtos", rtosFn, 1, 3);
    lisp.defineBuiltin("distof", distofFn, 1, 2);
    lisp.defineBuiltin("angtos", angtosFn, 1, 3);
    lisp.defineBuiltin("angtof", angtofFn, 1, 2);
    lisp.defineBuiltin("cvunit", cvunitFn, 3, 3);
}

}  // namespace lisp

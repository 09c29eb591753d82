#include "cad/SysVars.h"

#include "cad/CadHost.h"

#include "lisp/Printer.h"
#include "lisp/Utf8.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>

namespace korcad {

namespace fs = std::filesystem;
using lisp::Value;

namespace {

enum class Kind { Int, Real, Str, Point2, Point3 };

// What a variable holds and which values it takes.
struct VarDef {
    const char* name;
    Kind kind;
    bool readOnly = false;
    double min = -1e300;  // the range of numbers
    double max = 1e300;
    // For strings and special integers: the check a value must pass (the table records,
    // the lineweights); null when the kind and range say everything.
    bool (*valid)(CadHost&, const Value&) = nullptr;
    // For computed variables: the value when read.
    Value (*compute)(CadHost&, lisp::Interpreter&) = nullptr;
};

Drawing* currentDrawing(CadHost& host) { return host.drawing(host.currentDrawing()); }

bool inTable(CadHost& host, const wchar_t* table, const Value& v)
{
    Drawing* d = currentDrawing(host);
    return d && !v.str().empty() && d->find(table, kortext::toWide(v.str())) != nullptr;
}

bool validLayer(CadHost& host, const Value& v) { return inTable(host, L"LAYER", v); }
bool validStyle(CadHost& host, const Value& v) { return inTable(host, L"STYLE", v); }

bool validLinetype(CadHost& host, const Value& v)
{
    std::string up = lisp::utf8::upper(v.str());
    return up == "BYLAYER" || up == "BYBLOCK" || inTable(host, L"LTYPE", v);
}

// BYLAYER, BYBLOCK, a color number 1..255, or RGB:r,g,b.
bool validColor(CadHost&, const Value& v)
{
    std::string up = lisp::utf8::upper(v.str());
    if (up == "BYLAYER" || up == "BYBLOCK")
        return true;
    auto number = [](const std::string& s, int lo, int hi) {
        if (s.empty() || s.size() > 3 || s.find_first_not_of("0123456789") != std::string::npos)
            return false;
        int n = std::atoi(s.c_str());
        return n >= lo && n <= hi;
    };
    if (up.rfind("RGB:", 0) == 0) {
        std::string rest = up.substr(4);
        int parts = 0;
        for (size_t start = 0; start <= rest.size(); ++parts) {
            size_t end = std::min(rest.find(',', start), rest.size());
            if (!number(rest.substr(start, end - start), 0, 255))
                return false;
            start = end + 1;
        }
        return parts == 3;
    }
    return number(up, 1, 255);
}

// The lineweights a drawing knows, in hundredths of a millimeter; -1 BYLAYER, -2 BYBLOCK,
// -3 the default.
bool validLineweight(CadHost&, const Value& v)
{
    static const int weights[] = {-3, -2, -1, 0, 5, 9, 13, 15, 18, 20, 25, 30, 35, 40,
                                  50, 53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
    return std::find(std::begin(weights), std::end(weights), v.asInt()) != std::end(weights);
}

bool validPdmode(CadHost&, const Value& v)
{
    // A shape 0..4, plus 32 (circle), 64 (square) or both.
    int n = v.asInt();
    return n >= 0 && n <= 100 && n % 32 <= 4;
}

std::string drawingPath(CadHost& host)
{
    Drawing* d = currentDrawing(host);
    return d ? kortext::fromWide(d->name()) : std::string();
}

Value dwgName(CadHost& host, lisp::Interpreter&)
{
    return Value::string(fs::path(drawingPath(host)).filename().string());
}

// The drawing's directory with a trailing '/'; the current directory for a drawing not saved
// anywhere yet.
Value dwgPrefix(CadHost& host, lisp::Interpreter&)
{
    fs::path p(drawingPath(host));
    std::error_code ec;
    fs::path dir = p.has_parent_path() ? fs::absolute(p.parent_path(), ec) : fs::current_path(ec);
    std::string s = dir.lexically_normal().string();
    if (s.empty() || s.back() != '/')
        s += '/';
    return Value::string(s);
}

Value dwgTitled(CadHost& host, lisp::Interpreter&)
{
    std::error_code ec;
    std::string path = drawingPath(host);
    return Value::integer(!path.empty() && fs::is_regular_file(path, ec) ? 1 : 0);
}

// DATE: the Julian day number with the time of day as its fraction.
Value dateNow(CadHost&, lisp::Interpreter&)
{
    using namespace std::chrono;
    double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
    return Value::real(seconds / 86400.0 + 2440587.5);
}

// CDATE: YYYYMMDD.HHMMSSmmm as a real, in local time.
Value cdateNow(CadHost&, lisp::Interpreter&)
{
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    long ms = static_cast<long>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    double day = (tm.tm_year + 1900) * 10000.0 + (tm.tm_mon + 1) * 100.0 + tm.tm_mday;
    double time = tm.tm_hour * 10000.0 + tm.tm_min * 100.0 + tm.tm_sec + ms / 1000.0;
    return Value::real(day + time / 1e6);
}

// MILLISECS: milliseconds since the system started, as an integer that wraps around.
Value millisecsNow(CadHost&, lisp::Interpreter&)
{
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return Value::integer(static_cast<int32_t>(ms & 0x7FFFFFFF));
}

Value loginName(CadHost&, lisp::Interpreter&)
{
    const char* u = std::getenv("USER");
    return Value::string(u ? u : "");
}

Value tempPrefix(CadHost&, lisp::Interpreter&)
{
    const char* t = std::getenv("TMPDIR");
    std::string s = t && *t ? t : "/tmp";
    if (s.back() != '/')
        s += '/';
    return Value::string(s);
}

Value errorNumber(CadHost&, lisp::Interpreter& lisp) { return Value::integer(lisp.errorNumber()); }

// A date of the drawing's header (a Julian day with the time as its fraction); a drawing
// without one was made now.
Value headerDate(CadHost& host, const char* variable)
{
    Drawing* d = currentDrawing(host);
    std::string text = d ? std::string(d->headerValue(variable)) : std::string();
    char* end = nullptr;
    double day = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' ? Value::real(day) : Value();
}

Value localJulianNow()
{
    using namespace std::chrono;
    std::time_t t = system_clock::to_time_t(system_clock::now());
    std::tm tm{};
    localtime_r(&t, &tm);
    double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
    return Value::real((seconds + static_cast<double>(tm.tm_gmtoff)) / 86400.0 + 2440587.5);
}

Value tdCreate(CadHost& host, lisp::Interpreter&)
{
    Value v = headerDate(host, "$TDCREATE");
    return v.isNil() ? localJulianNow() : v;
}

Value tdUpdate(CadHost& host, lisp::Interpreter&)
{
    Value v = headerDate(host, "$TDUPDATE");
    return v.isNil() ? localJulianNow() : v;
}

// TDINDWG: days spent in the drawing, as its header counts them.
Value tdInDwg(CadHost& host, lisp::Interpreter&)
{
    Value v = headerDate(host, "$TDINDWG");
    return v.isNil() ? Value::real(0.0) : v;
}

const VarDef kVars[] = {
    {"ACADVER", Kind::Str, true},
    {"ANGBASE", Kind::Real},
    {"ANGDIR", Kind::Int, false, 0, 1},
    {"ATTDIA", Kind::Int, false, 0, 1},
    {"ATTREQ", Kind::Int, false, 0, 1},
    {"AUNITS", Kind::Int, false, 0, 4},
    {"AUPREC", Kind::Int, false, 0, 8},
    {"BLIPMODE", Kind::Int, false, 0, 1},
    {"CDATE", Kind::Real, true, -1e300, 1e300, nullptr, cdateNow},
    {"CECOLOR", Kind::Str, false, 0, 0, validColor},
    {"CELTSCALE", Kind::Real, false, 1e-300, 1e300},
    {"CELTYPE", Kind::Str, false, 0, 0, validLinetype},
    {"CELWEIGHT", Kind::Int, false, -3, 211, validLineweight},
    {"CIRCLERAD", Kind::Real, false, 0, 1e300},
    {"CLAYER", Kind::Str, false, 0, 0, validLayer},
    {"CMDACTIVE", Kind::Int, true},
    {"CMDDIA", Kind::Int, false, 0, 1},
    {"CMDECHO", Kind::Int, false, 0, 1},
    {"CVPORT", Kind::Int, false, 1, 32767},
    {"DATE", Kind::Real, true, -1e300, 1e300, nullptr, dateNow},
    {"DIMSCALE", Kind::Real, false, 0, 1e300},
    {"DIMZIN", Kind::Int, false, 0, 15},
    {"DWGCODEPAGE", Kind::Str, true},
    {"DWGNAME", Kind::Str, true, 0, 0, nullptr, dwgName},
    {"DWGPREFIX", Kind::Str, true, 0, 0, nullptr, dwgPrefix},
    {"DWGTITLED", Kind::Int, true, 0, 1, nullptr, dwgTitled},
    {"ELEVATION", Kind::Real},
    {"ERRNO", Kind::Int, true, -1e300, 1e300, nullptr, errorNumber},
    {"EXPERT", Kind::Int, false, 0, 5},
    {"EXTNAMES", Kind::Int, false, 0, 1},
    {"FILEDIA", Kind::Int, false, 0, 1},
    {"FILLETRAD", Kind::Real, false, 0, 1e300},
    {"GRIDMODE", Kind::Int, false, 0, 1},
    {"HIGHLIGHT", Kind::Int, false, 0, 1},
    {"INSBASE", Kind::Point3},
    {"ISAVEBAK", Kind::Int, false, 0, 1},
    {"INSUNITS", Kind::Int, false, 0, 24},
    {"LASTPOINT", Kind::Point3},
    {"LOGINNAME", Kind::Str, true, 0, 0, nullptr, loginName},
    {"LTSCALE", Kind::Real, false, 1e-300, 1e300},
    {"LUNITS", Kind::Int, false, 1, 5},
    {"LUPREC", Kind::Int, false, 0, 8},
    {"MAXSORT", Kind::Int, false, 0, 32767},
    {"MEASUREMENT", Kind::Int, false, 0, 1},
    {"MILLISECS", Kind::Int, true, -1e300, 1e300, nullptr, millisecsNow},
    {"NOMUTT", Kind::Int, false, 0, 1},
    {"ORTHOMODE", Kind::Int, false, 0, 1},
    {"OSMODE", Kind::Int, false, 0, 32767},
    {"PDMODE", Kind::Int, false, 0, 100, validPdmode},
    {"PDSIZE", Kind::Real},
    {"PEDITACCEPT", Kind::Int, false, 0, 1},
    {"PICKBOX", Kind::Int, false, 0, 50},
    {"PLINEWID", Kind::Real, false, 0, 1e300},
    {"PROGRAM", Kind::Str, true},
    {"SNAPMODE", Kind::Int, false, 0, 1},
    {"SNAPUNIT", Kind::Point2},
    {"SRCHPATH", Kind::Str},
    {"SYSCODEPAGE", Kind::Str, true},
    {"TDCREATE", Kind::Real, true, -1e300, 1e300, nullptr, tdCreate},
    {"TDINDWG", Kind::Real, true, -1e300, 1e300, nullptr, tdInDwg},
    {"TDUPDATE", Kind::Real, true, -1e300, 1e300, nullptr, tdUpdate},
    {"TEMPPREFIX", Kind::Str, true, 0, 0, nullptr, tempPrefix},
    {"TEXTSIZE", Kind::Real, false, 1e-300, 1e300},
    {"TEXTSTYLE", Kind::Str, false, 0, 0, validStyle},
    {"THICKNESS", Kind::Real},
    {"TILEMODE", Kind::Int, false, 0, 1},
    {"UNITMODE", Kind::Int, false, 0, 1},
    {"USERI1", Kind::Int}, {"USERI2", Kind::Int}, {"USERI3", Kind::Int},
    {"USERI4", Kind::Int}, {"USERI5", Kind::Int},
    {"USERR1", Kind::Real}, {"USERR2", Kind::Real}, {"USERR3", Kind::Real},
    {"USERR4", Kind::Real}, {"USERR5", Kind::Real},
    {"USERS1", Kind::Str}, {"USERS2", Kind::Str}, {"USERS3", Kind::Str},
    {"USERS4", Kind::Str}, {"USERS5", Kind::Str},
};

const VarDef* findVar(const std::string& upper)
{
    for (const VarDef& v : kVars)
        if (upper == v.name)
            return &v;
    return nullptr;
}

Value point(double x, double y, double z, bool is3d)
{
    return is3d ? lisp::list({Value::real(x), Value::real(y), Value::real(z)})
                : lisp::list({Value::real(x), Value::real(y)});
}

// A new drawing's values (metric, as the suite's template has them).
std::map<std::string, Value> defaults()
{
    std::map<std::string, Value> d;
    auto i = [&](const char* n, int v) { d[n] = Value::integer(v); };
    auto r = [&](const char* n, double v) { d[n] = Value::real(v); };
    auto s = [&](const char* n, const char* v) { d[n] = Value::string(v); };
    s("ACADVER", "24.1s (korcad)");
    r("ANGBASE", 0.0);
    i("ANGDIR", 0);
    i("ATTDIA", 0);
    i("ATTREQ", 1);
    i("AUNITS", 0);
    i("AUPREC", 0);
    i("BLIPMODE", 0);
    s("CECOLOR", "BYLAYER");
    r("CELTSCALE", 1.0);
    s("CELTYPE", "ByLayer");
    i("CELWEIGHT", -1);
    r("CIRCLERAD", 0.0);
    s("CLAYER", "0");
    i("CMDACTIVE", 0);
    i("CMDDIA", 1);
    i("CMDECHO", 1);
    i("CVPORT", 2);
    r("DIMSCALE", 1.0);
    i("DIMZIN", 0);
    s("DWGCODEPAGE", "ANSI_1252");
    r("ELEVATION", 0.0);
    i("EXPERT", 0);
    i("EXTNAMES", 1);
    i("FILEDIA", 1);
    r("FILLETRAD", 0.0);
    i("GRIDMODE", 0);
    i("HIGHLIGHT", 1);
    d["INSBASE"] = point(0, 0, 0, true);
    i("ISAVEBAK", 1);
    i("INSUNITS", 6);
    d["LASTPOINT"] = point(0, 0, 0, true);
    r("LTSCALE", 1.0);
    i("LUNITS", 2);
    i("LUPREC", 4);
    i("MAXSORT", 1000);
    i("MEASUREMENT", 1);
    i("NOMUTT", 0);
    i("ORTHOMODE", 0);
    i("OSMODE", 4133);
    i("PDMODE", 0);
    r("PDSIZE", 0.0);
    i("PEDITACCEPT", 0);
    i("PICKBOX", 3);
    r("PLINEWID", 0.0);
    s("PROGRAM", "korcad");
    i("SNAPMODE", 0);
    d["SNAPUNIT"] = point(10, 10, 0, false);
    s("SRCHPATH", "");
    s("SYSCODEPAGE", "ANSI_1252");
    r("TEXTSIZE", 2.5);
    s("TEXTSTYLE", "Standard");
    r("THICKNESS", 0.0);
    i("TILEMODE", 1);
    i("UNITMODE", 0);
    for (char n = '1'; n <= '5'; ++n) {
        d[std::string("USERI") + n] = Value::integer(0);
        d[std::string("USERR") + n] = Value::real(0.0);
        d[std::string("USERS") + n] = Value::string("");
    }
    return d;
}

[[noreturn]] void rejected(std::string_view name, const Value& value)
{
    std::string quoted = lisp::toString(Value::string(std::string(name)), true);
    lisp::fail("AutoCAD variable setting rejected: " + quoted + " " + lisp::toString(value, true));
}

// The value in the variable's own type, or nil when it has the wrong type.
Value converted(const VarDef& def, const Value& v)
{
    switch (def.kind) {
    case Kind::Int:
        return v.isInt() ? v : Value();
    case Kind::Real:
        return v.isNumber() ? Value::real(v.asDouble()) : Value();
    case Kind::Str:
        return v.isStr() ? v : Value();
    case Kind::Point2:
    case Kind::Point3: {
        double c[3] = {0, 0, 0};
        int n = 0;
        const Value* p = &v;
        for (; p->isCons() && n < 3; p = &p->consCell()->cdr) {
            if (!p->consCell()->car.isNumber())
                return Value();
            c[n++] = p->consCell()->car.asDouble();
        }
        if (n < 2 || !p->isNil())
            return Value();
        return point(c[0], c[1], c[2], def.kind == Kind::Point3);
    }
    }
    return Value();
}

}  // namespace

SystemVariables::SystemVariables(CadHost& host, lisp::Interpreter& lisp)
    : host_(host), lisp_(lisp), values_(defaults())
{
}

Value SystemVariables::get(std::string_view name) const
{
    std::string up = lisp::utf8::upper(name);
    const VarDef* def = findVar(up);
    if (!def)
        return Value();
    if (def->compute)
        return def->compute(host_, lisp_);
    auto it = values_.find(up);
    return it == values_.end() ? Value() : it->second;
}

Value SystemVariables::set(std::string_view name, const Value& value)
{
    std::string up = lisp::utf8::upper(name);
    const VarDef* def = findVar(up);
    if (!def || def->readOnly)
        rejected(name, value);
    Value v = converted(*def, value);
    if (v.isNil())
        rejected(name, value);
    if ((def->kind == Kind::Int || def->kind == Kind::Real) &&
        (v.asDouble() < def->min || v.asDouble() > def->max))
        rejected(name, value);
    if (def->valid && !def->valid(host_, v))
        rejected(name, value);
    values_[up] = v;
    return v;
}

std::vector<std::string> SystemVariables::names() const
{
    std::vector<std::string> out;
    for (const VarDef& v : kVars)
        out.push_back(v.name);
    return out;
}

void installSystemVariables(lisp::Interpreter& lisp, CadHost& host)
{
    auto vars = std::make_shared<SystemVariables>(host, lisp);
    lisp.defineBuiltin(
        "getvar",
        [vars](lisp::Interpreter&, const lisp::Args& a) { return vars->get(lisp::strArg(a[0])); },
        1, 1);
    lisp.defineBuiltin(
        "setvar",
        [vars](lisp::Interpreter&, const lisp::Args& a) {
            return vars->set(lisp::strArg(a[0]), a[1]);
        },
        2, 2);
    lisp.setSystemVariables([vars](std::string_view name) { return vars->get(name); },
                            [vars](std::string_view name, const lisp::Value& v) { return vars->set(name, v); });
}

}  // namespace korcad

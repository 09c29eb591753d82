#include "cad/Commands.h"

#include "cad/AdsBridge.h"
#include "cad/CadHost.h"
#include "drawing/DrawingFile.h"
#include "cad/UserInput.h"

#include "lisp/Args.h"
#include "lisp/Printer.h"
#include "lisp/Reader.h"

#include "text/text.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <ostream>

namespace korcad {

using lisp::Value;

namespace {

// Each command by its English name (which "_" before it asks for whatever the user's language)
// and its German one.
struct CommandNames {
    const char* english;
    const wchar_t* german;
};
const CommandNames kCommands[] = {{"LINE", L"LINIE"},    {"PLINE", L"PLINIE"}, {"CIRCLE", L"KREIS"},
                                  {"TEXT", L"TEXT"},     {"ERASE", L"LÖSCHEN"}, {"LAYER", L"LAYER"},
                                  {"ZOOM", L"ZOOM"},     {"QSAVE", L"KSICH"},  {"SAVEAS", L"SICHALS"}};

// The file formats SAVEAS offers; korcad writes every one of them as DXF.
const wchar_t* const kSaveFormats[] = {L"DXF", L"2018", L"2013", L"2010", L"2007", L"2004", L"2000", L"R12"};

Value point3(const std::array<double, 3>& p)
{
    return lisp::list({Value::real(p[0]), Value::real(p[1]), Value::real(p[2])});
}

}  // namespace

Commands::Commands(CadHost& host, UserInput& input, std::ostream& out) : host_(host), input_(input), out_(out) {}

std::string Commands::commandName(const std::string& typed)
{
    // Whatever the process locale: "löschen" is LÖSCHEN.
    std::wstring name = kortext::upper(kortext::toWide(typed));
    bool english = false;
    while (!name.empty() && (name[0] == L'_' || name[0] == L'.')) {
        english = english || name[0] == L'_';
        name.erase(0, 1);
    }
    for (const CommandNames& c : kCommands)
        if (name == kortext::toWide(c.english) || (!english && name == c.german))
            return c.english;
    return {};
}

std::wstring Commands::currentLayer() const
{
    Value v = lisp_ ? lisp_->systemVariable("CLAYER") : Value();
    return v.isStr() ? kortext::toWide(v.str()) : std::wstring(L"0");
}

bool Commands::setCurrentLayer(const std::wstring& name)
{
    Drawing* d = host_.drawing(host_.currentDrawing());
    const Drawing::Record* r = d ? d->find(L"LAYER", name) : nullptr;
    if (!r || !lisp_)
        return false;
    // The table's own spelling of the name.
    for (const auto& t : d->tags(*r))
        if (t.code == 2) {
            try {
                lisp_->setSystemVariable("CLAYER", Value::string(kortext::fromWide(dxf::decodeText(t.value(), d->utf8()).c_str())));
            } catch (const lisp::LispError& e) {
                out_ << "; error: " << e.message() << '\n';
                return false;
            }
        }
    return true;
}

// ---- answers ------------------------------------------------------------------------------------

std::optional<Value> Commands::next(const std::string& prompt, int kind, const double* base)
{
    if (!args_.empty()) {
        Value v = args_.front();
        args_.pop_front();
        bool pause = v.isStr() && v.str() == "\\";
        if (!pause) {
            if (v.isStr() && v.str().empty())
                return std::nullopt;
            return v;
        }
    }
    if (argumentsOnly_)
        throw Cancelled{};  // command-s: what the arguments leave open is not asked
    ads::InputRequest r;
    r.kind = static_cast<ads::InputKind>(kind);
    r.prompt = kortext::toWide(prompt);
    r.acceptBlanks = true;
    if (base) {
        r.hasBase = true;
        std::copy(base, base + 3, r.base);
    }
    ads::InputAnswer a;
    int rc = input_.get(r, a);
    if (rc == RTCAN || rc == RTERROR)
        throw Cancelled{};
    if (rc == RTNONE)
        return std::nullopt;
    switch (r.kind) {
    case ads::InputKind::Point:
        return point3({a.point[0], a.point[1], a.point[2]});
    case ads::InputKind::Distance:
    case ads::InputKind::Real:
        return Value::real(a.real);
    default:
        if (a.text.empty() && r.kind == ads::InputKind::String)
            return std::nullopt;
        return Value::string(kortext::fromWide(a.text.c_str()));
    }
}

std::optional<std::array<double, 3>> Commands::point(const std::string& prompt, const double* base)
{
    auto v = next(prompt, static_cast<int>(ads::InputKind::Point), base);
    if (!v)
        return std::nullopt;
    if (v->isStr()) {
        auto p = UserInput::parsePoint(v->str(), base);
        if (!p) {
            out_ << "Punkt erwartet: \"" << v->str() << "\".\n";
            throw Cancelled{};
        }
        return p;
    }
    std::array<double, 3> p{0, 0, 0};
    int n = 0;
    for (const Value* c = &*v; c->isCons(); c = &c->consCell()->cdr) {
        if (n == 3 || !car(*c).isNumber()) {
            n = 0;
            break;
        }
        p[static_cast<size_t>(n++)] = car(*c).asDouble();
    }
    if (n < 2) {
        out_ << "Punkt erwartet: " << lisp::toString(*v, true) << ".\n";
        throw Cancelled{};
    }
    return p;
}

std::optional<double> Commands::number(const std::string& prompt, const double* base)
{
    auto v = next(prompt, static_cast<int>(base ? ads::InputKind::Distance : ads::InputKind::Real), base);
    if (!v)
        return std::nullopt;
    if (v->isNumber())
        return v->asDouble();
    if (v->isStr())
        if (auto n = lisp::parseNumber(v->str()))
            return n->asDouble();
    if (base && (v->isCons() || v->isStr())) {
        // A distance shown by a second point.
        args_.push_front(*v);
        auto p = point(prompt, base);
        if (p)
            return std::hypot((*p)[0] - base[0], (*p)[1] - base[1]);
    }
    out_ << "Zahl erwartet: " << lisp::toString(*v, true) << ".\n";
    throw Cancelled{};
}

std::optional<std::wstring> Commands::text(const std::string& prompt)
{
    auto v = next(prompt, static_cast<int>(ads::InputKind::String));
    if (!v)
        return std::nullopt;
    return kortext::toWide(v->isStr() ? v->str() : lisp::toString(*v, false));
}

bool Commands::make(const Value& groups)
{
    // What the commands draw takes the current linetype scale, as CAD programs do.
    const Value celtscale = lisp_ ? lisp_->systemVariable("CELTSCALE") : Value();
    Value entity = groups;
    if (celtscale.isNumber() && celtscale.asDouble() != 1.0) {
        lisp::ListBuilder b;
        for (Value p = groups; p.isCons(); p = lisp::cdr(p))
            b.push(lisp::car(p));
        b.push(Value::cons(Value::integer(48), Value::real(celtscale.asDouble())));
        entity = b.take();
    }
    ads::RbPtr chain = groupsFromLisp(entity);
    if (host_.entMake(chain.get()) == RTNORM)
        return true;
    out_ << "; error: " << host_.lastError() << '\n';
    return false;
}

// ---- the commands -------------------------------------------------------------------------------

namespace {

Value group(int code, Value v) { return Value::cons(Value::integer(code), std::move(v)); }

Value pointGroup(int code, const std::array<double, 3>& p)
{
    return Value::cons(Value::integer(code), point3(p));
}

}  // namespace

bool Commands::line()
{
    auto from = point("Ersten Punkt angeben: ");
    if (!from)
        return true;
    while (auto to = point("Nächsten Punkt angeben oder [Zurück]: ", from->data())) {
        if (!make(lisp::list({group(0, Value::string("LINE")), group(8, Value::string(kortext::fromWide(currentLayer().c_str()))),
                              pointGroup(10, *from), pointGroup(11, *to)})))
            return false;
        from = to;
    }
    return true;
}

bool Commands::pline()
{
    std::vector<std::array<double, 3>> points;
    auto first = point("Startpunkt angeben: ");
    if (!first)
        return true;
    points.push_back(*first);
    while (auto p = point("Nächsten Punkt angeben: ", points.back().data()))
        points.push_back(*p);
    if (points.size() < 2)
        return true;
    lisp::ListBuilder g;
    g.push(group(0, Value::string("LWPOLYLINE")));
    g.push(group(8, Value::string(kortext::fromWide(currentLayer().c_str()))));
    g.push(group(70, Value::integer(0)));
    for (const auto& p : points)
        g.push(lisp::list({Value::integer(10), Value::real(p[0]), Value::real(p[1])}));
    return make(g.take());
}

bool Commands::circle()
{
    auto centre = point("Zentrum für Kreis angeben: ");
    if (!centre)
        return true;
    auto radius = number("Radius für Kreis angeben: ", centre->data());
    if (!radius || *radius <= 0) {
        out_ << "Der Radius muss größer als null sein.\n";
        return false;
    }
    return make(lisp::list({group(0, Value::string("CIRCLE")), group(8, Value::string(kortext::fromWide(currentLayer().c_str()))),
                            pointGroup(10, *centre), group(40, Value::real(*radius))}));
}

bool Commands::textCommand()
{
    auto at = point("Startpunkt des Textes angeben: ");
    if (!at)
        return true;
    double height = number("Höhe angeben <2.5>: ").value_or(2.5);
    double angle = number("Drehwinkel des Textes angeben <0>: ").value_or(0.0);
    auto t = text("Text eingeben: ");
    if (!t || t->empty())
        return true;
    return make(lisp::list({group(0, Value::string("TEXT")), group(8, Value::string(kortext::fromWide(currentLayer().c_str()))),
                            pointGroup(10, *at), group(40, Value::real(height)), group(50, Value::real(angle)),
                            group(1, Value::string(kortext::fromWide(t->c_str())))}));
}

bool Commands::erase()
{
    std::vector<std::array<int64_t, 2>> names;
    Drawing* d = host_.drawing(host_.currentDrawing());
    while (true) {
        auto v = next("Objekte wählen: ", static_cast<int>(ads::InputKind::String));
        if (!v)
            break;
        if (v->tag() == lisp::Tag::Ename) {
            names.push_back({v->as<lisp::Ename>()->id[0], v->as<lisp::Ename>()->id[1]});
        } else if (v->tag() == lisp::Tag::Pickset) {
            int32_t n = 0;
            host_.ssLength(v->as<lisp::Pickset>()->id, &n);
            for (int32_t i = 0; i < n; ++i) {
                ads_name e;
                if (host_.ssName(v->as<lisp::Pickset>()->id, i, e) == RTNORM)
                    names.push_back({e[0], e[1]});
            }
        } else if (v->isStr() && d) {
            std::string k = kortext::upper(v->str());
            if (k == "L" || k == "LETZTES" || k == "_L") {
                EntityName e;
                if (d->entLast(e))
                    names.push_back({e.id, e.serial});
            } else if (k == "ALLE" || k == "ALL" || k == "_ALL") {
                for (uint32_t id : d->mainEntities()) {
                    EntityName e = d->nameOf(id);
                    names.push_back({e.id, e.serial});
                }
            } else {
                out_ << "Objekte wählen: Letztes (L) oder ALLE, oder Objekte aus LISP.\n";
            }
        } else {
            out_ << "Objekte wählen: " << lisp::toString(*v, true) << " ist kein Objekt.\n";
        }
    }
    int erased = 0;
    for (const auto& e : names)
        if (d && d->record(EntityName{e[0], e[1]}) && host_.entDel(e.data()) == RTNORM)
            ++erased;
    out_ << erased << " gelöscht\n";
    return true;
}

bool Commands::layer()
{
    Drawing* d = host_.drawing(host_.currentDrawing());
    if (!d)
        return false;
    while (auto option = text("Option eingeben [Machen/Setzen/EIN/AUS]: ")) {
        std::wstring o = kortext::upper(*option);
        while (!o.empty() && (o[0] == L'_' || o[0] == L'.'))
            o.erase(0, 1);
        auto name = [&](const char* prompt) { return text(prompt).value_or(L""); };
        if (o == L"M" || o == L"MACHEN" || o == L"MAKE") {
            std::wstring n = name("Name für neuen aktuellen Layer eingeben: ");
            if (n.empty())
                continue;
            if (!d->find(L"LAYER", n) &&
                !make(lisp::list({group(0, Value::string("LAYER")), group(2, Value::string(kortext::fromWide(n.c_str())))})))
                return false;
            setCurrentLayer(n);
        } else if (o == L"S" || o == L"SETZEN" || o == L"SET") {
            std::wstring n = name("Name des Layers eingeben, der aktueller Layer werden soll: ");
            if (!n.empty() && !setCurrentLayer(n))
                out_ << "Layer \"" << kortext::fromWide(n.c_str()) << "\" nicht gefunden.\n";
        } else if (o == L"EIN" || o == L"ON" || o == L"AUS" || o == L"OFF") {
            bool on = o == L"EIN" || o == L"ON";
            std::wstring pattern = name(on ? "Liste der einzuschaltenden Layer eingeben: "
                                           : "Liste der auszuschaltenden Layer eingeben: ");
            int n = d->setLayersOn(pattern, on);
            if (n == 0)
                out_ << "Kein passender Layer gefunden.\n";
        } else {
            out_ << "Ungültige Option \"" << kortext::fromWide(option->c_str()) << "\".\n";
        }
    }
    return true;
}

bool Commands::zoom()
{
    auto option = text("Option eingeben [Grenzen]: ");
    std::wstring o = kortext::upper(option.value_or(L""));
    while (!o.empty() && (o[0] == L'_' || o[0] == L'.'))
        o.erase(0, 1);
    if (o == L"G" || o == L"GRENZEN" || o == L"E" || o == L"EXTENTS") {
        if (zoomExtents_)
            zoomExtents_();
        return true;
    }
    out_ << "ZOOM: nur Grenzen (G) ist möglich.\n";
    return false;
}

bool Commands::save(const std::string& path, SaveMode mode)
{
    Drawing* d = host_.drawing(host_.currentDrawing());
    if (!d) {
        out_ << "Keine Zeichnung geöffnet.\n";
        return false;
    }
    std::string error;
    // The file as it was stays beside it as NAME.bak, unless ISAVEBAK is 0.
    const Value backup = lisp_ ? lisp_->systemVariable("ISAVEBAK") : Value();
    const bool keepBak = !(backup.isInt() && backup.asInt() == 0);
    std::string backupWarning;
    saveFailed_ = !saveDrawing(*d, path, &error, mode, keepBak ? &backupWarning : nullptr);
    if (!backupWarning.empty())
        out_ << "; warning: " << backupWarning << '\n';
    if (saveFailed_) {
        if (failure_)
            *failure_ = error;
        else
            out_ << "; error: " << error << '\n';
        return false;
    }
    out_ << "Zeichnung gespeichert: " << path << '\n';
    return true;
}

bool Commands::run(const std::string& typed, std::deque<Value> args, std::string* failure)
{
    failure_ = failure;
    std::string name = commandName(typed);
    if (name.empty()) {
        out_ << "Unbekannter Befehl \"" << typed << "\".\n";
        return false;
    }
    args_ = std::move(args);
    try {
        bool ok = true;
        Drawing* d = host_.drawing(host_.currentDrawing());
        if (name == "LINE")
            ok = line();
        else if (name == "PLINE")
            ok = pline();
        else if (name == "CIRCLE")
            ok = circle();
        else if (name == "TEXT")
            ok = textCommand();
        else if (name == "ERASE")
            ok = erase();
        else if (name == "LAYER")
            ok = layer();
        else if (name == "ZOOM")
            ok = zoom();
        else if (name == "QSAVE")
            ok = save(d ? savePath(*d) : std::string(), SaveMode::Quick);
        else if (name == "SAVEAS") {
            // First the file format, as CAD programs ask it ((command "_.SAVEAS" "" NAME)).
            auto format = text("Dateiformat eingeben [DXF/2018/2013/2010/2007/2004/2000/R12] <2018>: ");
            const std::wstring f = kortext::upper(format.value_or(L""));
            if (!f.empty() && std::find(std::begin(kSaveFormats), std::end(kSaveFormats), f) == std::end(kSaveFormats)) {
                out_ << "SICHALS: unbekanntes Dateiformat \"" << kortext::fromWide(format->c_str()) << "\".\n";
                args_.clear();
                return false;
            }
            std::string fallback = d ? savePath(*d) : std::string();
            auto t = text("Speichern unter <" + fallback + ">: ");
            std::string path = t ? kortext::fromWide(t->c_str()) : fallback;
            if (path.size() < 4 || kortext::upper(path.substr(path.size() - 4)) != ".DXF")
                path += ".dxf";
            ok = save(path, SaveMode::SaveAs);
        }
        if (!args_.empty())
            out_ << "; " << args_.size() << (args_.size() == 1 ? " Argument blieb" : " Argumente blieben") << " übrig.\n";
        args_.clear();
        return ok;
    } catch (const Cancelled&) {
        args_.clear();
        out_ << "*Abbruch*\n";
        return false;
    }
}

void Commands::install(lisp::Interpreter& lisp)
{
    lisp_ = &lisp;
    auto command = [this](lisp::Interpreter&, const lisp::Args& a) {
        if (a.size() == 0)
            return Value();
        std::string name = lisp::strArg(a[0]);
        // A save that failed is an error the program sees (and may catch): its drawing is not
        // where it thinks it is.
        std::string failure;
        run(name, std::deque<Value>(a.begin() + 1, a.end()), &failure);
        if (!failure.empty())
            throw lisp::LispError(failure);
        return Value();
    };
    lisp.defineBuiltin("command", command, 0, -1);
    lisp.defineBuiltin("vl-cmdf", command, 0, -1);
    lisp.defineBuiltin(
        "command-s",
        [this, command](lisp::Interpreter& l, const lisp::Args& a) {
            argumentsOnly_ = true;
            try {
                command(l, a);
            } catch (...) {
                argumentsOnly_ = false;
                throw;
            }
            argumentsOnly_ = false;
            return Value();
        },
        0, -1);
    // PAUSE hands a prompt of a command to the user.
    lisp.intern("PAUSE")->value = Value::string("\\");
}

}  // namespace korcad

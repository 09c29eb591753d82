// getfiled, acad_colordlg, acad_truecolordlg and alert: their arguments, and their questions
// in a window or on the command line.
#include "app/DialogFunctions.h"

#include "app/Session.h"
#include "cad/CadHost.h"
#include "cad/UserInput.h"
#include "gui/BuiltinDialogs.h"

#include "lisp/Args.h"
#include "lisp/Printer.h"

#include "mfc/afxhost.h"
#include "text/text.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

namespace korcad {

namespace {

using lisp::Args;
using lisp::Value;

// Whether a window can be answered: from an answers file, or by a person at a display.
bool dialogsAnswerable(Session& session)
{
    if (!session.options().answersFile.empty())
        return true;
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform && std::strcmp(platform, "offscreen") == 0) ||
        (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")))
        return false;
    return AfxHostInitUI() && QGuiApplication::platformName() != QLatin1String("offscreen");
}

[[noreturn]] void badValue(const char* what, const Value& v)
{
    throw lisp::LispError(std::string("bad argument value: ") + what + ": " + lisp::toString(v, true));
}

// A string argument that may be nil ("").
std::string optionalString(const Value& v) { return v.isNil() ? std::string() : lisp::strArg(v); }

// One line from the command line; nothing when the input ended or was cancelled.
std::optional<std::string> askLine(Session& session, const std::string& prompt)
{
    ads::InputRequest request;
    request.prompt = kortext::toWide(prompt);
    request.acceptBlanks = true;
    ads::InputAnswer answer;
    if (session.userInput().get(request, answer) != RTNORM)
        return std::nullopt;
    return std::string(kortext::trim(kortext::fromWide(answer.text.c_str())));
}

void say(Session& session, const std::string& line)
{
    session.lisp().out() << line << '\n';
    session.lisp().out().flush();
}

std::optional<std::string> fileOnCommandLine(Session& session, const FileRequest& request)
{
    const std::string proposed = request.proposedName();
    const std::string title = request.title.empty() ? "Dateiname" : request.title;
    for (;;) {
        auto typed = askLine(session, title + (proposed.empty() ? "" : " <" + proposed + ">") + ": ");
        if (!typed)
            return std::nullopt;
        if (typed->empty() && proposed.empty())
            return std::nullopt;
        FileVerdict v = checkFileName(request, typed->empty() ? proposed : *typed, request.startFolder());
        if (v.kind == FileVerdict::Kind::Accept)
            return v.path;
        if (v.kind == FileVerdict::Kind::Refuse) {
            say(session, v.message);
            continue;
        }
        auto yes = askLine(session, v.message + " [Ja/Nein] <Nein>: ");
        if (!yes)
            return std::nullopt;
        if (!yes->empty() && (kortext::equalNoCase(*yes, "Ja") || kortext::equalNoCase(*yes, "J") ||
                              kortext::equalNoCase(*yes, "Yes") || kortext::equalNoCase(*yes, "Y")))
            return v.path;
    }
}

// (getfiled title default ext flags)
Value getfiled(Session& session, const Args& a)
{
    FileRequest request;
    request.title = optionalString(a[0]);
    request.defaultName = optionalString(a[1]);
    request.extensions = splitExtensions(optionalString(a[2]));
    request.flags = lisp::intArg(a[3]);
    request.searchPath = session.lisp().loadPath();
    std::optional<std::string> file = dialogsAnswerable(session)
                                          ? runFileDialog(request, session.host().mainWindow())
                                          : fileOnCommandLine(session, request);
    return file ? Value::string(*file) : Value();
}

std::optional<ColorChoice> colorOnCommandLine(Session& session, const ColorRequest& request)
{
    std::string prompt = request.trueColor ? "Farbe (1-255, R,G,B" : "Farbe (1-255";
    prompt += request.allowByLayer ? ", VonLayer, VonBlock)" : ")";
    std::optional<ColorChoice> proposed = request.initial;
    if (proposed && !request.allowByLayer && (proposed->index == 0 || proposed->index == 256))
        proposed.reset();
    if (proposed)
        prompt += " <" + colorText(*proposed) + ">";
    prompt += ": ";
    for (;;) {
        auto typed = askLine(session, prompt);
        if (!typed || (typed->empty() && !proposed))
            return std::nullopt;
        if (typed->empty())
            return proposed;
        std::string why;
        if (auto c = parseColor(request, *typed, &why))
            return c;
        say(session, why);
    }
}

std::optional<ColorChoice> askColor(Session& session, const ColorRequest& request)
{
    return dialogsAnswerable(session) ? runColorDialog(request, session.host().mainWindow())
                                      : colorOnCommandLine(session, request);
}

// (acad_colordlg colornum [flag]): the index, 0 for VonBlock, 256 for VonLayer; nil.
Value colordlg(Session& session, const Args& a)
{
    ColorRequest request;
    const int32_t n = lisp::intArg(a[0]);
    if (n < 0 || n > 256)
        badValue("0 ... 256", a[0]);
    request.initial = ColorChoice{n, -1};
    request.allowByLayer = !a.has(1) || !a[1].isNil();
    std::optional<ColorChoice> c = askColor(session, request);
    return c ? Value::integer(c->index) : Value();
}

// A colour pair: (62 . index) or (420 . 0xRRGGBB). Colour books (430) are none of korcad's.
ColorChoice colorPair(const Value& v)
{
    if (!v.isCons() || !lisp::car(v).isInt() || !lisp::cdr(v).isInt())
        badValue("(62 . index) or (420 . color)", v);
    const int32_t code = lisp::car(v).asInt(), n = lisp::cdr(v).asInt();
    if (code == 62 && n >= 0 && n <= 256)
        return ColorChoice{n, -1};
    if (code == 420 && n >= 0 && n <= 0xFFFFFF)
        return ColorChoice{nearestIndex(static_cast<uint32_t>(n)), n};
    badValue("(62 . index) or (420 . color)", v);
}

// (acad_truecolordlg color [allowbylayer] [currentlayercolor]): ((62 . index)) for an index
// colour, ((62 . nearest index) (420 . 0xRRGGBB)) for a true colour; nil.
Value truecolordlg(Session& session, const Args& a)
{
    ColorRequest request;
    request.trueColor = true;
    request.initial = colorPair(a[0]);
    request.allowByLayer = !a.has(1) || !a[1].isNil();
    if (a.has(2) && !a[2].isNil())
        request.layerColor = colorPair(a[2]);
    std::optional<ColorChoice> c = askColor(session, request);
    if (!c)
        return Value();
    Value index = Value::cons(Value::integer(62), Value::integer(c->index));
    if (c->trueColor < 0)
        return lisp::list({index});
    return lisp::list({index, Value::cons(Value::integer(420), Value::integer(c->trueColor))});
}

// (alert text): a message box with OK where a window can be answered, else the message on the
// command line.
Value alert(Session& session, const Args& a)
{
    const std::string& text = lisp::strArg(a[0]);
    if (dialogsAnswerable(session))
        AfxMessageBox(kortext::toWide(text).c_str(), MB_OK | MB_ICONWARNING);
    else
        say(session, "\n" + text);
    return Value();
}

}  // namespace

void installDialogFunctions(Session& session)
{
    Session* s = &session;
    lisp::Interpreter& lisp = session.lisp();
    lisp.defineBuiltin("getfiled", [s](lisp::Interpreter&, const Args& a) { return getfiled(*s, a); }, 4, 4);
    lisp.defineBuiltin("acad_colordlg", [s](lisp::Interpreter&, const Args& a) { return colordlg(*s, a); }, 1, 2);
    lisp.defineBuiltin("acad_truecolordlg", [s](lisp::Interpreter&, const Args& a) { return truecolordlg(*s, a); },
                       1, 3);
    lisp.defineBuiltin("alert", [s](lisp::Interpreter&, const Args& a) { return alert(*s, a); }, 1, 1);
}

}  // namespace korcad

#include "Commands.h"

#include "CadHost.h"
#include "DrawingFile.h"
#include "UserInput.h"

#include "lisp/Args.h"
#include "lisp/Printer.h"

#include "mfc/afx.h"
#include "text/text.h"

#include <ostream>

namespace korcad {

Commands::Commands(CadHost& host, UserInput& input, std::ostream& out) : host_(host), input_(input), out_(out) {}

std::string Commands::commandName(const std::string& typed)
{
    std::string name = typed;
    while (!name.empty() && (name[0] == '_' || name[0] == '.'))
        name.erase(0, 1);
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return name == "QSAVE" || name == "SAVEAS" ? name : std::string();
}

std::string Commands::ask(const std::string& prompt)
{
    ads::InputRequest r;
    r.kind = ads::InputKind::String;
    r.prompt = AfxFromUtf8(prompt);
    r.acceptBlanks = true;
    ads::InputAnswer a;
    if (input_.get(r, a) != RTNORM)
        return {};
    return AfxToUtf8(a.text.c_str());
}

bool Commands::save(const std::string& path)
{
    Drawing* d = host_.drawing(host_.currentDrawing());
    if (!d) {
        out_ << "Keine Zeichnung geöffnet.\n";
        return false;
    }
    std::string error;
    if (!saveDrawing(*d, path, &error)) {
        out_ << "; error: " << error << '\n';
        return false;
    }
    out_ << "Zeichnung gespeichert: " << path << '\n';
    return true;
}

bool Commands::run(const std::string& typed, std::vector<std::string> args)
{
    std::string name = commandName(typed);
    Drawing* d = host_.drawing(host_.currentDrawing());
    if (name == "QSAVE")
        return save(d ? savePath(*d) : std::string());
    if (name == "SAVEAS") {
        std::string fallback = d ? savePath(*d) : std::string();
        std::string path = args.empty() ? ask("Speichern unter <" + fallback + ">: ") : args[0];
        if (path.empty())
            path = fallback;
        if (path.size() < 4 || kortext::fromWide(Drawing::upper(kortext::toWide(path.substr(path.size() - 4)))) != ".DXF")
            path += ".dxf";
        return save(path);
    }
    out_ << "Unbekannter Befehl \"" << typed << "\".\n";
    return false;
}

void Commands::install(lisp::Interpreter& lisp)
{
    auto command = [this](lisp::Interpreter&, const lisp::Args& a) {
        if (a.size() == 0)
            return lisp::Value();
        std::string name = lisp::strArg(a[0]);
        std::vector<std::string> args;
        for (size_t i = 1; i < a.size(); ++i)
            args.push_back(a[i].isStr() ? a[i].str() : lisp::toString(a[i], false));
        run(name, std::move(args));
        return lisp::Value();
    };
    lisp.defineBuiltin("command", command, 0, -1);
    lisp.defineBuiltin("vl-cmdf", command, 0, -1);
}

}  // namespace korcad

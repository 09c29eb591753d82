#include "app/Session.h"

#include "app/DclDialog.h"
#include "app/DialogFunctions.h"

#include "cad/AdsBridge.h"
#include "cad/CadHost.h"
#include "cad/Commands.h"
#include "drawing/DrawingFile.h"
#include "drawing/Geometry.h"
#include "cad/HostFunctions.h"
#include "cad/UserInput.h"

#include "lisp/Printer.h"
#include "lisp/Reader.h"
#include "lisp/Utf8.h"

#include "db/kordb.h"
#include "mfc/afx.h"
#include "mfc/afxhost.h"
#include "text/text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace korcad {

Session::Session(Options options) : Session(std::move(options), std::cin, std::cout, std::cerr) {}

Session::Session(Options options, std::istream& in, std::ostream& out, std::ostream& err)
    : options_(std::move(options)),
      in_(in),
      outLine_(out.rdbuf()),
      trackedOut_(&outLine_),
      out_(trackedOut_),
      err_(err),
      host_(std::make_unique<CadHost>()),
      lisp_(std::make_unique<lisp::Interpreter>()),
      ads_(std::make_unique<AdsFunctions>(*host_)),
      input_(std::make_unique<TerminalInput>(in, out)),
      userInput_(std::make_unique<UserInput>([this]() -> InputSource& { return *input_; }, out_)),
      commands_(std::make_unique<Commands>(*host_, *userInput_, out_))
{
    lisp_->setOutput(out_);
    if (options_.maxSteps != 0 || options_.maxMemory != 0)
        lisp_->setLimits({options_.maxSteps, options_.maxMemory});
    lisp_->setExternalFunctions(ads_.get());
    installHostFunctions(*lisp_, *host_, *userInput_);
    installDclFunctions(*lisp_, *host_);
    commands_->install(*lisp_);
    installDialogFunctions(*this);
    // An entity pick takes what the drawing shows at the point, within a pick box of a 200th
    // of the drawing's size (a few pixels of a window showing it whole).
    userInput_->setEntityFinder([this](const double point[3], ads_name entity) {
        Drawing* d = host_->drawing(host_->currentDrawing());
        const geom::Geometry* g = d ? geometryOf(*d) : nullptr;
        if (!g)
            return false;
        geom::Box box = g->extents();
        double size = box.empty() ? 0.0 : std::max(box.x1 - box.x0, box.y1 - box.y0);
        uint32_t id = g->entityAt(geom::Point{point[0], point[1]}, size > 0 ? size / 200 : 1.0);
        if (!id)
            return false;
        EntityName e = d->nameOf(id);
        entity[0] = e.id;
        entity[1] = e.serial;
        return true;
    });
    host_->setPartFinder([this](const double point[3]) -> uint32_t {
        Drawing* d = host_->drawing(host_->currentDrawing());
        const geom::Geometry* g = d ? geometryOf(*d) : nullptr;
        geom::Box box = g ? g->extents() : geom::Box{};
        double size = box.empty() ? 0.0 : std::max(box.x1 - box.x0, box.y1 - box.y0);
        return g ? g->partAt(geom::Point{point[0], point[1]}, size > 0 ? size / 200 : 1.0) : 0;
    });
    host_->setSelectors([this](const double* p1, const double* p2, bool crossing) { return selectBox(p1, p2, crossing); },
                        [this](CadHost::Names& out) {
                            kordb::pauseCall();
                            return selectByUser(out);
                        });
    host_->setInput([this](const ads::InputRequest& r, ads::InputAnswer& a) {
        kordb::pauseCall();
        return userInput_->get(r, a);
    });
    // Within one call of an application the databases look at each file once and read in one
    // transaction, which ends before the user is asked anything: a prompt, a selection, a
    // dialog.
    host_->setCallHooks(kordb::beginCall, kordb::endCall);
    dialogListener_ = AfxAddDialogListener([](CDialog&, AfxDialogEvent event) {
        if (event == AfxDialogEvent::Opened)
            kordb::pauseCall();
    });
    host_->setPrinter([this](const std::wstring& text) {
        out_ << AfxToUtf8(text.c_str());
        out_.flush();
    });
    // After the current directory, load looks in the directories of $KORCAD_APP_PATH.
    lisp_->loadPath() = appPathDirs();
}

// The host closes the drawing and unloads the applications, each told as the CAD program
// tells it, before the interpreter goes.
Session::~Session()
{
    AfxRemoveDialogListener(dialogListener_);
    geometry_.reset();
    host_.reset();
    kordb::closeAll();
}

void Session::startLine()
{
    if (!outLine_.atLineStart())
        out_ << '\n';
    out_.flush();
}

void Session::report(const lisp::LispError& e, const std::string& where)
{
    out_.flush();
    // Standard output keeps exactly what the program wrote; on a terminal the message still
    // starts on a line of its own.
    if (!outLine_.atLineStart())
        err_ << '\n';
    err_ << "; error: " << e.message() << '\n';
    if (!e.where.empty())  // inside a file that load read
        err_ << ";        " << e.where << '\n';
    if (!where.empty())
        err_ << ";        " << where << '\n';
    err_.flush();
}

bool Session::configureDatabases()
{
    kordb::clearHostDatabases();
    kordb::reloadConfiguration();
    kordb::closeAll();
    std::map<std::string, std::string> given;  // upper-case name -> the earlier entry as given
    for (const auto& [name, location] : options_.databases) {
        // A server URL may carry a password: messages show it redacted.
        const std::string shown = kordb::shownLocation(location);
        std::string upper = kortext::upper(name);
        auto [earlier, fresh] = given.emplace(upper, name + "=" + shown);
        if (!fresh)
            err_ << "korcad: warning: --db " << name << "=" << shown << ": the database was given before (--db "
                 << earlier->second << "); this one is used\n";
        if (!kordb::setDatabase(name, location)) {
            err_ << "korcad: --db " << name << "=" << shown << ": " << kordb::lastError() << '\n';
            return false;
        }
        // A file that is not there yet may come later; a mistyped path is said at once.
        std::error_code ec;
        if (location.find("://") == std::string::npos && !std::filesystem::exists(location, ec))
            err_ << "korcad: warning: --db " << name << "=" << shown << ": no such file\n";
    }
    kordb::useSampleDatabasesIfNoneConfigured();
    return true;
}

bool Session::start()
{
    if (!configureDatabases())
        return false;
    if (!openDrawing())
        return false;
    if (options_.noLoad)
        return true;
    std::string error;
    if (!loadApplication(*host_, "korDialog", &error)) {
        err_ << "korcad: cannot load the korDialog module: " << error << '\n'
             << "korcad: set KORCAD_APP_PATH or start with --no-load\n";
        return false;
    }
    return true;
}

const geom::Geometry* Session::geometryOf(const Drawing& d)
{
    if (!geometry_ || geometryRevision_ != d.revision() || geometryOf_ != &d) {
        geometry_ = std::make_unique<geom::Geometry>(d);
        geometryRevision_ = d.revision();
        geometryOf_ = &d;
    }
    return geometry_.get();
}

CadHost::Names Session::selectBox(const double* p1, const double* p2, bool crossing)
{
    CadHost::Names out;
    Drawing* d = host_->drawing(host_->currentDrawing());
    const geom::Geometry* g = d ? geometryOf(*d) : nullptr;
    if (!g)
        return out;
    geom::Box window;
    window.add(p1[0], p1[1]);
    window.add(p2[0], p2[1]);
    // Crossing: an entity with a part in the window; window: an entity with every part inside.
    std::map<uint32_t, bool> inside;
    g->query(window, [&](size_t i) {
        const geom::Primitive& p = g->primitives()[i];
        bool in = p.box.x0 >= window.x0 && p.box.x1 <= window.x1 && p.box.y0 >= window.y0 && p.box.y1 <= window.y1;
        auto it = inside.find(p.entity);
        if (it == inside.end())
            inside[p.entity] = in;
        else
            it->second = it->second && in;
    });
    for (const auto& [id, in] : inside) {
        if (!crossing) {
            // Every part of the entity must be inside: parts outside the window were not visited.
            bool all = in;
            for (size_t i = 0; all && i < g->primitives().size(); ++i) {
                const geom::Primitive& p = g->primitives()[i];
                if (p.entity == id && !(p.box.x0 >= window.x0 && p.box.x1 <= window.x1 && p.box.y0 >= window.y0 &&
                                        p.box.y1 <= window.y1))
                    all = false;
            }
            if (!all)
                continue;
        }
        EntityName e = d->nameOf(id);
        out.push_back({e.id, e.serial});
    }
    return out;
}

int Session::selectByUser(CadHost::Names& out)
{
    for (;;) {
        ads::InputRequest r;
        r.kind = ads::InputKind::Entity;
        r.prompt = L"Objekte wählen oder [Fenster/Kreuzen]: ";
        r.keywords = L"Fenster Kreuzen";
        ads::InputAnswer a;
        int rc = userInput_->get(r, a);
        if (rc == RTCAN)
            return RTCAN;
        if (rc == RTNONE)
            return out.empty() ? RTNONE : RTNORM;
        size_t before = out.size();
        auto add = [&](const std::array<int64_t, 2>& e) {
            if (std::find(out.begin(), out.end(), e) == out.end())
                out.push_back(e);
        };
        if (rc == RTKWORD) {
            ads::InputRequest first;
            first.kind = ads::InputKind::Point;
            first.prompt = L"Erste Ecke angeben: ";
            ads::InputAnswer c1, c2;
            if (userInput_->get(first, c1) != RTNORM)
                continue;
            ads::InputRequest second;
            second.kind = ads::InputKind::Corner;
            second.prompt = L"Entgegengesetzte Ecke angeben: ";
            second.hasBase = true;
            std::copy(c1.point, c1.point + 3, second.base);
            if (userInput_->get(second, c2) != RTNORM)
                continue;
            for (const auto& e : selectBox(c1.point, c2.point, a.text == L"Kreuzen"))
                add(e);
        } else if (rc == RTNORM) {
            add({a.entity[0], a.entity[1]});
        } else {
            continue;
        }
        out_ << (out.size() - before) << " gefunden, " << out.size() << " gesamt\n";
    }
}

bool Session::openDrawing()
{
    namespace fs = std::filesystem;
    const std::string& path = options_.drawing;
    std::error_code ec;
    if (options_.drawingGiven && fs::exists(path, ec)) {
        std::string error;
        if (auto d = loadDrawing(path, &error)) {
            drawing_ = host_->openDrawing(std::move(d));
            return true;
        }
        err_ << "korcad: cannot open the drawing " << error << "\n";
        // A program must not work on an empty drawing it did not ask for (and save it).
        if (!options_.items.empty()) {
            err_ << "korcad: nothing was run: the program would work on a new, empty drawing instead\n";
            return false;
        }
        // The person at the command line gets a new drawing that has no file: no QSAVE
        // writes it over the file that was not read.
        const std::string name = Options{}.drawing;
        err_ << "korcad: a new drawing " << name << " is open instead; QSAVE does not write over " << path << "\n";
        drawing_ = host_->openDrawing(std::make_unique<Drawing>(AfxFromUtf8(name)));
        return true;
    } else if (options_.drawingGiven && fs::path(path).extension() == ".dxf") {
        err_ << "korcad: " << path << " does not exist: a new drawing is opened; QSAVE writes it there\n";
    }
    auto d = std::make_unique<Drawing>(AfxFromUtf8(fs::path(path).filename().string()));
    if (options_.drawingGiven && fs::path(path).extension() == ".dxf" && !fs::exists(path, ec))
        d->setPath(path);
    drawing_ = host_->openDrawing(std::move(d));
    return true;
}

int Session::finish(int exitCode)
{
    Drawing* d = host_->drawing(host_->currentDrawing());
    if (!d)
        return exitCode;
    // A run whose last save failed has not done what it was for, even when the program
    // caught the error; a save that works afterwards (also --save-as) makes up for it.
    bool saveFailed = commands_->lastSaveFailed();
    if (!options_.saveAs.empty()) {
        if (exitCode != kExitOk) {
            err_ << "korcad: the run failed: the drawing was not saved to " << options_.saveAs << '\n';
        } else {
            std::string error;
            saveFailed = false;
            if (!saveDrawing(*d, options_.saveAs, &error)) {
                err_ << "korcad: " << error << '\n';
                exitCode = kExitLispError;
            }
        }
    }
    if (saveFailed) {
        err_ << "korcad: the drawing " << AfxToUtf8(d->name().c_str()) << " was not saved: its last save failed\n";
        if (exitCode == kExitOk)
            exitCode = kExitLispError;
    }
    if (d->modified())
        err_ << "korcad: warning: the changes to drawing " << AfxToUtf8(d->name().c_str())
             << " were not saved (QSAVE, SAVEAS or --save-as save them)\n";
    return exitCode;
}

bool Session::runFile(const std::string& path)
{
    namespace fs = std::filesystem;
    // A program file is taken as given (relative to the current directory), not searched.
    std::error_code ec;
    auto status = fs::status(path, ec);
    std::string problem;
    if (!fs::exists(status)) {
        fs::path p(path);
        problem = p.is_absolute() ? "no such file: " + path
                                  : "no such file: " + path + " (looked in the current directory, " +
                                        fs::current_path(ec).string() + ")";
    } else if (fs::is_directory(status)) {
        problem = path + " is a directory, not a LISP program file";
    }
    std::ifstream in;
    if (problem.empty()) {
        in.open(path, std::ios::binary);
        if (!in)
            problem = "cannot read " + path + ": " + std::strerror(errno);
    }
    if (!problem.empty()) {
        report(lisp::LispError("LOAD failed: \"" + path + "\""), problem);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string source = lisp::utf8::fromFileText(text.str());
    lisp::Reader reader(source, lisp_->symbols());
    try {
        while (auto form = reader.next())
            lisp_->evalTop(*form);
    } catch (const lisp::LispError& e) {
        report(e, "in " + path + ", expression at line " + std::to_string(reader.line()));
        return false;
    }
    return true;
}

bool Session::runExpression(const std::string& text)
{
    try {
        lisp::Reader reader(text, lisp_->symbols());
        lisp::Value result;
        while (auto form = reader.next())
            result = lisp_->evalTop(*form);
        out_ << lisp::toString(result, true) << '\n';
        out_.flush();
    } catch (const lisp::LispError& e) {
        out_.flush();
        report(e, "in -e " + text);
        return false;
    }
    return true;
}

int Session::run()
{
    if (!start())
        return kExitLispError;
    try {
        if (options_.items.empty())
            return finish(repl());
        for (const auto& item : options_.items) {
            bool ok = item.kind == Options::Kind::File ? runFile(item.text)
                                                       : runExpression(item.text);
            if (!ok)
                return finish(kExitLispError);
        }
    } catch (const std::exception& e) {
        // Not a LISP error: a fault of the host or of an application. Say so and stop.
        out_.flush();
        err_ << "korcad: internal error: " << e.what() << '\n';
        return finish(kExitLispError);
    }
    return finish(kExitOk);
}

}  // namespace korcad

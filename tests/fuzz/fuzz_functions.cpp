// Fuzz target: the eight LISP functions of the korDialog module with any arguments, called as
// korcad calls them: a korcad session with the sample drawing and databases loads the module
// as at start, the arguments go through LISP and ADS, and a scripted user answers every
// dialog that opens.
//
// An input is: one byte choosing the function, one byte with the number of the user's
// actions (low three bits), those actions one byte each (OK, Cancel, Enter or Escape), then
// LISP text whose expressions are the arguments (read, not evaluated). A dialog that opens
// when the actions are used up is cancelled. The answer must be a LISP value as documented:
// a list, or for korDialog_LWeightDialog an integer.
#include "gui/AnswerRunner.h"
#include "app/DialogWiring.h"
#include "input/InputSource.h"
#include "app/Session.h"

#include "lisp/Printer.h"
#include "lisp/Reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

constexpr const char* kFunctions[] = {
    "korDialog_ButtonDialog",  "korDialog_ButtonValue",       "korDialog_FragBox",
    "korDialog_MultiEditDialog", "korDialog_GridDialog",       "korDialog_GridDialog_LType",
    "korDialog_LWeightDialog", "korDialog_SelectColor",
};

struct World {
    NullBuffer nullBuffer;
    std::ostream nowhere{&nullBuffer};
    std::istringstream noInput;
    std::unique_ptr<korcad::Session> session;
    std::unique_ptr<korcad::DialogWiring> wiring;

    World()
    {
        char dir[] = "/tmp/kor-fuzz-functions-XXXXXX";
        if (!mkdtemp(dir))
            std::abort();
        std::string home = dir;
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // The log lines are written (their formatting is part of every call), to nowhere.
        setenv("KOR_DEBUGLOG", "/dev/null", 1);
        korcad::Options options;
        options.drawing = KOR_SOURCE_DIR "/examples/netz.dxf";
        options.drawingGiven = true;
        session = std::make_unique<korcad::Session>(options, noInput, nowhere, nowhere);
        wiring = std::make_unique<korcad::DialogWiring>();
        std::string error;
        if (!wiring->install(*session, &error) || !session->start()) {
            std::fprintf(stderr, "fuzz_functions: cannot start korcad: %s\n", error.c_str());
            std::abort();
        }
        // Prompts (a row's pick button) get no answer: the input has ended.
        session->setInput(std::make_unique<korcad::QueueInput>());
    }
};

// Made once and never destroyed: the window layer's application object goes first at exit,
// and korcad's windows must not outlive it.
World& world()
{
    static World* w = new World;
    return *w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    World& w = world();
    lisp::Interpreter& lisp = w.session->lisp();
    const char* function = kFunctions[data[0] % 8];
    size_t nActions = data[1] % 8;
    if (size < 2 + nActions)
        return 0;
    std::vector<korcad::Action> actions;
    for (size_t i = 0; i < nActions; ++i) {
        korcad::Action a;
        a.line = static_cast<int>(i + 1);
        switch (data[2 + i] % 4) {
        case 0: a.kind = korcad::Action::Kind::Ok; break;
        case 1: a.kind = korcad::Action::Kind::Cancel; break;
        case 2: a.kind = korcad::Action::Kind::Key; a.key = afxdriver::Key::Enter; break;
        default: a.kind = korcad::Action::Kind::Key; a.key = afxdriver::Key::Escape; break;
        }
        a.source = "fuzz";
        actions.push_back(a);
    }
    std::string text(reinterpret_cast<const char*>(data) + 2 + nActions, size - 2 - nActions);
    std::vector<lisp::Value> args;
    try {
        lisp::Reader reader(text, lisp.symbols());
        while (auto v = reader.next()) {
            args.push_back(*v);
            if (args.size() > 16)
                return 0;
        }
    } catch (const lisp::LispError&) {
        return 0;
    }
    korcad::AnswerRunner runner(std::move(actions), [](const std::string&) {});
    try {
        lisp::Value fn = lisp.functionOf(lisp::Value::symbol(lisp.intern(function)));
        lisp::Value answer = lisp.apply(fn, lisp::Args(args.data(), args.size()));
        bool number = std::string(function) == "korDialog_LWeightDialog";
        if (number ? !answer.isInt() : !answer.isCons()) {
            std::fprintf(stderr, "fuzz_functions: %s answered %s\n", function, lisp::toString(answer, true).c_str());
            std::abort();
        }
    } catch (const lisp::LispError& e) {
        // "ADS request error: ..." is the documented answer of a call that hands back nothing;
        // any other error is not.
        if (std::string(e.what()).rfind("ADS request error", 0) != 0 &&
            std::string(e.what()).rfind("bad argument type: ads value", 0) != 0) {
            std::fprintf(stderr, "fuzz_functions: %s raised %s\n", function, e.what());
            std::abort();
        }
    }
    return 0;
}

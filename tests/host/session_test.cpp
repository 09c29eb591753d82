// korcad's pieces in process: options, input sources, the session's host and clean-up, QUIT at a
// person's command line, the system variables.
#include "input/InputSource.h"
#include "app/Session.h"

#include "cad/CadHost.h"
#include "cad/SysVars.h"
#include "lisp/Printer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

using korcad::Options;
using korcad::parseOptions;

TEST(Options, EveryOptionIsParsedAndStoredFilesAndExpressionsInOrder)
{
    auto p = parseOptions({"--dwg", "Netz.dwg", "--answers", "a.txt", "--shots=shots", "--db", "WASSER=/tmp/t.db",
                           "--db=GAS=gas.sqlite", "--no-load", "one.lsp", "-e", "(+ 1 2)", "two.lsp", "--eval=(foo)",
                           "--save-as", "out.dxf", "--max-steps", "100", "--max-memory=8"});
    ASSERT_EQ(p.error, "");
    const Options& o = p.options;
    EXPECT_EQ(o.drawing + " " + o.answersFile + " " + o.shotsDir + " " + o.saveAs, "Netz.dwg a.txt shots out.dxf");
    EXPECT_TRUE(o.drawingGiven && o.noLoad && !o.help && o.maxSteps == 100u && o.maxMemory == size_t(8) << 20);
    using DbList = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(o.databases, (DbList{{"WASSER", "/tmp/t.db"}, {"GAS", "gas.sqlite"}}));
    std::string items;
    for (const auto& item : o.items)
        items += (item.kind == Options::Kind::File ? "file " : "expression ") + item.text + "; ";
    EXPECT_EQ(items, "file one.lsp; expression (+ 1 2); file two.lsp; expression (foo); ");
    // The defaults; after "--" everything is a file.
    p = parseOptions({"--", "-e"});
    EXPECT_TRUE(p.error.empty() && p.options.drawing == "Zeichnung1.dwg" && !p.options.noLoad && !p.options.drawingGiven);
    EXPECT_TRUE(p.options.items.size() == 1 && p.options.items[0].kind == Options::Kind::File);
    EXPECT_TRUE(parseOptions({"-h"}).options.help);
    for (const char* topic : {"--save-as", "KORCAD_APP_PATH", "XDG_STATE_HOME", "Ctrl-C ends korcad", "--max-memory"})
        EXPECT_NE(korcad::helpText().find(topic), std::string::npos) << topic;
}

TEST(Options, MistakesAreNamed)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-e"}, "-e needs an expression"},
        {{"--answers"}, "--answers needs a value"},
        {{"--help=1"}, "--help takes no value"},
        {{"--max-memory"}, "--max-memory needs a number"},
        {{"--max-steps", "0"}, "--max-steps 0: expected a whole number from 1 to 4611686018427387904"},
        {{"--max-memory", "1099511627777"}, "--max-memory 1099511627777: expected a whole number from 1 to 1099511627776"}};
    for (const auto& [args, error] : cases)
        EXPECT_EQ(parseOptions(args).error, error);
}

TEST(InputSource, TheTerminalShowsPromptsTheQueueAnswersInOrderWithATranscript)
{
    std::istringstream in("first\r\nsecond\n");
    std::ostringstream out;
    korcad::TerminalInput terminal(in, out);
    EXPECT_EQ(terminal.readLine("A: "), "first");
    EXPECT_EQ(terminal.readLine("B: "), "second");
    EXPECT_EQ(terminal.readLine("C: "), std::nullopt);
    EXPECT_EQ(out.str(), "A: B: C: ");

    std::ostringstream transcript;
    korcad::QueueInput queue(&transcript);
    queue.push("3.5");
    queue.push("");
    EXPECT_EQ(queue.pending(), 2u);
    EXPECT_TRUE(queue.readLine("Abstand: ") == "3.5" && queue.readLine("Weiter: ") == "" && !queue.readLine("Mehr: "));
    EXPECT_EQ(transcript.str(), "Abstand: 3.5\nWeiter: \n");
}

class SessionTest : public ::testing::Test {
protected:
    Options options()
    {
        Options o;
        o.noLoad = true;
        o.drawing = "Testzeichnung.dwg";
        return o;
    }
    std::istringstream in;
    std::ostringstream out, err;
};

TEST_F(SessionTest, OpensOneDrawingLoadsAnApplicationOnceAndClosesBoth)
{
    {
        korcad::Session session(options(), in, out, err);
        ASSERT_TRUE(session.start());
        korcad::CadHost& host = session.host();
        EXPECT_EQ(ads::host(), &host) << "the session's host answers the ADS calls";
        EXPECT_EQ(adsw_acadMainWnd(), nullptr) << "without a GUI no main window";
        ASSERT_EQ(host.openDrawings().size(), 1u);
        EXPECT_EQ(host.drawingName(host.currentDrawing()), L"Testzeichnung.dwg");
        EXPECT_TRUE(session.runExpression("(arxload \"korTestApp\")"));
        ASSERT_EQ(host.loadedApps().size(), 1u);
        std::string path = host.loadedApps()[0].path;
        std::string sameFile = path.substr(0, path.rfind('/')) + "/." + path.substr(path.rfind('/'));
        out.str("");
        EXPECT_TRUE(session.runExpression("(arxload \"" + sameFile + "\" \"again\")"));
        EXPECT_TRUE(out.str() == "\"again\"\n" && host.loadedApps().size() == 1u) << "the same library by another path";
    }
    EXPECT_EQ(ads::host(), nullptr) << "the host is gone with the session";
}

// The main window a GUI installs is asked for only when a dialog wants a parent.
TEST_F(SessionTest, TheMainWindowIsAskedForOnlyWhenADialogWantsIt)
{
    korcad::Session session(options(), in, out, err);
    static int windowObject;
    HWND window = reinterpret_cast<HWND>(&windowObject);
    int providerCalls = 0;
    session.host().setWindows([&] { return ++providerCalls, window; }, nullptr);
    ASSERT_TRUE(session.start());
    EXPECT_TRUE(session.runExpression("(+ 1 2)"));
    EXPECT_EQ(providerCalls, 0) << "no dialog yet, so nothing may start";
    EXPECT_TRUE(adsw_acadMainWnd() == window && providerCalls == 1);
    EXPECT_EQ(acedGetAcadDwgView(), window) << "without a view of its own, the main window";
}

// QUIT with unsaved changes typed by a person: Abbrechen stays, Nein ends without saving.
TEST_F(SessionTest, QuitWithUnsavedChangesAsksAPersonWhetherToSave)
{
    struct Typed : korcad::QueueInput {
        using QueueInput::QueueInput;
        bool interactive() const override { return true; }
    };
    korcad::Session session(options(), in, out, err);
    ASSERT_TRUE(session.start());
    auto typed = std::make_unique<Typed>(&out);
    for (const char* line : {"(regapp \"KOR_X\")", "QUIT", "a", "QUIT", "n", "(princ \"nie\")"})
        typed->push(line);
    session.setInput(std::move(typed));
    EXPECT_EQ(session.repl(), korcad::kExitOk);
    EXPECT_EQ(out.str(),
              "Befehl: (regapp \"KOR_X\")\n"
              "\"KOR_X\"\n"
              "Befehl: QUIT\n"
              "Änderungen an Testzeichnung.dwg speichern? [Ja/Nein/Abbrechen] <Ja>: a\n"
              "Befehl: QUIT\n"
              "Änderungen an Testzeichnung.dwg speichern? [Ja/Nein/Abbrechen] <Ja>: n\n");
    EXPECT_FALSE(std::filesystem::exists("Testzeichnung.dxf"));
}

// Every variable the table lists has a value that setvar takes back, but for the read-only ones.
TEST_F(SessionTest, EveryVariableTakesItsOwnValueButTheReadOnlyOnes)
{
    korcad::Session session(options(), in, out, err);
    ASSERT_TRUE(session.start());
    korcad::SystemVariables vars(session.host(), session.lisp());
    std::vector<std::string> refused;
    for (const auto& name : vars.names()) {
        lisp::Value value = vars.get(name);
        EXPECT_FALSE(value.isNil()) << name;
        try {
            EXPECT_EQ(lisp::toString(vars.set(name, value), true), lisp::toString(value, true)) << name;
        } catch (const lisp::LispError&) {
            refused.push_back(name);
        }
    }
    EXPECT_EQ(refused, (std::vector<std::string>{"ACADVER", "CDATE", "CMDACTIVE", "DATE", "DWGCODEPAGE", "DWGNAME",
                                                 "DWGPREFIX", "DWGTITLED", "ERRNO", "LOGINNAME", "MILLISECS", "PROGRAM",
                                                 "SYSCODEPAGE", "TDCREATE", "TDINDWG", "TDUPDATE", "TEMPPREFIX"}));
}

}  // namespace

// The pieces of korcad that other features plug into: options, input sources, the session's
// hooks and its clean-up.
#include "input/InputSource.h"
#include "app/Session.h"

#include "cad/CadHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using korcad::Options;
using korcad::parseOptions;

TEST(Options, EveryOptionIsParsedAndStored)
{
    auto p = parseOptions({"--dwg", "Netz.dwg", "--answers", "a.txt", "--shots=shots", "--db",
                           "WASSER=/tmp/t.db", "--db=GAS=gas.sqlite", "--no-load", "one.lsp", "-e", "(+ 1 2)",
                           "two.lsp", "--eval=(foo)"});
    ASSERT_EQ(p.error, "");
    const Options& o = p.options;
    EXPECT_EQ(o.drawing, "Netz.dwg");
    EXPECT_EQ(o.answersFile, "a.txt");
    EXPECT_EQ(o.shotsDir, "shots");
    ASSERT_EQ(o.databases.size(), 2u);
    EXPECT_EQ(o.databases[0], std::make_pair(std::string("WASSER"), std::string("/tmp/t.db")));
    EXPECT_EQ(o.databases[1], std::make_pair(std::string("GAS"), std::string("gas.sqlite")));
    EXPECT_TRUE(o.noLoad);
    EXPECT_FALSE(o.help);
    // Files and expressions keep their command-line order.
    ASSERT_EQ(o.items.size(), 4u);
    EXPECT_EQ(o.items[0].kind, Options::Kind::File);
    EXPECT_EQ(o.items[0].text, "one.lsp");
    EXPECT_EQ(o.items[1].kind, Options::Kind::Expression);
    EXPECT_EQ(o.items[1].text, "(+ 1 2)");
    EXPECT_EQ(o.items[2].text, "two.lsp");
    EXPECT_EQ(o.items[3].text, "(foo)");
}

TEST(Options, DefaultsAndEndOfOptions)
{
    auto p = parseOptions({"--", "-e"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.drawing, "Zeichnung1.dwg");
    EXPECT_FALSE(p.options.noLoad);
    ASSERT_EQ(p.options.items.size(), 1u);
    EXPECT_EQ(p.options.items[0].kind, Options::Kind::File);
    EXPECT_EQ(p.options.items[0].text, "-e");
    EXPECT_TRUE(parseOptions({"-h"}).options.help);
}

TEST(Options, MistakesAreNamed)
{
    EXPECT_EQ(parseOptions({"-e"}).error, "-e needs an expression");
    EXPECT_EQ(parseOptions({"--answers"}).error, "--answers needs a value");
    EXPECT_EQ(parseOptions({"--shots="}).error, "--shots needs a value");
    EXPECT_EQ(parseOptions({"-x"}).error, "unknown option -x");
    EXPECT_EQ(parseOptions({"--help=1"}).error, "--help takes no value");
}

TEST(InputSource, TerminalShowsPromptAndReadsLines)
{
    std::istringstream in("first\r\nsecond\n");
    std::ostringstream out;
    korcad::TerminalInput input(in, out);
    EXPECT_EQ(input.readLine("A: "), "first");
    EXPECT_EQ(input.readLine("B: "), "second");
    EXPECT_EQ(input.readLine("C: "), std::nullopt);
    EXPECT_EQ(out.str(), "A: B: C: ");
}

TEST(InputSource, QueueAnswersInOrderAndWritesATranscript)
{
    std::ostringstream transcript;
    korcad::QueueInput input(&transcript);
    input.push("3.5");
    input.push("");
    EXPECT_EQ(input.pending(), 2u);
    EXPECT_EQ(input.readLine("Abstand: "), "3.5");
    EXPECT_EQ(input.readLine("Weiter: "), "");
    EXPECT_EQ(input.readLine("Mehr: "), std::nullopt);
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

TEST_F(SessionTest, OpensOneDrawingAndClosesItAgain)
{
    {
        korcad::Session session(options(), in, out, err);
        ASSERT_TRUE(session.start());
        korcad::CadHost& host = session.host();
        EXPECT_EQ(ads::host(), &host) << "the session's host answers the ADS calls";
        ASSERT_EQ(host.openDrawings().size(), 1u);
        EXPECT_EQ(host.drawingName(host.currentDrawing()), L"Testzeichnung.dwg");
        EXPECT_TRUE(session.runExpression("(arxload \"korTestApp\")"));
        EXPECT_EQ(host.loadedApps().size(), 1u);
        std::string path = host.loadedApps()[0].path;
        std::string sameFile = path.substr(0, path.rfind('/')) + "/." + path.substr(path.rfind('/'));
        EXPECT_TRUE(session.runExpression("(arxload \"" + sameFile + "\" \"again\")"));
        EXPECT_EQ(out.str().substr(out.str().rfind('\n', out.str().size() - 2) + 1), "\"again\"\n")
            << "the same library by another path is the same application: loaded once";
        EXPECT_EQ(host.loadedApps().size(), 1u);
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
    session.host().setWindows(
        [&] {
            ++providerCalls;
            return window;
        },
        nullptr);
    ASSERT_TRUE(session.start());
    EXPECT_TRUE(session.runExpression("(+ 1 2)"));
    EXPECT_EQ(providerCalls, 0) << "no dialog yet, so nothing may start";
    EXPECT_EQ(adsw_acadMainWnd(), window);
    EXPECT_EQ(providerCalls, 1);
    EXPECT_EQ(acedGetAcadDwgView(), window) << "without a view of its own, the main window";
}

TEST_F(SessionTest, WithoutProviderDialogsGetNoParent)
{
    korcad::Session session(options(), in, out, err);
    ASSERT_TRUE(session.start());
    EXPECT_EQ(adsw_acadMainWnd(), nullptr);
}

// Prompts read through whatever input the session was given: a scripted queue here.
TEST_F(SessionTest, PromptsReadFromTheInstalledInputSource)
{
    korcad::Session session(options(), in, out, err);
    ASSERT_TRUE(session.start());
    auto queue = std::make_unique<korcad::QueueInput>(&out);
    queue->push("2.5");
    queue->push("Weg 7");
    session.setInput(std::move(queue));
    EXPECT_TRUE(session.runExpression("(list (getreal \"Abstand: \") (getstring T \"Name: \"))"));
    EXPECT_EQ(out.str(), "Abstand: 2.5\nName: Weg 7\n(2.5 \"Weg 7\")\n");
    EXPECT_FALSE(session.runExpression("(getreal \"Noch: \")"));
    EXPECT_NE(err.str().find("; error: Function cancelled"), std::string::npos);
}

TEST_F(SessionTest, ReplReadsTheSessionInput)
{
    korcad::Session session(options(), in, out, err);
    ASSERT_TRUE(session.start());
    auto queue = std::make_unique<korcad::QueueInput>(&out);
    queue->push("(setq a (getint \"Zahl: \"))");
    queue->push("21");
    queue->push("(* a 2)");
    session.setInput(std::move(queue));
    EXPECT_EQ(session.repl(), korcad::kExitOk);
    EXPECT_EQ(out.str(),
              "Befehl: (setq a (getint \"Zahl: \"))\n"
              "Zahl: 21\n"
              "21\n"
              "Befehl: (* a 2)\n"
              "42\n"
              "\n");
}

// QUIT with changes not saved, typed by a person at the command line: the question comes,
// Abbrechen stays, Nein ends without saving.
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

// QSAVE keeps the file it replaces as NAME.bak, as CAD programs do; ISAVEBAK 0 switches it off.
TEST_F(SessionTest, QsaveKeepsThePreviousFileAsBakUnlessIsavebakIsOff)
{
    namespace fs = std::filesystem;
    char dir[] = "/tmp/korcad-bak-XXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    struct Remove {
        std::string dir;
        ~Remove() { fs::remove_all(dir); }
    } remove{dir};
    auto read = [](const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream s;
        s << file.rdbuf();
        return s.str();
    };
    Options o = options();
    o.drawing = std::string(dir) + "/plan.dxf";
    o.drawingGiven = true;
    korcad::Session session(o, in, out, err);
    ASSERT_TRUE(session.start());
    ASSERT_TRUE(session.runExpression("(command \"_.QSAVE\")"));
    EXPECT_FALSE(fs::exists(std::string(dir) + "/plan.bak")) << "nothing was there before";
    const std::string first = read(o.drawing);
    ASSERT_TRUE(session.runExpression("(regapp \"KOR_A\")"));
    ASSERT_TRUE(session.runExpression("(command \"_.QSAVE\")"));
    EXPECT_EQ(read(std::string(dir) + "/plan.bak"), first);
    EXPECT_NE(read(o.drawing), first);

    ASSERT_TRUE(session.runExpression("(list (getvar \"ISAVEBAK\") (setvar \"ISAVEBAK\" 0))"));
    ASSERT_TRUE(session.runExpression("(regapp \"KOR_B\")"));
    ASSERT_TRUE(session.runExpression("(command \"_.QSAVE\")"));
    EXPECT_EQ(read(std::string(dir) + "/plan.bak"), first) << "ISAVEBAK 0: the backup is left alone";
    EXPECT_NE(out.str().find("(1 0)"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("warning"), std::string::npos) << out.str();
}

}  // namespace

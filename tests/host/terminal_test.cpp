// korcad's command line under a pseudo-terminal, typed as a person types; HOME and
// XDG_STATE_HOME point into a temporary folder, so no history goes into the real home.
#include "child.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

const char* const kUp = "\x1b[A";
const char* const kLeft = "\x1b[D";
const char* const kCtrlC = "\x03";
const char* const kCtrlD = "\x04";

struct Terminal : Child {
    explicit Terminal(ProcessEnv env) : Child({KORCAD_PATH, "--no-load"}, (env.set.push_back({"TERM", "xterm"}), env), {true}) {}
    // Types a line once korcad asks for one, as a person waits for the prompt.
    bool enter(const std::string& line, const std::string& prompt = "Befehl: ")
    {
        return waitFor(prompt) ? (type(line + "\r"), true) : false;
    }
};

#define EXPECT_SHOWS(term, text) \
    EXPECT_TRUE((term).waitFor(std::string(text))) << "waiting for: " << (text) << "\nscreen:\n" << (term).out()

TEST(TerminalCommandLine, EditsRecallsAndCancelsAsAPersonExpects)
{
    TempFile home("unused", "");
    ProcessEnv env{{{"HOME", home.dir()}}, {"XDG_STATE_HOME"}};
    {
        Terminal t(env);
        ASSERT_TRUE(t.enter("(setq n 41)"));
        EXPECT_SHOWS(t, "41\r\n");
        ASSERT_TRUE(t.enter("(setq n (1+ n))"));
        EXPECT_SHOWS(t, "42\r\n");
        // Up brings back the last line; run again, it counts on.
        ASSERT_TRUE(t.enter(kUp));
        EXPECT_SHOWS(t, "43\r\n");
        // Left moves in the line: the 4 lands before the closing parenthesis.
        ASSERT_TRUE(t.enter(std::string("(* 3 )") + kLeft + "4"));
        EXPECT_SHOWS(t, "12\r\n");
        // Ctrl-C in an endless loop: the AutoLISP message, and the command line goes on.
        ASSERT_TRUE(t.enter("(while T)"));
        EXPECT_SHOWS(t, "(while T)\r\n");
        t.type(kCtrlC);
        EXPECT_SHOWS(t, "; error: Function cancelled\r\n");
        // Ctrl-C while typing drops the line and the unfinished expression before it.
        ASSERT_TRUE(t.enter("(list 1"));
        ASSERT_TRUE(t.waitFor(std::string("(_> ")));
        t.type("(car 'abc");
        EXPECT_SHOWS(t, "(car 'abc");
        t.type(kCtrlC);
        ASSERT_TRUE(t.enter("(+ 2 3)"));
        EXPECT_SHOWS(t, "(+ 2 3)\r\n5\r\n");
        // A program's *error* receives the cancel, from a loop and from a prompt alike.
        ASSERT_TRUE(t.enter("(defun *error* (m) (princ (strcat \"E:\" m)) (princ))"));
        EXPECT_SHOWS(t, "*ERROR*");
        ASSERT_TRUE(t.enter("(while T)"));
        EXPECT_SHOWS(t, "(while T)\r\n");
        t.type(kCtrlC);
        EXPECT_SHOWS(t, "E:Function cancelled");
        ASSERT_TRUE(t.enter("(getstring \"Name: \")"));
        EXPECT_SHOWS(t, "\")\r\nName: ");
        t.type(kCtrlC);
        EXPECT_SHOWS(t, "E:Function cancelled");
        ASSERT_TRUE(t.enter("(strcat \"hi\" \"story\")"));
        EXPECT_SHOWS(t, "\"history\"");
        ASSERT_TRUE(t.enter("   "));  // a line of blanks is not kept
        ASSERT_TRUE(t.enter("quit"));
        EXPECT_EQ(t.exitCode(), 0) << t.out();
    }
    std::ifstream history(fs::path(home.dir()) / ".local/state/korcad/history");
    const std::string kept{std::istreambuf_iterator<char>(history), {}};
    EXPECT_NE(kept.find("story"), std::string::npos) << kept;

    // The next session has that history (Up twice skips quit); Ctrl-D inside an expression.
    Terminal again(env);
    ASSERT_TRUE(again.enter(std::string(kUp) + kUp));
    EXPECT_SHOWS(again, "\"history\"\r\n");
    ASSERT_TRUE(again.enter("(list 1"));
    EXPECT_SHOWS(again, "(list 1\r\n(_> ");
    again.type(kCtrlD);
    EXPECT_SHOWS(again, "; error: incomplete input: the input ended inside an expression");
    EXPECT_EQ(again.exitCode(), 0) << again.out();
}

// Umlauts reach LISP whole in the "C" locale as in a German one; a history that cannot be kept
// (its folder is a file) is one warning, and lines are still recalled within the session.
TEST(TerminalCommandLine, UmlautsInEveryLocaleAndAHistoryThatCannotBeKept)
{
    TempFile home("state", "a file where a folder should be");
    const std::string warning = "warning: the command history is not kept";
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        SCOPED_TRACE(locale);
        const std::string state = locale[0] == 'C' ? home.path() : home.dir() + "/kept";
        Terminal t({{{"HOME", home.dir()}, {"XDG_STATE_HOME", state}, {"LC_ALL", locale}}, {"LANG", "LC_CTYPE"}});
        ASSERT_TRUE(t.enter("(strcat \"Größe \" \"Straße\")"));
        EXPECT_SHOWS(t, "(strcat \"Größe \" \"Straße\")\r\n\"Größe Straße\"\r\n");
        ASSERT_TRUE(t.enter("(strlen \"Größe\")"));
        EXPECT_SHOWS(t, "5\r\n");
        ASSERT_TRUE(t.enter(kUp));
        EXPECT_SHOWS(t, "5\r\n");
        ASSERT_TRUE(t.waitFor(std::string("Befehl: ")));
        t.type(kCtrlD);
        EXPECT_EQ(t.exitCode(), 0) << t.out();
        size_t first = t.out().find(warning);
        EXPECT_EQ(first != std::string::npos, locale[0] == 'C') << t.out();
        EXPECT_EQ(t.out().find(warning, first + 1), std::string::npos) << "said once:\n" << t.out();
    }
    EXPECT_TRUE(fs::exists(home.dir() + "/kept/korcad/history")) << "the history lives in $XDG_STATE_HOME";
}

}  // namespace

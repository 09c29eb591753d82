// korcad's command line on a terminal, typed as a person types: korcad runs under a
// pseudo-terminal, the test sends keys and reads the screen. HOME and XDG_STATE_HOME point
// into a temporary folder, so no test writes a history into the real home.
#include "run_process.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const char* const kUp = "\x1b[A";
const char* const kLeft = "\x1b[D";
const char* const kCtrlC = "\x03";
const char* const kCtrlD = "\x04";

class Terminal {
public:
    explicit Terminal(const ProcessEnv& env)
    {
        winsize size{24, 100, 0, 0};
        pid_ = forkpty(&fd_, nullptr, nullptr, &size);
        if (pid_ < 0)
            throw std::runtime_error("forkpty failed");
        if (pid_ == 0) {
            setenv("TERM", "xterm", 1);
            for (const auto& name : env.unset)
                unsetenv(name.c_str());
            for (const auto& [name, value] : env.set)
                setenv(name.c_str(), value.c_str(), 1);
            execl(KORCAD_PATH, KORCAD_PATH, "--no-load", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Terminal()
    {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(fd_);
    }

    void type(const std::string& keys)
    {
        if (write(fd_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
            throw std::runtime_error("cannot type into the terminal");
    }

    // Types a line once korcad asks for one, as a person waits for the prompt.
    bool enter(const std::string& line, const std::string& prompt = "Befehl: ")
    {
        if (!waitFor(prompt))
            return false;
        type(line + "\r");
        return true;
    }

    // Reads the screen until `text` shows after what earlier waits found. The deadline only
    // keeps a hung korcad from hanging the suite.
    bool waitFor(const std::string& text)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            size_t at = screen_.find(text, seen_);
            if (at != std::string::npos) {
                seen_ = at + text.size();
                return true;
            }
            if (std::chrono::steady_clock::now() > deadline || !readSome())
                return false;
        }
    }

    // Reads to the end and returns korcad's exit status (-1 when it did not exit normally).
    int exitCode()
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (readSome() && std::chrono::steady_clock::now() < deadline) {
        }
        if (waitpid(pid_, &status_, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
        }
        exited_ = true;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

    const std::string& screen() const { return screen_; }

private:
    // False once korcad closed the terminal (it exited).
    bool readSome()
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            return true;
        char buf[4096];
        ssize_t n = read(fd_, buf, sizeof buf);
        if (n <= 0)
            return false;
        screen_.append(buf, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    int status_ = 0;
    bool exited_ = false;
    std::string screen_;
    size_t seen_ = 0;
};

std::string readFile(const fs::path& path)
{
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

#define EXPECT_SHOWS(term, text) EXPECT_TRUE((term).waitFor(text)) << "waiting for: " << (text) << "\nscreen:\n" << (term).screen()

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
        ASSERT_TRUE(t.enter("(+ n 100)"));
        EXPECT_SHOWS(t, "143\r\n");

        // Ctrl-C while typing drops the line and the unfinished expression before it; what
        // follows is read on its own.
        ASSERT_TRUE(t.enter("(list 1"));
        ASSERT_TRUE(t.waitFor("(_> "));
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
        ASSERT_TRUE(t.enter("quit"));
        EXPECT_EQ(t.exitCode(), 0) << t.screen();
    }
    fs::path history = fs::path(home.dir()) / ".local/state/korcad/history";
    EXPECT_NE(readFile(history).find("story"), std::string::npos) << history;

    // The next session starts with that history: Up twice skips quit.
    Terminal again(env);
    ASSERT_TRUE(again.enter(std::string(kUp) + kUp));
    EXPECT_SHOWS(again, "\"history\"\r\n");
    ASSERT_TRUE(again.waitFor("Befehl: "));
    again.type(kCtrlD);
    EXPECT_EQ(again.exitCode(), 0) << again.screen();
}

TEST(TerminalCommandLine, CtrlDInsideAnExpressionSaysTheInputWasIncomplete)
{
    TempFile state("unused", "");
    Terminal t({{{"HOME", state.dir()}, {"XDG_STATE_HOME", state.dir() + "/state"}}, {}});
    ASSERT_TRUE(t.enter("(princ \"open\")"));
    EXPECT_SHOWS(t, "\"open\"\r\n");
    ASSERT_TRUE(t.enter("(list 1"));
    EXPECT_SHOWS(t, "(list 1\r\n(_> ");
    t.type(kCtrlD);
    EXPECT_SHOWS(t, "; error: incomplete input: the input ended inside an expression");
    EXPECT_EQ(t.exitCode(), 0) << t.screen();
    EXPECT_TRUE(fs::exists(state.dir() + "/state/korcad/history"));
}

// A history that cannot be kept is worth one warning, not a failure.
TEST(TerminalCommandLine, UnwritableHistoryIsReportedOnceAndIsNotFatal)
{
    TempFile notADirectory("state", "a file where a folder should be");
    Terminal t({{{"HOME", notADirectory.dir()}, {"XDG_STATE_HOME", notADirectory.path()}}, {}});
    ASSERT_TRUE(t.enter("(+ 1 2)"));
    EXPECT_SHOWS(t, "3\r\n");
    ASSERT_TRUE(t.enter(kUp));  // still recalled within the session
    EXPECT_SHOWS(t, "3\r\n");
    ASSERT_TRUE(t.enter("(* 2 2)"));
    EXPECT_SHOWS(t, "4\r\n");
    ASSERT_TRUE(t.waitFor("Befehl: "));
    t.type(kCtrlD);
    EXPECT_EQ(t.exitCode(), 0) << t.screen();
    const std::string warning = "warning: the command history is not kept";
    size_t first = t.screen().find(warning);
    EXPECT_NE(first, std::string::npos) << t.screen();
    EXPECT_EQ(t.screen().find(warning, first + 1), std::string::npos) << t.screen();
}

// Umlauts typed at the prompt come back on the screen and reach LISP whole, in the "C" locale
// (korcad takes UTF-8 then) as in a German one.
TEST(TerminalCommandLine, UmlautsAreTypedEchoedAndCountedInEveryLocale)
{
    TempFile home("unused", "");
    const std::vector<std::pair<std::string, std::string>> locales = {{"LC_ALL", "C"}, {"LC_ALL", "de_DE.UTF-8"}};
    for (const auto& locale : locales) {
        SCOPED_TRACE(locale.second);
        Terminal t({{{"HOME", home.dir()}, {"XDG_STATE_HOME", home.dir() + "/state"}, locale}, {"LANG", "LC_CTYPE"}});
        ASSERT_TRUE(t.enter("(strcat \"Größe \" \"Straße\")"));
        EXPECT_SHOWS(t, "(strcat \"Größe \" \"Straße\")\r\n\"Größe Straße\"\r\n");
        ASSERT_TRUE(t.enter("(strlen \"Größe\")"));
        EXPECT_SHOWS(t, "5\r\n");
        ASSERT_TRUE(t.waitFor("Befehl: "));
        t.type(kCtrlD);
        EXPECT_EQ(t.exitCode(), 0) << t.screen();
    }
}

}  // namespace

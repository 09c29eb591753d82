// korcad on a real display: an X server of its own (Xvfb), a window manager (openbox), xdotool's
// keys and clicks; prompts and answers read from standard output.
// Every wait is for a condition within a deadline; without the tools the test is skipped.
#include "child.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Waits for `done` to hold, trying it again every few milliseconds, for up to 30 s.
bool waitUntil(const std::function<bool()>& done)
{
    const auto end = Clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string output(const std::vector<std::string>& argv)
{
    ProcessResult r = runProcess(argv);
    return r.exitCode == 0 ? r.out : std::string();
}

class KorcadOnADisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"/usr/bin/Xvfb", "/usr/bin/openbox", "/usr/bin/xdotool", "/usr/bin/xprop"})
            if (access(tool, X_OK) != 0)
                GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
        // Xvfb takes the first free display number and writes it to the pipe.
        int fds[2];
        ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
        xvfb_ = std::make_unique<Child>(std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen",
                                                                 "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"},
                                        ProcessEnv{}, ChildSetup{false, "/dev/null", fds[1]});
        close(fds[1]);
        std::string number;
        ASSERT_TRUE(waitUntil([&] {
            char c = 0;
            pollfd p{fds[0], POLLIN, 0};
            while (poll(&p, 1, 0) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
                number += c;
            return c == '\n';
        })) << "Xvfb named no display";
        close(fds[0]);
        display_ = ":" + number;
        setenv("DISPLAY", display_.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        wm_ = std::make_unique<Child>(std::vector<std::string>{"/usr/bin/openbox"}, ProcessEnv{});
        ASSERT_TRUE(waitUntil([] {
            return output({"/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") != std::string::npos;
        })) << "the window manager did not start";
    }

    // korcad as a person starts it from a desktop: no terminal, the display set.
    std::unique_ptr<Child> korcad(std::vector<std::string> args)
    {
        args.insert(args.begin(), {KORCAD_PATH, "--dwg", EXAMPLES_DIR "/netz.dxf"});
        return std::make_unique<Child>(args,
                                       ProcessEnv{{{"DISPLAY", display_}, {"KOR_DEBUGLOG", "off"},
                                                   {"XDG_CONFIG_HOME", home_.dir() + "/config"},
                                                   {"XDG_STATE_HOME", home_.dir() + "/state"}},
                                                  {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}},
                                       ChildSetup{false, home_.dir() + "/stderr"});
    }
    // The id of the visible window named `name` (a regular expression), once it shows.
    static std::string windowNamed(const std::string& name = "korcad - netz\\.dxf")
    {
        std::string id = output({"/usr/bin/timeout", "30", "/usr/bin/xdotool", "search", "--sync", "--onlyvisible",
                                 "--name", "^" + name + "$"});
        return id.substr(0, id.find('\n'));
    }
    static void xdotool(std::vector<std::string> args)
    {
        args.insert(args.begin(), "/usr/bin/xdotool");
        ProcessResult r = runProcess(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    // Types a line into `window`.
    static void typeLine(const std::string& window, const std::string& text)
    {
        xdotool({"windowactivate", "--sync", window});
        xdotool({"type", "--delay", "10", text});
        xdotool({"key", "Return"});
    }
    // Closes `window` with Alt-F4; korcad's exit code.
    int closeMain(Child& k, const std::string& window)
    {
        xdotool({"windowactivate", "--sync", window});
        xdotool({"key", "alt+F4"});
        return k.exitCode();
    }
    std::string stderrText() const
    {
        std::ifstream in(home_.dir() + "/stderr");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string display_;
    std::unique_ptr<Child> xvfb_, wm_;
    TempFile home_{"unused", ""};
};

// Prompts typed and picked in the window; a program's window stays after it until it is closed.
TEST_F(KorcadOnADisplay, TheWindowAsksEveryPromptAndStaysUntilClosed)
{
    auto k = korcad({"--no-load"});
    std::string window = windowNamed();
    ASSERT_FALSE(window.empty()) << "no main window; stderr: " << stderrText();
    ASSERT_TRUE(k->waitFor(std::regex("Befehl: ")));
    typeLine(window, "(getdist \"Abstand: \")");
    ASSERT_TRUE(k->waitFor(std::regex("Abstand: "))) << k->out();
    typeLine(window, "3.5");
    EXPECT_TRUE(k->waitFor(std::regex("3\\.5\n3\\.5\nBefehl: "))) << k->out();
    typeLine(window, "(getpoint \"Punkt: \")");
    ASSERT_TRUE(k->waitFor(std::regex("Punkt: "))) << k->out();
    xdotool({"mousemove", "--window", window, "500", "200", "click", "1"});
    EXPECT_TRUE(k->waitFor(std::regex("[-0-9.]+,[-0-9.]+\n\\([-0-9.]+ [-0-9.]+ 0\\.0\\)\nBefehl: "))) << k->out();
    EXPECT_EQ(closeMain(*k, window), 0) << k->out() << stderrText();

    std::ofstream(home_.dir() + "/messen.lsp") << "(princ \"\\nMessen\")\n(setq d (getdist \"\\nAbstand: \"))\n"
                                                  "(princ (strcat \"\\nGemessen: \" (rtos d 2 2) \"\\n\"))\n(princ)\n";
    k = korcad({"--no-load", home_.dir() + "/messen.lsp"});
    window = windowNamed();
    ASSERT_FALSE(window.empty()) << "no main window; stderr: " << stderrText();
    ASSERT_TRUE(k->waitFor(std::regex("Messen\nAbstand: "))) << k->out();
    typeLine(window, "2.5");
    EXPECT_TRUE(k->waitFor(std::regex("Gemessen: 2\\.50\nBefehl: "))) << k->out();
    EXPECT_TRUE(k->running() && windowNamed() == window) << "the window went with the program";
    EXPECT_EQ(closeMain(*k, window), 0) << k->out() << stderrText();
}

// A dialog opens where it did the first time (that one opens while the window manager still
// frames the main window); over a small main window in the screen's corner it stays on screen.
TEST_F(KorcadOnADisplay, ADialogOpensWhereItDidBeforeAndStaysOnTheScreen)
{
    std::ofstream(home_.dir() + "/dialoge.lsp") << "(defun d (n) (korDialog_ButtonDialog 1 (list n) '(\"A\" \"B\") '(\"a\" \"b\")))\n"
                                                   "(d \"Erster\") (d \"Zweiter\") (getstring \"\\nWeiter: \") (d \"Dritter\")\n";
    auto k = korcad({home_.dir() + "/dialoge.lsp"});
    // The window `name` and its frame on the screen (left, top, right, bottom), once it is framed.
    auto frameOf = [](const std::string& name) {
        std::string id = windowNamed(name), extents, geometry;
        std::smatch e, g;
        std::array<int, 4> frame{-1, -1, -1, -1};
        waitUntil([&] {
            extents = output({"/usr/bin/xprop", "-id", id, "_NET_FRAME_EXTENTS"});
            return std::regex_search(extents, e, std::regex("= (\\d+), (\\d+), (\\d+), (\\d+)"));
        });
        geometry = output({"/usr/bin/xdotool", "getwindowgeometry", "--shell", id});
        if (!e.empty() && std::regex_search(geometry, g, std::regex("X=(-?\\d+)\nY=(-?\\d+)\nWIDTH=(\\d+)\nHEIGHT=(\\d+)"))) {
            auto n = [](const std::ssub_match& m) { return std::stoi(m.str()); };
            frame = {n(g[1]) - n(e[1]), n(g[2]) - n(e[3]), n(g[1]) + n(g[3]) + n(e[2]), n(g[2]) + n(g[4]) + n(e[4])};
        }
        return std::make_pair(id, frame);
    };
    // Escape into dialog `id` until it is gone (a key that comes before the focus is lost).
    auto escape = [](const std::string& id) {
        auto visible = [&] {
            return output({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "."}).find(id + "\n") != std::string::npos;
        };
        EXPECT_TRUE(waitUntil([&] {
            runProcess({"/usr/bin/xdotool", "windowactivate", "--sync", id});
            runProcess({"/usr/bin/xdotool", "key", "Escape"});
            const auto end = Clock::now() + std::chrono::seconds(2);
            while (visible() && Clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return !visible();
        })) << "dialog " << id << " did not close";
    };
    auto [first, at1] = frameOf("Erster");
    ASSERT_FALSE(first.empty()) << "no dialog; stderr: " << stderrText();
    escape(first);
    auto [second, at2] = frameOf("Zweiter");
    EXPECT_EQ(at2, at1) << "the second dialog opened elsewhere";
    escape(second);

    ASSERT_TRUE(k->waitFor(std::regex("Weiter: "))) << k->out();
    const std::string window = windowNamed();
    xdotool({"windowsize", "--sync", window, "320", "240"});
    xdotool({"windowmove", "--sync", window, "1100", "900"});
    typeLine(window, "");
    std::pair<std::string, std::array<int, 4>> third;
    EXPECT_TRUE(waitUntil([&] {
        third = frameOf("Dritter");
        return third.second[0] >= 0 && third.second[1] >= 0 && third.second[2] <= 1280 && third.second[3] <= 1024;
    })) << "the dialog's frame " << third.second[0] << "," << third.second[1] << " - " << third.second[2] << ","
        << third.second[3] << " leaves the screen";
    escape(third.first);
    ASSERT_TRUE(k->waitFor(std::regex("Befehl: "))) << k->out();
    EXPECT_EQ(closeMain(*k, window), 0) << k->out() << stderrText();
}

}  // namespace

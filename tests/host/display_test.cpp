// korcad on a real display: an X server of its own (Xvfb), a window manager (openbox), xdotool's
// keys and clicks; the screen grabbed through Qt, prompts and answers read from standard output.
// Every wait is for a condition within a deadline; without the tools the test is skipped.
#include "child.h"

#include "gui/DrawingView.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

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
        // This process looks at the screen through Qt on the same display.
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "korcad_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
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
    // Closes dialog `id` with Escape, pressed only while it has the focus, until it is gone.
    static void escapeFrom(const std::string& id)
    {
        auto visible = [&] {
            return output({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "."}).find(id + "\n") !=
                   std::string::npos;
        };
        auto focused = [&] { return output({"/usr/bin/xdotool", "getwindowfocus"}) == id + "\n"; };
        EXPECT_TRUE(waitUntil([&] {
            if (!visible())
                return true;
            if (!focused()) {
                runProcess({"/usr/bin/xdotool", "windowactivate", id});
                return false;
            }
            xdotool({"key", "Escape"});
            const auto end = Clock::now() + std::chrono::seconds(2);
            while (visible() && Clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return !visible();
        })) << "dialog " << id << " did not close";
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
    // Pixels of the drawing in the middle of the view (the view fills the window's upper part).
    static int drawnPixels(const std::string& window)
    {
        QImage shot = QGuiApplication::primaryScreen()->grabWindow(std::stoul(window)).toImage().convertToFormat(
            QImage::Format_RGB32);
        const QRgb background = korcad::DrawingView::background().rgb() & 0xFFFFFF;
        int drawn = 0;
        for (int y = shot.height() / 10; y < shot.height() / 2; ++y)
            for (int x = shot.width() / 10; x < shot.width() * 9 / 10; ++x)
                drawn += (shot.pixel(x, y) & 0xFFFFFF) != background;
        return drawn;
    }
    std::string stderrText() const
    {
        std::ifstream in(home_.dir() + "/stderr");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string display_;
    std::unique_ptr<Child> xvfb_, wm_;
    std::unique_ptr<QGuiApplication> app_;
    TempFile home_{"unused", ""};
};

// The command line in the window: the drawing shows, a distance is typed, a point picked, and
// closing the window ends korcad. A program run from a desktop asks its prompt in the window,
// which stays after the program until the person closes it.
TEST_F(KorcadOnADisplay, TheWindowShowsTheDrawingAsksEveryPromptAndStaysUntilClosed)
{
    auto k = korcad({"--no-load"});
    std::string window = windowNamed();
    ASSERT_FALSE(window.empty()) << "no main window; stderr: " << stderrText();
    xdotool({"mousemove", "0", "0"});  // no cross-hair over the view
    EXPECT_TRUE(waitUntil([&] { return drawnPixels(window) > 1000; })) << "the network is not drawn";
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

// A dialog opens at the same place the second time as the first (the first opens while the
// window manager still frames the main window), and on the screen over a main window in its corner.
TEST_F(KorcadOnADisplay, ADialogOpensWhereItDidBeforeAndOnTheScreen)
{
    std::ofstream(home_.dir() + "/dialoge.lsp") << "(korDialog_ButtonDialog 1 '(\"Erster\") '(\"A\" \"B\") '(\"a\" \"b\"))\n"
                                                   "(korDialog_ButtonDialog 1 '(\"Zweiter\") '(\"A\" \"B\") '(\"a\" \"b\"))\n"
                                                   "(getstring \"\\nWeiter: \")\n"
                                                   "(korDialog_ButtonDialog 1 '(\"Dritter\") '(\"A\" \"B\") '(\"a\" \"b\"))\n";
    auto k = korcad({home_.dir() + "/dialoge.lsp"});
    // The frame of the visible window named `name` on the screen: left, top, right, bottom,
    // once the window manager has framed it.
    auto frameOf = [](const std::string& name) {
        std::string id = windowNamed(name);
        std::array<int, 4> frame{-1, -1, -1, -1}, extents{0, 0, 0, 0};
        std::smatch m;
        waitUntil([&] {
            std::string e = output({"/usr/bin/xprop", "-id", id, "_NET_FRAME_EXTENTS"});
            if (!std::regex_search(e, m, std::regex("= (\\d+), (\\d+), (\\d+), (\\d+)")))
                return false;
            extents = {std::stoi(m[1]), std::stoi(m[3]), std::stoi(m[2]), std::stoi(m[4])};  // l t r b
            return true;
        });
        std::string g = output({"/usr/bin/xdotool", "getwindowgeometry", "--shell", id});
        if (std::regex_search(g, m, std::regex("X=(-?\\d+)\nY=(-?\\d+)\nWIDTH=(\\d+)\nHEIGHT=(\\d+)")))
            frame = {std::stoi(m[1]) - extents[0], std::stoi(m[2]) - extents[1],
                     std::stoi(m[1]) + std::stoi(m[3]) + extents[2], std::stoi(m[2]) + std::stoi(m[4]) + extents[3]};
        return std::make_pair(id, frame);
    };
    auto [first, at1] = frameOf("Erster");
    ASSERT_FALSE(first.empty()) << "no dialog; stderr: " << stderrText();
    escapeFrom(first);
    auto [second, at2] = frameOf("Zweiter");
    ASSERT_FALSE(second.empty()) << stderrText();
    EXPECT_EQ(at2, at1) << "the second dialog opened elsewhere";
    escapeFrom(second);

    ASSERT_TRUE(k->waitFor(std::regex("Weiter: "))) << k->out();
    const std::string window = windowNamed();
    xdotool({"windowsize", "--sync", window, "320", "240"});
    xdotool({"windowmove", "--sync", window, "1100", "900"});
    typeLine(window, "");
    std::string third;
    std::array<int, 4> at3{};
    EXPECT_TRUE(waitUntil([&] {
        std::tie(third, at3) = frameOf("Dritter");
        return at3[0] >= 0 && at3[1] >= 0 && at3[2] <= 1280 && at3[3] <= 1024;
    })) << "the dialog's frame " << at3[0] << "," << at3[1] << " - " << at3[2] << "," << at3[3] << " leaves the screen";
    ASSERT_FALSE(third.empty()) << stderrText();
    escapeFrom(third);
    ASSERT_TRUE(k->waitFor(std::regex("Befehl: "))) << k->out();
    EXPECT_EQ(closeMain(*k, window), 0) << k->out() << stderrText();
}

}  // namespace

// korcad on a real display, as a person uses it: an X server of its own (Xvfb, on a display
// number it finds free), a window manager (openbox), and xdotool's keys and clicks. The test
// looks at the screen (Qt's grab of korcad's window) and reads korcad's standard output, which
// carries each prompt and its answer as a terminal would. Every wait is for a condition within
// a deadline. Without Xvfb, openbox or xdotool the test is skipped (scripts/setup.sh installs them).
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
    std::unique_ptr<Child> korcad(const std::vector<std::string>& args, bool module = false)
    {
        std::vector<std::string> argv{KORCAD_PATH, "--dwg", EXAMPLES_DIR "/netz.dxf"};
        if (!module)
            argv.insert(argv.begin() + 1, "--no-load");
        argv.insert(argv.end(), args.begin(), args.end());
        return std::make_unique<Child>(argv,
                                       ProcessEnv{{{"DISPLAY", display_}, {"KOR_DEBUGLOG", "off"},
                                                   {"XDG_CONFIG_HOME", home_.dir() + "/config"},
                                                   {"XDG_STATE_HOME", home_.dir() + "/state"}},
                                                  {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}},
                                       ChildSetup{false, home_.dir() + "/stderr"});
    }
    // The id of korcad's visible main window, once it shows.
    static std::string mainWindow()
    {
        std::string id = output({"/usr/bin/timeout", "30", "/usr/bin/xdotool", "search", "--sync", "--onlyvisible",
                                 "--name", "^korcad - netz\\.dxf$"});
        return id.substr(0, id.find('\n'));
    }
    static void xdotool(std::vector<std::string> args)
    {
        args.insert(args.begin(), "/usr/bin/xdotool");
        ProcessResult r = runProcess(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    // Closes dialog `id` with Escape, pressed only while the dialog has the keyboard focus
    // (the window manager may still be busy with another window), until the dialog is gone.
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
    // Types a line into the window that has the focus.
    static void typeLine(const std::string& text)
    {
        xdotool({"type", "--delay", "10", text});
        xdotool({"key", "Return"});
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

// The whole flow on the display. korcad's command line in the window: the drawing shows, a
// distance is typed, a point picked in the view, and closing the window ends korcad. Then a
// program run from a desktop: its prompt is asked in the window, which opens for it; after the
// program the window stays, its command line going on, until the person closes it.
TEST_F(KorcadOnADisplay, TheWindowShowsTheDrawingAsksEveryPromptAndStaysUntilClosed)
{
    auto k = korcad({});
    std::string window = mainWindow();
    ASSERT_FALSE(window.empty()) << "no main window; stderr: " << stderrText();
    xdotool({"mousemove", "0", "0"});  // no cross-hair over the view
    EXPECT_TRUE(waitUntil([&] { return drawnPixels(window) > 1000; })) << "the network is not drawn";

    xdotool({"windowactivate", "--sync", window});
    ASSERT_TRUE(k->waitFor(std::regex("Befehl: ")));
    typeLine("(getdist \"Abstand: \")");
    ASSERT_TRUE(k->waitFor(std::regex("Abstand: "))) << k->out();
    typeLine("3.5");
    EXPECT_TRUE(k->waitFor(std::regex("3\\.5\n3\\.5\nBefehl: "))) << k->out();
    typeLine("(getpoint \"Punkt: \")");
    ASSERT_TRUE(k->waitFor(std::regex("Punkt: "))) << k->out();
    xdotool({"mousemove", "--window", window, "500", "200", "click", "1"});
    EXPECT_TRUE(k->waitFor(std::regex("[-0-9.]+,[-0-9.]+\n\\([-0-9.]+ [-0-9.]+ 0\\.0\\)\nBefehl: "))) << k->out();
    xdotool({"windowactivate", "--sync", window});
    xdotool({"key", "alt+F4"});
    EXPECT_EQ(k->exitCode(), 0) << k->out() << stderrText();

    std::ofstream(home_.dir() + "/messen.lsp") << "(princ \"\\nMessen\")\n"
                                                  "(setq d (getdist \"\\nAbstand: \"))\n"
                                                  "(princ (strcat \"\\nGemessen: \" (rtos d 2 2) \"\\n\"))\n"
                                                  "(princ)\n";
    k = korcad({home_.dir() + "/messen.lsp"});
    window = mainWindow();
    ASSERT_FALSE(window.empty()) << "no main window; stderr: " << stderrText();
    ASSERT_TRUE(k->waitFor(std::regex("Messen\nAbstand: "))) << k->out();
    xdotool({"windowactivate", "--sync", window});
    typeLine("2.5");
    EXPECT_TRUE(k->waitFor(std::regex("Gemessen: 2\\.50\nBefehl: "))) << k->out();
    EXPECT_TRUE(k->running()) << "the window went with the program";
    EXPECT_EQ(mainWindow(), window);
    xdotool({"windowactivate", "--sync", window});
    xdotool({"key", "alt+F4"});
    EXPECT_EQ(k->exitCode(), 0) << k->out() << stderrText();
}

// A dialog opens at the same place the second time as the first (the first opens while the
// window manager is still framing the main window).
TEST_F(KorcadOnADisplay, ADialogOpensWhereItDidBefore)
{
    std::ofstream(home_.dir() + "/dialoge.lsp") << "(korDialog_ButtonDialog 1 '(\"Erster\") '(\"A\" \"B\") '(\"a\" \"b\"))\n"
                                                   "(korDialog_ButtonDialog 1 '(\"Zweiter\") '(\"A\" \"B\") '(\"a\" \"b\"))\n"
                                                   "(getstring \"\\nWeiter: \")\n"
                                                   "(korDialog_ButtonDialog 1 '(\"Dritter\") '(\"A\" \"B\") '(\"a\" \"b\"))\n";
    auto k = korcad({home_.dir() + "/dialoge.lsp"}, true);
    // The frame of the visible window named `name` on the screen: left, top, right, bottom.
    auto frameOf = [](const std::string& name) {
        std::string id = output({"/usr/bin/timeout", "30", "/usr/bin/xdotool", "search", "--sync", "--onlyvisible",
                                 "--name", "^" + name + "$"});
        id = id.substr(0, id.find('\n'));
        std::array<int, 4> frame{-1, -1, -1, -1}, extents{0, 0, 0, 0};
        std::smatch m;
        // The frame extents come once the window manager has framed the window.
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

    // Over a small main window in the screen's corner, the dialog still opens on the screen.
    ASSERT_TRUE(k->waitFor(std::regex("Weiter: "))) << k->out();
    const std::string window = mainWindow();
    xdotool({"windowsize", "--sync", window, "320", "240"});
    xdotool({"windowmove", "--sync", window, "1100", "900"});
    xdotool({"windowactivate", "--sync", window});
    typeLine("");
    std::string third;
    std::array<int, 4> at3{};
    auto onScreen = [&] {
        std::tie(third, at3) = frameOf("Dritter");
        return at3[0] >= 0 && at3[1] >= 0 && at3[2] <= 1280 && at3[3] <= 1024;
    };
    EXPECT_TRUE(waitUntil(onScreen)) << "the dialog's frame " << at3[0] << "," << at3[1] << " - " << at3[2] << ","
                                     << at3[3] << " leaves the screen";
    ASSERT_FALSE(third.empty()) << stderrText();
    escapeFrom(third);
    ASSERT_TRUE(k->waitFor(std::regex("Befehl: "))) << k->out();
    xdotool({"windowactivate", "--sync", window});
    xdotool({"key", "alt+F4"});
    EXPECT_EQ(k->exitCode(), 0) << k->out() << stderrText();
}

}  // namespace

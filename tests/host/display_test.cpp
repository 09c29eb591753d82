// korcad on a real display, as a person uses it: an X server of its own (Xvfb, on a display
// number it finds free), a window manager (openbox), and xdotool's keys and clicks. The test
// looks at the screen (Qt's grab of korcad's window) and reads korcad's standard output, which
// carries each prompt and its answer as a terminal would.
//
// Every wait is for a condition (a window, a line of output, pixels on the screen) within a
// deadline; the display, the window manager and korcad are stopped at the end, also when a
// test fails. Without Xvfb, openbox or xdotool the tests are skipped (scripts/setup.sh
// installs them).
#include "run_process.h"

#include "gui/DrawingView.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kDeadline = std::chrono::seconds(30);

bool executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

// Waits for `done` to hold, trying it again every few milliseconds, up to the deadline.
bool waitUntil(const std::function<bool()>& done)
{
    const auto end = Clock::now() + kDeadline;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A child process with its standard output read through a pipe as it comes.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::pair<std::string, std::string>>& set,
          const std::vector<std::string>& unset, const std::string& errFile = "/dev/null", int keepFd = -1)
    {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        pid_ = fork();
        if (pid_ < 0)
            throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            int in = open("/dev/null", O_RDONLY);
            int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(in, 0);
            dup2(out[1], 1);
            dup2(err, 2);
            if (keepFd >= 0)
                fcntl(keepFd, F_SETFD, 0);
            setpgid(0, 0);
            for (const auto& name : unset)
                unsetenv(name.c_str());
            for (const auto& [name, value] : set)
                setenv(name.c_str(), value.c_str(), 1);
            std::vector<char*> args;
            for (const auto& a : argv)
                args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        close(out[1]);
        fd_ = out[0];
    }
    ~Child()
    {
        if (!exited_) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(fd_);
    }

    // Reads what has come; false once the output has ended.
    bool read(int waitMs = 50)
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0)
            return true;
        char buf[4096];
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0)
            return false;
        out_.append(buf, static_cast<size_t>(n));
        return true;
    }
    // Waits until the output holds `pattern` after what earlier waits found.
    bool waitFor(const std::regex& pattern)
    {
        const auto end = Clock::now() + kDeadline;
        for (;;) {
            std::smatch m;
            std::string rest = out_.substr(seen_);
            if (std::regex_search(rest, m, pattern)) {
                seen_ += static_cast<size_t>(m.position(0) + m.length(0));
                return true;
            }
            if (Clock::now() > end || !read())
                return false;
        }
    }
    bool running() { return !exited_ && waitpid(pid_, &status_, WNOHANG) == 0; }
    // The exit code once the process ended by itself within the deadline; -1 otherwise.
    int exitCode()
    {
        const auto end = Clock::now() + kDeadline;
        while (Clock::now() < end) {
            read(20);
            pid_t r = waitpid(pid_, &status_, WNOHANG);
            if (r == pid_) {
                exited_ = true;
                while (read(0)) {
                }
                return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
            }
        }
        return -1;
    }
    const std::string& out() const { return out_; }
    pid_t pid() const { return pid_; }
    int fd() const { return fd_; }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    int status_ = 0;
    bool exited_ = false;
    std::string out_;
    size_t seen_ = 0;
};

std::string output(const std::vector<std::string>& argv)
{
    ProcessResult r = runProcess(argv);
    return r.exitCode == 0 ? r.out : std::string();
}

class KorcadOnADisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const char* tool : {"/usr/bin/Xvfb", "/usr/bin/openbox", "/usr/bin/xdotool", "/usr/bin/xprop"})
            if (!executable(tool)) {
                missing_ = tool;
                return;
            }
        // Xvfb takes the first free display number and writes it to the pipe.
        int fds[2];
        ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
        xvfb_ = std::make_unique<Child>(
            std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                     "1280x1024x24", "-nolisten", "tcp", "-noreset"},
            std::vector<std::pair<std::string, std::string>>{}, std::vector<std::string>{}, "/dev/null", fds[1]);
        close(fds[1]);
        std::string number;
        const auto end = Clock::now() + kDeadline;
        while (number.find('\n') == std::string::npos && Clock::now() < end) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            char c;
            if (::read(fds[0], &c, 1) != 1)
                break;
            number += c;
        }
        close(fds[0]);
        ASSERT_NE(number.find('\n'), std::string::npos) << "Xvfb named no display";
        display_ = ":" + number.substr(0, number.find('\n'));
        setenv("DISPLAY", display_.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");

        wm_ = std::make_unique<Child>(std::vector<std::string>{"/usr/bin/openbox"},
                                      std::vector<std::pair<std::string, std::string>>{},
                                      std::vector<std::string>{});
        ASSERT_TRUE(waitUntil([] {
            return output({"/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
                   std::string::npos;
        })) << "the window manager did not start";

        // This process looks at the screen through Qt on the same display.
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "korcad_display_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QGuiApplication(argc, argv);
    }
    static void TearDownTestSuite()
    {
        delete app_;
        app_ = nullptr;
        wm_.reset();
        xvfb_.reset();
    }
    void SetUp() override
    {
        if (!missing_.empty())
            GTEST_SKIP() << missing_ << " is not installed (scripts/setup.sh installs it)";
        ASSERT_TRUE(app_);
    }

    // korcad as a person starts it from a desktop: no terminal, the display set.
    std::unique_ptr<Child> korcad(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv{KORCAD_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return std::make_unique<Child>(
            argv,
            std::vector<std::pair<std::string, std::string>>{{"DISPLAY", display_},
                                                             {"KOR_DEBUGLOG", "off"},
                                                             {"XDG_CONFIG_HOME", home_.dir() + "/config"},
                                                             {"XDG_STATE_HOME", home_.dir() + "/state"}},
            std::vector<std::string>{"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"}, home_.dir() + "/stderr");
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

    static inline std::string missing_;
    static inline std::string display_;
    static inline std::unique_ptr<Child> xvfb_, wm_;
    static inline QGuiApplication* app_ = nullptr;
    TempFile home_{"unused", ""};
};

// The whole flow on the display. korcad's command line in the window: the drawing shows, a
// distance is typed, a point picked in the view, and closing the window ends korcad. Then a
// program run from a desktop: its prompt is asked in the window, which opens for it; after the
// program the window stays, its command line going on, until the person closes it.
TEST_F(KorcadOnADisplay, TheWindowShowsTheDrawingAsksEveryPromptAndStaysUntilClosed)
{
    auto k = korcad({"--no-load", "--dwg", EXAMPLES_DIR "/netz.dxf"});
    std::string window = mainWindow();
    ASSERT_FALSE(window.empty()) << "no main window; stderr: " << stderrText();
    xdotool({"mousemove", "0", "0"});  // no cross-hair over the view
    EXPECT_TRUE(waitUntil([&] { return drawnPixels(window) > 1000; })) << "the network is not drawn";

    xdotool({"windowactivate", "--sync", window});
    ASSERT_TRUE(k->waitFor(std::regex("Befehl: ")));
    xdotool({"type", "--delay", "10", "(getdist \"Abstand: \")"});
    xdotool({"key", "Return"});
    ASSERT_TRUE(k->waitFor(std::regex("Abstand: "))) << k->out();
    xdotool({"type", "--delay", "10", "3.5"});
    xdotool({"key", "Return"});
    EXPECT_TRUE(k->waitFor(std::regex("3\\.5\n3\\.5\nBefehl: "))) << k->out();

    xdotool({"type", "--delay", "10", "(getpoint \"Punkt: \")"});
    xdotool({"key", "Return"});
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
    k = korcad({"--no-load", "--dwg", EXAMPLES_DIR "/netz.dxf", home_.dir() + "/messen.lsp"});
    window = mainWindow();
    ASSERT_FALSE(window.empty()) << "no main window; stderr: " << stderrText();
    ASSERT_TRUE(k->waitFor(std::regex("Messen\nAbstand: "))) << k->out();
    xdotool({"windowactivate", "--sync", window});
    xdotool({"type", "--delay", "10", "2.5"});
    xdotool({"key", "Return"});
    EXPECT_TRUE(k->waitFor(std::regex("Gemessen: 2\\.50\nBefehl: "))) << k->out();
    EXPECT_TRUE(k->running()) << "the window went with the program";
    EXPECT_EQ(mainWindow(), window);

    xdotool({"windowactivate", "--sync", window});
    xdotool({"key", "alt+F4"});
    EXPECT_EQ(k->exitCode(), 0) << k->out() << stderrText();
}

}  // namespace

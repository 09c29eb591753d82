// korcad — the CAD host a person runs: an AutoLISP command line with one drawing open and
// the korDialog module loaded. See `korcad --help`.
#include "gui/EchoBuffer.h"
#include "app/DialogWiring.h"
#include "input/LineEditor.h"
#include "app/Session.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// Standard output as written, remembering why the first write that failed did so: korcad
// flushes after each message, so the reason is gone by the end of the run.
class CheckedOutput : public std::streambuf {
public:
    explicit CheckedOutput(std::streambuf* next) : next_(next) {}
    bool failed() const { return failed_; }
    int error() const { return error_; }

protected:
    int overflow(int c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        errno = 0;
        int r = next_->sputc(traits_type::to_char_type(c));
        if (r == traits_type::eof())
            note();
        return r;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        errno = 0;
        std::streamsize written = next_->sputn(s, n);
        if (written < n)
            note();
        return written;
    }
    int sync() override
    {
        errno = 0;
        int r = next_->pubsync();
        if (r != 0)
            note();
        return r;
    }

private:
    void note()
    {
        if (!failed_)
            error_ = errno;
        failed_ = true;
    }
    std::streambuf* next_;
    bool failed_ = false;
    int error_ = 0;
};

// As the core utilities do: standard output that could not be written (a full disk, a closed
// descriptor) is said on standard error and fails the run, whatever else went well.
int checkStandardOutput(CheckedOutput& out, int rc)
{
    std::cout.flush();
    if (!out.failed() && !std::cout.bad())
        return rc;
    std::cerr << "korcad: write error on standard output"
              << (out.error() ? std::string(": ") + std::strerror(out.error()) : "") << "\n";
    return rc == korcad::kExitOk ? korcad::kExitFailure : rc;
}

}  // namespace

int main(int argc, char** argv)
{
    CheckedOutput checked(std::cout.rdbuf());
    struct RestoreOutput {
        std::streambuf* buffer;
        ~RestoreOutput() { std::cout.rdbuf(buffer); }
    } restoreOutput{std::cout.rdbuf(&checked)};
    std::vector<std::string> args(argv + 1, argv + argc);
    korcad::ParsedOptions parsed = korcad::parseOptions(args);
    if (!parsed.error.empty()) {
        std::cerr << "korcad: " << parsed.error << "\n"
                  << "Try 'korcad --help' for more information.\n";
        return korcad::kExitUsage;
    }
    if (parsed.options.help) {
        std::cout << korcad::helpText();
        return checkStandardOutput(checked, korcad::kExitOk);
    }
    // A person at a display is asked every prompt in the window's command line and picks in
    // its view; what korcad prints shows there as well as on standard output and error.
    const korcad::Options& o = parsed.options;
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool atDisplay = o.answersFile.empty() && !o.terminal &&
                           (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) &&
                           !(platform && std::string(platform) == "offscreen");
    korcad::EchoBuffer echo(std::cout.rdbuf());
    korcad::EchoBuffer echoErr(std::cerr.rdbuf());
    struct Restore {
        std::streambuf* out;
        std::streambuf* err;
        ~Restore()
        {
            std::cout.rdbuf(out);
            std::cerr.rdbuf(err);
        }
    } restore{std::cout.rdbuf(), std::cerr.rdbuf()};
    if (atDisplay) {
        std::cout.rdbuf(&echo);
        std::cerr.rdbuf(&echoErr);
    }
    korcad::Session session(std::move(parsed.options));
    korcad::DialogWiring dialogs;
    std::string error;
    if (!dialogs.install(session, &error)) {
        std::cerr << "korcad: " << error << "\n";
        return korcad::kExitUsage;
    }
    // A person at a terminal gets line editing, history and Ctrl-C on the command line.
    // Files and -e expressions run as a batch: Ctrl-C ends korcad there, as for any program.
    const bool interactive = session.options().items.empty() && session.options().answersFile.empty();
    auto terminal = [interactive]() -> std::unique_ptr<korcad::InputSource> {
        if (interactive && korcad::LineEditor::available())
            return std::make_unique<korcad::LineEditor>(std::cerr, korcad::DialogWiring::windowEventsWhileWaiting);
        return std::make_unique<korcad::TerminalInput>(std::cin, std::cout);
    };
    if (atDisplay)
        dialogs.useWindow(session, &echo, &echoErr, terminal, interactive);
    else if (interactive && korcad::LineEditor::available())
        session.setInput(terminal());
    if (session.options().answersFile.empty())
        dialogs.cancelUnanswerableDialogs();
    int rc = session.run();
    dialogs.shootMainWindow();
    dialogs.keepWindowOpen(session);
    if (size_t unused = dialogs.unusedAnswers())
        std::cerr << "korcad: warning: " << unused << " answer(s) of " << session.options().answersFile
                  << " were not used\n";
    return checkStandardOutput(checked, rc);
}

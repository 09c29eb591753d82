#include "input/LineEditor.h"

#include <editline/readline.h>

#include <langinfo.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>

namespace korcad {

namespace {

constexpr int kHistoryEntries = 1000;

// What libedit's line handler hands over: the line typed, or nothing at end of input.
struct Completed {
    bool done = false;
    std::optional<std::string> line;
} completed;

void onLine(char* line)
{
    completed.done = true;
    if (line) {
        completed.line = std::string(line);
        std::free(line);
    } else {
        completed.line.reset();
    }
    rl_callback_handler_remove();
}

void onSigint(int) { lisp::requestInterrupt(); }

// libedit reads and echoes characters as the character locale says; in the "C" locale every
// byte past ASCII is dropped, so "Größe" would arrive as "Gre". korcad's text is UTF-8: the
// environment's locale when it is a UTF-8 one, else C.UTF-8. Asked before every line, since
// the window layer's start sets the environment's locale again.
void useUtf8Characters()
{
    auto utf8 = [] {
        std::string codeset = nl_langinfo(CODESET);
        return codeset == "UTF-8" || codeset == "utf8";
    };
    if (utf8())
        return;
    if (std::setlocale(LC_CTYPE, "") && utf8())
        return;
    if (std::setlocale(LC_CTYPE, "C.UTF-8") && utf8())
        return;
    std::setlocale(LC_CTYPE, "C.utf8");
}

// Blocks SIGINT while libedit works on a key, so that Ctrl-C only lands while waiting for
// one (in ppoll) and is seen there at once.
class SigintBlocked {
public:
    SigintBlocked()
    {
        sigset_t block;
        sigemptyset(&block);
        sigaddset(&block, SIGINT);
        pthread_sigmask(SIG_BLOCK, &block, &previous_);
    }
    ~SigintBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    const sigset_t* previous() const { return &previous_; }

private:
    sigset_t previous_;
};

}  // namespace

bool LineEditor::available() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

std::string LineEditor::historyPath()
{
    namespace fs = std::filesystem;
    const char* state = std::getenv("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is invalid and ignored, as the base-directory rules say.
    if (state && *state && fs::path(state).is_absolute())
        return (fs::path(state) / "korcad" / "history").string();
    const char* home = std::getenv("HOME");
    if (home && *home)
        return (fs::path(home) / ".local" / "state" / "korcad" / "history").string();
    return std::string();
}

LineEditor::LineEditor(std::ostream& warnings, WhileWaiting whileWaiting)
    : warnings_(warnings), whileWaiting_(std::move(whileWaiting)), historyPath_(historyPath())
{
    useUtf8Characters();
    rl_readline_name = "korcad";
    rl_catch_signals = 0;  // Ctrl-C is ours (below), not libedit's
    rl_instream = stdin;
    rl_outstream = stdout;
    rl_initialize();
    using_history();
    stifle_history(kHistoryEntries);

    if (historyPath_.empty()) {
        warnHistory("neither XDG_STATE_HOME nor HOME is set");
    } else {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(historyPath_).parent_path(), ec);
        if (ec)
            warnHistory(ec.message());
        else if (access(historyPath_.c_str(), F_OK) == 0 && read_history(historyPath_.c_str()) != 0)
            warnHistory("cannot read it");
    }

    struct sigaction action {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // output and file reads go on; only ppoll sees EINTR
    sigaction(SIGINT, &action, &previousSigint_);
    lisp::takeInterrupt();
}

LineEditor::~LineEditor() { sigaction(SIGINT, &previousSigint_, nullptr); }

void LineEditor::warnHistory(const std::string& what)
{
    if (historyWarned_)
        return;
    historyWarned_ = true;
    warnings_ << "korcad: warning: the command history is not kept"
              << (historyPath_.empty() ? std::string() : " in " + historyPath_) << ": " << what
              << '\n';
    warnings_.flush();
}

void LineEditor::remember(const std::string& line)
{
    if (line.find_first_not_of(" \t") == std::string::npos)
        return;
    add_history(line.c_str());
    if (historyPath_.empty() || historyWarned_)
        return;
    // Written after every line, so that a session that ends any way keeps what was typed.
    errno = 0;
    if (write_history(historyPath_.c_str()) != 0)
        warnHistory(errno ? std::strerror(errno) : "cannot write it");
}

std::optional<std::string> LineEditor::readLine(const std::string& prompt)
{
    std::fflush(stdout);
    useUtf8Characters();
    SigintBlocked blocked;
    completed = Completed{};
    rl_callback_handler_install(prompt.c_str(), onLine);
    while (!completed.done) {
        if (lisp::takeInterrupt()) {
            rl_callback_handler_remove();  // the next install starts with an empty line
            std::fputs("\n", stdout);
            std::fflush(stdout);
            throw LineCancelled();
        }
        pollfd in{fileno(rl_instream), POLLIN, 0};
        const bool again = whileWaiting_ && whileWaiting_();
        timespec interval{0, kWaitingIntervalMs * 1000000L};
        int ready = ppoll(&in, 1, again ? &interval : nullptr, blocked.previous());
        if (ready == 0)
            continue;
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            rl_callback_handler_remove();
            return std::nullopt;
        }
        if (in.revents & (POLLHUP | POLLERR | POLLNVAL) && !(in.revents & POLLIN)) {
            rl_callback_handler_remove();
            return std::nullopt;  // the terminal went away
        }
        rl_callback_read_char();
    }
    if (completed.line)
        remember(*completed.line);
    else
        std::fputs("\n", stdout);  // Ctrl-D: leave the prompt's line
    std::fflush(stdout);
    return completed.line;
}

}  // namespace korcad

// soak — one korcad session (the host korcad runs, with the module loaded and the sample
// databases) makes a great many calls of the module's eight functions with generated argument
// lists, valid and invalid, every dialog answered by a scripted user (OK, Cancel or Escape at
// random). It reports the calls made, the distinct answers (the first element of the answer,
// or the LISP error), the resident memory and the time per call, at the start and at the end,
// and shows its progress while it runs. Built with -DKOR_SANITIZE=ON it runs under ASan, UBSan
// and LSan: any report ends it with a failure.
//
//   soak [CALLS] [SEED]      defaults: 1,000,000 calls, seed 1
#include "app/DialogWiring.h"
#include "app/Session.h"
#include "lisp/Printer.h"
#include "mfc/afxhost.h"
#include "uidriver/afxdriver.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Resident memory now, in KiB.
long residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Generated LISP argument texts: mostly the shapes the functions take, some of every other kind.
class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    std::string call()
    {
        static const char* const functions[] = {
            "korDialog_ButtonDialog", "korDialog_ButtonValue",   "korDialog_FragBox",
            "korDialog_MultiEditDialog", "korDialog_GridDialog", "korDialog_GridDialog_LType",
            "korDialog_LWeightDialog",   "korDialog_SelectColor"};
        int f = pick(8);
        std::string args = valid() ? validArgs(f) : randomArgs();
        return std::string("(") + functions[f] + args + ")";
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool valid() { return pick(3) != 0; }

    std::string text()
    {
        static const char* const texts[] = {"\"Titel\"", "\"Länge [m]\"", "\"\"", "\"%s%n%x\"",
                                            "\"a\\\"b'c`;--\"", "\"Überflurhydrant DN 100\"", "\"PE\"",
                                            "\"WASSER\"", "\"TEXTE\""};
        if (pick(40) == 0)
            return "\"" + std::string(static_cast<size_t>(pick(3000)), 'x') + "\"";
        return texts[pick(static_cast<int>(std::size(texts)))];
    }
    std::string number()
    {
        static const char* const numbers[] = {"0", "1", "2", "-1", "12", "13", "32767", "-32768", "2147483647",
                                              "2.5", "-0.0", "1e308", "0.001", "3"};
        return numbers[pick(static_cast<int>(std::size(numbers)))];
    }
    std::string atom()
    {
        switch (pick(5)) {
        case 0: return text();
        case 1: return number();
        case 2: return "nil";
        case 3: return "T";
        default: return "'sym";
        }
    }
    std::string list(int depth)
    {
        std::string s = "(list";
        int n = pick(14);
        for (int i = 0; i < n; ++i)
            s += " " + (depth > 0 && pick(4) == 0 ? list(depth - 1) : atom());
        return s + ")";
    }
    std::string randomArgs()
    {
        std::string s;
        int n = pick(8);
        for (int i = 0; i < n; ++i)
            s += " " + (pick(3) == 0 ? list(2) : atom());
        return s;
    }
    std::string strings(int n)
    {
        std::string s = "(list";
        for (int i = 0; i < n; ++i)
            s += " " + text();
        return s + ")";
    }
    std::string labels(int n)
    {
        std::string s = "(list";
        for (int i = 0; i < n; ++i)
            s += " " + (pick(2) ? std::to_string(1 + pick(20)) : text());
        return s + ")";
    }
    std::string values(int n, bool reals)
    {
        std::string s = "(list";
        for (int i = 0; i < n; ++i)
            s += " " + (reals || pick(2) ? number() : text());
        return s + ")";
    }
    std::string validArgs(int f)
    {
        int n = 1 + pick(pick(10) == 0 ? 14 : 8);
        switch (f) {
        case 0: return " " + std::to_string(pick(n + 1)) + " (list " + text() + ") " + strings(n) + " " + strings(n);
        case 1: return " \"WASSER\" \"TEXTE\" " + number() + " " + number() + " " + number() + " " + text();
        case 2: return " \"WASSER\" \"TEXTE\" " + labels(n) + " " + values(n, false);
        case 3: return " \"WASSER\" \"TEXTE\" " + labels(n) + " " + values(n, true);
        case 4: {
            std::string rows = "(list";
            for (int r = pick(30); r > 0; --r)
                rows += " " + strings(2);
            return " (list " + std::to_string(pick(3)) + " " + text() + " " + std::to_string(pick(4)) + " " +
                   strings(2) + " " + rows + "))";
        }
        case 5: return " " + (pick(2) ? std::string("\"Continuous\"") : text());
        case 6: return " " + number();
        default: return " " + text();
        }
    }

    std::mt19937 rng_;
};

// The scripted user: every dialog that opens is answered with OK, Cancel or Escape.
void answerNextDialog(std::mt19937& rng)
{
    afxdriver::onNextDialog([&rng](CDialog&) {
        switch (std::uniform_int_distribution<int>(0, 2)(rng)) {
        case 0: afxdriver::ok(); break;
        case 1: afxdriver::cancel(); break;
        default: afxdriver::key(afxdriver::Key::Escape); break;
        }
        answerNextDialog(rng);
    });
}

}  // namespace

int main(int argc, char** argv)
{
    const long calls = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1;
    if (calls <= 0) {
        std::fprintf(stderr, "usage: soak [CALLS] [SEED]\n");
        return 2;
    }
    ::setenv("KOR_DEBUGLOG", "off", 0);
    // Saved window positions and history go to a folder of the soak's own, in memory where
    // there is one: a million dialogs would otherwise wait a million times for the disk.
    std::string home = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : P_tmpdir) + std::string("/korcad-soak-XXXXXX");
    if (!mkdtemp(home.data())) {
        std::perror("soak: a folder for the configuration");
        return 1;
    }
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
    struct RemoveHome {
        std::string path;
        ~RemoveHome() { std::filesystem::remove_all(path); }
    } removeHome{home};
    korcad::Options options;
    std::ostringstream out, err;
    std::istringstream in;
    korcad::Session session(options, in, out, err);
    korcad::DialogWiring dialogs;
    std::string error;
    if (!dialogs.install(session, &error) || !session.start()) {
        std::fprintf(stderr, "soak: korcad did not start: %s%s\n", error.c_str(), err.str().c_str());
        return 1;
    }
    Generator generate(seed);
    std::mt19937 user(seed + 1);
    answerNextDialog(user);

    std::map<std::string, long> answers;
    const long window = std::min<long>(10000, std::max<long>(1, calls / 10));
    double startUs = 0, endUs = 0;
    long startRss = 0;
    auto began = Clock::now();
    auto last = began;
    for (long i = 0; i < calls; ++i) {
        std::string text = generate.call();
        auto t0 = Clock::now();
        std::string answer;
        try {
            lisp::Value v = session.lisp().evalText(text);
            std::string shown = lisp::toString(v, true);
            // The first element of a list answer, else the whole answer.
            if (shown.size() > 1 && shown[0] == '(') {
                size_t end = shown.find_first_of(" )", 1);
                answer = "(" + shown.substr(1, std::min<size_t>(end - 1, 20)) + " ...)";
            } else {
                answer = shown.size() > 20 ? shown.substr(0, 20) + "..." : shown;
            }
        } catch (const lisp::LispError& e) {
            answer = std::string("error: ") + e.what();
            answer = answer.substr(0, answer.find(':', 7));
        }
        double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        ++answers[answer];
        if (i < window)
            startUs += us;
        if (i >= calls - window)
            endUs += us;
        if (i + 1 == window)
            startRss = residentKiB();
        if (Clock::now() - last > std::chrono::seconds(10) || i + 1 == calls) {
            last = Clock::now();
            std::fprintf(stderr, "soak: %ld of %ld calls, %ld KiB resident, %.0f s\n", i + 1, calls, residentKiB(),
                         std::chrono::duration<double>(last - began).count());
        }
        out.str({});
        err.str({});
    }
    std::printf("calls: %ld (seed %u), %zu distinct answers\n", calls, seed, answers.size());
    for (const auto& [answer, count] : answers)
        std::printf("  %-40s %ld\n", answer.c_str(), count);
    std::printf("resident memory after the first %ld calls: %ld KiB, at the end: %ld KiB, peak: %ld KiB\n", window,
                startRss, residentKiB(), peakKiB());
    std::printf("time per call: first %ld calls %.1f us, last %ld calls %.1f us\n", window, startUs / window, window,
                endUs / window);
    return 0;
}

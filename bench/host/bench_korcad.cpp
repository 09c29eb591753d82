// korcad_bench — start-up time of `korcad -e '(+ 1 2)'` (a spawned process; the median of
// the repetitions is the number to read) and the cost of one call of an application's
// function through ADS against one built-in call and one user function call.
//
//   build/bin/korcad_bench [--benchmark_filter=...]
#include "Session.h"

#include "lisp/Reader.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace {

// Runs korcad with its output thrown away and waits for it.
void runKorcad(benchmark::State& state, std::vector<std::string> args)
{
    args.insert(args.begin(), KORCAD_PATH);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    for (auto _ : state) {
        pid_t pid;
        if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start korcad");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("korcad failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&files);
}

void StartupWithoutModule(benchmark::State& state)
{
    runKorcad(state, {"--no-load", "-e", "(+ 1 2)"});
}
BENCHMARK(StartupWithoutModule)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

#ifdef KORDIALOG_BUILT
void StartupWithModule(benchmark::State& state) { runKorcad(state, {"-e", "(+ 1 2)"}); }
BENCHMARK(StartupWithModule)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
#endif

// One session for the in-process calls, with the test application loaded.
korcad::Session& session()
{
    static korcad::Session* s = [] {
        korcad::Options options;
        options.noLoad = true;
        static std::istringstream in;
        static std::ostringstream out, err;
        auto* created = new korcad::Session(options, in, out, err);
        if (!created->start() || !created->runExpression("(arxload \"korTestApp\")") ||
            !created->runExpression("(defun user-list (a b) (list a b))"))
            throw std::runtime_error("cannot set up the session: " + err.str());
        return created;
    }();
    return *s;
}

void evaluateRepeatedly(benchmark::State& state, const char* text)
{
    lisp::Interpreter& lisp = session().lisp();
    lisp::Value form = lisp.read(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(lisp.eval(form));
}

void BuiltinCall(benchmark::State& state) { evaluateRepeatedly(state, "(list 1 2)"); }
void UserFunctionCall(benchmark::State& state) { evaluateRepeatedly(state, "(user-list 1 2)"); }
void ExternalCall(benchmark::State& state) { evaluateRepeatedly(state, "(kortest_echo 1 2)"); }
void ExternalCallWithList(benchmark::State& state)
{
    evaluateRepeatedly(state, "(kortest_echo '(1 \"zwei\" 3.0 (4 . 5)))");
}
BENCHMARK(BuiltinCall);
BENCHMARK(UserFunctionCall);
BENCHMARK(ExternalCall);
BENCHMARK(ExternalCallWithList);

// A recursive LISP program, to see the evaluator's own speed.
void Fibonacci20(benchmark::State& state)
{
    lisp::Interpreter& lisp = session().lisp();
    lisp.evalText("(defun fib (n) (if (< n 2) n (+ (fib (- n 1)) (fib (- n 2)))))");
    lisp::Value form = lisp.read("(fib 20)");
    for (auto _ : state)
        benchmark::DoNotOptimize(lisp.eval(form));
}
BENCHMARK(Fibonacci20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

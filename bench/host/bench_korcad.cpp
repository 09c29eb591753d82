// korcad_bench — how long korcad takes from start to exit (`korcad -e '(+ 1 2)'`, with and
// without the module), and the cost of one call of an application's function through ADS
// against one built-in call and one user function call.
//
// The start-up figures are the korcad child's own wall clock, from posix_spawn to the return
// of wait4, timed per iteration. Each iteration first spawns /bin/true the same way: that
// floor (what starting any program costs on this machine, now) is shown as floor_ms, and
// x_floor is korcad's time divided by it. korcad_cpu_ms is the CPU time (user + system) the
// korcad child used, from wait4.
//
//   build/bin/korcad_bench [--benchmark_filter=...]
#include "app/Session.h"

#include "lisp/Reader.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace {

struct ChildRun {
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

// Runs a program with its input and output on /dev/null and waits for it: its wall clock
// from spawn to exit, and the CPU time it used.
ChildRun runChild(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    auto begin = std::chrono::steady_clock::now();
    pid_t pid;
    int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    auto end = std::chrono::steady_clock::now();
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.wallSeconds = std::chrono::duration<double>(end - begin).count();
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return run;
}

// Start to exit of korcad with these arguments, paired with /bin/true in every iteration.
void startup(benchmark::State& state, std::vector<std::string> args)
{
    args.insert(args.begin(), KORCAD_PATH);
    double floorTotal = 0, korcadTotal = 0, cpuTotal = 0;
    for (auto _ : state) {
        ChildRun floor = runChild({"/bin/true"});
        ChildRun korcad = runChild(args);
        if (!floor.ok || !korcad.ok) {
            state.SkipWithError(!floor.ok ? "cannot run /bin/true" : "korcad failed");
            break;
        }
        state.SetIterationTime(korcad.wallSeconds);
        floorTotal += floor.wallSeconds;
        korcadTotal += korcad.wallSeconds;
        cpuTotal += korcad.cpuSeconds;
    }
    double n = static_cast<double>(state.iterations());
    if (n > 0 && floorTotal > 0) {
        state.counters["floor_ms"] = floorTotal / n * 1e3;
        state.counters["korcad_cpu_ms"] = cpuTotal / n * 1e3;
        state.counters["x_floor"] = korcadTotal / floorTotal;
    }
}

void StartupWithoutModule(benchmark::State& state) { startup(state, {"--no-load", "-e", "(+ 1 2)"}); }
BENCHMARK(StartupWithoutModule)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

#ifdef KORDIALOG_BUILT
void StartupWithModule(benchmark::State& state) { startup(state, {"-e", "(+ 1 2)"}); }
BENCHMARK(StartupWithModule)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
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

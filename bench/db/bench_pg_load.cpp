// bench_pg_load — twenty korcad processes at once, each doing 10,000 text lookups of the module
// against one PostgreSQL server (korTextLast.so: (kor_TextLast "LAST" "TEXTE" 10000 FILE)),
// against twenty bare processes doing the same number of raw libpq prepared point queries on
// the same table, in the same run. Prints throughput, median and 99th-percentile latency of
// both, the ratios, and whether every answer was correct (exit status 1 if not).
//
//   build/bin/bench_pg_load [PROCESSES [LOOKUPS]]
//   KOR_BENCH_PG_URL=postgresql://... build/bin/bench_pg_load     (a server of one's own)
#include "pg_bench_server.h"

#include <libpq-fe.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    double seconds = 0;
    std::vector<uint32_t> times;  // ns per lookup, all processes
    long correct = 0, wrong = 0, failed = 0;
};

std::vector<uint32_t> readTimes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint32_t> out;
    uint32_t t;
    while (in.read(reinterpret_cast<char*>(&t), sizeof t))
        out.push_back(t);
    return out;
}

// The raw peer in a child process: the same identifiers as korTextLast draws.
int rawChild(const std::string& url, int lookups, const std::string& out)
{
    PGconn* conn = PQconnectdb(url.c_str());
    if (PQstatus(conn) != CONNECTION_OK)
        return 3;
    PGresult* p = PQprepare(conn, "punkt", "SELECT text FROM last.\"TEXTE\" WHERE identifier = $1", 1, nullptr);
    if (PQresultStatus(p) != PGRES_COMMAND_OK)
        return 3;
    PQclear(p);
    std::vector<uint32_t> times;
    long correct = 0, wrong = 0, failed = 0;
    unsigned id = static_cast<unsigned>(::getpid());
    for (int i = 0; i < lookups; ++i) {
        id = id * 1103515245u + 12345u;
        int identifier = static_cast<int>((id >> 8) % 1000) + 1;
        std::string value = std::to_string(identifier);
        const char* params[] = {value.c_str()};
        auto t0 = Clock::now();
        PGresult* r = PQexecPrepared(conn, "punkt", 1, params, nullptr, nullptr, 0);
        std::string text = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1 ? PQgetvalue(r, 0, 0) : "";
        bool ok = PQresultStatus(r) == PGRES_TUPLES_OK;
        PQclear(r);
        auto t1 = Clock::now();
        times.push_back(static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count()));
        if (!ok)
            ++failed;
        else if (text == "Text " + value)
            ++correct;
        else
            ++wrong;
    }
    PQfinish(conn);
    FILE* f = std::fopen((out + ".bin").c_str(), "wb");
    std::fwrite(times.data(), sizeof(uint32_t), times.size(), f);
    std::fclose(f);
    std::ofstream(out + ".out") << "(" << correct << " " << wrong << " " << failed << ")\n";
    return 0;
}

// Starts `processes` children at once and waits for all; reads what each left in dir/NAME<i>.
Figures runAll(int processes, const std::string& dir, const std::string& name,
               const std::function<void(int, const std::string&)>& child)
{
    Figures f;
    std::vector<pid_t> pids;
    auto t0 = Clock::now();
    for (int i = 0; i < processes; ++i) {
        std::string out = dir + "/" + name + std::to_string(i);
        pid_t pid = ::fork();
        if (pid == 0) {
            child(i, out);
            ::_exit(127);
        }
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::fprintf(stderr, "bench_pg_load: a %s process ended with status %d\n", name.c_str(), status);
    }
    f.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    for (int i = 0; i < processes; ++i) {
        std::string out = dir + "/" + name + std::to_string(i);
        auto times = readTimes(out + ".bin");
        f.times.insert(f.times.end(), times.begin(), times.end());
        std::ifstream in(out + ".out");
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // The answer is the last list korcad printed: (correct wrong failed).
        size_t open = all.rfind('(');
        long c = 0, w = 0, x = 0;
        if (open == std::string::npos || std::sscanf(all.c_str() + open, "(%ld %ld %ld)", &c, &w, &x) != 3)
            std::fprintf(stderr, "bench_pg_load: %s%d answered: %s\n", name.c_str(), i, all.c_str());
        f.correct += c;
        f.wrong += w;
        f.failed += x;
    }
    std::sort(f.times.begin(), f.times.end());
    return f;
}

double percentile(const std::vector<uint32_t>& sorted, double p)
{
    if (sorted.empty())
        return 0;
    size_t i = std::min(sorted.size() - 1, static_cast<size_t>(p * static_cast<double>(sorted.size())));
    return sorted[i] / 1000.0;
}

void print(const char* what, const Figures& f, long expected)
{
    std::printf("%-28s %8ld lookups, %ld wrong, %ld failed%s | %9.0f lookups/s | median %7.1f us | p99 %8.1f us | "
                "max %9.1f us\n",
                what, f.correct + f.wrong + f.failed, f.wrong, f.failed,
                f.correct == expected ? " (every answer correct)" : " (NOT all correct)",
                static_cast<double>(f.times.size()) / f.seconds, percentile(f.times, 0.5), percentile(f.times, 0.99),
                f.times.empty() ? 0.0 : f.times.back() / 1000.0);
}

}  // namespace

int main(int argc, char** argv)
{
    int processes = argc > 1 ? std::atoi(argv[1]) : 20;
    int lookups = argc > 2 ? std::atoi(argv[2]) : 10000;
    if (processes < 1 || lookups < 1) {
        std::fprintf(stderr, "usage: bench_pg_load [PROCESSES [LOOKUPS]]\n");
        return 2;
    }
    try {
        BenchServer server;
        std::string dir = server.dir();
        ::mkdir((dir + "/config").c_str(), 0700);
        std::fflush(stdout);
        const std::string call = "(kor_TextLast \"LAST\" \"TEXTE\" " + std::to_string(lookups) + " \"";
        Figures ours = runAll(processes, dir, "korcad", [&](int, const std::string& out) {
            int fd = ::open((out + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 1);
            ::setenv("KOR_DEBUGLOG", "off", 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
            std::string db = "LAST=" + server.url();
            std::string e2 = call + out + ".bin\")";
            const char* args[] = {KORCAD_PATH, "--db", db.c_str(), "-e", "(arxload \"korTextLast\")", "-e", e2.c_str(),
                                  nullptr};
            ::execv(KORCAD_PATH, const_cast<char* const*>(args));
        });
        Figures raw = runAll(processes, dir, "raw", [&](int, const std::string& out) {
            std::fflush(stdout);
            ::_exit(rawChild(server.url(), lookups, out));
        });
        long expected = static_cast<long>(processes) * lookups;
        std::printf("%d processes at once, %d lookups each, one server\n", processes, lookups);
        print("korcad (module lookup)", ours, expected);
        print("raw libpq prepared query", raw, expected);
        std::printf("throughput raw / korcad: %.2fx (korcad's includes its start-up); p99 korcad / raw: %.2fx\n",
                    (raw.times.size() / raw.seconds) / (ours.times.size() / ours.seconds),
                    percentile(ours.times, 0.99) / percentile(raw.times, 0.99));
        return ours.correct == expected && raw.correct == expected ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_pg_load: %s\n", e.what());
        return 1;
    }
}

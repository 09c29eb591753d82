// bench_pg_lookup — one text lookup of the module (GetStringFromFragBoxIdentifier) on a local
// PostgreSQL server, against the same lookup on the same table in SQLite and against a raw
// libpq prepared point query on the same server table (PQexecPrepared, read the text), in the
// same run. Each walks identifiers 1..1000 of TEXTE. The last lines give the ratios.
//
//   build/bin/bench_pg_lookup [--benchmark_min_time=...]
//   KOR_BENCH_PG_URL=postgresql://... build/bin/bench_pg_lookup     (a server of one's own)
#include "pg_bench_server.h"

#include "db/kordb.h"
#include "texts/TextLookup.h"

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr int kIdentifiers = 1000;
std::unique_ptr<BenchServer> server;

void lookups(benchmark::State& state, const wchar_t* database)
{
    int id = 0;
    for (auto _ : state) {
        CString text;
        if (!GetStringFromFragBoxIdentifier(database, L"TEXTE", id % kIdentifiers + 1, text))
            throw std::runtime_error("lookup failed: " + kordb::lastError());
        benchmark::DoNotOptimize(text.GetString());
        ++id;
    }
}

void BM_LookupOnServer(benchmark::State& state) { lookups(state, L"LAST"); }
BENCHMARK(BM_LookupOnServer);

void BM_LookupOnSQLite(benchmark::State& state) { lookups(state, L"LASTDATEI"); }
BENCHMARK(BM_LookupOnSQLite);

void BM_RawLibpqPrepared(benchmark::State& state)
{
    PGconn* conn = PQconnectdb(server->url().c_str());
    if (PQstatus(conn) != CONNECTION_OK)
        throw std::runtime_error("raw connection failed");
    PGresult* prepared = PQprepare(conn, "punkt", "SELECT text FROM last.\"TEXTE\" WHERE identifier = $1", 1, nullptr);
    if (PQresultStatus(prepared) != PGRES_COMMAND_OK)
        throw std::runtime_error("raw prepare failed");
    PQclear(prepared);
    int id = 0;
    for (auto _ : state) {
        std::string value = std::to_string(id % kIdentifiers + 1);
        const char* params[] = {value.c_str()};
        PGresult* r = PQexecPrepared(conn, "punkt", 1, params, nullptr, nullptr, 0);
        if (PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) != 1)
            throw std::runtime_error("raw query found nothing");
        std::string text(PQgetvalue(r, 0, 0), PQgetlength(r, 0, 0));
        benchmark::DoNotOptimize(text.data());
        PQclear(r);
        ++id;
    }
    PQfinish(conn);
}
BENCHMARK(BM_RawLibpqPrepared);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                perIteration[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> perIteration;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    server = std::make_unique<BenchServer>();
    kordb::setDatabase("LAST", server->url());
    kordb::setDatabase("LASTDATEI", server->file());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    kordb::closeAll();
    server.reset();
    auto& t = reporter.perIteration;
    if (t.count("BM_LookupOnServer") && t.count("BM_RawLibpqPrepared") && t.count("BM_LookupOnSQLite")) {
        double ours = t["BM_LookupOnServer"], raw = t["BM_RawLibpqPrepared"], file = t["BM_LookupOnSQLite"];
        std::printf("lookup on the server / raw libpq prepared query: %.0f ns / %.0f ns = %.2fx\n", ours, raw, ours / raw);
        std::printf("lookup on the server / lookup on SQLite:         %.0f ns / %.0f ns = %.2fx\n", ours, file, ours / file);
    }
    return 0;
}

// lookup_bench — one text lookup of the module (GetStringFromFragBoxIdentifier: resolution
// of database and table, the query text, the query, the text) against a raw prepared SQLite
// point query on the same table of the same file (bind, step, read the text, reset), in the
// same run. Both walk identifiers 1..20 of WASSER.TEXTE in the sample database. The last line
// gives the ratio lookup / raw (goal: at most 2).
//
//   build/bin/lookup_bench [--benchmark_filter=...] [--benchmark_min_time=...]
#include "texts/TextLookup.h"

#include "db/kordb.h"

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

namespace {

const char* const kSample = KOR_SAMPLE_DB_DIR "/wasser.sqlite";
constexpr int kIdentifiers = 20;

void BM_GetStringFromFragBoxIdentifier(benchmark::State& state)
{
    kordb::setDatabase("WASSER", kSample);
    int id = 0;
    for (auto _ : state) {
        CString text;
        if (!GetStringFromFragBoxIdentifier(L"WASSER", L"TEXTE", id % kIdentifiers + 1, text))
            throw std::runtime_error("lookup failed: " + kordb::lastError());
        benchmark::DoNotOptimize(text.GetString());
        ++id;
    }
}
BENCHMARK(BM_GetStringFromFragBoxIdentifier);

void BM_RawPreparedPointQuery(benchmark::State& state)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(kSample, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the sample database");
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT Text FROM TEXTE WHERE Identifier = ?1", -1, &stmt, nullptr);
    int id = 0;
    for (auto _ : state) {
        sqlite3_bind_int(stmt, 1, id % kIdentifiers + 1);
        if (sqlite3_step(stmt) != SQLITE_ROW)
            throw std::runtime_error("raw query found nothing");
        std::string text(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), sqlite3_column_bytes(stmt, 0));
        benchmark::DoNotOptimize(text.data());
        sqlite3_reset(stmt);
        ++id;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}
BENCHMARK(BM_RawPreparedPointQuery);

// The console report, and the time per iteration of each benchmark for the ratio.
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
    kordb::setDiagnosticSink(nullptr);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto lookup = reporter.perIteration.find("BM_GetStringFromFragBoxIdentifier");
    auto raw = reporter.perIteration.find("BM_RawPreparedPointQuery");
    if (lookup != reporter.perIteration.end() && raw != reporter.perIteration.end() && raw->second > 0)
        std::printf("lookup / raw point query: %.0f ns / %.0f ns = %.2fx (goal: at most 2x)\n", lookup->second,
                    raw->second, lookup->second / raw->second);
    return 0;
}

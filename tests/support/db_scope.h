// db_scope.h — a test's own folder (its XDG_CONFIG_HOME, databases.ini in kor/), the db layer
// reset with its diagnostics collected, all undone after; and a lookup as the module makes it.
#pragma once

#include "db/kordb.h"
#include "kor/korcommon.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace dbtest {

struct Scope {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("kordb-" + std::to_string(::getpid()) + "-" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::vector<std::string> diagnostics;

    Scope()
    {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "kor");
        ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        kordb::closeAll();
        kordb::clearHostDatabases();
        kordb::reloadConfiguration();
        kordb::setDiagnosticSink([this](const std::string& m) { diagnostics.push_back(m); });
    }
    ~Scope()
    {
        kordb::closeAll();
        kordb::setDiagnosticSink(nullptr);
        kordb::clearHostDatabases();
        std::filesystem::remove_all(dir);
    }
    std::string last() const { return diagnostics.empty() ? "" : diagnostics.back(); }
    bool lastSays(const std::string& part) const { return last().find(part) != std::string::npos; }
};

// Text `id` of `table` in `database`: resolved, then queried; "<failed>" when either fails.
inline std::wstring text(const std::wstring& database, int id, const std::wstring& table = L"TEXTE")
{
    CString resolved, query;
    if (!GetKorPath(CString(L"DB_" + database), CString(table), L"", L"", resolved))
        return L"<failed>";
    query.Format(L"SELECT Text FROM \"%s\" WHERE ( Identifier = %d )", resolved.GetString(), id);
    CKORRltbRecordset rs;
    return kor_reltab::Query(query, rs) ? rs.GetFieldChar(L"Text", 1).str() : L"<failed>";
}

}  // namespace dbtest

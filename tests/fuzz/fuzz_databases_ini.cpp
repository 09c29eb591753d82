// Fuzz target: databases.ini as a user may write it. Every input is the file's text; what it
// configures must be valid database names with absolute locations, and a lookup through each
// must answer (found or not) without harm.
#include "db/kordb.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string iniPath;

void setUp()
{
    namespace fs = std::filesystem;
    char dir[] = "/tmp/kor-fuzz-ini-XXXXXX";
    if (!mkdtemp(dir))
        std::abort();
    setenv("XDG_CONFIG_HOME", dir, 1);
    fs::create_directories(fs::path(dir) / "kor");
    iniPath = kordb::configFilePath();
    kordb::setDiagnosticSink([](const std::string&) {});
    kordb::setBusyTimeout(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (iniPath.empty())
        setUp();
    {
        std::ofstream out(iniPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    kordb::closeAll();
    kordb::reloadConfiguration();
    for (const kordb::DatabaseEntry& e : kordb::databases()) {
        if (!kordb::isDatabaseName(e.name) || e.location.empty())
            std::abort();
        if (e.location.find("://") == std::string::npos && e.location[0] != '/')
            std::abort();  // file locations are absolute after configuration
        std::wstring resolved;
        kordb::resolve(L"DB_" + std::wstring(e.name.begin(), e.name.end()), L"TEXTE", resolved);
    }
    return 0;
}

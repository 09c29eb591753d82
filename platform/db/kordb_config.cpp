// The text tables' configuration (databases.ini and the host's entries), their names and
// their diagnostics.
#include "db/kordb_p.h"

#include "text/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace kordb::detail {

namespace {

// Guarded by `mutex`: taken inside the connections lock when a resolve looks a database up,
// never around it. Messages written while it is held take the diagnostics lock after it.
struct Configuration {
    std::mutex mutex;
    bool configLoaded = false;
    std::map<std::string, DatabaseEntry> fileEntries;  // by upper-cased name
    std::map<std::string, DatabaseEntry> hostEntries;
};

// Guarded by `mutex`, the last lock of all: the sink is called under it and must not call
// kordb. The prefix is the resolving thread's own.
struct Diagnostics {
    std::mutex mutex;
    std::function<void(const std::string&)> sink;
    std::string lastError;
};

thread_local std::string diagnosticPrefix;

// Both live to the end of the process (a module may report while the process ends).
Configuration& configuration()
{
    static auto* c = new Configuration;
    return *c;
}

Diagnostics& diagnostics()
{
    static auto* d = new Diagnostics;
    return *d;
}

}  // namespace

// ---- names --------------------------------------------------------------------------------

std::string upperAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool validDatabaseName(std::wstring_view name)
{
    if (name.empty() || name.size() > kMaxDatabaseName)
        return false;
    for (wchar_t c : name) {
        bool ok = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ||
                  c == L'_' || c == L'-' || (c >= 0xA0 && kortext::isScalar(static_cast<char32_t>(c)));
        if (!ok)
            return false;
    }
    return true;
}

bool validTableName(std::wstring_view name)
{
    if (name.empty() || name.size() > kMaxTableName)
        return false;
    for (wchar_t c : name) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || !kortext::isScalar(static_cast<char32_t>(c)))
            return false;
        if (c == L'"' || c == L'\'' || c == L'`' || c == L'[' || c == L']' || c == L';')
            return false;
    }
    return true;
}

std::string shown(std::wstring_view name)
{
    std::string out = "\"";
    for (wchar_t c : name) {
        if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
            out += buf;
        } else if (c == L'"') {
            out += "\\\"";
        } else {
            kortext::append(out, kortext::isScalar(static_cast<char32_t>(c)) ? static_cast<char32_t>(c)
                                                                             : kortext::kReplacement);
        }
    }
    return out + "\"";
}

std::string lowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A location as messages show it: a server URL without its password.
std::string redactedLocation(const std::string& location)
{
    return pg::isServerLocation(location) ? pg::redact(location) : location;
}


// ---- diagnostics --------------------------------------------------------------------------

void fail(const std::string& text)
{
    Diagnostics& d = diagnostics();
    std::lock_guard lock(d.mutex);
    std::string message = diagnosticPrefix + text;
    d.lastError = message;
    if (d.sink)
        d.sink(message);
    else
        std::fprintf(stderr, "kordb: %s\n", message.c_str());
}

ScopedPrefix::ScopedPrefix(const std::string& prefix) { diagnosticPrefix = prefix; }

ScopedPrefix::~ScopedPrefix() { diagnosticPrefix.clear(); }

// ---- configuration ------------------------------------------------------------------------

namespace {

std::string homeDir()
{
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

}  // namespace

std::string configPath()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    fs::path base = xdg && *xdg && xdg[0] == '/' ? fs::path(xdg) : fs::path(homeDir()) / ".config";
    return (base / "kor" / "databases.ini").string();
}

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

namespace {

// A location as it is stored: file URLs and "~/" made into paths, relative paths taken from
// `base`. Server URLs stay as they are.
std::string normalLocation(const std::string& location, const fs::path& base)
{
    std::string loc = location;
    if (loc.rfind("file://", 0) == 0)
        loc = loc.substr(7);
    else if (loc.find("://") != std::string::npos)
        return loc;
    if (loc == "~" || loc.rfind("~/", 0) == 0)
        loc = homeDir() + loc.substr(1);
    fs::path p(loc);
    if (p.is_relative())
        p = base / p;
    return p.lexically_normal().string();
}

// The configuration file, whole, into `text`. Only a regular file of a sensible size is read
// (never a FIFO, a device or a link to one); false (after a diagnostic unless the file is just
// not there) when nothing can be read.
bool readConfigFile(const std::string& path, std::string& text)
{
    constexpr off_t kMaxConfigBytes = 1 << 20;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT)
            fail(path + ": nicht lesbar: " + std::strerror(errno));
        return false;
    }
    struct stat st;
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        problem = "keine gewöhnliche Datei";
    else if (st.st_size > kMaxConfigBytes)
        problem = "größer als 1 MiB";
    while (problem.empty()) {
        char buffer[8192];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            problem = std::strerror(errno);
        else if (text.size() + static_cast<size_t>(n) > static_cast<size_t>(kMaxConfigBytes))
            problem = "größer als 1 MiB";
        else
            text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (!problem.empty()) {
        fail(path + ": " + problem + "; dort ist keine Datenbank eingerichtet");
        text.clear();
        return false;
    }
    return true;
}

// Reads databases.ini when it has not been read; under the configuration lock.
void loadConfig(Configuration& s)
{
    if (s.configLoaded)
        return;
    s.configLoaded = true;
    s.fileEntries.clear();
    std::string path = configPath();
    std::string text;
    if (!readConfigFile(path, text))
        return;
    std::istringstream in(text);
    std::map<std::string, int> firstLine;
    std::string line;
    int number = 0;
    bool inSection = false;
    fs::path base = fs::path(path).parent_path();
    while (std::getline(in, line)) {
        ++number;
        std::string t = trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';')
            continue;
        std::string where = path + ":" + std::to_string(number) + ": ";
        if (t.front() == '[') {
            if (t.back() != ']') {
                fail(where + "einem Abschnitt fehlt die schließende ']'");
                continue;
            }
            inSection = upperAscii(trim(t.substr(1, t.size() - 2))) == "DATABASES";
            if (!inSection)
                fail(where + "unbekannter Abschnitt " + t + " (erwartet: [databases])");
            continue;
        }
        size_t eq = t.find('=');
        if (!inSection) {
            fail(where + "ein Eintrag außerhalb von [databases] wird übergangen");
            continue;
        }
        if (eq == std::string::npos) {
            fail(where + "erwartet: NAME = ORT");
            continue;
        }
        std::string name = trim(t.substr(0, eq));
        std::string location = trim(t.substr(eq + 1));
        if (!isDatabaseName(name)) {
            fail(where + "kein Datenbankname: " + shown(kortext::toWide(name)));
            continue;
        }
        if (location.empty()) {
            fail(where + "für die Datenbank " + name + " ist kein Ort angegeben");
            continue;
        }
        auto [given, fresh] = firstLine.emplace(upperAscii(name), number);
        if (!fresh)
            fail(where + "die Datenbank " + name + " wurde schon in Zeile " + std::to_string(given->second) +
                 " angegeben; diese Zeile gilt");
        s.fileEntries[upperAscii(name)] = {name, normalLocation(location, base), DatabaseEntry::Origin::File};
    }
}

}  // namespace

std::optional<DatabaseEntry> findEntry(const std::string& upperName)
{
    Configuration& s = configuration();
    std::lock_guard lock(s.mutex);
    loadConfig(s);
    if (auto it = s.hostEntries.find(upperName); it != s.hostEntries.end())
        return it->second;
    if (auto it = s.fileEntries.find(upperName); it != s.fileEntries.end())
        return it->second;
    return std::nullopt;
}

}  // namespace kordb::detail

namespace kordb {

using namespace detail;

bool isDatabaseName(const std::string& name)
{
    return kortext::isValidUtf8(name) && validDatabaseName(kortext::toWide(name));
}

bool isTableName(const std::string& name)
{
    return kortext::isValidUtf8(name) && validTableName(kortext::toWide(name));
}

bool isServerLocation(const std::string& location) { return pg::isServerLocation(location); }

std::string shownLocation(const std::string& location) { return redactedLocation(location); }

bool setDatabase(const std::string& name, const std::string& location)
{
    if (!isDatabaseName(name)) {
        fail("kein Datenbankname: " + shown(kortext::toWide(name)) +
             " (Buchstaben, Ziffern, '_' und '-', höchstens 64 Zeichen)");
        return false;
    }
    if (trim(location).empty()) {
        fail("für die Datenbank " + name + " ist kein Ort angegeben");
        return false;
    }
    std::error_code ec;
    DatabaseEntry entry{name, normalLocation(trim(location), fs::current_path(ec)), DatabaseEntry::Origin::Host};
    Configuration& s = configuration();
    std::lock_guard lock(s.mutex);
    s.hostEntries[upperAscii(name)] = std::move(entry);
    return true;
}

void clearHostDatabases()
{
    Configuration& s = configuration();
    std::lock_guard lock(s.mutex);
    s.hostEntries.clear();
}

void reloadConfiguration()
{
    Configuration& s = configuration();
    std::lock_guard lock(s.mutex);
    s.configLoaded = false;
}

std::string configFilePath() { return configPath(); }

std::vector<DatabaseEntry> databases()
{
    Configuration& s = configuration();
    std::lock_guard lock(s.mutex);
    loadConfig(s);
    std::map<std::string, DatabaseEntry> all = s.fileEntries;
    for (const auto& [key, e] : s.hostEntries)
        all[key] = e;
    std::vector<DatabaseEntry> out;
    for (auto& [key, e] : all)
        out.push_back(e);
    return out;
}

std::vector<std::string> useSampleDatabasesIfNoneConfigured()
{
    std::vector<std::string> taken;
    if (!databases().empty())
        return taken;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return taken;
    for (const auto& entry : fs::directory_iterator(exe.parent_path() / KOR_DATADIR_FROM_BIN / "db", ec)) {
        if (entry.path().extension() != ".sqlite")
            continue;
        std::string name = upperAscii(entry.path().stem().string());
        if (isDatabaseName(name) && setDatabase(name, entry.path().lexically_normal().string()))
            taken.push_back(name);
    }
    std::sort(taken.begin(), taken.end());
    return taken;
}

void setDiagnosticSink(std::function<void(const std::string&)> sink)
{
    Diagnostics& d = diagnostics();
    std::lock_guard lock(d.mutex);
    d.sink = std::move(sink);
}

std::string lastError()
{
    Diagnostics& d = diagnostics();
    std::lock_guard lock(d.mutex);
    return d.lastError;
}

void report(const std::string& message) { fail(message); }

}  // namespace kordb

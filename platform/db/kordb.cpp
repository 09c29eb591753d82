// The relational text tables on SQLite and on PostgreSQL servers: configuration, resolution,
// queries, record sets.
#include "db/kordb.h"

#include "db/pgserver.h"
#include "text/text.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>
#include <variant>

namespace fs = std::filesystem;

namespace kordb {

namespace {

constexpr size_t kMaxDatabaseName = 64;
constexpr size_t kMaxTableName = 128;
constexpr size_t kMaxStatements = 128;

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

// A name shown in a message: control characters and quotes made visible.
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


// `immutable`: the file is read as it is, with no lock and no files beside it (a WAL
// database that nobody writes just now; see identityOf).
std::string fileUri(const std::string& path, bool immutable)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out = "file:";
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (plain || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out + (immutable ? "?mode=ro&immutable=1" : "?mode=ro");
}

long long nanoseconds(const struct timespec& t) { return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec; }

struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    long long ctimeNs = 0;
    // A database in WAL mode keeps a writer's latest changes in NAME-wal. A reader would make
    // NAME-wal and NAME-shm beside the file, owned by whoever reads, so while no writer is
    // there (no NAME-wal) the file is read as immutable; a writer that comes makes NAME-wal,
    // which changes the identity, and the file is attached again, now as a reader beside it.
    bool wal = false;
    bool walPresent = false;
    bool operator==(const FileIdentity&) const = default;
    bool readImmutable() const { return wal && !walPresent; }
};

// The identity of a file; nullopt (and the reason) when it cannot be read as a file. Opened
// without waiting, so a FIFO or a device is refused, never read.
std::optional<FileIdentity> identityOf(const std::string& path, std::string* why)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *why = std::strerror(errno);
        return std::nullopt;
    }
    struct stat st;
    unsigned char header[20] = {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        *why = "not a file";
        ::close(fd);
        return std::nullopt;
    }
    // Bytes 18 and 19 of a database's header: the file format versions, 2 for WAL.
    bool wal = ok && ::pread(fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header) &&
               std::memcmp(header, "SQLite format 3", 16) == 0 && header[18] == 2 && header[19] == 2;
    if (!ok)
        *why = std::strerror(errno);
    ::close(fd);
    if (!ok)
        return std::nullopt;
    FileIdentity id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.mtimeNs = nanoseconds(st.st_mtim);
    id.ctimeNs = nanoseconds(st.st_ctim);
    id.wal = wal;
    struct stat walSt;
    id.walPresent = wal && ::stat((path + "-wal").c_str(), &walSt) == 0;
    return id;
}

// One configured database as the connection knows it.
struct Database {
    std::string schema;        // "kdbN", never changes for a name
    std::string location;      // the file attached (empty when not attached)
    FileIdentity identity;     // of that file when it was attached
    bool attached = false;
    // A database on a server: its connection (by key) and the schema that holds its tables.
    bool server = false;
    std::string serverKey;
    std::string serverSchema;
    unsigned long long lastUse = 0;
    unsigned long long checkedInCall = 0;  // the application call that last checked the file
};

// Where a literal was taken out, or a double-quoted name stands, in ParsedQuery::sql.
struct Mark {
    size_t pos, length;
    bool name;          // else a parameter
    std::string upper;  // the name, upper-cased
};

// A query text with its comparison literals taken out, and the double-quoted names it uses.
struct ParsedQuery {
    std::string sql;  // the literals replaced by ?
    std::vector<std::variant<long long, double>> values;
    std::vector<std::string> quotedNames;  // upper-cased
    std::vector<Mark> marks;               // in order of position
    bool ownParameters = false;            // the text carries parameters of its own
    bool severalStatements = false;        // something follows a ';'
    std::string firstWord;                 // upper-cased
};

bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || (c & 0x80); }

// Takes numbers that stand right after a comparison operator out of the text, so that one
// prepared statement serves every value ("Identifier = 17" -> "Identifier = ?", 17). A number
// anywhere else (LIMIT 1, ORDER BY 2, a function's argument) stays as it is. Texts that carry
// parameters of their own are left whole.
ParsedQuery parseQuery(const std::string& q)
{
    ParsedQuery p;
    std::string& out = p.sql;
    out.reserve(q.size());
    bool hasParams = false;
    char lastSignificant = 0;  // last character outside strings, names and white space
    size_t i = 0;
    const size_t n = q.size();
    while (i < n) {
        char c = q[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            char close = c == '[' ? ']' : c;
            size_t j = i + 1;
            std::string name;
            for (;;) {
                if (j >= n)
                    break;
                if (q[j] == close) {
                    if (close != ']' && j + 1 < n && q[j + 1] == close) {
                        name += close;
                        j += 2;
                        continue;
                    }
                    break;
                }
                name += q[j++];
            }
            if (j >= n) {  // unterminated: SQLite will say so
                out.append(q, i, std::string::npos);
                return p;
            }
            if (c == '"') {
                p.quotedNames.push_back(upperAscii(name));
                p.marks.push_back({out.size(), j + 1 - i, true, upperAscii(name)});
            }
            out.append(q, i, j + 1 - i);
            i = j + 1;
            if (lastSignificant == ';')
                p.severalStatements = true;
            lastSignificant = 'a';
            continue;
        }
        if (c == '-' && i + 1 < n && q[i + 1] == '-') {
            size_t j = q.find('\n', i);
            j = j == std::string::npos ? n : j;
            out.append(q, i, j - i);
            i = j;
            continue;
        }
        if (c == '/' && i + 1 < n && q[i + 1] == '*') {
            size_t j = q.find("*/", i + 2);
            j = j == std::string::npos ? n : j + 2;
            out.append(q, i, j - i);
            i = j;
            continue;
        }
        if (c == '?' || c == ':' || c == '@' || (c == '$' && (i == 0 || !isIdentChar(q[i - 1]))))
            hasParams = true;
        bool afterComparison = lastSignificant == '=' || lastSignificant == '<' || lastSignificant == '>';
        bool startsNumber = std::isdigit(static_cast<unsigned char>(c)) ||
                            (c == '-' && i + 1 < n && std::isdigit(static_cast<unsigned char>(q[i + 1])));
        if (afterComparison && startsNumber) {
            size_t j = i + (c == '-' ? 1 : 0);
            bool real = false;
            while (j < n && std::isdigit(static_cast<unsigned char>(q[j])))
                ++j;
            if (j < n && q[j] == '.') {
                real = true;
                ++j;
                while (j < n && std::isdigit(static_cast<unsigned char>(q[j])))
                    ++j;
            }
            if (j < n && (q[j] == 'e' || q[j] == 'E')) {
                size_t k = j + 1;
                if (k < n && (q[k] == '+' || q[k] == '-'))
                    ++k;
                if (k < n && std::isdigit(static_cast<unsigned char>(q[k]))) {
                    real = true;
                    j = k;
                    while (j < n && std::isdigit(static_cast<unsigned char>(q[j])))
                        ++j;
                }
            }
            // A number glued to a name (0x1F, 12abc) is left to SQLite.
            if (j >= n || !isIdentChar(q[j])) {
                std::string literal = q.substr(i, j - i);
                errno = 0;
                if (!real) {
                    long long v = std::strtoll(literal.c_str(), nullptr, 10);
                    if (errno == ERANGE)
                        real = true;
                    else
                        p.values.emplace_back(v);
                }
                if (real)
                    p.values.emplace_back(std::strtod(literal.c_str(), nullptr));
                p.marks.push_back({out.size(), 1, false, {}});
                out += '?';
                i = j;
                lastSignificant = 'a';
                continue;
            }
        }
        if (!std::isspace(static_cast<unsigned char>(c))) {
            if (lastSignificant == ';' && c != ';')
                p.severalStatements = true;
            if (p.firstWord.empty() && isIdentChar(c)) {
                size_t j = i;
                while (j < n && isIdentChar(q[j]))
                    ++j;
                p.firstWord = upperAscii(q.substr(i, j - i));
            }
            lastSignificant = c;
        }
        out += c;
        ++i;
    }
    if (hasParams) {
        p.sql = q;
        p.values.clear();
        p.marks.clear();
        p.ownParameters = true;
    }
    return p;
}

struct State {
    std::recursive_mutex mutex;
    bool configLoaded = false;
    std::map<std::string, DatabaseEntry> fileEntries;  // by upper-cased name
    std::map<std::string, DatabaseEntry> hostEntries;
    int busyMs = 1000;
    std::function<void(const std::string&)> sink;
    std::string lastError;
    std::string prefix;  // put before diagnostics while a resolve runs
    // The database the last resolve checked: the one query right after it need not check the
    // file again (a lookup is a resolve and a query; the next lookup checks anew).
    std::string checkedByResolve;
    // Calls of applications as the host announces them: within one call each file is checked
    // once (a file replaced between two calls is still seen on the next one).
    int callDepth = 0;
    unsigned long long callSerial = 0;

    sqlite3* db = nullptr;
    std::map<std::string, Database> open;                      // by upper-cased name
    std::unordered_map<std::string, std::string> resolutions;  // "NAME\0TABLE" (upper) -> view
    std::unordered_map<std::string, std::string> views;        // upper view name -> database
    std::unordered_map<std::string, sqlite3_stmt*> statements;
    // Server databases: one connection per server (the key of its parameters), the schema and
    // table each resolved name stands for, and the call in which a connection last failed (no
    // second attempt within one call of an application).
    int statementTimeoutMs = 5000;
    std::map<std::string, std::unique_ptr<pg::Connection>> servers;
    std::unordered_map<std::string, std::pair<std::string, std::string>> serverNames;  // view -> schema, table
    std::unordered_map<std::string, unsigned long long> serverFailedInCall;
    int nextSchema = 1;
    unsigned long long useCounter = 0;
};

State& state()
{
    static State* s = new State;  // lives to the end of the process; closeAll frees the rest
    return *s;
}

void fail(State& s, const std::string& text)
{
    std::string message = s.prefix + text;
    s.lastError = message;
    if (s.sink)
        s.sink(message);
    else
        std::fprintf(stderr, "kordb: %s\n", message.c_str());
}

std::string homeDir()
{
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

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
bool readConfigFile(State& s, const std::string& path, std::string& text)
{
    constexpr off_t kMaxConfigBytes = 1 << 20;
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT)
            fail(s, path + ": cannot read: " + std::strerror(errno));
        return false;
    }
    struct stat st;
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        problem = "not a regular file";
    else if (st.st_size > kMaxConfigBytes)
        problem = "larger than 1 MiB";
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
            problem = "larger than 1 MiB";
        else
            text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (!problem.empty()) {
        fail(s, path + ": " + problem + "; no database is configured there");
        text.clear();
        return false;
    }
    return true;
}

void loadConfig(State& s)
{
    if (s.configLoaded)
        return;
    s.configLoaded = true;
    s.fileEntries.clear();
    std::string path = configPath();
    std::string text;
    if (!readConfigFile(s, path, text))
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
                fail(s, where + "a section needs a closing ']'");
                continue;
            }
            inSection = upperAscii(trim(t.substr(1, t.size() - 2))) == "DATABASES";
            if (!inSection)
                fail(s, where + "unknown section " + t + " (expected [databases])");
            continue;
        }
        size_t eq = t.find('=');
        if (!inSection) {
            fail(s, where + "an entry outside [databases] is ignored");
            continue;
        }
        if (eq == std::string::npos) {
            fail(s, where + "expected NAME = LOCATION");
            continue;
        }
        std::string name = trim(t.substr(0, eq));
        std::string location = trim(t.substr(eq + 1));
        if (!isDatabaseName(name)) {
            fail(s, where + "not a database name: " + shown(kortext::toWide(name)));
            continue;
        }
        if (location.empty()) {
            fail(s, where + "database " + name + " has no location");
            continue;
        }
        auto [given, fresh] = firstLine.emplace(upperAscii(name), number);
        if (!fresh)
            fail(s, where + "database " + name + " was given before (line " + std::to_string(given->second) +
                        "); this line is used");
        s.fileEntries[upperAscii(name)] = {name, normalLocation(location, base), DatabaseEntry::Origin::File};
    }
}

const DatabaseEntry* findEntry(State& s, const std::string& upperName)
{
    loadConfig(s);
    if (auto it = s.hostEntries.find(upperName); it != s.hostEntries.end())
        return &it->second;
    if (auto it = s.fileEntries.find(upperName); it != s.fileEntries.end())
        return &it->second;
    return nullptr;
}

void finalizeStatements(State& s)
{
    for (auto& [sql, stmt] : s.statements)
        sqlite3_finalize(stmt);
    s.statements.clear();
}

void forgetResolutions(State& s, const std::string& upperName)
{
    std::string prefix = upperName + '\0';
    for (auto it = s.resolutions.begin(); it != s.resolutions.end();)
        it = it->first.rfind(prefix, 0) == 0 ? s.resolutions.erase(it) : std::next(it);
    // A file's views stay (a query on its own still finds its database through them); a
    // server's names are forgotten with their resolutions.
    for (auto it = s.views.begin(); it != s.views.end();) {
        if (it->second == upperName && s.serverNames.erase(it->first))
            it = s.views.erase(it);
        else
            ++it;
    }
}

bool exec(State& s, const std::string& sql, std::string* error)
{
    char* msg = nullptr;
    int rc = sqlite3_exec(s.db, sql.c_str(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
        *error = msg ? msg : sqlite3_errstr(rc);
        sqlite3_free(msg);
        return false;
    }
    return true;
}

bool openConnection(State& s)
{
    if (s.db)
        return true;
    int rc = sqlite3_open_v2(":memory:", &s.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                             nullptr);
    if (rc != SQLITE_OK) {
        fail(s, std::string("cannot open SQLite: ") + sqlite3_errstr(rc));
        sqlite3_close(s.db);
        s.db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(s.db, s.busyMs);
    sqlite3_extended_result_codes(s.db, 1);
    return true;
}

void detach(State& s, Database& d)
{
    if (!d.attached)
        return;
    // Statements are reset after every use, so nothing holds the schema.
    std::string error;
    if (!exec(s, "DETACH DATABASE " + pg::quoteName(d.schema), &error)) {
        // Should not happen; start over with a fresh connection rather than read a stale file.
        finalizeStatements(s);
        sqlite3_close(s.db);
        s.db = nullptr;
        for (auto& [name, other] : s.open)
            other.attached = false;
        s.resolutions.clear();
        s.views.clear();
    }
    d.attached = false;
    d.location.clear();
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

// Makes sure the server of database `upperName` is connected. False (after a diagnostic) when
// its URL cannot be read or the server cannot be reached; within one call of an application a
// server that could not be reached is not tried again.
bool ensureServer(State& s, const std::string& upperName, const DatabaseEntry& entry)
{
    Database& d = s.open[upperName];
    d.lastUse = ++s.useCounter;
    std::string error;
    if (!d.server || d.location != entry.location || !s.servers.count(d.serverKey)) {
        if (!d.server || d.location != entry.location) {
            detach(s, d);
            forgetResolutions(s, upperName);
            d.server = false;
        }
        pg::ServerLocation location;
        if (!pg::parseLocation(entry.location, location, &error)) {
            fail(s, "database " + entry.name + ": " + error);
            return false;
        }
        d.server = true;
        d.location = entry.location;
        d.serverKey = location.key;
        d.serverSchema = location.schema.empty() ? lowerAscii(entry.name) : location.schema;
        auto& connection = s.servers[location.key];
        if (!connection)
            connection = std::make_unique<pg::Connection>(location, pg::Mode::ReadOnly, s.statementTimeoutMs);
    }
    pg::Connection& connection = *s.servers[d.serverKey];
    if (s.callDepth > 0) {
        auto failed = s.serverFailedInCall.find(d.serverKey);
        if (failed != s.serverFailedInCall.end() && failed->second == s.callSerial) {
            fail(s, "database " + entry.name + ": " + connection.shown() +
                        " could not be reached in this call; the next call tries again");
            return false;
        }
    }
    if (!connection.ensure(&error)) {
        if (s.callDepth > 0)
            s.serverFailedInCall[d.serverKey] = s.callSerial;
        fail(s, "database " + entry.name + ": " + error);
        return false;
    }
    return true;
}

// Makes sure database `upperName` is attached from its configured file as it is now. False
// (after a diagnostic) when it is not configured or its file cannot be attached.
bool ensureAttached(State& s, const std::string& upperName, const std::string& shownName)
{
    const DatabaseEntry* entry = findEntry(s, upperName);
    if (!entry) {
        fail(s, "unknown database " + shownName + " (configure it in " + configPath() +
                    " or with korcad --db " + shownName + "=FILE)");
        return false;
    }
    if (pg::isServerLocation(entry->location))
        return ensureServer(s, upperName, *entry);
    if (entry->location.find("://") != std::string::npos) {
        fail(s, "database " + entry->name + ": unknown kind of location " + redactedLocation(entry->location) +
                    " (a SQLite file, or a server as postgresql://...)");
        return false;
    }
    if (!openConnection(s))
        return false;
    Database& d = s.open[upperName];
    if (d.server) {
        forgetResolutions(s, upperName);
        d.server = false;
        d.location.clear();
    }
    if (d.schema.empty())
        d.schema = "kdb" + std::to_string(s.nextSchema++);
    d.lastUse = ++s.useCounter;
    if (s.callDepth > 0 && d.attached && d.location == entry->location && d.checkedInCall == s.callSerial)
        return true;
    d.checkedInCall = s.callDepth > 0 ? s.callSerial : 0;
    std::string why;
    auto identity = identityOf(entry->location, &why);
    if (!identity) {
        detach(s, d);
        forgetResolutions(s, upperName);
        fail(s, "database " + entry->name + ": cannot read " + entry->location + ": " + why);
        return false;
    }
    if (d.attached && d.location == entry->location && d.identity == *identity)
        return true;
    // First use, a new location, or the file was replaced or changed: attach it afresh.
    detach(s, d);
    forgetResolutions(s, upperName);
    if (!openConnection(s))
        return false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Everything that allocates comes before the ATTACH; once it is done the state is
        // recorded without a step that could fail, so the two never disagree.
        const std::string sql = "ATTACH DATABASE ?1 AS " + pg::quoteName(d.schema);
        const std::string uri = fileUri(entry->location, identity->readImmutable());
        std::string location = entry->location;
        sqlite3_stmt* raw = nullptr;
        int rc = sqlite3_prepare_v2(s.db, sql.c_str(), -1, &raw, nullptr);
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(stmt.get(), 1, uri.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(stmt.get());
        }
        if (rc == SQLITE_DONE) {
            d.location.swap(location);
            d.identity = *identity;
            d.attached = true;
            return true;
        }
        std::string message = sqlite3_errmsg(s.db);
        stmt.reset();
        // Too many databases attached at once: let go of the one used longest ago.
        Database* oldest = nullptr;
        for (auto& [name, other] : s.open)
            if (other.attached && (!oldest || other.lastUse < oldest->lastUse))
                oldest = &other;
        if (attempt == 0 && oldest && message.find("too many attached") != std::string::npos) {
            detach(s, *oldest);
            continue;
        }
        fail(s, "database " + entry->name + ": cannot open " + entry->location + ": " + message);
        return false;
    }
    return false;
}

}  // namespace

void beginCall()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.callDepth++ == 0)
        ++s.callSerial;
}

void endCall()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.callDepth > 0)
        --s.callDepth;
}

bool isDatabaseName(const std::string& name)
{
    return kortext::isValidUtf8(name) && validDatabaseName(kortext::toWide(name));
}

bool setDatabase(const std::string& name, const std::string& location)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!isDatabaseName(name)) {
        fail(s, "not a database name: " + shown(kortext::toWide(name)) +
                    " (letters, digits, '_' and '-', at most 64 characters)");
        return false;
    }
    if (trim(location).empty()) {
        fail(s, "database " + name + " has no location");
        return false;
    }
    std::error_code ec;
    s.hostEntries[upperAscii(name)] = {name, normalLocation(trim(location), fs::current_path(ec)),
                                       DatabaseEntry::Origin::Host};
    return true;
}

void clearHostDatabases()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.hostEntries.clear();
}

void reloadConfiguration()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.configLoaded = false;
}

std::string configFilePath() { return configPath(); }

std::vector<DatabaseEntry> databases()
{
    State& s = state();
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

void setBusyTimeout(int milliseconds)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.busyMs = std::clamp(milliseconds, 0, 1000);
    if (s.db)
        sqlite3_busy_timeout(s.db, s.busyMs);
}

void setDiagnosticSink(std::function<void(const std::string&)> sink)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.sink = std::move(sink);
}

std::string lastError()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.lastError;
}

void closeAll()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    finalizeStatements(s);
    if (s.db)
        sqlite3_close(s.db);
    s.db = nullptr;
    s.open.clear();
    s.resolutions.clear();
    s.views.clear();
    s.servers.clear();
    s.serverNames.clear();
    s.serverFailedInCall.clear();
}

void setStatementTimeout(int milliseconds)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.statementTimeoutMs = std::clamp(milliseconds, 100, 5000);
    s.servers.clear();  // connections open again with the new timeout
}

bool isServerLocation(const std::string& location) { return pg::isServerLocation(location); }

std::string shownLocation(const std::string& location) { return redactedLocation(location); }

bool isTableName(const std::string& name)
{
    return kortext::isValidUtf8(name) && validTableName(kortext::toWide(name));
}

namespace {

// The catalogue query of a server: the table (or view) of a schema by name, both without
// regard to ASCII case; the exact spelling wins when several match.
const char* const kServerTableQuery =
    "SELECT n.nspname, c.relname FROM pg_catalog.pg_class c "
    "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
    "WHERE c.relkind IN ('r', 'v', 'm', 'p', 'f') AND upper(n.nspname) = upper($1) AND upper(c.relname) = upper($2) "
    "ORDER BY n.nspname = $1 DESC, c.relname = $2 DESC LIMIT 1";

bool resolveOnServer(State& s, const std::string& upperName, const DatabaseEntry& entry, const std::string& table,
                     const std::string& cacheKey, std::wstring& resolved)
{
    const Database& d = s.open[upperName];
    pg::Connection& connection = *s.servers[d.serverKey];
    pg::Rows rows;
    std::string error;
    if (!connection.query(kServerTableQuery, {d.serverSchema, table}, rows, &error)) {
        if (!connection.connected() && s.callDepth > 0)
            s.serverFailedInCall[d.serverKey] = s.callSerial;
        fail(s, "database " + entry.name + " (" + connection.shown() + "): " + error);
        return false;
    }
    if (rows.rows.empty()) {
        fail(s, "database " + entry.name + " (" + connection.shown() + ") has no table " + table + " in schema " +
                    d.serverSchema);
        return false;
    }
    const std::string& schema = rows.rows[0][0];
    const std::string& canonical = rows.rows[0][1];
    if (!validTableName(kortext::toWide(canonical))) {
        fail(s, "database " + entry.name + ": refused table name " + shown(kortext::toWide(canonical)));
        return false;
    }
    // The query names it "<DATABASE>.<Table>", as with a file; Query writes the server's
    // "schema"."table" in its place.
    std::string view = entry.name + "." + canonical;
    s.resolutions[cacheKey] = view;
    s.views[upperAscii(view)] = upperName;
    s.serverNames[upperAscii(view)] = {schema, canonical};
    resolved = kortext::toWide(view);
    return true;
}

}  // namespace

bool resolve(const std::wstring& key, const std::wstring& table, std::wstring& resolved, const std::string& prefix)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.prefix = prefix;
    s.checkedByResolve.clear();
    struct ClearPrefix {
        State& s;
        ~ClearPrefix() { s.prefix.clear(); }
    } clearPrefix{s};
    if (key.size() < 3 || (key.compare(0, 3, L"DB_") != 0 && key.compare(0, 3, L"db_") != 0)) {
        fail(s, "not a database key: " + shown(key) + " (expected DB_<name>)");
        return false;
    }
    std::wstring wname = key.substr(3);
    if (!validDatabaseName(wname)) {
        fail(s, "refused database name " + shown(wname) +
                    " (letters, digits, '_' and '-', at most 64 characters)");
        return false;
    }
    if (!validTableName(table)) {
        fail(s, "refused table name " + shown(table) +
                    " (no quotes, brackets, ';' or control characters, at most 128 characters)");
        return false;
    }
    std::string upperName = upperAscii(kortext::fromWide(wname));
    std::string tableUtf8 = kortext::fromWide(table);
    if (!ensureAttached(s, upperName, kortext::fromWide(wname)))
        return false;
    std::string cacheKey = upperName + '\0' + upperAscii(tableUtf8);
    if (auto it = s.resolutions.find(cacheKey); it != s.resolutions.end()) {
        resolved = kortext::toWide(it->second);
        s.checkedByResolve = upperName;
        return true;
    }
    const Database& d = s.open[upperName];
    const DatabaseEntry& entry = *findEntry(s, upperName);
    if (d.server)
        return resolveOnServer(s, upperName, entry, tableUtf8, cacheKey, resolved);
    // The table is looked for through a parameter; only the name the file gives it is used.
    std::string sql = "SELECT name FROM " + pg::quoteName(d.schema) +
                      ".sqlite_schema WHERE type IN ('table','view') AND name = ?1 COLLATE NOCASE";
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(s.db, sql.c_str(), -1, &raw, nullptr);
    // Finalized however this ends: a statement left open would keep the connection from closing.
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
    std::string canonical;
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(stmt.get(), 1, tableUtf8.c_str(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_ROW)
            canonical = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    }
    std::string message = sqlite3_errmsg(s.db);
    stmt.reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        fail(s, "database " + entry.name + " (" + entry.location + "): " + message);
        return false;
    }
    if (rc == SQLITE_DONE) {
        fail(s, "database " + entry.name + " (" + entry.location + ") has no table " + tableUtf8);
        return false;
    }
    if (!validTableName(kortext::toWide(canonical))) {
        fail(s, "database " + entry.name + ": refused table name " + shown(kortext::toWide(canonical)));
        return false;
    }
    std::string view = entry.name + "." + canonical;
    std::string error;
    std::string create = "DROP VIEW IF EXISTS temp." + pg::quoteName(view) + "; CREATE TEMP VIEW " + pg::quoteName(view) +
                         " AS SELECT * FROM " + pg::quoteName(d.schema) + "." + pg::quoteName(canonical);
    // Dropping a view that a kept statement uses makes that statement prepare itself again.
    if (!exec(s, create, &error)) {
        fail(s, "database " + entry.name + ": cannot prepare table " + canonical + ": " + error);
        return false;
    }
    // Each entry is made whole or not at all (an allocation that fails leaves no half entry).
    s.views.insert_or_assign(upperAscii(view), upperName);
    s.resolutions.insert_or_assign(cacheKey, view);
    resolved = kortext::toWide(view);
    s.checkedByResolve = upperName;
    return true;
}

void report(const std::string& message) { fail(state(), message); }

}  // namespace kordb

// ---- record set ------------------------------------------------------------------------

struct CKORRltbRecordsetAccess {
    static std::vector<std::wstring>& fields(CKORRltbRecordset& rs) { return rs.m_fields; }
    static std::vector<std::vector<std::wstring>>& rows(CKORRltbRecordset& rs) { return rs.m_rows; }
};

void CKORRltbRecordset::Clear()
{
    m_fields.clear();
    m_rows.clear();
}

CString CKORRltbRecordset::GetFieldChar(const wchar_t* field, int record) const
{
    if (!field || record < 1 || record > static_cast<int>(m_rows.size()))
        return CString();
    std::wstring_view want(field);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const std::wstring& f = m_fields[i];
        bool same = f.size() == want.size() &&
                    std::equal(f.begin(), f.end(), want.begin(), [](wchar_t a, wchar_t b) {
                        auto up = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
                        return up(a) == up(b);
                    });
        // A character field is C text: it ends at its first NUL, as every caption and prompt
        // it goes into does (else a prompt built around it would end there).
        if (same)
            return CString(m_rows[record - 1][i].c_str());
    }
    return CString();
}

// ---- queries ---------------------------------------------------------------------------

namespace {

// Runs a query that names tables of server database `db` on its server: the resolved names
// become the server's "schema"."table", the literals taken out its parameters $1, $2, ...
bool queryOnServer(kordb::State& s, const kordb::ParsedQuery& parsed, const std::string& text, const std::string& db,
                   CKORRltbRecordset& rs)
{
    using namespace kordb;
    const DatabaseEntry* entry = findEntry(s, db);
    std::string name = entry ? entry->name : db;
    const std::string& word = parsed.firstWord;
    if (parsed.ownParameters || parsed.severalStatements ||
        (word != "SELECT" && word != "WITH" && word != "VALUES" && word != "TABLE")) {
        fail(s, "refused query (only one statement that reads): " + text);
        return false;
    }
    if (!ensureAttached(s, db, name))
        return false;
    std::string sql;
    size_t at = 0;
    int parameter = 0;
    for (const Mark& m : parsed.marks) {
        sql.append(parsed.sql, at, m.pos - at);
        at = m.pos + m.length;
        if (!m.name) {
            sql += "$" + std::to_string(++parameter);
            continue;
        }
        auto it = s.serverNames.find(m.upper);
        if (it != s.serverNames.end())
            sql += pg::quoteName(it->second.first) + "." + pg::quoteName(it->second.second);
        else
            sql.append(parsed.sql, m.pos, m.length);
    }
    sql.append(parsed.sql, at, std::string::npos);
    std::vector<pg::Value> values;
    for (const auto& v : parsed.values) {
        if (std::holds_alternative<long long>(v))
            values.emplace_back(std::get<long long>(v));
        else
            values.emplace_back(std::get<double>(v));
    }
    const std::string key = s.open[db].serverKey;
    pg::Connection& connection = *s.servers[key];
    pg::Rows rows;
    std::string error, sqlstate;
    if (!connection.query(sql, values, rows, &error, &sqlstate)) {
        if (!connection.connected() && s.callDepth > 0)
            s.serverFailedInCall[key] = s.callSerial;
        if (sqlstate == "42P01")  // the table is gone: the next resolve looks for it again
            forgetResolutions(s, db);
        fail(s, "query failed on database " + name + " (" + connection.shown() + "): " + error + " in: " + text);
        return false;
    }
    auto& fields = CKORRltbRecordsetAccess::fields(rs);
    auto& records = CKORRltbRecordsetAccess::rows(rs);
    for (const auto& f : rows.fields)
        fields.push_back(kortext::toWide(f));
    records.reserve(rows.rows.size());
    for (const auto& row : rows.rows) {
        std::vector<std::wstring> record;
        record.reserve(row.size());
        for (const auto& v : row)
            record.push_back(kortext::toWide(v));
        records.push_back(std::move(record));
    }
    return true;
}

}  // namespace

namespace kor_reltab {

bool Query(const CString& query, CKORRltbRecordset& rs)
{
    using namespace kordb;
    State& s = state();
    std::lock_guard lock(s.mutex);
    rs.Clear();
    std::string text = kortext::fromWide(query.str());
    ParsedQuery parsed = parseQuery(text);
    // A query over names of a server database runs on that server; one query reads one server.
    std::string serverDb;
    bool fileDb = false, otherServer = false;
    for (const std::string& name : parsed.quotedNames) {
        auto it = s.views.find(name);
        if (it == s.views.end())
            continue;
        const Database& d = s.open[it->second];
        if (!d.server)
            fileDb = true;
        else if (!serverDb.empty() && s.open[serverDb].serverKey != d.serverKey)
            otherServer = true;
        else
            serverDb = it->second;
    }
    if (!serverDb.empty()) {
        s.checkedByResolve.clear();
        if (fileDb || otherServer) {
            fail(s, "refused query (it reads databases of more than one server or file): " + text);
            return false;
        }
        return queryOnServer(s, parsed, text, serverDb, rs);
    }
    // Every database the query names through a resolved name is checked (and attached again
    // when its file changed) before the query runs, but the one the resolve just before
    // checked.
    std::string checked = std::exchange(s.checkedByResolve, std::string());
    for (const std::string& name : parsed.quotedNames) {
        auto it = s.views.find(name);
        if (it == s.views.end())
            continue;
        std::string db = it->second;
        if (db == checked && s.open[db].attached)
            continue;
        const DatabaseEntry* entry = findEntry(s, db);
        if (!ensureAttached(s, db, entry ? entry->name : db))
            return false;
    }
    if (!openConnection(s))
        return false;
    sqlite3_stmt* stmt = nullptr;
    if (auto it = s.statements.find(parsed.sql); it != s.statements.end()) {
        stmt = it->second;
    } else {
        const char* tail = nullptr;
        int rc = sqlite3_prepare_v3(s.db, parsed.sql.c_str(), static_cast<int>(parsed.sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
        // Finalized however a refusal ends (its message allocates), until it is kept.
        std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(stmt, sqlite3_finalize);
        if (rc != SQLITE_OK || !stmt) {
            fail(s, "query failed: " + std::string(rc == SQLITE_OK ? "no statement" : sqlite3_errmsg(s.db)) +
                        " in: " + text);
            return false;
        }
        while (tail && *tail && (std::isspace(static_cast<unsigned char>(*tail)) || *tail == ';'))
            ++tail;
        if ((tail && *tail) || !sqlite3_stmt_readonly(stmt)) {
            fail(s, "refused query (only one statement that reads): " + text);
            return false;
        }
        if (s.statements.size() >= kMaxStatements)
            finalizeStatements(s);
        s.statements.emplace(parsed.sql, stmt);
        owned.release();
    }
    // The statement is reset however the query ends (an allocation failing while the records
    // are read too): a kept statement left half-stepped would answer the next query wrongly.
    struct Reset {
        sqlite3_stmt* stmt;
        ~Reset()
        {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    } reset{stmt};
    for (size_t i = 0; i < parsed.values.size(); ++i) {
        const auto& v = parsed.values[i];
        if (std::holds_alternative<long long>(v))
            sqlite3_bind_int64(stmt, static_cast<int>(i + 1), std::get<long long>(v));
        else
            sqlite3_bind_double(stmt, static_cast<int>(i + 1), std::get<double>(v));
    }
    auto& fields = CKORRltbRecordsetAccess::fields(rs);
    auto& rows = CKORRltbRecordsetAccess::rows(rs);
    int columns = sqlite3_column_count(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (fields.empty())
            for (int c = 0; c < columns; ++c)
                fields.push_back(kortext::toWide(sqlite3_column_name(stmt, c)));
        std::vector<std::wstring> row(columns);
        for (int c = 0; c < columns; ++c) {
            const unsigned char* v = sqlite3_column_text(stmt, c);
            if (v)
                row[c] = kortext::toWide(
                    std::string_view(reinterpret_cast<const char*>(v), sqlite3_column_bytes(stmt, c)));
        }
        rows.push_back(std::move(row));
    }
    bool ok = rc == SQLITE_DONE;
    if (!ok) {
        std::string message = sqlite3_errmsg(s.db);
        fail(s, "query failed: " + message + " in: " + text);
        rs.Clear();
    } else if (fields.empty()) {
        for (int c = 0; c < columns; ++c)
            fields.push_back(kortext::toWide(sqlite3_column_name(stmt, c)));
    }
    return ok;
}

}  // namespace kor_reltab

// The text tables on a PostgreSQL server: locations, connections, prepared statements.
#include "db/pgserver.h"

#include "text/text.h"

#include <poll.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace kordb::pg {

namespace {

constexpr size_t kMaxPrepared = 128;
constexpr int kConnectTimeoutS = 3;
constexpr int kAnswerMarginMs = 2000;
constexpr int kWriteDeadlineS = 600;

using kortext::lower;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(kortext::toLower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string percentDecoded(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Where the user part of a URL ends ('@'), or npos; and where the authority ends.
void authority(const std::string& url, size_t& begin, size_t& at, size_t& end)
{
    begin = url.find("://");
    begin = begin == std::string::npos ? 0 : begin + 3;
    end = url.find_first_of("/?#", begin);
    if (end == std::string::npos)
        end = url.size();
    at = url.rfind('@', end);
    if (at != std::string::npos && at < begin)
        at = std::string::npos;
}

// The password a URL carries (decoded), as far as it can be told without libpq.
std::string passwordOf(const std::string& url)
{
    size_t begin, at, end;
    authority(url, begin, at, end);
    if (at != std::string::npos) {
        size_t colon = url.find(':', begin);
        if (colon != std::string::npos && colon < at)
            return percentDecoded(url.substr(colon + 1, at - colon - 1));
    }
    size_t q = url.find('?');
    for (size_t p = q; p != std::string::npos && p < url.size(); p = url.find('&', p + 1)) {
        if (url.compare(p + 1, 9, "password=") == 0) {
            size_t v = p + 10;
            size_t e = url.find_first_of("&#", v);
            return percentDecoded(url.substr(v, e == std::string::npos ? std::string::npos : e - v));
        }
    }
    return {};
}

// The options of a libpq connection split as the server splits them (white space separates,
// a backslash keeps the next character).
std::vector<std::string> splitOptions(const std::string& options)
{
    std::vector<std::string> out;
    std::string cur;
    bool any = false;
    for (size_t i = 0; i < options.size(); ++i) {
        char c = options[i];
        if (c == '\\' && i + 1 < options.size()) {
            cur += c;
            cur += options[++i];
            any = true;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            if (any)
                out.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any)
        out.push_back(cur);
    return out;
}

std::string unescaped(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i)
        out += s[i] == '\\' && i + 1 < s.size() ? s[++i] : s[i];
    return out;
}

// The first schema of a search_path value: "Name" keeps its case, Name is folded to lower case
// as the server folds it.
std::string firstSchema(const std::string& value)
{
    size_t i = 0;
    while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i])))
        ++i;
    if (i < value.size() && value[i] == '"') {
        std::string name;
        for (size_t j = i + 1; j < value.size(); ++j) {
            if (value[j] == '"') {
                if (j + 1 < value.size() && value[j + 1] == '"') {
                    name += '"';
                    ++j;
                    continue;
                }
                return name;
            }
            name += value[j];
        }
        return name;
    }
    size_t e = value.find(',', i);
    std::string name = value.substr(i, e == std::string::npos ? std::string::npos : e - i);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
        name.pop_back();
    return lower(name);
}

}  // namespace

bool isServerLocation(const std::string& location)
{
    std::string l = lower(location.substr(0, 13));
    return l.rfind("postgresql://", 0) == 0 || l.rfind("postgres://", 0) == 0;
}

std::string redact(const std::string& location)
{
    std::string out = location;
    size_t begin, at, end;
    authority(out, begin, at, end);
    if (at != std::string::npos) {
        size_t colon = out.find(':', begin);
        if (colon != std::string::npos && colon < at)
            out.replace(colon + 1, at - colon - 1, "***");
    }
    for (size_t p = out.find('?'); p != std::string::npos && p < out.size(); p = out.find('&', p + 1)) {
        if (out.compare(p + 1, 9, "password=") == 0) {
            size_t v = p + 10;
            size_t e = out.find_first_of("&#", v);
            out.replace(v, (e == std::string::npos ? out.size() : e) - v, "***");
        }
    }
    return out;
}

std::string quoteName(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

bool parseLocation(const std::string& url, ServerLocation& out, std::string* error)
{
    out = ServerLocation();
    out.shown = redact(url);
    out.password = passwordOf(url);
    char* message = nullptr;
    PQconninfoOption* options = PQconninfoParse(url.c_str(), &message);
    if (!options) {
        std::string m = message ? message : "kein Speicher frei";
        PQfreemem(message);
        while (!m.empty() && m.back() == '\n')
            m.pop_back();
        if (!out.password.empty())
            for (size_t p; (p = m.find(out.password)) != std::string::npos;)
                m.replace(p, out.password.size(), "***");
        *error = "die Server-URL " + out.shown + " ist nicht lesbar: " + m;
        return false;
    }
    std::map<std::string, std::string> params;
    for (PQconninfoOption* o = options; o->keyword; ++o)
        if (o->val && *o->val)
            params[o->keyword] = o->val;
    PQconninfoFree(options);
    if (auto it = params.find("password"); it != params.end())
        out.password = it->second;
    if (auto it = params.find("options"); it != params.end()) {
        std::vector<std::string> tokens = splitOptions(it->second);
        std::vector<std::string> kept;
        for (size_t i = 0; i < tokens.size(); ++i) {
            std::string setting;
            size_t used = 1;
            if (tokens[i].rfind("--", 0) == 0)
                setting = tokens[i].substr(2);
            else if (tokens[i] == "-c" && i + 1 < tokens.size()) {
                setting = tokens[i + 1];
                used = 2;
            } else if (tokens[i].rfind("-c", 0) == 0)
                setting = tokens[i].substr(2);
            std::string name = lower(unescaped(setting.substr(0, setting.find('='))));
            std::replace(name.begin(), name.end(), '-', '_');
            if (!setting.empty() && name == "search_path" && setting.find('=') != std::string::npos) {
                out.schema = firstSchema(unescaped(setting.substr(setting.find('=') + 1)));
            } else {
                for (size_t k = 0; k < used; ++k)
                    kept.push_back(tokens[i + k]);
            }
            i += used - 1;
        }
        std::string joined;
        for (const auto& t : kept)
            joined += (joined.empty() ? "" : " ") + t;
        if (joined.empty())
            params.erase(it);
        else
            it->second = joined;
    }
    // A wait without end is no choice here: no connect timeout or 0 becomes 3 s.
    auto timeout = params.find("connect_timeout");
    if (timeout == params.end() || std::atoi(timeout->second.c_str()) <= 0)
        params["connect_timeout"] = std::to_string(kConnectTimeoutS);
    params["client_encoding"] = "UTF8";
    if (!params.count("application_name"))
        params["application_name"] = "korcad";
    for (const auto& [k, v] : params) {
        out.params.emplace_back(k, v);
        out.key += k + '=' + v + '\n';
    }
    return true;
}

// ---- Connection --------------------------------------------------------------------------

Connection::Connection(const ServerLocation& location, Mode mode, int statementTimeoutMs)
    : m_location(location), m_mode(mode), m_statementTimeoutMs(statementTimeoutMs)
{
}

Connection::~Connection() { drop(); }

void Connection::drop()
{
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
    m_prepared.clear();
}

std::string Connection::scrub(std::string message) const
{
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    for (size_t p; (p = message.find('\n')) != std::string::npos;)
        message.replace(p, 1, "; ");
    if (!m_location.password.empty())
        for (size_t p; (p = message.find(m_location.password)) != std::string::npos;)
            message.replace(p, m_location.password.size(), "***");
    return message;
}

std::chrono::steady_clock::time_point Connection::deadline() const
{
    auto now = std::chrono::steady_clock::now();
    if (m_mode == Mode::Write)
        return now + std::chrono::seconds(kWriteDeadlineS);
    return now + std::chrono::milliseconds(m_statementTimeoutMs + kAnswerMarginMs);
}

bool Connection::connect(std::string* error)
{
    drop();
    std::vector<const char*> keys, values;
    std::string options;
    for (const auto& [k, v] : m_location.params) {
        if (k == "options") {
            options = v;
            continue;
        }
        keys.push_back(k.c_str());
        values.push_back(v.c_str());
    }
    if (m_mode == Mode::ReadOnly)
        options += (options.empty() ? "" : " ") + std::string("-c default_transaction_read_only=on -c statement_timeout=") +
                   std::to_string(m_statementTimeoutMs);
    if (!options.empty()) {
        keys.push_back("options");
        values.push_back(options.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    m_conn = PQconnectdbParams(keys.data(), values.data(), 0);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        *error = "keine Verbindung zu " + m_location.shown + ": " +
                 scrub(m_conn ? PQerrorMessage(m_conn) : "kein Speicher frei");
        drop();
        return false;
    }
    // The server's notices (and its farewell when it shuts down) are not the user's business:
    // what fails reaches the caller as an error.
    PQsetNoticeProcessor(m_conn, [](void*, const char*) {}, nullptr);
    return true;
}

bool Connection::ensure(std::string* error)
{
    if (m_conn && PQstatus(m_conn) == CONNECTION_OK) {
        PGTransactionStatusType ts = PQtransactionStatus(m_conn);
        if (ts == PQTRANS_INTRANS || ts == PQTRANS_INERROR)
            return true;  // within the caller's transaction: a fault there is the caller's error
    }
    if (m_conn && PQstatus(m_conn) == CONNECTION_OK && PQtransactionStatus(m_conn) == PQTRANS_IDLE) {
        // Idle, nothing should arrive: anything readable is the server saying goodbye (a
        // restart, a terminated backend) or the socket's end.
        pollfd p{PQsocket(m_conn), POLLIN, 0};
        if (::poll(&p, 1, 0) == 0)
            return true;
        if (PQconsumeInput(m_conn) == 1 && PQstatus(m_conn) == CONNECTION_OK && !PQisBusy(m_conn)) {
            while (PGnotify* n = PQnotifies(m_conn))
                PQfreemem(n);
            if (::poll(&p, 1, 0) == 0)
                return true;
        }
    }
    return connect(error);
}

bool Connection::wait(std::chrono::steady_clock::time_point deadline, std::string* error)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{PQsocket(m_conn), POLLIN, 0};
    int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
    if (ready == 0) {
        *error = "keine Antwort von " + m_location.shown + " in der erlaubten Zeit; die Verbindung wird geschlossen";
        drop();
        return false;
    }
    if (ready < 0 && errno == EINTR)
        return true;
    if (PQconsumeInput(m_conn) != 1) {
        *error = "Verbindung zu " + m_location.shown + " verloren: " + scrub(PQerrorMessage(m_conn));
        drop();
        return false;
    }
    return true;
}

PGresult* Connection::lastResult(std::chrono::steady_clock::time_point deadline, std::string* error)
{
    PGresult* kept = nullptr;
    for (;;) {
        while (m_conn && PQisBusy(m_conn))
            if (!wait(deadline, error)) {
                PQclear(kept);
                return nullptr;
            }
        if (!m_conn)
            break;
        PGresult* r = PQgetResult(m_conn);
        if (!r)
            break;
        ExecStatusType st = PQresultStatus(r);
        if (st == PGRES_COPY_IN || st == PGRES_COPY_OUT || st == PGRES_COPY_BOTH) {
            PQclear(kept);
            return r;  // the caller goes on with the copy
        }
        bool keptIsError = kept && PQresultStatus(kept) != PGRES_COMMAND_OK && PQresultStatus(kept) != PGRES_TUPLES_OK;
        if (keptIsError) {
            PQclear(r);
        } else {
            PQclear(kept);
            kept = r;
        }
    }
    if (!kept && error->empty())
        *error = "Verbindung zu " + m_location.shown + " verloren: " +
                 scrub(m_conn ? PQerrorMessage(m_conn) : "geschlossen");
    if (m_conn && PQstatus(m_conn) != CONNECTION_OK)
        drop();
    return kept;
}

namespace {

bool resultOk(PGresult* r) { return r && (PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK); }

}  // namespace

bool Connection::query(const std::string& sql, const std::vector<Value>& values, Rows& out, std::string* error,
                       std::string* sqlstate)
{
    out = Rows();
    if (!ensure(error))
        return false;
    // One statement per text and kind of values: "Identifier = $1" bound to an integer and to
    // a real are two statements.
    std::vector<Oid> types;
    std::string signature = sql + '\0';
    for (const Value& v : values) {
        Oid t = std::holds_alternative<long long>(v) ? 20 : std::holds_alternative<double>(v) ? 1700 : 0;
        types.push_back(t);
        signature += std::to_string(t) + ',';
    }
    auto it = m_prepared.find(signature);
    if (it == m_prepared.end()) {
        if (m_prepared.size() >= kMaxPrepared) {
            if (!exec("DEALLOCATE ALL", error))
                return false;
            m_prepared.clear();
        }
        std::string name = "kordb_" + std::to_string(m_nextStatement++);
        auto until = deadline();
        if (!PQsendPrepare(m_conn, name.c_str(), sql.c_str(), static_cast<int>(types.size()), types.data())) {
            *error = "Verbindung zu " + m_location.shown + " verloren: " + scrub(PQerrorMessage(m_conn));
            drop();
            return false;
        }
        error->clear();
        PGresult* r = lastResult(until, error);
        if (!resultOk(r)) {
            if (r) {
                *error = scrub(PQresultErrorMessage(r));
                if (sqlstate)
                    *sqlstate = PQresultErrorField(r, PG_DIAG_SQLSTATE) ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : "";
            }
            PQclear(r);
            return false;
        }
        PQclear(r);
        it = m_prepared.emplace(signature, name).first;
    }
    std::vector<std::string> texts;
    texts.reserve(values.size());
    for (const Value& v : values) {
        if (auto* i = std::get_if<long long>(&v))
            texts.push_back(std::to_string(*i));
        else if (auto* d = std::get_if<double>(&v)) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.17g", *d);
            texts.emplace_back(buf);
        } else
            texts.push_back(std::get<std::string>(v));
    }
    std::vector<const char*> params;
    for (const auto& t : texts)
        params.push_back(t.c_str());
    auto until = deadline();
    if (!PQsendQueryPrepared(m_conn, it->second.c_str(), static_cast<int>(params.size()), params.data(), nullptr,
                             nullptr, 0)) {
        *error = "Verbindung zu " + m_location.shown + " verloren: " + scrub(PQerrorMessage(m_conn));
        drop();
        return false;
    }
    error->clear();
    PGresult* r = lastResult(until, error);
    if (!resultOk(r)) {
        if (r) {
            *error = scrub(PQresultErrorMessage(r));
            const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
            if (sqlstate)
                *sqlstate = state ? state : "";
            // A statement that names a table no longer there is prepared anew next time.
            if (state && (std::strcmp(state, "42P01") == 0 || std::strcmp(state, "0A000") == 0))
                m_prepared.erase(it);
        }
        PQclear(r);
        return false;
    }
    int columns = PQnfields(r);
    for (int c = 0; c < columns; ++c)
        out.fields.emplace_back(PQfname(r, c));
    int n = PQntuples(r);
    out.rows.reserve(n);
    for (int row = 0; row < n; ++row) {
        std::vector<std::string> record(columns);
        for (int c = 0; c < columns; ++c)
            if (!PQgetisnull(r, row, c))
                record[c].assign(PQgetvalue(r, row, c), PQgetlength(r, row, c));
        out.rows.push_back(std::move(record));
    }
    PQclear(r);
    return true;
}

bool Connection::exec(const std::string& sql, std::string* error)
{
    if (!ensure(error))
        return false;
    auto until = deadline();
    if (!PQsendQuery(m_conn, sql.c_str())) {
        *error = "Verbindung zu " + m_location.shown + " verloren: " + scrub(PQerrorMessage(m_conn));
        drop();
        return false;
    }
    error->clear();
    PGresult* r = lastResult(until, error);
    bool ok = resultOk(r);
    if (!ok && r)
        *error = scrub(PQresultErrorMessage(r));
    PQclear(r);
    return ok;
}

bool Connection::copyIn(const std::string& copySql, const std::vector<std::vector<const std::string*>>& rows,
                        std::string* error)
{
    if (!ensure(error))
        return false;
    auto until = deadline();
    if (!PQsendQuery(m_conn, copySql.c_str())) {
        *error = scrub(PQerrorMessage(m_conn));
        return false;
    }
    error->clear();
    PGresult* r = lastResult(until, error);
    if (!r || PQresultStatus(r) != PGRES_COPY_IN) {
        if (r)
            *error = scrub(PQresultErrorMessage(r));
        PQclear(r);
        return false;
    }
    PQclear(r);
    std::string buffer;
    auto flush = [&]() {
        if (PQputCopyData(m_conn, buffer.data(), static_cast<int>(buffer.size())) != 1) {
            *error = scrub(PQerrorMessage(m_conn));
            return false;
        }
        buffer.clear();
        return true;
    };
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            if (c)
                buffer += '\t';
            if (!row[c]) {
                buffer += "\\N";
                continue;
            }
            for (char ch : *row[c]) {
                switch (ch) {
                case '\\': buffer += "\\\\"; break;
                case '\t': buffer += "\\t"; break;
                case '\n': buffer += "\\n"; break;
                case '\r': buffer += "\\r"; break;
                default: buffer += ch;
                }
            }
        }
        buffer += '\n';
        if (buffer.size() > 65536 && !flush())
            return false;
    }
    if (!buffer.empty() && !flush())
        return false;
    if (PQputCopyEnd(m_conn, nullptr) != 1) {
        *error = scrub(PQerrorMessage(m_conn));
        return false;
    }
    r = lastResult(until, error);
    bool ok = resultOk(r);
    if (!ok && r)
        *error = scrub(PQresultErrorMessage(r));
    PQclear(r);
    return ok;
}

}  // namespace kordb::pg

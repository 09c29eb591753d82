// What the text tables keep to use again: the query text made into a statement that serves
// every value, the resolutions of names and tables, the views and statements made for them.
// The caches belong to the connections and are guarded by their lock (kordb_p.h).
#include "db/kordb_p.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace kordb::detail {

namespace {

// ASCII classes as SQL reads them, whatever the locale.
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isIdentChar(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || (c & 0x80);
}

}  // namespace

// A number that stands right after a comparison operator becomes a parameter. A number
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
                p.marks.push_back({out.size(), j + 1 - i, true, p.quotedNames.back()});
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
        bool startsNumber = isDigit(c) ||
                            (c == '-' && i + 1 < n && isDigit(q[i + 1]));
        if (afterComparison && startsNumber) {
            size_t j = i + (c == '-' ? 1 : 0);
            bool real = false;
            while (j < n && isDigit(q[j]))
                ++j;
            if (j < n && q[j] == '.') {
                real = true;
                ++j;
                while (j < n && isDigit(q[j]))
                    ++j;
            }
            if (j < n && (q[j] == 'e' || q[j] == 'E')) {
                size_t k = j + 1;
                if (k < n && (q[k] == '+' || q[k] == '-'))
                    ++k;
                if (k < n && isDigit(q[k])) {
                    real = true;
                    j = k;
                    while (j < n && isDigit(q[j]))
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
        if (!isSpace(c)) {
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

void finalizeStatements(Connections& c)
{
    for (auto& [sql, stmt] : c.caches.statements)
        sqlite3_finalize(stmt);
    c.caches.statements.clear();
}

void forgetResolutions(Connections& c, const std::string& upperName)
{
    // Every file attached afresh comes through here: what was answered before goes.
    c.caches.results.clear();
    std::string prefix = upperName + '\0';
    for (auto it = c.caches.resolutions.begin(); it != c.caches.resolutions.end();)
        it = it->first.rfind(prefix, 0) == 0 ? c.caches.resolutions.erase(it) : std::next(it);
    // A file's views stay (a query on its own still finds its database through them); a
    // server's names are forgotten with their resolutions.
    for (auto it = c.caches.views.begin(); it != c.caches.views.end();) {
        if (it->second == upperName && c.caches.serverNames.erase(it->first))
            it = c.caches.views.erase(it);
        else
            ++it;
    }
}

}  // namespace kordb::detail

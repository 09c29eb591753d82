#include "lisp/Reader.h"

#include "lisp/Environment.h"
#include "lisp/Error.h"
#include "lisp/Utf8.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace lisp {

namespace {

bool isDelimiter(int c)
{
    return c == -1 || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' ||
           c == '\v' || c == '(' || c == ')' || c == '\'' || c == '"' || c == ';';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// [+-]? (digits [. digits?] | . digits) ([eE] [+-]? digits)?
bool looksLikeNumber(std::string_view t, bool* integral)
{
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    size_t intDigits = 0, fracDigits = 0;
    while (i < t.size() && isDigit(t[i]))
        ++i, ++intDigits;
    bool dot = false;
    if (i < t.size() && t[i] == '.') {
        dot = true;
        ++i;
        while (i < t.size() && isDigit(t[i]))
            ++i, ++fracDigits;
    }
    if (intDigits + fracDigits == 0)
        return false;
    bool exponent = false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        exponent = true;
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < t.size() && isDigit(t[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return false;
    }
    *integral = !dot && !exponent;
    return i == t.size();
}

}  // namespace

std::optional<Value> parseNumber(std::string_view token)
{
    bool integral = false;
    if (!looksLikeNumber(token, &integral))
        return std::nullopt;
    std::string_view digits = token;
    if (!digits.empty() && digits[0] == '+')
        digits.remove_prefix(1);
    if (integral) {
        long long n = 0;
        auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (r.ec == std::errc() && n >= INT32_MIN && n <= INT32_MAX)
            return Value::integer(static_cast<int32_t>(n));
        // Too large for an integer: AutoLISP reads it as a real.
    }
    double d = 0;
    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), d);
    if (r.ec == std::errc::result_out_of_range) {
        // Beyond a double: 1e400 is infinite, 1e-400 (or 0.000...1) is zero.
        size_t e = digits.find_first_of("eE");
        size_t lead = digits.find_first_not_of("+-0");
        bool tiny = e != std::string_view::npos
                        ? digits.substr(e + 1, 1) == "-"
                        : lead != std::string_view::npos && digits[lead] == '.';
        d = (digits[0] == '-' ? -1.0 : 1.0) * (tiny ? 0.0 : HUGE_VAL);
    } else if (r.ec != std::errc()) {
        return std::nullopt;
    }
    return Value::real(d);
}

Reader::Reader(std::string_view text, SymbolTable& symbols) : text_(text), symbols_(symbols)
{
    // A UTF-8 byte-order mark at the start of a file is no part of the program.
    if (text_.substr(0, 3) == "\xEF\xBB\xBF")
        pos_ = 3;
}

int Reader::get()
{
    int c = peek();
    if (c != -1) {
        ++pos_;
        if (c == '\n')
            ++curLine_;
    }
    return c;
}

void Reader::skipBlanks()
{
    for (;;) {
        int c = peek();
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            get();
        } else if (c == ';') {
            get();
            if (peek() == '|') {
                // Block comment up to "|;".
                get();
                for (;;) {
                    int d = get();
                    if (d == -1)
                        throw IncompleteInput("malformed comment on input");
                    if (d == '|' && peek() == ';') {
                        get();
                        break;
                    }
                }
            } else {
                while (peek() != -1 && peek() != '\n')
                    get();
            }
        } else {
            return;
        }
    }
}

bool Reader::atEnd()
{
    skipBlanks();
    return peek() == -1;
}

std::optional<Value> Reader::next()
{
    skipBlanks();
    if (peek() == -1)
        return std::nullopt;
    startLine_ = curLine_;
    if (peek() == ')') {
        get();
        fail("extra right paren on input");
    }
    return readForm();
}

Value Reader::readForm()
{
    checkStack();
    skipBlanks();
    int c = peek();
    switch (c) {
    case -1:
        throw IncompleteInput("malformed list on input");
    case '(':
        get();
        return readList();
    case ')':
        get();
        fail("extra right paren on input");
    case '"':
        get();
        return readString();
    case '\'': {
        get();
        Value quoted = readForm();
        return list({Value::symbol(symbols_.intern("QUOTE")), std::move(quoted)});
    }
    default:
        return readAtom();
    }
}

Value Reader::readList()
{
    ListBuilder items;
    for (;;) {
        skipBlanks();
        int c = peek();
        if (c == -1)
            throw IncompleteInput("malformed list on input");
        if (c == ')') {
            get();
            return items.take();
        }
        // A lone "." before the last element makes a dotted pair.
        if (c == '.' && isDelimiter(pos_ + 1 < text_.size()
                                        ? static_cast<unsigned char>(text_[pos_ + 1])
                                        : -1)) {
            get();
            if (items.empty())
                fail("misplaced dot on input");
            items.setTail(readForm());
            skipBlanks();
            if (peek() == -1)
                throw IncompleteInput("malformed list on input");
            if (get() != ')')
                fail("malformed list on input");
            return items.take();
        }
        items.push(readForm());
    }
}

Value Reader::readString()
{
    // The text is no longer than its bytes up to the closing quote (escapes only shorten it):
    // refused before it is built when that would pass the memory limit.
    size_t end = pos_;
    bool escapes = false;
    while (end < text_.size() && text_[end] != '"') {
        escapes |= text_[end] == '\\';
        end += text_[end] == '\\' ? 2 : 1;
    }
    checkHeap(std::min(end, text_.size()) - pos_);
    if (!escapes && end < text_.size()) {
        // The usual string: its bytes as they stand, taken whole.
        std::string_view body = text_.substr(pos_, end - pos_);
        for (char c : body)
            curLine_ += c == '\n';
        pos_ = end + 1;
        return Value::string(std::string(body));
    }
    std::string text;
    text.reserve(std::min(end, text_.size()) - pos_);
    for (;;) {
        int c = get();
        if (c == -1)
            throw IncompleteInput("malformed string on input");
        if (c == '"')
            return Value::string(std::move(text));
        if (c != '\\') {
            text += static_cast<char>(c);
            continue;
        }
        int e = get();
        switch (e) {
        case -1:
            throw IncompleteInput("malformed string on input");
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        case 't':
            text += '\t';
            break;
        case 'e':
            text += '\x1B';
            break;
        default:
            if (e >= '0' && e <= '7') {
                // Up to three octal digits: the character with that code.
                char32_t code = e - '0';
                for (int k = 0; k < 2 && peek() >= '0' && peek() <= '7'; ++k)
                    code = code * 8 + (get() - '0');
                utf8::append(text, code);
            } else {
                text += static_cast<char>(e);  // \\ \" and any other character as itself
            }
        }
    }
}

Value Reader::readAtom()
{
    size_t start = pos_;
    while (!isDelimiter(peek()))
        get();
    std::string_view token = text_.substr(start, pos_ - start);
    if (token == ".")
        fail("misplaced dot on input");
    if (auto n = parseNumber(token))
        return *n;
    Symbol* sym = symbols_.intern(token);
    if (sym->name == "NIL")
        return Value();
    return Value::symbol(sym);
}

}  // namespace lisp

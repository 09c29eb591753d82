// String functions. Positions and lengths count characters (code points), not bytes.
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"
#include "lisp/Reader.h"
#include "lisp/Utf8.h"

#include "text/wildcard.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace lisp {

namespace {

[[noreturn]] void badValue(const std::string& what, const Value& v)
{
    fail("bad argument value: " + what + ": " + toString(v, true));
}

// What the functions build and work in counts against the memory limit before they take it
// (see checkHeap and HeapCharge): a text is cut and joined as UTF-8 bytes, and decoded into
// characters only where a function needs them one by one.

// A text decoded into characters, charged while it lives: decoded, a text takes four bytes a
// character.
struct Decoded {
    explicit Decoded(std::string_view text) : charge(4 * utf8::length(text)), chars(utf8::decode(text)) {}
    HeapCharge charge;
    std::u32string chars;
};

// Where character n (from 0) of a text starts, counted from the byte offset `from`: the text's
// size when it holds exactly n characters from there, npos when fewer.
size_t charOffset(std::string_view text, size_t n, size_t from = 0)
{
    size_t i = from;
    for (; n > 0 && i < text.size(); --n)
        utf8::next(text, i);
    return n == 0 ? i : std::string::npos;
}

// A new string of these bytes, refused before it is made when it would pass the memory limit.
Value newString(std::string_view bytes)
{
    checkHeap(bytes.size());
    return Value::string(std::string(bytes));
}

Value strcatFn(Interpreter&, const Args& a)
{
    // The whole length first: one text given a thousand times must not be built only to be
    // refused by the memory limit once it is a string.
    size_t total = 0;
    for (const Value& v : a)
        total += strArg(v).size();
    checkHeap(total);
    std::string out;
    out.reserve(total);
    for (const Value& v : a)
        out += v.str();
    return Value::string(std::move(out));
}

// (substr text start [count]): start counts from 1.
Value substrFn(Interpreter&, const Args& a)
{
    std::string_view text = strArg(a[0]);
    int32_t start = intArg(a[1]);
    if (start < 1)
        badValue("positive", a[1]);
    size_t from = std::min(charOffset(text, static_cast<size_t>(start) - 1), text.size());
    size_t to = text.size();
    if (a.has(2)) {
        int32_t n = intArg(a[2]);
        if (n < 0)
            badValue("non-negative", a[2]);
        to = std::min(charOffset(text, static_cast<size_t>(n), from), text.size());
    }
    return newString(text.substr(from, to - from));
}

Value strlenFn(Interpreter&, const Args& a)
{
    size_t n = 0;
    for (const Value& v : a)
        n += utf8::length(strArg(v));
    return Value::integer(static_cast<int32_t>(n));
}

// (strcase text [lower]): upper case, or lower case when the second argument is not nil.
Value strcaseFn(Interpreter&, const Args& a)
{
    const std::string& s = strArg(a[0]);
    bool lower = a.has(1) && !a[1].isNil();
    checkHeap(s.size());  // a letter keeps its length in either case
    return Value::string(lower ? utf8::lower(s) : utf8::upper(s));
}

// (vl-string-trim chars text) and its left and right halves: text without any of the
// characters at its start, its end, or both.
template <bool Left, bool Right>
Value vlStringTrimFn(Interpreter&, const Args& a)
{
    Decoded set(strArg(a[0]));
    std::string_view text = strArg(a[1]);
    auto trimmed = [&](char32_t c) { return set.chars.find(c) != std::u32string::npos; };
    size_t b = 0, e = text.size();
    if (Left)
        for (size_t i = 0; i < text.size();) {
            b = i;
            if (!trimmed(utf8::next(text, i)))
                break;
            b = i;
        }
    if (Right) {
        e = b;
        for (size_t i = b; i < text.size();)
            if (!trimmed(utf8::next(text, i)))
                e = i;
    }
    return newString(text.substr(b, e - b));
}

Value itoaFn(Interpreter&, const Args& a) { return Value::string(std::to_string(intArg(a[0]))); }

std::string_view skipSpace(std::string_view s)
{
    while (!s.empty() && (s[0] == ' ' || s[0] == '\t' || s[0] == '\n' || s[0] == '\r'))
        s.remove_prefix(1);
    return s;
}

// atoi: the integer the text begins with, 0 when it begins with none.
Value atoiFn(Interpreter&, const Args& a)
{
    std::string_view s = skipSpace(strArg(a[0]));
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    // Beyond the integer range the result stays at its end, as the C library's atoi does.
    int64_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            break;
        n = std::min<int64_t>(n * 10 + (c - '0'), int64_t(INT32_MAX) + 1);
    }
    n = negative ? -n : std::min<int64_t>(n, INT32_MAX);
    return Value::integer(static_cast<int32_t>(n));
}

// atof: the number the text begins with, 0.0 when it begins with none.
Value atofFn(Interpreter&, const Args& a)
{
    std::string_view s = skipSpace(strArg(a[0]));
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    // from_chars finds how far the number goes; the reader's rules decide what it is (from_chars
    // also takes "inf" and "nan", which are no numbers in AutoLISP).
    double ignored = 0.0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), ignored);
    std::string_view number(s.data(), r.ptr - s.data());
    auto n = number.empty() || number[0] == '-' ? std::nullopt : parseNumber(number);
    if (!n)
        return Value::real(0.0);
    return Value::real(negative ? -n->asDouble() : n->asDouble());
}

Value asciiFn(Interpreter&, const Args& a)
{
    std::string_view text = strArg(a[0]);
    size_t i = 0;
    return Value::integer(text.empty() ? 0 : static_cast<int32_t>(utf8::next(text, i)));
}

Value chrFn(Interpreter&, const Args& a)
{
    int32_t code = intArg(a[0]);
    // Only what UTF-8 can carry: no surrogate halves, nothing above U+10FFFF.
    if (code < 0 || !utf8::isScalar(static_cast<char32_t>(code)))
        badValue("character code", a[0]);
    std::string s;
    if (code != 0)
        utf8::append(s, static_cast<char32_t>(code));
    return Value::string(std::move(s));
}


Value wcmatchFn(Interpreter& lisp, const Args& a)
{
    // The match works on the text decoded (four bytes a character) with two rows of a table
    // over it, and on the pattern's elements (a few dozen bytes each).
    const std::string& text = strArg(a[0]);
    const std::string& pattern = strArg(a[1]);
    HeapCharge work(6 * (text.size() + 1) + 64 * pattern.size());
    return lisp.boolean(kortext::wildcardMatch(text, pattern));
}

// ---- vl-string functions ------------------------------------------------------------------

// An optional start position: nil or missing is 0; a negative one counts as 0.
size_t startArg(const Args& a, size_t i)
{
    if (!a.has(i) || a[i].isNil())
        return 0;
    int32_t n = intArg(a[i]);
    return n < 0 ? 0 : static_cast<size_t>(n);
}

// (vl-string-search pattern text [start]): the position of the first occurrence, from 0.
Value vlStringSearchFn(Interpreter&, const Args& a)
{
    Decoded patternChars(strArg(a[0])), textChars(strArg(a[1]));
    const std::u32string& pattern = patternChars.chars;
    const std::u32string& text = textChars.chars;
    size_t start = startArg(a, 2);
    if (start > text.size())
        return Value();
    size_t at = text.find(pattern, start);
    return at == std::u32string::npos ? Value() : Value::integer(static_cast<int32_t>(at));
}

// (vl-string-position code text [start [from-end]]): where the character is, searched from
// start on; from the end: the last one at or before start (at or before the end when start
// is nil).
Value vlStringPositionFn(Interpreter&, const Args& a)
{
    char32_t c = static_cast<char32_t>(intArg(a[0]));
    Decoded textChars(strArg(a[1]));
    const std::u32string& text = textChars.chars;
    bool given = a.has(2) && !a[2].isNil();
    size_t start = startArg(a, 2);
    bool fromEnd = a.has(3) && !a[3].isNil();
    size_t at = fromEnd ? text.rfind(c, given ? start : std::u32string::npos)
                        : (start >= text.size() ? std::u32string::npos : text.find(c, start));
    return at == std::u32string::npos ? Value() : Value::integer(static_cast<int32_t>(at));
}

// (vl-string-subst new pattern text [start]): the first occurrence replaced. UTF-8 found in
// UTF-8 starts and ends where characters do, so the bytes are searched.
Value vlStringSubstFn(Interpreter&, const Args& a)
{
    std::string_view repl = strArg(a[0]);
    std::string_view pattern = strArg(a[1]);
    std::string_view text = strArg(a[2]);
    size_t from = charOffset(text, startArg(a, 3));
    size_t at = from == std::string::npos ? std::string::npos : text.find(pattern, from);
    if (at == std::string::npos)
        return a[2];
    size_t size = text.size() - pattern.size() + repl.size();
    checkHeap(size);
    std::string out;
    out.reserve(size);
    out.append(text.substr(0, at)).append(repl).append(text.substr(at + pattern.size()));
    return Value::string(std::move(out));
}

// (vl-string-translate from to text): each character of from replaced by the one at the
// same place in to; characters of from beyond the end of to stay.
Value vlStringTranslateFn(Interpreter&, const Args& a)
{
    Decoded from(strArg(a[0])), to(strArg(a[1]));
    std::string_view text = strArg(a[2]);
    auto translated = [&](char32_t c) {
        size_t i = from.chars.find(c);
        return i != std::u32string::npos && i < to.chars.size() ? to.chars[i] : c;
    };
    // The size of the answer first: a character may take more bytes than the one it replaces.
    size_t size = 0;
    for (size_t i = 0; i < text.size();)
        size += utf8::encodedSize(translated(utf8::next(text, i)));
    checkHeap(size);
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i < text.size();)
        utf8::append(out, translated(utf8::next(text, i)));
    return Value::string(std::move(out));
}

// (vl-string-mismatch a b [pos1 pos2 ignore-case]): how many characters agree from the
// given positions on.
Value vlStringMismatchFn(Interpreter&, const Args& a)
{
    Decoded xChars(strArg(a[0])), yChars(strArg(a[1]));
    const std::u32string& x = xChars.chars;
    const std::u32string& y = yChars.chars;
    size_t i = startArg(a, 2), j = startArg(a, 3);
    bool ignoreCase = a.has(4) && !a[4].isNil();
    int32_t n = 0;
    for (; i < x.size() && j < y.size(); ++i, ++j, ++n) {
        char32_t c = x[i], d = y[j];
        if (ignoreCase) {
            c = utf8::toUpper(c);
            d = utf8::toUpper(d);
        }
        if (c != d)
            break;
    }
    return Value::integer(n);
}

Value vlStringEltFn(Interpreter&, const Args& a)
{
    std::string_view text = strArg(a[0]);
    int32_t pos = intArg(a[1]);
    size_t at = pos < 0 ? std::string::npos : charOffset(text, static_cast<size_t>(pos));
    if (at == std::string::npos || at >= text.size())
        badValue("string position out of range", a[1]);
    return Value::integer(static_cast<int32_t>(utf8::next(text, at)));
}

Value vlStringToListFn(Interpreter&, const Args& a)
{
    std::string_view text = strArg(a[0]);
    checkHeap(utf8::length(text) * kObjectCharge);  // a cell a character
    ListBuilder b;
    for (size_t i = 0; i < text.size();)
        b.push(Value::integer(static_cast<int32_t>(utf8::next(text, i))));
    return b.take();
}

Value vlListToStringFn(Interpreter&, const Args& a)
{
    size_t size = 0;
    const Value* p = &listArg(a[0]);
    for (; p->isCons(); p = &p->consCell()->cdr) {
        const Value& v = p->consCell()->car;
        int32_t code = intArg(v);
        if (code <= 0 || !utf8::isScalar(static_cast<char32_t>(code)))
            badValue("character code", v);
        size += utf8::encodedSize(static_cast<char32_t>(code));
    }
    if (!p->isNil())
        fail("bad list: " + toString(a[0], true));
    checkHeap(size);
    std::string out;
    out.reserve(size);
    for (p = &a[0]; p->isCons(); p = &p->consCell()->cdr)
        utf8::append(out, static_cast<char32_t>(intArg(p->consCell()->car)));
    return Value::string(std::move(out));
}

Value xstrcaseFn(Interpreter&, const Args& a)
{
    checkHeap(strArg(a[0]).size());
    return Value::string(utf8::upper(strArg(a[0])));
}

// (snvalid name [flag]): the name can name a record of a symbol table (a layer, a block):
// not empty, at most 255 characters, no control characters, none of < > / \ " : ; ? * = `
// and no comma; a vertical bar only with flag 1. With EXTNAMES 0 the older names: at most 31
// letters, digits and $ - _.
Value snvalidFn(Interpreter& lisp, const Args& a)
{
    const std::string& text = strArg(a[0]);
    int32_t flag = a.has(1) && !a[1].isNil() ? intArg(a[1]) : 0;
    if (text.empty() || utf8::length(text) > 255)
        return Value();
    auto name = utf8::decode(text);
    Value extended = lisp.systemVariable("EXTNAMES");
    if (extended.isInt() && extended.asInt() == 0) {
        if (name.size() > 31)
            return Value();
        for (char32_t c : name)
            if (!(c < 0x80 && (std::isalnum(static_cast<int>(c)) || c == '$' || c == '-' || c == '_')) &&
                !(c == '|' && flag == 1))
                return Value();
        return lisp.t();
    }
    static const std::u32string forbidden = U"<>/\\\":;?*=`,";
    for (char32_t c : name) {
        if (c < 0x20 || c == 0x7F || forbidden.find(c) != std::u32string::npos)
            return Value();
        if (c == '|' && flag != 1)
            return Value();
    }
    return lisp.t();
}

Value prin1ToString(Interpreter&, const Args& a) { return Value::string(toString(a[0], true)); }
Value princToString(Interpreter&, const Args& a) { return Value::string(toString(a[0], false)); }

}  // namespace

void installStringFunctions(Interpreter& lisp)
{
    lisp.defineBuiltin("strcat", strcatFn, 0, -1);
    lisp.defineBuiltin("substr", substrFn, 2, 3);
    lisp.defineBuiltin("strlen", strlenFn, 0, -1);
    lisp.defineBuiltin("strcase", strcaseFn, 1, 2);
    lisp.defineBuiltin("vl-string-trim", vlStringTrimFn<true, true>, 2, 2);
    lisp.defineBuiltin("itoa", itoaFn, 1, 1);
    lisp.defineBuiltin("atoi", atoiFn, 1, 1);
    lisp.defineBuiltin("atof", atofFn, 1, 1);
    lisp.defineBuiltin("ascii", asciiFn, 1, 1);
    lisp.defineBuiltin("chr", chrFn, 1, 1);
    lisp.defineBuiltin("vl-prin1-to-string", prin1ToString, 1, 1);
    lisp.defineBuiltin("vl-princ-to-string", princToString, 1, 1);
    lisp.defineBuiltin("wcmatch", wcmatchFn, 2, 2);
    lisp.defineBuiltin("vl-string-search", vlStringSearchFn, 2, 3);
    lisp.defineBuiltin("vl-string-position", vlStringPositionFn, 2, 4);
    lisp.defineBuiltin("vl-string-subst", vlStringSubstFn, 3, 4);
    lisp.defineBuiltin("vl-string-translate", vlStringTranslateFn, 3, 3);
    lisp.defineBuiltin("vl-string-left-trim", vlStringTrimFn<true, false>, 2, 2);
    lisp.defineBuiltin("vl-string-right-trim", vlStringTrimFn<false, true>, 2, 2);
    lisp.defineBuiltin("vl-string-mismatch", vlStringMismatchFn, 2, 5);
    lisp.defineBuiltin("vl-string-elt", vlStringEltFn, 2, 2);
    lisp.defineBuiltin("vl-string->list", vlStringToListFn, 1, 1);
    lisp.defineBuiltin("vl-list->string", vlListToStringFn, 1, 1);
    lisp.defineBuiltin("xstrcase", xstrcaseFn, 1, 1);
    lisp.defineBuiltin("snvalid", snvalidFn, 1, 2);
}

}  // namespace lisp

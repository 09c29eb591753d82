// CString: formatting, trimming, searching, comparing; UTF-8 through the one text codec.
#include "mfc/afx.h"

#include "text/text.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

// MFC's Unicode Format reads %s and %c as wide; glibc's wide printf reads them as narrow
// unless marked with l. Rewrite the conversions so both agree: %s -> %ls, %c -> %lc, and
// the explicit narrow %hs / %hc -> %s / %c.
std::wstring translateFormat(const wchar_t* format)
{
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        out += *p;
        if (*p != L'%')
            continue;
        ++p;
        if (*p == L'%') {
            out += *p;
            continue;
        }
        // flags, width, precision
        while (*p && std::wcschr(L"-+ #0123456789.*'", *p))
            out += *p++;
        bool narrow = false;
        if (*p == L'h' && (p[1] == L's' || p[1] == L'c')) {
            narrow = true;
            ++p;
        } else if (*p == L'l' && (p[1] == L's' || p[1] == L'c')) {
            ++p;  // already wide
        } else {
            while (*p && std::wcschr(L"hlLqjzt", *p))
                out += *p++;
        }
        if (!*p)
            break;
        if ((*p == L's' || *p == L'c') && !narrow)
            out += L'l';
        out += *p;
    }
    return out;
}

bool isSpace(wchar_t c) { return std::iswspace(c) != 0; }

}  // namespace

void CString::FormatV(const wchar_t* format, va_list args)
{
    m_s.clear();
    if (!format)
        return;
    std::wstring fmt = translateFormat(format);
    // Numbers are written as in the C runtime's default locale ("3.14"), also when Qt has put
    // the desktop's locale into force for the process.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        locale_t previous = uselocale(cLocale);
        int n = std::vswprintf(buf.data(), buf.size(), fmt.c_str(), copy);
        uselocale(previous);
        va_end(copy);
        if (n >= 0) {
            m_s.assign(buf.data(), n);
            return;
        }
        if (buf.size() >= (1u << 24))
            return;  // not a size problem: a bad format or an unencodable argument
        buf.resize(buf.size() * 4);
    }
}

void CString::Format(const wchar_t* format, ...)
{
    va_list ap;
    va_start(ap, format);
    FormatV(format, ap);
    va_end(ap);
}

CString& CString::TrimLeft()
{
    auto it = std::find_if_not(m_s.begin(), m_s.end(), isSpace);
    m_s.erase(m_s.begin(), it);
    return *this;
}

CString& CString::TrimRight()
{
    auto it = std::find_if_not(m_s.rbegin(), m_s.rend(), isSpace);
    m_s.erase(it.base(), m_s.end());
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }

int CString::CompareNoCase(const wchar_t* other) const
{
    const wchar_t* a = m_s.c_str();
    const wchar_t* b = other ? other : L"";
    for (;; ++a, ++b) {
        wint_t x = std::towlower(*a), y = std::towlower(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (!*a)
            return 0;
    }
}

std::string AfxToUtf8(const wchar_t* text) { return kortext::fromWide(text ? text : L""); }

std::wstring AfxFromUtf8(const std::string& text) { return kortext::toWide(text); }

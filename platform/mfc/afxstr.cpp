// CString: formatting, trimming, searching, comparing.
#include "mfc/afx.h"

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
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(buf.data(), buf.size(), fmt.c_str(), copy);
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

void CString::AppendFormat(const wchar_t* format, ...)
{
    CString more;
    va_list ap;
    va_start(ap, format);
    more.FormatV(format, ap);
    va_end(ap);
    m_s += more.m_s;
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

CString& CString::TrimLeft(wchar_t ch)
{
    m_s.erase(0, m_s.find_first_not_of(ch));
    return *this;
}

CString& CString::TrimRight(wchar_t ch)
{
    auto pos = m_s.find_last_not_of(ch);
    m_s.erase(pos == std::wstring::npos ? 0 : pos + 1);
    return *this;
}

CString& CString::Trim(wchar_t ch) { return TrimRight(ch).TrimLeft(ch); }

CString& CString::MakeUpper()
{
    for (auto& c : m_s)
        c = std::towupper(c);
    return *this;
}

CString& CString::MakeLower()
{
    for (auto& c : m_s)
        c = std::towlower(c);
    return *this;
}

CString CString::Left(int count) const
{
    return CString(m_s.substr(0, std::clamp(count, 0, GetLength())));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const
{
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(m_s.substr(first, count));
}

CString CString::Right(int count) const
{
    count = std::clamp(count, 0, GetLength());
    return CString(m_s.substr(m_s.size() - count));
}

int CString::Find(const wchar_t* sub, int start) const
{
    if (!sub || start < 0 || start > GetLength())
        return -1;
    auto pos = m_s.find(sub, start);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(wchar_t ch, int start) const
{
    if (start < 0 || start > GetLength())
        return -1;
    auto pos = m_s.find(ch, start);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Replace(const wchar_t* oldText, const wchar_t* newText)
{
    if (!oldText || !*oldText)
        return 0;
    std::wstring from(oldText), to(newText ? newText : L"");
    int count = 0;
    for (size_t pos = 0; (pos = m_s.find(from, pos)) != std::wstring::npos; pos += to.size()) {
        m_s.replace(pos, from.size(), to);
        ++count;
    }
    return count;
}

int CString::Compare(const wchar_t* other) const { return std::wcscmp(m_s.c_str(), other ? other : L""); }

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

std::string AfxToUtf8(const wchar_t* text)
{
    std::string out;
    for (const wchar_t* p = text ? text : L""; *p; ++p) {
        uint32_t c = static_cast<uint32_t>(*p);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring AfxFromUtf8(const std::string& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        uint32_t c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += L'\uFFFD';
            ++i;
            continue;
        }
        if (i + extra >= text.size()) {
            out += L'\uFFFD';
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            unsigned char nb = static_cast<unsigned char>(text[i + k]);
            if ((nb & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (nb & 0x3F);
        }
        if (!ok) {
            out += L'\uFFFD';
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += extra + 1;
    }
    return out;
}

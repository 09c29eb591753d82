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

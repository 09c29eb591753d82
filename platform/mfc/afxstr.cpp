// CString: formatting, trimming, searching, comparing; UTF-8 through the one text codec.
#include "mfc/afx.h"

#include "text/text.h"

#include <algorithm>
#include <cwchar>

namespace {

bool isSpace(wchar_t c) { return kortext::isBlank(static_cast<char32_t>(c)); }

}  // namespace

void CString::FormatV(const wchar_t* format, va_list args)
{
    m_s = format ? kortext::formatWindowsV(format, args) : std::wstring();
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

int CString::CompareNoCase(const wchar_t* other) const { return kortext::compareNoCase(m_s, other ? other : L""); }

std::string AfxToUtf8(const wchar_t* text) { return kortext::fromWide(text ? text : L""); }

std::wstring AfxFromUtf8(const std::string& text) { return kortext::toWide(text); }

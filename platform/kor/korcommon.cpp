// Common-library services: text from LISP values, string resources.
#include "kor/korcommon.h"
#include "ads/adslib.h"

#include "db/kordb.h"
#include "mfc/afxres.h"
#include "text/text.h"

#include <cwchar>

namespace {

bool appendText(const CKORAdsLispVar& v, std::wstring& out)
{
    using K = CKORAdsLispVar::Kind;
    switch (v.kind()) {
    case K::String:
        out += v.text();
        return true;
    case K::Short:
    case K::Long:
        out += std::to_wstring(v.asLong());
        return true;
    case K::Real: {
        // Reals print as LISP prints them: at most six significant digits, always a point.
        std::wstring s = CKORAdsLispVar(v.asReal()).ToString();
        out += s;
        return true;
    }
    case K::List:
        for (const auto& e : v.elements())
            if (!appendText(e, out))
                return false;
        return true;
    default:
        return false;
    }
}

}  // namespace

bool ConvertList2String(const CKORAdsLispVar& value, CString& text)
{
    std::wstring out;
    if (!appendText(value, out))
        return false;
    text = out.c_str();
    return true;
}

CString LoadResourceString(UINT id, HINSTANCE instance, void* reserved)
{
    (void)reserved;
    CString text;
    if (!instance) {
        text.LoadString(id);
        return text;
    }
    if (const AfxStringResource* s = AfxFindStringResource(instance, id))
        text = s->text;
    return text;
}

bool GetKorPath(const CString& key, const CString& table, const CString& reserved, const CString& errorFormat,
                CString& resolved)
{
    (void)reserved;
    std::wstring name;
    std::string prefix;
    if (!errorFormat.IsEmpty()) {
        // Only a format whose one conversion is %s is used as a format; any other text is
        // put before the reason as it stands.
        const std::wstring& f = errorFormat.str();
        int conversions = 0;
        bool onlyS = true;
        for (size_t i = 0; i < f.size(); ++i) {
            if (f[i] != L'%')
                continue;
            if (i + 1 == f.size() || f[i + 1] != L'%') {
                ++conversions;
                onlyS = onlyS && i + 1 < f.size() && f[i + 1] == L's';
            }
            ++i;
        }
        CString framed = errorFormat;
        if (conversions == 1 && onlyS)
            framed.Format(errorFormat, L"GetKorPath");
        prefix = kortext::fromWide(framed.str()) + ": ";
    }
    if (kordb::resolve(key.str(), table.str(), name, prefix)) {
        resolved = name.c_str();
        return true;
    }
    return false;
}

resbuf* NKORAdsSysCommonUtils::ResultBufferItem(resbuf* chain, int code)
{
    for (resbuf* rb = chain; rb; rb = rb->rbnext)
        if (rb->restype == code)
            return rb;
    return nullptr;
}

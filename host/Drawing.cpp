#include "Drawing.h"

#include <cwctype>

namespace korcad {

namespace {

Group text(int code, const wchar_t* value) { return Group{code, value, 0, 0}; }
Group integer(int code, long value) { return Group{code, L"", value, 0}; }
Group real(int code, double value) { return Group{code, L"", 0, value}; }

bool isIntegerCode(int code)
{
    return (code >= 60 && code <= 99) || (code >= 170 && code <= 179) || (code >= 270 && code <= 289) ||
           (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || (code >= 1060 && code <= 1071);
}

}  // namespace

Drawing::Drawing(std::wstring name) : name_(std::move(name))
{
    // What a new drawing holds before anything is drawn. BYBLOCK and BYLAYER are not
    // records a program walks: tblnext never shows them.
    tables_[L"LTYPE"] = {
        {text(0, L"LTYPE"), text(2, L"Continuous"), integer(70, 0), text(3, L"Solid line"),
         integer(72, 65), integer(73, 0), real(40, 0.0)},
    };
    tables_[L"LAYER"] = {
        {text(0, L"LAYER"), text(2, L"0"), integer(70, 0), integer(62, 7), text(6, L"Continuous")},
    };
    tables_[L"STYLE"] = {
        {text(0, L"STYLE"), text(2, L"Standard"), integer(70, 0), real(40, 0.0), real(41, 1.0),
         real(50, 0.0), integer(71, 0), real(42, 2.5), text(3, L"txt"), text(4, L"")},
    };
    tables_[L"APPID"] = {
        {text(0, L"APPID"), text(2, L"ACAD"), integer(70, 0)},
    };
}

std::wstring Drawing::upper(const std::wstring& s)
{
    std::wstring u = s;
    for (wchar_t& c : u)
        c = static_cast<wchar_t>(std::towupper(c));
    return u;
}

const std::vector<Record>* Drawing::table(const std::wstring& name) const
{
    auto it = tables_.find(upper(name));
    return it == tables_.end() ? nullptr : &it->second;
}

const Record* Drawing::find(const std::wstring& tableName, const std::wstring& name) const
{
    const std::vector<Record>* records = table(tableName);
    if (!records)
        return nullptr;
    for (const Record& r : *records)
        for (const Group& g : r)
            if (g.code == 2 && upper(g.text) == upper(name))
                return &r;
    return nullptr;
}

ads::RbPtr Drawing::toChain(const Record& record)
{
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const Group& g : record) {
        resbuf* rb = acutNewRb(g.code);
        if (acutIsTextType(g.code))
            rb->resval.rstring = acutNewString(g.text.c_str());
        else if (isIntegerCode(g.code) && g.code >= 90 && g.code <= 99)
            rb->resval.rlong = static_cast<int32_t>(g.integer);
        else if (isIntegerCode(g.code))
            rb->resval.rint = static_cast<short>(g.integer);
        else
            rb->resval.rreal = g.real;
        *tail = rb;
        tail = &rb->rbnext;
    }
    return ads::RbPtr(head);
}

}  // namespace korcad

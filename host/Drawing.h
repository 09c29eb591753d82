// Drawing.h — an open drawing as korcad holds it: its name and its symbol tables (as DXF
// group records). A new drawing has the standard records every CAD drawing starts with.
// Entities are not held yet: a drawing read from a file comes with the DXF reader.
#pragma once

#include "ads/adshost.h"

#include <map>
#include <string>
#include <vector>

namespace korcad {

// One DXF group of a record: code and value (text, integer or real).
struct Group {
    int code = 0;
    std::wstring text;
    long integer = 0;
    double real = 0;
};
using Record = std::vector<Group>;

class Drawing {
public:
    explicit Drawing(std::wstring name);

    const std::wstring& name() const { return name_; }

    // The records of a table ("LTYPE", "LAYER", "STYLE", "APPID"; any case), in order.
    const std::vector<Record>* table(const std::wstring& name) const;
    // The record named `name` (any case) in a table, or null.
    const Record* find(const std::wstring& table, const std::wstring& name) const;
    // The position tblnext keeps per table: the index of the record it gives next.
    size_t& cursor(const std::wstring& table) { return cursors_[upper(table)]; }

    // A record as a result-buffer chain, the form applications read.
    static ads::RbPtr toChain(const Record& record);
    static std::wstring upper(const std::wstring& s);

private:
    std::wstring name_;
    std::map<std::wstring, std::vector<Record>> tables_;  // by upper-case table name
    std::map<std::wstring, size_t> cursors_;
};

}  // namespace korcad

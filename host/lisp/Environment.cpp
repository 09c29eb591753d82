#include "lisp/Environment.h"

#include "lisp/Error.h"
#include "lisp/Utf8.h"

namespace lisp {

Symbol* SymbolTable::intern(std::string_view name)
{
    if (auto spelt = spellings_.find(name); spelt != spellings_.end())
        return spelt->second;
    std::string key = utf8::upper(name);
    Symbol* raw = nullptr;
    if (auto it = symbols_.find(key); it != symbols_.end()) {
        raw = it->second.get();
    } else {
        auto sym = std::make_unique<Symbol>();
        sym->name = key;
        raw = sym.get();
        symbols_.emplace(std::move(key), std::move(sym));
    }
    if (spellings_.size() < kMaxSpellings)
        spellings_.emplace(std::string(name), raw);
    return raw;
}

Symbol* SymbolTable::find(std::string_view name) const
{
    auto it = symbols_.find(utf8::upper(name));
    return it == symbols_.end() ? nullptr : it->second.get();
}

void Bindings::unwind(size_t mark)
{
    while (saved_.size() > mark) {
        Saved& s = saved_.back();
        s.sym->value = std::move(s.value);
        saved_.pop_back();
    }
}

void refuseConstant(const Symbol& sym) { fail("attempt to set a constant: " + sym.name); }

}  // namespace lisp

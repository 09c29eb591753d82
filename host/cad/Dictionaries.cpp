// The LISP functions over the drawing's dictionaries and objects, and the names of table
// records:
//
//   (namedobjdict)                    the named object dictionary
//   (dictsearch dict key [setnext])   the entry's data as entget gives it; nil for none
//   (dictnext dict [rewind])          the next entry's data; nil after the last
//   (dictadd dict key object)         the object, now the dictionary's; nil when the key is taken
//   (dictremove dict key)             the entry's object (which stays); nil for no such key
//   (dictrename dict old new)         new; nil when old is missing or new taken
//   (entmakex list)                   entmake, answering the new entity's or object's name
//   (tblobjname table name)           the name of a table record; nil for none
//
// Keys compare without regard to case. dictnext's position is kept per dictionary.
#include "cad/EntityFunctions.h"

#include "cad/AdsBridge.h"
#include "cad/CadHost.h"
#include "cad/GroupChains.h"

#include "lisp/Args.h"

#include "text/text.h"

#include <map>
#include <memory>

namespace korcad {

using lisp::Value;

namespace {

struct Context {
    CadHost& host;
    // dictnext's position in each dictionary: (drawing serial, dictionary id) -> next index.
    std::map<std::pair<int64_t, uint32_t>, size_t> cursors;

    Drawing& drawing()
    {
        Drawing* d = host.drawing(host.currentDrawing());
        if (!d)
            lisp::fail("no drawing is open");
        return *d;
    }
};

// The dictionary an argument names: its id; raises for a value that is no entity name.
uint32_t dictArg(Drawing& d, const Value& v)
{
    if (v.tag() != lisp::Tag::Ename)
        lisp::badArgType("lentityp", v);
    const int64_t* n = v.as<lisp::Ename>()->id;
    return d.idOf(EntityName{n[0], n[1]});
}

std::wstring wide(const Value& v) { return kortext::toWide(lisp::strArg(v)); }

Value nameValue(const EntityName& n) { return Value(new lisp::Ename(n.id, n.serial)); }

Value dataOf(lisp::Interpreter& l, Drawing& d, uint32_t id)
{
    ads::RbPtr chain = toChain(d.entGet(d.nameOf(id)));
    return chain ? groupsToLisp(l, chain.get()) : Value();
}

}  // namespace

void installDictionaryFunctions(lisp::Interpreter& lisp, CadHost& host)
{
    auto c = std::make_shared<Context>(Context{host, {}});
    lisp.defineBuiltin(
        "namedobjdict",
        [c](lisp::Interpreter&, const lisp::Args&) {
            Drawing& d = c->drawing();
            uint32_t root = d.rootDictionary();
            return root ? nameValue(d.nameOf(root)) : Value();
        },
        0, 0);
    lisp.defineBuiltin(
        "dictsearch",
        [c](lisp::Interpreter& l, const lisp::Args& a) {
            Drawing& d = c->drawing();
            uint32_t dict = dictArg(d, a[0]);
            std::wstring key = kortext::upper(wide(a[1]));
            auto entries = d.dictionary(dict);
            for (size_t i = 0; i < entries.size(); ++i)
                if (kortext::upper(entries[i].key) == key) {
                    if (a.has(2) && !a[2].isNil())
                        c->cursors[{d.serial(), dict}] = i + 1;
                    return dataOf(l, d, entries[i].id);
                }
            return Value();
        },
        2, 3);
    lisp.defineBuiltin(
        "dictnext",
        [c](lisp::Interpreter& l, const lisp::Args& a) {
            Drawing& d = c->drawing();
            uint32_t dict = dictArg(d, a[0]);
            size_t& next = c->cursors[{d.serial(), dict}];
            if (a.has(1) && !a[1].isNil())
                next = 0;
            auto entries = d.dictionary(dict);
            if (next >= entries.size())
                return Value();
            return dataOf(l, d, entries[next++].id);
        },
        1, 2);
    lisp.defineBuiltin(
        "dictadd",
        [c](lisp::Interpreter&, const lisp::Args& a) {
            Drawing& d = c->drawing();
            uint32_t dict = dictArg(d, a[0]);
            std::wstring key = wide(a[1]);
            uint32_t object = dictArg(d, a[2]);
            return d.dictAdd(dict, key, object) ? a[2] : Value();
        },
        3, 3);
    lisp.defineBuiltin(
        "dictremove",
        [c](lisp::Interpreter&, const lisp::Args& a) {
            Drawing& d = c->drawing();
            uint32_t removed = d.dictRemove(dictArg(d, a[0]), wide(a[1]));
            return removed ? nameValue(d.nameOf(removed)) : Value();
        },
        2, 2);
    lisp.defineBuiltin(
        "dictrename",
        [c](lisp::Interpreter&, const lisp::Args& a) {
            Drawing& d = c->drawing();
            return d.dictRename(dictArg(d, a[0]), wide(a[1]), wide(a[2])) ? a[2] : Value();
        },
        3, 3);
    lisp.defineBuiltin(
        "entmakex",
        [c](lisp::Interpreter&, const lisp::Args& a) {
            if (!a.has(0) || a[0].isNil())
                return Value();
            Drawing& d = c->drawing();
            ads::RbPtr chain = groupsFromLisp(lisp::listArg(a[0]));
            std::string why;
            uint32_t id = d.entMake(fromChain(chain.get()), &why);
            if (!id) {
                c->host.print(L"entmakex: " + kortext::toWide(why) + L"\n");
                return Value();
            }
            return nameValue(d.nameOf(id));
        },
        0, 1);
    lisp.defineBuiltin(
        "tblobjname",
        [c](lisp::Interpreter&, const lisp::Args& a) {
            Drawing& d = c->drawing();
            std::wstring table = kortext::upper(wide(a[0]));
            const Drawing::Record* r = d.find(table, wide(a[1]));
            return r ? nameValue(d.nameOf(r->id)) : Value();
        },
        2, 2);
}

}  // namespace korcad

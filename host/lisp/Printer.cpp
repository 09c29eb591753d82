#include "lisp/Printer.h"

#include "lisp/Error.h"
#include "lisp/Files.h"

#include "text/text.h"

#include <cstdint>
#include <cstdio>

namespace lisp {

namespace {

void printString(std::string& out, const std::string& text, bool escape)
{
    // A list holding one long text many times prints far longer than it takes: the printed
    // text counts against the memory limit as it grows.
    checkHeap(out.size() + text.size());
    if (!escape) {
        out += text;
        return;
    }
    out += '"';
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case 0x1B:
            out += "\\e";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char oct[8];
                std::snprintf(oct, sizeof oct, "\\%03o", c);
                out += oct;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void printAddress(std::string& out, const char* kind, const void* p, const std::string& name)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "@%016llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    out += "#<";
    out += kind;
    out += ' ';
    out += buf;
    out += ' ';
    out += name;
    out += '>';
}

}  // namespace

void printTo(std::string& out, const Value& v, bool escape)
{
    switch (v.tag()) {
    case Tag::Nil:
        out += "nil";
        return;
    case Tag::Int:
        out += std::to_string(v.asInt());
        return;
    case Tag::Real:
        out += kortext::formatReal(v.asReal());
        return;
    case Tag::Sym:
        out += v.sym()->name;
        return;
    case Tag::Str:
        printString(out, v.str(), escape);
        return;
    case Tag::Cons: {
        checkStack();
        out += '(';
        const Value* p = &v;
        bool first = true;
        while (p->isCons()) {
            if (!first)
                out += ' ';
            first = false;
            printTo(out, p->consCell()->car, escape);
            p = &p->consCell()->cdr;
        }
        if (!p->isNil()) {
            out += " . ";
            printTo(out, *p, escape);
        }
        out += ')';
        return;
    }
    case Tag::Subr: {
        auto* s = v.as<Subr>();
        printAddress(out, "SUBR", s, s->name);
        return;
    }
    case Tag::Usubr: {
        auto* u = v.as<Usubr>();
        printAddress(out, "USUBR", u, u->name.empty() ? "-lambda-" : u->name);
        return;
    }
    case Tag::Exsubr: {
        auto* x = v.as<Exsubr>();
        printAddress(out, "EXRXSUBR", x, x->sym->name);
        return;
    }
    case Tag::Ename: {
        char buf[48];
        std::snprintf(buf, sizeof buf, "<Entity name: %llx>",
                      static_cast<unsigned long long>(v.as<Ename>()->id[0]));
        out += buf;
        return;
    }
    case Tag::Pickset: {
        char buf[48];
        std::snprintf(buf, sizeof buf, "<Selection set: %llx>",
                      static_cast<unsigned long long>(v.as<Pickset>()->id[0]));
        out += buf;
        return;
    }
    case Tag::CatchError:
        out += "#<%catch-all-apply-error%>";
        return;
    case Tag::File:
        out += "#<file \"" + v.as<FileHandle>()->name + "\">";
        return;
    }
}

std::string toString(const Value& v, bool escape)
{
    std::string out;
    printTo(out, v, escape);
    return out;
}

}  // namespace lisp

#include "drawing/Selection.h"

#include "drawing/Wildcard.h"

#include "text/text.h"

#include <cmath>

namespace korcad {

namespace {

std::wstring upper(const wchar_t* s) { return kortext::upper(std::wstring_view(s ? s : L"")); }

std::wstring trimmed(const std::wstring& s) { return std::wstring(kortext::trim(std::wstring_view(s))); }

bool compare(double a, double b, const std::wstring& op)
{
    if (op.empty() || op == L"=")
        return a == b;
    if (op == L"!=" || op == L"/=" || op == L"<>")
        return a != b;
    if (op == L"<")
        return a < b;
    if (op == L"<=")
        return a <= b;
    if (op == L">")
        return a > b;
    if (op == L">=")
        return a >= b;
    if (op == L"*")
        return true;
    if (op == L"&")
        return (static_cast<long>(a) & static_cast<long>(b)) != 0;
    if (op == L"&=")
        return (static_cast<long>(a) & static_cast<long>(b)) == static_cast<long>(b);
    return false;
}

bool knownOperator(const std::wstring& op)
{
    static const wchar_t* ops[] = {L"=", L"!=", L"/=", L"<>", L"<", L"<=", L">", L">=", L"*", L"&", L"&="};
    for (const wchar_t* o : ops)
        if (op == o)
            return true;
    return false;
}

// The operators of a point comparison, one per axis.
std::vector<std::wstring> axisOperators(const std::wstring& op)
{
    std::vector<std::wstring> out;
    size_t start = 0;
    while (true) {
        size_t comma = op.find(L',', start);
        out.push_back(trimmed(op.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start)));
        if (comma == std::wstring::npos)
            break;
        start = comma + 1;
    }
    if (out.size() == 1)
        out.assign(3, out[0]);
    return out;
}

bool groupMatches(const resbuf* g, const resbuf* t, const std::wstring& op)
{
    switch (ads::groupKind(t->restype)) {
    case ads::GroupKind::Text: {
        bool m = wildcardMatch(g->resval.rstring ? g->resval.rstring : L"", t->resval.rstring ? t->resval.rstring : L"", true);
        if (op == L"*")
            return true;
        return (op == L"!=" || op == L"/=" || op == L"<>") ? !m : m;
    }
    case ads::GroupKind::Real:
    case ads::GroupKind::Int64:
        return compare(g->resval.rreal, t->resval.rreal, op);
    case ads::GroupKind::Int16:
        return compare(g->resval.rint, t->resval.rint, op);
    case ads::GroupKind::Int32:
        return compare(g->resval.rlong, t->resval.rlong, op);
    case ads::GroupKind::Point: {
        auto ops = axisOperators(op);
        for (size_t k = 0; k < 3; ++k)
            if (!compare(g->resval.rpoint[k], t->resval.rpoint[k], k < ops.size() ? ops[k] : L"="))
                return false;
        return true;
    }
    case ads::GroupKind::Name: {
        bool same = g->resval.rlname[0] == t->resval.rlname[0] && g->resval.rlname[1] == t->resval.rlname[1];
        return (op == L"!=" || op == L"/=" || op == L"<>") ? !same : same;
    }
    case ads::GroupKind::None:
        break;
    }
    return false;
}

}  // namespace

bool SelectionFilter::parse(const resbuf* filter, std::string* why)
{
    chain_ = ads::copyChain(filter);
    root_ = Node{};
    needsXdata_ = false;
    std::vector<Node*> open{&root_};
    std::wstring pending;  // a relational operator for the next group
    auto fail = [&](const std::string& message) {
        *why = message;
        return false;
    };
    for (const resbuf* rb = chain_.get(); rb; rb = rb->rbnext) {
        if (rb->restype == -4) {
            std::wstring op = trimmed(upper(rb->resval.rstring));
            static const std::pair<const wchar_t*, Node::Kind> logic[] = {
                {L"AND", Node::And}, {L"OR", Node::Or}, {L"XOR", Node::Xor}, {L"NOT", Node::Not}};
            bool done = false;
            for (auto [name, kind] : logic) {
                if (op == std::wstring(L"<") + name) {
                    open.back()->kids.push_back(Node{kind, {}, nullptr, {}});
                    open.push_back(&open.back()->kids.back());
                    done = true;
                } else if (op == std::wstring(name) + L">") {
                    if (open.size() < 2 || open.back()->kind != kind)
                        return fail("filter: " + std::string(op.begin(), op.end()) + " closes no open <" +
                                    std::string(op.begin(), op.end() - 1));
                    size_t n = open.back()->kids.size();
                    if ((kind == Node::Not && n != 1) || (kind == Node::Xor && n != 2) || n == 0)
                        return fail("filter: " + std::string(op.begin(), op.end()) + " has " + std::to_string(n) +
                                    " operands");
                    open.pop_back();
                    done = true;
                }
            }
            if (done)
                continue;
            if (!knownOperator(op) && (op.find(L',') == std::wstring::npos ||
                                       [&] {
                                           for (auto& a : axisOperators(op))
                                               if (!knownOperator(a))
                                                   return true;
                                           return false;
                                       }()))
                return fail("filter: unknown operator \"" + std::string(op.begin(), op.end()) + "\"");
            pending = op;
            continue;
        }
        if (rb->restype == -3) {
            needsXdata_ = true;
            continue;
        }
        if (rb->restype == 1001) {
            open.back()->kids.push_back(Node{Node::Xdata, {}, rb, {}});
            continue;
        }
        if (ads::groupKind(rb->restype) == ads::GroupKind::None)
            return fail("filter: " + std::to_string(rb->restype) + " is no group code");
        open.back()->kids.push_back(Node{Node::Test, {}, rb, pending});
        pending.clear();
    }
    if (open.size() != 1)
        return fail("filter: a logic group is not closed");
    return true;
}

bool SelectionFilter::matches(const resbuf* entity) const { return eval(root_, entity); }

bool SelectionFilter::eval(const Node& n, const resbuf* entity) const
{
    switch (n.kind) {
    case Node::And:
        for (const Node& k : n.kids)
            if (!eval(k, entity))
                return false;
        return true;
    case Node::Or:
        for (const Node& k : n.kids)
            if (eval(k, entity))
                return true;
        return false;
    case Node::Xor:
        return eval(n.kids[0], entity) != eval(n.kids[1], entity);
    case Node::Not:
        return !eval(n.kids[0], entity);
    case Node::Test:
    case Node::Xdata:
        return test(n, entity);
    }
    return false;
}

bool SelectionFilter::test(const Node& n, const resbuf* entity) const
{
    const resbuf* t = n.test;
    if (n.kind == Node::Xdata) {
        bool inXdata = false;
        for (const resbuf* g = entity; g; g = g->rbnext) {
            inXdata = inXdata || g->restype == -3;
            if (inXdata && g->restype == 1001 && groupMatches(g, t, L""))
                return true;
        }
        return false;
    }
    bool present = false;
    for (const resbuf* g = entity; g && g->restype != -3; g = g->rbnext)
        if (g->restype == t->restype) {
            present = true;
            if (groupMatches(g, t, n.op))
                return true;
        }
    if (present)
        return false;
    // The defaults of groups an entity may leave out.
    resbuf d;
    d.restype = t->restype;
    std::wstring text;
    switch (t->restype) {
    case 62:
        d.resval.rint = 256;
        break;
    case 67:
        d.resval.rint = 0;
        break;
    case 370:
        d.resval.rint = -1;
        break;
    case 39:
        d.resval.rreal = 0;
        break;
    case 6:
        text = L"BYLAYER";
        d.resval.rstring = text.data();
        break;
    default:
        return false;
    }
    return groupMatches(&d, t, n.op);
}

}  // namespace korcad

#include "drawing/Selection.h"

#include "text/wildcard.h"

#include "text/text.h"

#include <cmath>

namespace korcad {

namespace {

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

bool groupMatches(const dxf::Group& g, const dxf::Group& t, const std::wstring& op)
{
    if (!dxf::isGroupCode(t.code))
        return false;
    switch (dxf::kindOf(t.code)) {
    case dxf::Kind::Text: {
        bool m = kortext::wildcardMatch(g.text, t.text, true);
        if (op == L"*")
            return true;
        return (op == L"!=" || op == L"/=" || op == L"<>") ? !m : m;
    }
    case dxf::Kind::Real:
    case dxf::Kind::Int64:
        return compare(g.real, t.real, op);
    case dxf::Kind::Int16:
    case dxf::Kind::Int32:
        return compare(g.integer, t.integer, op);
    case dxf::Kind::Point: {
        auto ops = axisOperators(op);
        for (size_t k = 0; k < 3; ++k)
            if (!compare(g.point[k], t.point[k], k < ops.size() ? ops[k] : L"="))
                return false;
        return true;
    }
    case dxf::Kind::Name: {
        bool same = g.name == t.name;
        return (op == L"!=" || op == L"/=" || op == L"<>") ? !same : same;
    }
    }
    return false;
}

}  // namespace

bool SelectionFilter::parse(const dxf::Groups& filter, std::string* why)
{
    groups_ = filter;
    root_ = Node{};
    needsXdata_ = false;
    std::vector<Node*> open{&root_};
    std::wstring pending;  // a relational operator for the next group
    auto fail = [&](const std::string& message) {
        *why = message;
        return false;
    };
    for (const dxf::Group& g : groups_) {
        if (g.code == -4) {
            std::wstring op = trimmed(kortext::upper(g.text));
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
        if (g.code == -3) {
            needsXdata_ = true;
            continue;
        }
        if (g.code == 1001) {
            open.back()->kids.push_back(Node{Node::Xdata, {}, &g, {}});
            continue;
        }
        if (!dxf::isGroupCode(g.code))
            return fail("filter: " + std::to_string(g.code) + " is no group code");
        open.back()->kids.push_back(Node{Node::Test, {}, &g, pending});
        pending.clear();
    }
    if (open.size() != 1)
        return fail("filter: a logic group is not closed");
    return true;
}

bool SelectionFilter::matches(const dxf::Groups& entity) const { return eval(root_, entity); }

bool SelectionFilter::eval(const Node& n, const dxf::Groups& entity) const
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

bool SelectionFilter::test(const Node& n, const dxf::Groups& entity) const
{
    const dxf::Group& t = *n.test;
    if (n.kind == Node::Xdata) {
        bool inXdata = false;
        for (const dxf::Group& g : entity) {
            inXdata = inXdata || g.code == -3;
            if (inXdata && g.code == 1001 && groupMatches(g, t, L""))
                return true;
        }
        return false;
    }
    bool present = false;
    for (const dxf::Group& g : entity) {
        if (g.code == -3)
            break;
        if (g.code == t.code) {
            present = true;
            if (groupMatches(g, t, n.op))
                return true;
        }
    }
    if (present)
        return false;
    // The defaults of groups an entity may leave out.
    switch (t.code) {
    case 62:
        return groupMatches(dxf::Group(62, 256), t, n.op);
    case 67:
        return groupMatches(dxf::Group(67, 0), t, n.op);
    case 370:
        return groupMatches(dxf::Group(370, -1), t, n.op);
    case 39:
        return groupMatches(dxf::Group(39, 0.0), t, n.op);
    case 6:
        return groupMatches(dxf::Group(6, std::wstring(L"BYLAYER")), t, n.op);
    default:
        return false;
    }
}

}  // namespace korcad

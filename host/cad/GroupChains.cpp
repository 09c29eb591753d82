#include "cad/GroupChains.h"

namespace korcad {

ads::RbPtr toChain(const dxf::Groups& groups)
{
    ads::ChainBuilder chain;
    for (const dxf::Group& g : groups) {
        switch (ads::groupKind(g.code)) {
        case ads::GroupKind::Text:
            chain.addText(g.code, g.text);
            break;
        case ads::GroupKind::Real:
        case ads::GroupKind::Int64:
            chain.add(g.code)->resval.rreal = g.real;
            break;
        case ads::GroupKind::Point: {
            resbuf* rb = chain.add(g.code);
            for (size_t k = 0; k < 3; ++k)
                rb->resval.rpoint[k] = g.point[k];
            break;
        }
        case ads::GroupKind::Int16:
            chain.add(g.code)->resval.rint = static_cast<short>(g.integer);
            break;
        case ads::GroupKind::Int32:
            chain.add(g.code)->resval.rlong = g.integer;
            break;
        case ads::GroupKind::Name:
            setName(chain.add(g.code)->resval.rlname, g.name);
            break;
        case ads::GroupKind::None:
            chain.add(g.code);
            break;
        }
    }
    return chain.take();
}

dxf::Groups fromChain(const resbuf* chain)
{
    dxf::Groups out;
    size_t n = 0;
    for (const resbuf* rb = chain; rb; rb = rb->rbnext)
        ++n;
    out.reserve(n);
    for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
        int c = rb->restype;
        switch (ads::groupKind(c)) {
        case ads::GroupKind::Text:
            out.emplace_back(c, static_cast<const wchar_t*>(rb->resval.rstring));
            break;
        case ads::GroupKind::Real:
        case ads::GroupKind::Int64:
            out.emplace_back(c, rb->resval.rreal);
            break;
        case ads::GroupKind::Point:
            out.emplace_back(c, Point3{rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]});
            break;
        case ads::GroupKind::Int16:
            out.emplace_back(c, static_cast<int32_t>(rb->resval.rint));
            break;
        case ads::GroupKind::Int32:
            out.emplace_back(c, static_cast<int32_t>(rb->resval.rlong));
            break;
        case ads::GroupKind::Name:
            out.emplace_back(c, entityName(rb->resval.rlname));
            break;
        case ads::GroupKind::None:
            out.emplace_back(c);
            break;
        }
    }
    return out;
}

std::vector<std::wstring> textsOf(const resbuf* chain)
{
    std::vector<std::wstring> out;
    for (const resbuf* rb = chain; rb; rb = rb->rbnext)
        if (rb->restype == RTSTR && rb->resval.rstring)
            out.emplace_back(rb->resval.rstring);
    return out;
}

}  // namespace korcad

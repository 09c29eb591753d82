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
    fromChain(chain, out);
    return out;
}

const dxf::Groups& fromChain(const resbuf* chain, dxf::Groups& out)
{
    size_t n = 0;
    for (const resbuf* rb = chain; rb; rb = rb->rbnext)
        ++n;
    out.resize(n);
    dxf::Group* g = out.data();
    for (const resbuf* rb = chain; rb; rb = rb->rbnext, ++g) {
        // As a group made anew, its text's storage kept.
        g->code = rb->restype;
        g->text.clear();
        g->noText = false;
        g->real = 0;
        g->point = {0, 0, 0};
        g->integer = 0;
        g->name = EntityName{};
        switch (ads::groupKind(g->code)) {
        case ads::GroupKind::Text:
            if (rb->resval.rstring)
                g->text.assign(rb->resval.rstring);
            else
                g->noText = true;
            break;
        case ads::GroupKind::Real:
        case ads::GroupKind::Int64:
            g->real = rb->resval.rreal;
            break;
        case ads::GroupKind::Point:
            g->point = Point3{rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]};
            break;
        case ads::GroupKind::Int16:
            g->integer = rb->resval.rint;
            break;
        case ads::GroupKind::Int32:
            g->integer = static_cast<int32_t>(rb->resval.rlong);
            break;
        case ads::GroupKind::Name:
            g->name = entityName(rb->resval.rlname);
            break;
        case ads::GroupKind::None:
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

// Result-buffer chains: allocation, release, building and copying.
#include "ads/adshost.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>

resbuf* acutNewRb(int type)
{
    auto* rb = new resbuf;
    rb->restype = static_cast<short>(type);
    return rb;
}

namespace ads {

GroupKind groupKind(int c)
{
    if (c == -3 || c < -5 || c > 1071)
        return GroupKind::None;
    if (c == -5 || c == -2 || c == -1 || (c >= 330 && c <= 369) || (c >= 390 && c <= 399) || c == 480 ||
        c == 481)
        return GroupKind::Name;
    if ((c >= 10 && c <= 18) || (c >= 110 && c <= 112) || c == 210 || (c >= 1010 && c <= 1013))
        return GroupKind::Point;
    if ((c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) || (c >= 460 && c <= 469) ||
        (c >= 1010 && c <= 1059))
        return GroupKind::Real;
    if ((c >= 60 && c <= 79) || (c >= 170 && c <= 179) || (c >= 270 && c <= 299) || (c >= 370 && c <= 389) ||
        (c >= 400 && c <= 409) || (c >= 1060 && c <= 1070))
        return GroupKind::Int16;
    if ((c >= 90 && c <= 99) || (c >= 420 && c <= 429) || (c >= 440 && c <= 459) || c == 1071)
        return GroupKind::Int32;
    if (c >= 160 && c <= 169)
        return GroupKind::Int64;
    return GroupKind::Text;
}

}  // namespace ads

bool acutIsTextType(int t)
{
    return t == RTSTR || ads::groupKind(t) == ads::GroupKind::Text;
}

int acutRelRb(resbuf* rb)
{
    while (rb) {
        resbuf* next = rb->rbnext;
        if (acutIsTextType(rb->restype))
            std::free(rb->resval.rstring);
        delete rb;
        rb = next;
    }
    return RTNORM;
}

ACHAR* acutNewString(const ACHAR* text)
{
    if (!text)
        text = L"";
    size_t n = std::wcslen(text) + 1;
    auto* copy = static_cast<ACHAR*>(std::malloc(n * sizeof(ACHAR)));
    std::wmemcpy(copy, text, n);
    return copy;
}

namespace {

// The value of a DXF group code in acutBuildList, as its kind takes it.
bool addGroupValue(resbuf* rb, va_list& ap)
{
    switch (ads::groupKind(rb->restype)) {
    case ads::GroupKind::Text:
        rb->resval.rstring = acutNewString(va_arg(ap, const ACHAR*));
        return true;
    case ads::GroupKind::Real:
    case ads::GroupKind::Int64:
        rb->resval.rreal = va_arg(ap, double);
        return true;
    case ads::GroupKind::Point: {
        const double* p = va_arg(ap, const double*);
        for (int i = 0; i < 3; ++i)
            rb->resval.rpoint[i] = p[i];
        return true;
    }
    case ads::GroupKind::Int16:
        rb->resval.rint = static_cast<short>(va_arg(ap, int));
        return true;
    case ads::GroupKind::Int32:
        rb->resval.rlong = va_arg(ap, int32_t);
        return true;
    case ads::GroupKind::Name: {
        const int64_t* n = va_arg(ap, const int64_t*);
        rb->resval.rlname[0] = n[0];
        rb->resval.rlname[1] = n[1];
        return true;
    }
    case ads::GroupKind::None:
        return rb->restype == -3;  // the start of extended data has no value
    }
    return false;
}

}  // namespace

resbuf* acutBuildList(int type, ...)
{
    va_list ap;
    va_start(ap, type);
    resbuf* head = nullptr;
    resbuf** tail = &head;
    while (type != 0) {
        resbuf* rb = acutNewRb(type);
        switch (type) {
        case RTSTR:
            rb->resval.rstring = acutNewString(va_arg(ap, const ACHAR*));
            break;
        case RTSHORT:
            rb->resval.rint = static_cast<short>(va_arg(ap, int));
            break;
        case RTLONG:
            rb->resval.rlong = va_arg(ap, int32_t);
            break;
        case RTREAL:
        case RTANG:
        case RTORINT:
            rb->resval.rreal = va_arg(ap, double);
            break;
        case RTPOINT:
        case RT3DPOINT: {
            const double* p = va_arg(ap, const double*);
            for (int i = 0; i < 3; ++i)
                rb->resval.rpoint[i] = (type == RTPOINT && i == 2) ? 0.0 : p[i];
            break;
        }
        case RTENAME:
        case RTPICKS: {
            const int64_t* n = va_arg(ap, const int64_t*);
            rb->resval.rlname[0] = n[0];
            rb->resval.rlname[1] = n[1];
            break;
        }
        case RTLB:
        case RTLE:
        case RTDOTE:
        case RTNIL:
        case RTT:
        case RTVOID:
        case RTNONE:
            break;
        case RTDXF0:
            // Group 0 (an entity's type): 0 itself ends the list.
            rb->restype = 0;
            rb->resval.rstring = acutNewString(va_arg(ap, const ACHAR*));
            break;
        default:
            if (addGroupValue(rb, ap))
                break;
            delete rb;
            acutRelRb(head);
            va_end(ap);
            return nullptr;
        }
        *tail = rb;
        tail = &rb->rbnext;
        type = va_arg(ap, int);
    }
    va_end(ap);
    return head;
}

namespace ads {

RbPtr copyChain(const resbuf* rb)
{
    RbPtr head;  // what is copied so far is released if memory runs out half-way
    resbuf* last = nullptr;
    for (; rb; rb = rb->rbnext) {
        resbuf* c = acutNewRb(rb->restype);
        c->resval = rb->resval;
        if (acutIsTextType(rb->restype))
            c->resval.rstring = nullptr;
        if (last)
            last->rbnext = c;
        else
            head.reset(c);
        last = c;
        if (acutIsTextType(rb->restype))
            c->resval.rstring = acutNewString(rb->resval.rstring);
    }
    return head;
}

}  // namespace ads

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

bool acutIsTextType(int t)
{
    return t == RTSTR || (t >= 0 && t <= 9) || (t >= 100 && t <= 102) || (t >= 300 && t <= 309) ||
           (t >= 410 && t <= 419) || (t >= 430 && t <= 439) || (t >= 470 && t <= 479) || t == 999 ||
           (t >= 1000 && t <= 1009);
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
        default:
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
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (; rb; rb = rb->rbnext) {
        resbuf* c = acutNewRb(rb->restype);
        c->resval = rb->resval;
        if (acutIsTextType(rb->restype))
            c->resval.rstring = acutNewString(rb->resval.rstring);
        *tail = c;
        tail = &c->rbnext;
    }
    return RbPtr(head);
}

}  // namespace ads

// The LISP functions over what the drawing view shows, and the view itself:
//
//   (grread [track] [allkeys [cursor]])  (3 point) for a pick, (2 code) for a key (the first
//                                        of a typed line; Enter is 13); through the input, so
//                                        an answers file's pick and input lines answer it
//   (grdraw from to colour [highlight])  a temporary vector; colour -1 inverts what is below
//   (grvecs list [matrix])               vectors: a colour number sets the colour of the pairs
//                                        of points after it; the 4x4 matrix moves them
//   (redraw [ename [mode]])              without an entity: the temporary vectors go; modes 3
//                                        and 4 highlight an entity and take it back
//   (textbox list)                       the box of a TEXT's groups about its insertion point
//   (vports)  (setview view [vport])     the viewports (one in model space), and setting the
//                                        view from a VIEW record's groups
//
// Without a window the vectors and highlights go nowhere; grread still reads the input.
#include "cad/EntityFunctions.h"

#include "cad/CadHost.h"

#include "lisp/Args.h"
#include "lisp/Utf8.h"

#include "text/text.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace korcad {

using lisp::Value;

namespace {

// A point of two or three numbers.
bool point(const Value& v, double p[3])
{
    p[2] = 0;
    int n = 0;
    const Value* c = &v;
    for (; c->isCons() && n < 3; c = &c->consCell()->cdr, ++n) {
        if (!car(*c).isNumber())
            return false;
        p[n] = car(*c).asDouble();
    }
    return n >= 2 && c->isNil();
}

void pointArg(const Value& v, double p[3])
{
    if (!point(v, p))
        lisp::badArgType("2D/3D point", v);
}

Value pointValue(double x, double y, double z)
{
    return lisp::list({Value::real(x), Value::real(y), Value::real(z)});
}

const Value* group(const Value& list, int code)
{
    for (const Value* p = &list; p->isCons(); p = &p->consCell()->cdr) {
        const Value& g = p->consCell()->car;
        if (g.isCons() && car(g).isInt() && car(g).asInt() == code)
            return &cdr(g);
    }
    return nullptr;
}

// A matrix of grvecs: four rows of four numbers; what it does to a point.
struct Matrix {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    void apply(double p[3]) const
    {
        double r[3];
        for (int i = 0; i < 3; ++i)
            r[i] = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + m[i][3];
        std::copy(r, r + 3, p);
    }
};

Matrix matrixArg(const Value& v)
{
    Matrix t;
    int i = 0;
    for (const Value* row = &v; i < 4; row = &cdr(*row), ++i) {
        int j = 0;
        for (const Value* c = &car(*row); j < 4; c = &cdr(*c), ++j) {
            if (!car(*c).isNumber())
                lisp::badArgType("transformation matrix", v);
            t.m[i][j] = car(*c).asDouble();
        }
    }
    return t;
}

}  // namespace

void installGraphicsFunctions(lisp::Interpreter& lisp, CadHost& host)
{
    lisp.defineBuiltin(
        "grread",
        [&host](lisp::Interpreter&, const lisp::Args&) {
            ads::InputRequest r;
            r.kind = ads::InputKind::Point;
            r.flags = RSG_OTHER;
            ads::InputAnswer answer;
            int rc = host.getInput(r, answer);
            if (rc == RTCAN)
                lisp::fail(lisp::kCancelledMessage);
            if (rc == RTNORM)
                return lisp::list({Value::integer(3), pointValue(answer.point[0], answer.point[1], answer.point[2])});
            std::string typed = rc == RTKWORD ? kortext::fromWide(answer.text.c_str()) : std::string();
            int code = typed.empty() ? 13 : static_cast<int>(lisp::utf8::decode(typed)[0]);
            return lisp::list({Value::integer(2), Value::integer(code)});
        },
        0, 3);
    lisp.defineBuiltin(
        "grdraw",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            double from[3], to[3];
            pointArg(a[0], from);
            pointArg(a[1], to);
            int colour = lisp::intArg(a[2]);
            bool highlight = a.has(3) && a[3].isInt() && a[3].asInt() != 0;
            if (host.graphics().vector)
                host.graphics().vector(from, to, colour, highlight);
            return Value();
        },
        3, 4);
    lisp.defineBuiltin(
        "grvecs",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            Matrix t = a.has(1) && !a[1].isNil() ? matrixArg(a[1]) : Matrix();
            int colour = 7;
            for (const Value* p = &lisp::listArg(a[0]); p->isCons(); p = &p->consCell()->cdr) {
                const Value& item = p->consCell()->car;
                if (item.isInt()) {
                    colour = item.asInt();
                    continue;
                }
                double from[3], to[3];
                pointArg(item, from);
                p = &p->consCell()->cdr;
                if (!p->isCons())
                    lisp::badArgType("2D/3D point", Value());
                pointArg(p->consCell()->car, to);
                t.apply(from);
                t.apply(to);
                bool highlight = colour > 255 || colour < -1;  // 256 upward: highlighted
                int shown = highlight && colour > 255 ? colour - 256 : colour;
                if (host.graphics().vector)
                    host.graphics().vector(from, to, shown, highlight);
            }
            return Value();
        },
        1, 2);
    auto highlighted = std::make_shared<std::vector<uint32_t>>();
    lisp.defineBuiltin(
        "redraw",
        [&host, highlighted](lisp::Interpreter&, const lisp::Args& a) {
            if (!a.has(0) || a[0].isNil()) {
                if (host.graphics().clear)
                    host.graphics().clear();
                return Value();
            }
            if (a[0].tag() != lisp::Tag::Ename)
                lisp::badArgType("lentityp", a[0]);
            int mode = a.has(1) ? lisp::intArg(a[1]) : 1;
            const int64_t* n = a[0].as<lisp::Ename>()->id;
            Drawing* d = host.drawing(host.currentDrawing());
            uint32_t id = d ? d->idOf(EntityName{n[0], n[1]}) : 0;
            if (!id || (mode != 3 && mode != 4))
                return Value();
            auto at = std::find(highlighted->begin(), highlighted->end(), id);
            if (mode == 3 && at == highlighted->end())
                highlighted->push_back(id);
            if (mode == 4 && at != highlighted->end())
                highlighted->erase(at);
            if (host.graphics().highlight)
                host.graphics().highlight(*highlighted);
            return Value();
        },
        0, 2);
    lisp.defineBuiltin(
        "textbox",
        +[](lisp::Interpreter& l, const lisp::Args& a) {
            // Estimated as the view draws texts: 0.6 of the height per character.
            const Value& list = lisp::listArg(a[0]);
            const Value* text = group(list, 1);
            if (!text || !text->isStr())
                return Value();
            const Value* h = group(list, 40);
            const Value* w = group(list, 41);
            Value size = l.systemVariable("TEXTSIZE");
            double height = h && h->isNumber() ? h->asDouble() : size.isNumber() ? size.asDouble() : 2.5;
            double factor = w && w->isNumber() && w->asDouble() > 0 ? w->asDouble() : 1.0;
            double width = static_cast<double>(lisp::utf8::length(text->str())) * height * 0.6 * factor;
            return lisp::list({pointValue(0, 0, 0), pointValue(width, height, 0)});
        },
        1, 1);
    lisp.defineBuiltin(
        "vports",
        +[](lisp::Interpreter& l, const lisp::Args&) {
            Value current = l.systemVariable("CVPORT");
            return lisp::list({lisp::list({current.isInt() ? current : Value::integer(2),
                                           lisp::list({Value::real(0), Value::real(0)}),
                                           lisp::list({Value::real(1), Value::real(1)})})});
        },
        0, 0);
    lisp.defineBuiltin(
        "setview",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            const Value& view = lisp::listArg(a[0]);
            const Value* centre = group(view, 10);
            const Value* height = group(view, 40);
            const Value* width = group(view, 41);
            double c[3];
            if (!centre || !point(*centre, c) || !height || !height->isNumber() || !(height->asDouble() > 0))
                lisp::badArgType("view description", a[0]);
            double w = width && width->isNumber() && width->asDouble() > 0 ? width->asDouble() : height->asDouble();
            if (host.graphics().view)
                host.graphics().view(c[0], c[1], height->asDouble(), w);
            return a[0];
        },
        1, 2);
}

}  // namespace korcad

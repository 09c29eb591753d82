// AutoLISP's DCL functions over DclDialog.
#include "app/DclDialog.h"

#include "cad/CadHost.h"
#include "mfc/afxhost.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

namespace korcad {

namespace {

using lisp::Args;
using lisp::Interpreter;
using lisp::Value;

struct DclState {
    explicit DclState(CadHost& h) : host(h) {}
    CadHost& host;
    std::map<int, std::unique_ptr<dcl::File>> files;
    int nextFile = 1;
    std::vector<std::unique_ptr<DclDialog>> dialogs;  // from new_dialog until start_dialog ends
    int listTile = -1, listOp = 3, listIndex = 0;
    int imageTile = -1;

    DclDialog* current() { return dialogs.empty() ? nullptr : dialogs.back().get(); }
    // The current dialog's tile with this key, -1 for none.
    int tile(const Value& key)
    {
        const std::string& name = lisp::strArg(key);
        DclDialog* d = current();
        return d ? d->tiles().find(name) : -1;
    }
};

bool readText(const std::filesystem::path& path, std::string& text)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    text = s.str();
    return static_cast<bool>(in);
}

// A DCL file by the name a program gives: ".dcl" added when it has no extension; a relative
// name in the directory `near` first (an including file's), then the current directory, then
// along the load path.
bool findDcl(Interpreter& lisp, std::string name, const std::string& near, std::string& path, std::string& text)
{
    std::filesystem::path p(name);
    if (!p.has_extension())
        p += ".dcl";
    std::vector<std::filesystem::path> candidates;
    if (p.is_absolute()) {
        candidates.push_back(p);
    } else {
        if (!near.empty())
            candidates.push_back(std::filesystem::path(near).parent_path() / p);
        candidates.push_back(p);
        for (const std::string& dir : lisp.loadPath())
            candidates.push_back(std::filesystem::path(dir) / p);
    }
    for (const auto& c : candidates)
        if (readText(c, text)) {
            path = c.string();
            return true;
        }
    return false;
}

void install(Interpreter& lisp, const std::shared_ptr<DclState>& st)
{
    lisp.defineBuiltin("load_dialog", [st](Interpreter& l, const Args& a) {
        std::string path, text, error;
        if (!findDcl(l, lisp::strArg(a[0]), {}, path, text))
            return Value::integer(-1);
        auto file = std::make_unique<dcl::File>();
        auto include = [&l](const std::string& name, const std::string& from, std::string& p, std::string& t) {
            return findDcl(l, name, from, p, t);
        };
        if (!file->load(text, path, &error, include)) {
            l.out() << error << '\n';
            return Value::integer(-1);
        }
        int id = st->nextFile++;
        st->files[id] = std::move(file);
        return Value::integer(id);
    }, 1, 1);
    lisp.defineBuiltin("unload_dialog", [st](Interpreter&, const Args& a) {
        st->files.erase(lisp::intArg(a[0]));
        return Value();
    }, 1, 1);
    lisp.defineBuiltin("new_dialog", [st](Interpreter& l, const Args& a) {
        auto file = st->files.find(lisp::intArg(a[1]));
        if (file == st->files.end())
            return Value();
        std::optional<dcl::Dialog> d = file->second->dialog(lisp::strArg(a[0]));
        if (!d)
            return Value();
        std::string error;
        if (!AfxHostInitUI(&error))
            lisp::fail(error);
        auto dialog = std::make_unique<DclDialog>(std::move(*d), l);
        if (a.has(2) && !a[2].isNil())
            dialog->setDefaultAction(lisp::strArg(a[2]));
        if (a.has(3)) {
            const Value& pt = lisp::listArg(a[3]);
            double x = lisp::numArg(lisp::car(pt)), y = lisp::numArg(lisp::car(lisp::cdr(pt)));
            if (x >= 0 && y >= 0)
                dialog->setPosition(static_cast<int>(x), static_cast<int>(y));
        }
        st->dialogs.push_back(std::move(dialog));
        return l.t();
    }, 2, 4);
    lisp.defineBuiltin("start_dialog", [st](Interpreter&, const Args&) {
        DclDialog* d = st->current();
        if (!d || d->running())
            return Value();
        struct Pop {
            DclState& s;
            ~Pop() { s.dialogs.pop_back(); }
        } pop{*st};
        HWND parent = st->host.mainWindow();
        return Value::integer(d->run(parent ? CWnd::FromHandle(parent) : nullptr));
    }, 0, 0);
    lisp.defineBuiltin("done_dialog", [st](Interpreter&, const Args& a) {
        DclDialog* d = st->current();
        if (!d)
            return Value();
        CPoint p = d->done(a.has(0) ? lisp::intArg(a[0]) : 0);
        lisp::ListBuilder b;
        b.push(Value::integer(p.x));
        b.push(Value::integer(p.y));
        return b.take();
    }, 0, 1);
    lisp.defineBuiltin("term_dialog", [st](Interpreter&, const Args&) {
        for (auto it = st->dialogs.rbegin(); it != st->dialogs.rend(); ++it)
            (*it)->done(-1);
        return Value();
    }, 0, 0);
    lisp.defineBuiltin("action_tile", [st](Interpreter& l, const Args& a) {
        int t = st->tile(a[0]);
        if (t < 0)
            return Value();
        st->current()->state(t).action = lisp::strArg(a[1]);
        return l.t();
    }, 2, 2);
    lisp.defineBuiltin("set_tile", [st](Interpreter&, const Args& a) {
        int t = st->tile(a[0]);
        if (t < 0)
            return Value();
        st->current()->setValue(t, lisp::strArg(a[1]));
        return a[1];
    }, 2, 2);
    lisp.defineBuiltin("get_tile", [st](Interpreter&, const Args& a) {
        int t = st->tile(a[0]);
        return t < 0 ? Value() : Value::string(st->current()->value(t));
    }, 1, 1);
    lisp.defineBuiltin("get_attr", [st](Interpreter&, const Args& a) {
        int t = st->tile(a[0]);
        const dcl::Attr* attr = t < 0 ? nullptr : st->current()->tiles().tiles[t].attr(lisp::strArg(a[1]));
        return attr ? Value::string(attr->value) : Value();
    }, 2, 2);
    lisp.defineBuiltin("mode_tile", [st](Interpreter&, const Args& a) {
        int t = st->tile(a[0]);
        int mode = lisp::intArg(a[1]);
        if (t >= 0)
            st->current()->setMode(t, mode);
        return Value();
    }, 2, 2);
    lisp.defineBuiltin("client_data_tile", [st](Interpreter&, const Args& a) {
        int t = st->tile(a[0]);
        if (t >= 0)
            st->current()->state(t).data = a[1];
        return Value();
    }, 2, 2);
    lisp.defineBuiltin("start_list", [st](Interpreter&, const Args& a) {
        int t = st->tile(a[0]);
        if (t < 0)
            return Value();
        st->listTile = t;
        st->listOp = a.has(1) && !a[1].isNil() ? lisp::intArg(a[1]) : 3;
        st->listIndex = a.has(2) && !a[2].isNil() ? lisp::intArg(a[2]) : 0;
        if (st->listOp == 3)
            st->current()->state(t).list.clear();
        return a[0];
    }, 1, 3);
    lisp.defineBuiltin("add_list", [st](Interpreter&, const Args& a) {
        const std::string& line = lisp::strArg(a[0]);
        DclDialog* d = st->current();
        if (!d || st->listTile < 0)
            return Value();
        std::vector<std::string>& list = d->state(st->listTile).list;
        if (st->listOp == 1) {
            if (st->listIndex < 0 || st->listIndex >= static_cast<int>(list.size()))
                return Value();
            list[st->listIndex] = line;  // each add_list changes the same line
        } else {
            list.push_back(line);
        }
        return a[0];
    }, 1, 1);
    lisp.defineBuiltin("end_list", [st](Interpreter&, const Args&) {
        if (DclDialog* d = st->current(); d && st->listTile >= 0)
            d->refreshList(st->listTile);
        st->listTile = -1;
        return Value();
    }, 0, 0);
    lisp.defineBuiltin("start_image", [st](Interpreter&, const Args& a) {
        int t = st->tile(a[0]);
        st->imageTile = t;
        return t < 0 ? Value() : a[0];
    }, 1, 1);
    auto imageOp = [st](bool line) {
        return [st, line](Interpreter&, const Args& a) {
            int v[5];
            for (int i = 0; i < 5; ++i)
                v[i] = static_cast<int>(lisp::numArg(a[i]));
            if (DclDialog* d = st->current(); d && st->imageTile >= 0)
                d->state(st->imageTile).image.push_back({line, v[0], v[1], v[2], v[3], v[4]});
            return a[4];
        };
    };
    lisp.defineBuiltin("fill_image", imageOp(false), 5, 5);
    lisp.defineBuiltin("vector_image", imageOp(true), 5, 5);
    // Slides are no part of korcad: the image keeps what it shows, the program goes on.
    lisp.defineBuiltin("slide_image", +[](Interpreter&, const Args& a) {
        for (int i = 0; i < 4; ++i)
            lisp::numArg(a[i]);
        return Value::string(lisp::strArg(a[4]));
    }, 5, 5);
    lisp.defineBuiltin("end_image", [st](Interpreter&, const Args&) {
        if (DclDialog* d = st->current(); d && st->imageTile >= 0)
            d->refreshImage(st->imageTile);
        st->imageTile = -1;
        return Value();
    }, 0, 0);
    lisp.defineBuiltin("dimx_tile", [st](Interpreter&, const Args& a) {
        int t = st->tile(a[0]);
        return t < 0 ? Value() : Value::integer(st->current()->pixelSize(t).cx);
    }, 1, 1);
    lisp.defineBuiltin("dimy_tile", [st](Interpreter&, const Args& a) {
        int t = st->tile(a[0]);
        return t < 0 ? Value() : Value::integer(st->current()->pixelSize(t).cy);
    }, 1, 1);
}

}  // namespace

void installDclFunctions(Interpreter& lisp, CadHost& host)
{
    install(lisp, std::make_shared<DclState>(host));
}

}  // namespace korcad

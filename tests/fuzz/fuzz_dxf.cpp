// Fuzz target: korcad's DXF reader on any bytes.
//
// A drawing that reads must also show (the geometry of the model space, its snaps and picks)
// and save: its DXF text read again gives the same text, as an unchanged drawing saves byte
// for byte.
#include "drawing/Drawing.h"
#include "drawing/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto drawing = korcad::Drawing::read(L"fuzz.dxf", bytes, &error);
    if (!drawing) {
        if (error.empty())
            std::abort();  // a refusal must say why
        return 0;
    }
    korcad::geom::Geometry geometry(*drawing);
    korcad::geom::Box box = geometry.extents();
    if (!box.empty()) {
        korcad::geom::Point mid{(box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2};
        geometry.entityAt(mid, 1.0);
        geometry.snap(mid, 1.0, ~0u);
    }
    // What LISP and applications read of it: every table's records, every entity with all its
    // extended data (the application list "*" matches every application).
    for (const wchar_t* table : {L"LTYPE", L"LAYER", L"STYLE", L"APPID", L"BLOCK_RECORD", L"BLOCK"})
        for (bool rewind = true; !drawing->tblNext(table, rewind).empty(); rewind = false) {
        }
    const std::vector<std::wstring> all{L"*"};
    korcad::EntityName entity, next;
    int entities = 0;
    while (drawing->entNext(entity, next) && entities < 100000) {
        entity = next;
        drawing->entGet(entity, &all);
        ++entities;
    }
    std::string text = drawing->write();
    auto reread = korcad::Drawing::read(L"fuzz.dxf", text, &error);
    if (!reread) {
        std::fprintf(stderr, "fuzz_dxf: the saved drawing does not read: %s\n", error.c_str());
        std::abort();  // what we save must read back as it was
    }
    std::string again = reread->write();
    if (again != text) {
        size_t at = 0;
        while (at < text.size() && at < again.size() && text[at] == again[at])
            ++at;
        std::fprintf(stderr, "fuzz_dxf: saved again, the text differs at byte %zu:\n", at);
        std::string a = text.substr(at > 60 ? at - 60 : 0, 120), b = again.substr(at > 60 ? at - 60 : 0, 120);
        std::fprintf(stderr, "--- saved:\n");
        std::fwrite(a.data(), 1, a.size(), stderr);
        std::fprintf(stderr, "\n--- saved again:\n");
        std::fwrite(b.data(), 1, b.size(), stderr);
        std::fprintf(stderr, "\n");
        std::abort();
    }
    return 0;
}

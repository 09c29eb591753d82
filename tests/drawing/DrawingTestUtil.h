// DrawingTestUtil.h — small DXF texts and file helpers the drawing tests share.
#pragma once

#include "drawing/Drawing.h"
#include "drawing/Dxf.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace drawingtest {

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string netzPath() { return std::string(EXAMPLES_DIR) + "/netz.dxf"; }

// DXF text from (code, value) pairs.
inline std::string dxfText(const std::vector<std::pair<int, std::string>>& groups, const char* eol = "\n")
{
    std::string out;
    for (const auto& [code, value] : groups) {
        std::string c = std::to_string(code);
        out += std::string(c.size() < 3 ? 3 - c.size() : 0, ' ') + c + eol + value + eol;
    }
    return out;
}

inline std::unique_ptr<korcad::Drawing> readDrawing(const std::string& bytes)
{
    std::string error;
    auto d = korcad::Drawing::read(L"test.dxf", bytes, &error);
    if (!d)
        throw std::runtime_error(error);
    return d;
}

// The (code, value) stream of a DXF text as our reader splits it.
inline std::vector<std::pair<int, std::string>> tagStream(const std::string& bytes)
{
    korcad::dxf::TagStream s;
    s.bytes = bytes;
    std::string error;
    if (!korcad::dxf::readTags(s, &error))
        throw std::runtime_error(error);
    std::vector<std::pair<int, std::string>> out;
    for (const auto& t : s.tags)
        out.emplace_back(t.code, std::string(t.value()));
    return out;
}

}  // namespace drawingtest

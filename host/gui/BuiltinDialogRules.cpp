// What getfiled and the colour dialogs accept: the same in their windows and at a prompt.
#include "gui/BuiltinDialogs.h"

#include "drawing/Geometry.h"
#include "text/text.h"

#include <climits>
#include <cstdio>
#include <filesystem>

namespace korcad {

namespace fs = std::filesystem;

namespace {

bool endsWithSeparator(const std::string& s) { return !s.empty() && (s.back() == '/' || s.back() == '\\'); }

bool pathOnly(const FileRequest& r) { return (r.flags & kFilePathOnly) || endsWithSeparator(r.defaultName); }

// The extension of a file name, without its dot; "" when it has none.
std::string extensionOf(const std::string& path)
{
    std::string name = fs::path(path).filename().string();
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot + 1);
}

}  // namespace

std::vector<std::string> splitExtensions(const std::string& ext)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= ext.size()) {
        size_t end = ext.find(';', start);
        if (end == std::string::npos)
            end = ext.size();
        std::string one(kortext::trim(ext.substr(start, end - start)));
        if (one.rfind("*.", 0) == 0)
            one.erase(0, 2);
        else if (one.rfind('.', 0) == 0)
            one.erase(0, 1);
        if (one == "*")
            return {};  // every file
        if (!one.empty())
            out.push_back(one);
        start = end + 1;
    }
    return out;
}

std::string FileRequest::startFolder() const
{
    std::error_code ec;
    if (defaultName.empty())
        return fs::current_path(ec).string();
    fs::path given(defaultName);
    fs::path folder = pathOnly(*this) ? given : given.parent_path();
    fs::path absolute = fs::absolute(folder.empty() ? fs::path(".") : folder, ec);
    return absolute.lexically_normal().string();
}

std::string FileRequest::proposedName() const
{
    return pathOnly(*this) ? std::string() : fs::path(defaultName).filename().string();
}

FileVerdict checkFileName(const FileRequest& request, const std::string& typed, const std::string& folder)
{
    FileVerdict v;
    std::string name(kortext::trim(typed));
    if (name.empty()) {
        v.message = "Kein Dateiname angegeben.";
        return v;
    }
    fs::path path(name);
    if (path.is_relative())
        path = fs::path(folder) / path;
    path = path.lexically_normal();
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        v.message = path.string() + " ist ein Ordner.";
        return v;
    }
    // Without the free choice, a name without an extension gets the first one of the list;
    // another extension is refused.
    const std::vector<std::string>& exts = request.extensions;
    if (!(request.flags & kFileAnyExtension) && !exts.empty()) {
        std::string ext = extensionOf(path.string());
        bool listed = false;
        for (const std::string& e : exts)
            listed = listed || kortext::equalNoCase(e, ext);
        if (ext.empty())
            path += "." + exts.front();
        else if (!listed) {
            std::string allowed;
            for (const std::string& e : exts)
                allowed += (allowed.empty() ? "." : ", .") + e;
            v.message = path.filename().string() + ": nur Dateien mit der Erweiterung " + allowed + ".";
            return v;
        }
    }
    v.path = path.string();
    const bool exists = fs::exists(path, ec);
    if (request.flags & kFileNew) {
        if (exists && fs::is_directory(path, ec)) {
            v.message = v.path + " ist ein Ordner.";
            return v;
        }
        v.kind = exists && !(request.flags & kFileNoOverwriteWarning) ? FileVerdict::Kind::AskOverwrite
                                                                       : FileVerdict::Kind::Accept;
        if (v.kind == FileVerdict::Kind::AskOverwrite)
            v.message = v.path + " ist bereits vorhanden. Ersetzen?";
        return v;
    }
    if (!exists) {
        v.message = v.path + " wurde nicht gefunden.";
        return v;
    }
    v.kind = FileVerdict::Kind::Accept;
    // The library search: the bare name when it finds this very file first.
    if (request.flags & kFileLibrarySearch) {
        std::vector<std::string> dirs{fs::current_path(ec).string()};
        dirs.insert(dirs.end(), request.searchPath.begin(), request.searchPath.end());
        const std::string bare = path.filename().string();
        for (const std::string& dir : dirs) {
            fs::path candidate = fs::path(dir) / bare;
            if (!fs::exists(candidate, ec))
                continue;
            if (fs::equivalent(candidate, path, ec))
                v.path = bare;
            break;
        }
    }
    return v;
}

// ---- colours ------------------------------------------------------------------------------

int nearestIndex(uint32_t rgb)
{
    int best = 1;
    long bestDistance = LONG_MAX;
    for (int i = 1; i <= 255; ++i) {
        uint32_t c = geom::aciColour(i);
        long dr = long((c >> 16) & 0xFF) - long((rgb >> 16) & 0xFF);
        long dg = long((c >> 8) & 0xFF) - long((rgb >> 8) & 0xFF);
        long db = long(c & 0xFF) - long(rgb & 0xFF);
        long d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

std::string colorText(const ColorChoice& color)
{
    if (color.trueColor >= 0) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d,%d,%d", (color.trueColor >> 16) & 0xFF, (color.trueColor >> 8) & 0xFF,
                      color.trueColor & 0xFF);
        return buf;
    }
    if (color.index == 0)
        return "VonBlock";
    if (color.index == 256)
        return "VonLayer";
    return std::to_string(color.index);
}

namespace {

// A whole number 0 ... 999 written in decimal digits alone.
std::optional<int> smallNumber(const std::string& s)
{
    if (s.empty() || s.size() > 3)
        return std::nullopt;
    int n = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

std::optional<ColorChoice> parseColor(const ColorRequest& request, const std::string& typed, std::string* why)
{
    auto refuse = [why](const std::string& message) -> std::optional<ColorChoice> {
        if (why)
            *why = message;
        return std::nullopt;
    };
    const std::string text(kortext::trim(typed));
    const bool byLayer = kortext::equalNoCase(text, "VonLayer") || kortext::equalNoCase(text, "ByLayer");
    const bool byBlock = kortext::equalNoCase(text, "VonBlock") || kortext::equalNoCase(text, "ByBlock");
    if (byLayer || byBlock) {
        if (!request.allowByLayer)
            return refuse("VonLayer und VonBlock sind hier nicht wählbar.");
        return ColorChoice{byLayer ? 256 : 0, -1};
    }
    if (text.find(',') != std::string::npos) {
        if (!request.trueColor)
            return refuse("Erfordert eine Farbnummer von 1 bis 255.");
        int channels[3];
        size_t start = 0;
        for (int i = 0; i < 3; ++i) {
            size_t end = i < 2 ? text.find(',', start) : text.size();
            std::optional<int> n = end == std::string::npos
                                       ? std::nullopt
                                       : smallNumber(std::string(kortext::trim(text.substr(start, end - start))));
            if (!n || *n > 255)
                return refuse("Erfordert Rot, Grün und Blau als drei Zahlen von 0 bis 255 (R,G,B).");
            channels[i] = *n;
            start = end + 1;
        }
        const int32_t rgb = (channels[0] << 16) | (channels[1] << 8) | channels[2];
        return ColorChoice{nearestIndex(static_cast<uint32_t>(rgb)), rgb};
    }
    std::optional<int> n = smallNumber(text);
    if (n && (*n == 0 || *n == 256)) {  // the numbers of VonBlock and VonLayer
        if (!request.allowByLayer)
            return refuse("VonLayer und VonBlock sind hier nicht wählbar.");
        return ColorChoice{*n, -1};
    }
    if (!n || *n < 1 || *n > 255)
        return refuse(request.trueColor ? "Erfordert eine Farbnummer von 1 bis 255 oder R,G,B."
                                        : "Erfordert eine Farbnummer von 1 bis 255.");
    return ColorChoice{*n, -1};
}

}  // namespace korcad

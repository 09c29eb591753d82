// bench_drawing — opening and saving a drawing of 100,000 entities, against its floor and a
// DXF library, in the same run.
//
// The drawing is generated from examples/netz.dxf: its entities (pipes, hydrants and valves
// with attributes, texts, the old polyline with vertices, ...) repeated with offsets until
// the model space holds the number asked for, written once to a temporary file.
//
// Each figure is the median of several rounds; the rounds alternate between the contestants
// so that a busy moment of this shared machine hits them alike.
//   floor      read the file's bytes and find every line end (what any reader must do)
//   lines      the same, keeping a view of every line (what a line-based reader holds)
//   korcad     Drawing::read: groups, sections, records, sub-entities
//   dxflib     dxflib's parser over the same file with callbacks that do nothing (where built)
//   save       Drawing::write and the atomic save (temporary file, fsync, rename)
//   save floor the same bytes written to a file and fsynced
// Memory per entity: the heap the open drawing holds (mallinfo2, mapped blocks included) over
// its entity count.
//
//   build/bin/bench_drawing [ENTITIES] [ROUNDS]
#include "Drawing.h"
#include "DrawingFile.h"

#ifdef HAVE_DXFLIB
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <sstream>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string readBytes(const std::string& path)
{
    std::string bytes, error;
    korcad::readFileBytes(path, bytes, &error);
    return bytes;
}

// The entities of the sample, repeated until `wanted` main entities are there.
std::string generate(size_t wanted)
{
    std::string error;
    auto sample = korcad::loadDrawing(std::string(EXAMPLES_DIR) + "/netz.dxf", &error);
    if (!sample) {
        std::fprintf(stderr, "bench_drawing: %s\n", error.c_str());
        std::exit(1);
    }
    // The groups of every entity record of the sample (sub-entities too), without handles and
    // owners, which appendEntity gives anew.
    std::vector<std::vector<std::pair<int, std::string>>> records;
    std::vector<bool> isMain;
    auto mains = sample->mainEntities();
    ads_name e, none = {0, 0}, at;
    for (bool ok = sample->entNext(none, e); ok; ok = sample->entNext(at, e)) {
        at[0] = e[0];
        at[1] = e[1];
        const auto* r = sample->record(e);
        std::vector<std::pair<int, std::string>> groups;
        for (const auto& t : sample->tags(*r))
            if (t.code != 5 && t.code != 330)
                groups.emplace_back(t.code, std::string(t.value));
        records.push_back(std::move(groups));
        isMain.push_back(std::find(mains.begin(), mains.end(), static_cast<uint32_t>((e[0] - 0x7ff6a0000000) / 8)) != mains.end());
    }
    korcad::Drawing big(L"gross.dxf");
    // The sample's tables and blocks come with it: start from the sample itself.
    auto d = korcad::Drawing::read(L"gross.dxf", sample->write(), &error);
    size_t count = d->entityCount();
    for (int copy = 1; count < wanted; ++copy) {
        double dx = 150.0 * (copy % 100), dy = 150.0 * (copy / 100);
        for (size_t i = 0; i < records.size() && (count < wanted || !isMain[i]); ++i) {
            auto groups = records[i];
            for (auto& [code, value] : groups) {
                if (code == 10 || code == 11) {
                    value = korcad::dxf::formatReal(std::strtod(value.c_str(), nullptr) + dx);
                } else if (code == 20 || code == 21) {
                    value = korcad::dxf::formatReal(std::strtod(value.c_str(), nullptr) + dy);
                }
            }
            d->appendEntity(groups);
            count += isMain[i];
        }
    }
    return d->write();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeIt(const std::function<void()>& fn)
{
    auto begin = Clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

#ifdef HAVE_DXFLIB
// Takes every callback and does nothing with it.
class Ignore : public DL_CreationAdapter {};
#endif

}  // namespace

int main(int argc, char** argv)
{
    size_t entities = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    fs::path dir = fs::temp_directory_path() / ("bench_drawing." + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string path = (dir / "gross.dxf").string();
    {
        std::string text = generate(entities);
        std::ofstream(path, std::ios::binary) << text;
    }
    size_t bytes = fs::file_size(path);

    std::vector<double> floor, lineViews, ours, lib, save, saveFloor;
    size_t lines = 0, count = 0;
    double perEntity = 0;
    for (int round = 0; round < rounds; ++round) {
        floor.push_back(timeIt([&] {
            std::string b = readBytes(path);
            size_t n = 0;
            for (const char* p = b.data(), *end = b.data() + b.size();
                 (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))); ++p)
                ++n;
            lines = n;
        }));
        lineViews.push_back(timeIt([&] {
            std::string b = readBytes(path);
            std::vector<std::string_view> split;
            split.reserve(b.size() / 8);
            std::string_view all(b);
            for (size_t pos = 0; pos < all.size();) {
                size_t nl = all.find('\n', pos);
                if (nl == std::string_view::npos)
                    nl = all.size();
                split.push_back(all.substr(pos, nl - pos));
                pos = nl + 1;
            }
            if (split.size() < lines)
                std::exit(1);
        }));
        std::unique_ptr<korcad::Drawing> d;
        size_t heapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;
        ours.push_back(timeIt([&] {
            std::string error;
            d = korcad::loadDrawing(path, &error);
            if (!d) {
                std::fprintf(stderr, "bench_drawing: %s\n", error.c_str());
                std::exit(1);
            }
        }));
        count = d->entityCount();
        perEntity = static_cast<double>(mallinfo2().uordblks + mallinfo2().hblkhd - heapBefore) / static_cast<double>(count);
#ifdef HAVE_DXFLIB
        lib.push_back(timeIt([&] {
            Ignore ignore;
            DL_Dxf dxf;
            dxf.in(path, &ignore);
        }));
#endif
        std::string out = (dir / "gespeichert.dxf").string();
        save.push_back(timeIt([&] {
            std::string error;
            if (!korcad::saveDrawing(*d, out, &error)) {
                std::fprintf(stderr, "bench_drawing: %s\n", error.c_str());
                std::exit(1);
            }
        }));
        std::string text = readBytes(path);
        saveFloor.push_back(timeIt([&] {
            int fd = ::open((dir / "roh.dxf").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            size_t done = 0;
            while (done < text.size()) {
                ssize_t n = ::write(fd, text.data() + done, text.size() - done);
                if (n <= 0)
                    break;
                done += static_cast<size_t>(n);
            }
            ::fsync(fd);
            ::close(fd);
        }));
        if (readBytes(out) != text) {
            std::fprintf(stderr, "bench_drawing: the saved drawing differs from the one read\n");
            return 1;
        }
    }
    std::printf("drawing: %zu entities, %zu lines, %.1f MB\n", count, lines, static_cast<double>(bytes) / 1e6);
    std::printf("open   floor (read + find lines)  %8.1f ms\n", median(floor));
    std::printf("open   lines (read + line views)  %8.1f ms   %.2fx floor\n", median(lineViews),
                median(lineViews) / median(floor));
    std::printf("open   korcad                     %8.1f ms   %.2fx floor\n", median(ours), median(ours) / median(floor));
    if (!lib.empty())
        std::printf("open   dxflib (callbacks empty)   %8.1f ms   korcad/dxflib %.2f\n", median(lib),
                    median(ours) / median(lib));
    else
        std::printf("open   dxflib                     not built (libdxflib-dev missing)\n");
    std::printf("save   floor (write + fsync)      %8.1f ms\n", median(saveFloor));
    std::printf("save   korcad (atomic, unchanged) %8.1f ms   %.2fx floor\n", median(save),
                median(save) / median(saveFloor));
    std::printf("memory %.0f bytes per entity held by the open drawing (file bytes included)\n", perEntity);
    fs::remove_all(dir);
    return 0;
}

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
#include "BigDrawing.h"
#include "drawing/Drawing.h"
#include "drawing/DrawingFile.h"

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

std::string readBytes(const std::string& path)
{
    std::string bytes, error;
    korcad::readFileBytes(path, bytes, &error);
    return bytes;
}

using bench::median;
using bench::timeIt;

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
        std::string text = bench::bigDrawing(entities)->write();
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

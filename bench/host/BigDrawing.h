// BigDrawing.h — what the drawing benchmarks share: a large drawing made from the sample
// network, and medians of timed rounds.
#pragma once

#include "drawing/Drawing.h"
#include "drawing/DrawingFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bench {

// examples/netz.dxf with its entity records (sub-entities too) repeated with offsets until
// the model space holds `wanted` main entities; tables and blocks are the sample's.
inline std::unique_ptr<korcad::Drawing> bigDrawing(size_t wanted)
{
    std::string error;
    auto sample = korcad::loadDrawing(std::string(EXAMPLES_DIR) + "/netz.dxf", &error);
    if (!sample) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        std::exit(1);
    }
    // Without handles and owners, which appendEntity gives anew.
    std::vector<std::vector<std::pair<int, std::string>>> records;
    std::vector<bool> isMain;
    auto mains = sample->mainEntities();
    korcad::EntityName e, at;
    for (bool ok = sample->entNext(at, e); ok; ok = sample->entNext(at, e)) {
        at = e;
        const auto* r = sample->record(e);
        std::vector<std::pair<int, std::string>> groups;
        for (const auto& t : sample->tags(*r))
            if (t.code != 5 && t.code != 330)
                groups.emplace_back(t.code, std::string(t.value()));
        records.push_back(std::move(groups));
        isMain.push_back(std::find(mains.begin(), mains.end(), r->id) != mains.end());
    }
    auto d = korcad::Drawing::read(L"gross.dxf", sample->write(), &error);
    size_t count = d->entityCount();
    for (int copy = 1; count < wanted; ++copy) {
        double dx = 150.0 * (copy % 100), dy = 150.0 * (copy / 100);
        for (size_t i = 0; i < records.size() && (count < wanted || !isMain[i]); ++i) {
            auto groups = records[i];
            for (auto& [code, value] : groups) {
                if (code == 10 || code == 11)
                    value = korcad::dxf::formatReal(std::strtod(value.c_str(), nullptr) + dx);
                else if (code == 20 || code == 21)
                    value = korcad::dxf::formatReal(std::strtod(value.c_str(), nullptr) + dy);
            }
            d->appendEntity(groups);
            count += isMain[i];
        }
    }
    return d;
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline double timeIt(const std::function<void()>& fn)
{
    auto begin = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

}  // namespace bench

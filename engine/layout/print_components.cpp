#include "engine/layout/print_components.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>

namespace strovik::layout {
namespace {

int greyAt(const std::uint8_t* p) {
    return (int(p[0]) + int(p[1]) + int(p[2])) / 3;
}

// Grey row y (y from the top) into `out`.
void greyRow(const Raster& raster, int y, std::vector<std::uint8_t>& out) {
    const std::uint8_t* row = raster.storedRow(raster.height() - 1 - y);
    for (int x = 0; x < raster.width(); ++x)
        out[std::size_t(x)] = std::uint8_t(greyAt(row + 3 * x));
}

struct Run {
    int x0 = 0;
    int x1 = 0;  // inclusive
    int label = 0;
};

class UnionFind {
public:
    int make() {
        parent_.push_back(int(parent_.size()));
        return parent_.back();
    }
    int find(int a) {
        while (parent_[std::size_t(a)] != a) {
            parent_[std::size_t(a)] = parent_[std::size_t(parent_[std::size_t(a)])];
            a = parent_[std::size_t(a)];
        }
        return a;
    }
    void join(int a, int b) {
        a = find(a);
        b = find(b);
        if (a != b) parent_[std::size_t(std::max(a, b))] = std::min(a, b);
    }
    std::size_t size() const { return parent_.size(); }

private:
    std::vector<int> parent_;
};

struct Sums {
    int left = 0, top = 0, right = 0, bottom = 0;
    long long area = 0;
    double sx = 0.0, sy = 0.0;
};

void addRun(Sums& s, const Run& r, int y) {
    const long long n = r.x1 - r.x0 + 1;
    if (s.area == 0) {
        s.left = r.x0;
        s.right = r.x1;
        s.top = s.bottom = y;
    }
    s.left = std::min(s.left, r.x0);
    s.right = std::max(s.right, r.x1);
    s.top = std::min(s.top, y);
    s.bottom = std::max(s.bottom, y);
    s.area += n;
    s.sx += double(n) * (r.x0 + r.x1) / 2.0;
    s.sy += double(n) * y;
}

// Dark runs of one grey row.
void rowRuns(const std::vector<std::uint8_t>& grey, int threshold, std::vector<Run>& runs) {
    runs.clear();
    const int w = int(grey.size());
    for (int x = 0; x < w;) {
        if (grey[std::size_t(x)] >= threshold) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < w && grey[std::size_t(x)] < threshold) ++x;
        runs.push_back({start, x - 1, 0});
    }
}

// Labels `cur` from the runs of the row above: runs touching (8-connected)
// share a label.
void linkRuns(const std::vector<Run>& prev, std::vector<Run>& cur, UnionFind& uf) {
    std::size_t p = 0;
    for (Run& r : cur) {
        r.label = -1;
        while (p < prev.size() && prev[p].x1 < r.x0 - 1) ++p;
        for (std::size_t q = p; q < prev.size() && prev[q].x0 <= r.x1 + 1; ++q) {
            if (r.label < 0)
                r.label = prev[q].label;
            else
                uf.join(r.label, prev[q].label);
        }
        if (r.label < 0) r.label = uf.make();
    }
}

}  // namespace

int darkThreshold(const Raster& raster) {
    std::array<long long, 256> hist{};
    std::vector<std::uint8_t> grey(std::size_t(raster.width()));
    for (int y = 0; y < raster.height(); y += 2) {
        greyRow(raster, y, grey);
        for (std::uint8_t g : grey) ++hist[g];
    }
    const long long total = std::accumulate(hist.begin(), hist.end(), 0LL);
    if (total == 0) return kMaxDarkThreshold;
    long long seen = 0;
    int paper = 255;
    for (int g = 0; g < 256; ++g) {
        seen += hist[std::size_t(g)];
        if (2 * seen > total) {
            paper = g;
            break;
        }
    }
    return std::clamp(paper * kDarkShareOfPaper / 100, kMinDarkThreshold, kMaxDarkThreshold);
}

std::vector<Component> findComponents(const Raster& raster, int threshold) {
    UnionFind uf;
    std::vector<Sums> sums;
    std::vector<std::uint8_t> grey(std::size_t(raster.width()));
    std::vector<Run> prev, cur;
    for (int y = 0; y < raster.height(); ++y) {
        greyRow(raster, y, grey);
        rowRuns(grey, threshold, cur);
        linkRuns(prev, cur, uf);
        sums.resize(uf.size());
        for (const Run& r : cur) addRun(sums[std::size_t(r.label)], r, y);
        std::swap(prev, cur);
    }
    // Fold every label into its root; roots are the smallest label of their
    // set, so a root always comes before the labels joined to it.
    std::vector<Component> out;
    for (std::size_t i = 0; i < sums.size(); ++i) {
        const std::size_t root = std::size_t(uf.find(int(i)));
        if (i != root) {
            Sums& a = sums[root];
            const Sums& b = sums[i];
            if (b.area == 0) continue;
            a.left = std::min(a.left, b.left);
            a.right = std::max(a.right, b.right);
            a.top = std::min(a.top, b.top);
            a.bottom = std::max(a.bottom, b.bottom);
            a.area += b.area;
            a.sx += b.sx;
            a.sy += b.sy;
        }
    }
    for (std::size_t i = 0; i < sums.size(); ++i) {
        if (std::size_t(uf.find(int(i))) != i || sums[i].area == 0) continue;
        const Sums& s = sums[i];
        out.push_back({s.left, s.top, s.right, s.bottom, s.area, s.sx / double(s.area),
                       s.sy / double(s.area)});
    }
    return out;
}

}  // namespace strovik::layout

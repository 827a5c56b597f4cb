#include "marksearch.h"

#include <algorithm>
#include <cmath>

namespace calvorigne {

Gray grayOf(const QImage& image)
{
    const QImage g = image.convertToFormat(QImage::Format_Grayscale8);
    Gray gray{g.width(), g.height(), std::vector<std::uint8_t>(std::size_t(g.width()) * std::size_t(g.height()))};
    for (int y = 0; y < g.height(); ++y)
        std::copy_n(g.constScanLine(y), g.width(), gray.px.begin() + std::ptrdiff_t(y) * g.width());
    return gray;
}

namespace {

constexpr double cell = 0.5; // mm: finer than the marks' parts, coarse enough to be quick

// The cells, as offsets from a centre, whose distance lies between two radii (mm).
std::vector<std::pair<int, int>> annulus(double from, double to)
{
    std::vector<std::pair<int, int>> cells;
    const int r = int(std::ceil(to / cell));
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            const double d = std::hypot(dx, dy) * cell;
            if (d >= from && d <= to)
                cells.emplace_back(dx, dy);
        }
    return cells;
}

} // namespace

std::optional<Eigen::Vector2d> searchMark(const Gray& g, const SheetFrame& frame, Eigen::Vector2d expected, bool disc,
                                          double reach, int ink)
{
    // Which cells of the window are ink, sampled once.
    const double outerRadius = 4.3;
    const int half = int(std::ceil((reach + outerRadius) / cell)), side = 2 * half + 1;
    std::vector<std::uint8_t> dark(std::size_t(side) * std::size_t(side), 0);
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            const Eigen::Vector2d mm = expected + Eigen::Vector2d(i - half, j - half) * cell;
            const Eigen::Vector2d px = frame.leftCols(2) * mm + frame.col(2);
            const int x = int(std::lround(px.x())), y = int(std::lround(px.y()));
            if (x >= 0 && y >= 0 && x < g.w && y < g.h)
                dark[std::size_t(j) * std::size_t(side) + std::size_t(i)] = g.at(x, y) < ink;
        }
    // A disc is dark to 2.5 mm, a ring from 1.8 to 3 mm; both stand alone but for their cross,
    // which covers little of a circle around them.
    static const auto core = annulus(0, 1.9), hole = annulus(0, 1.1), band = annulus(2.1, 2.7), around = annulus(3.5, outerRadius);
    const auto mean = [&](const std::vector<std::pair<int, int>>& cells, int i, int j) {
        int sum = 0;
        for (const auto& [dx, dy] : cells)
            sum += dark[std::size_t(j + dy) * std::size_t(side) + std::size_t(i + dx)];
        return double(sum) / double(cells.size());
    };
    const int r = int(std::ceil(reach / cell)), margin = int(std::ceil(outerRadius / cell));
    double best = 0.3;
    std::optional<Eigen::Vector2d> found;
    for (int j = std::max(margin, half - r); j < std::min(side - margin, half + r + 1); ++j)
        for (int i = std::max(margin, half - r); i < std::min(side - margin, half + r + 1); ++i) {
            if (std::hypot(i - half, j - half) > r)
                continue;
            const double outside = mean(around, i, j);
            if (outside > 0.25)
                continue;
            const double inside = disc ? mean(core, i, j) : mean(band, i, j);
            if (inside < 0.6 || (!disc && mean(hole, i, j) > 0.5))
                continue;
            const double score = inside - outside;
            if (score > best) {
                best = score;
                found = expected + Eigen::Vector2d(i - half, j - half) * cell;
            }
        }
    return found;
}

} // namespace calvorigne

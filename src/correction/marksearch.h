// Looking for a calibration mark far from where the paper alone puts it: a printer at the
// limits of what the reading takes (3 mm off, 1.5 % of scale, 1.5° of turn) moves a far
// target by up to 18 mm, beyond the reach of the centroid that then settles on it.
#pragma once

#include <Eigen/Dense>
#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

namespace calvorigne {

struct Gray {
    int w = 0, h = 0;
    std::vector<std::uint8_t> px;
    int at(int x, int y) const { return px[std::size_t(y) * std::size_t(w) + std::size_t(x)]; }
};

Gray grayOf(const QImage& image);

// The scan's pixels from the sheet's millimetres.
using SheetFrame = Eigen::Matrix<double, 2, 3>;

// The point within `reach` mm of `expected` (sheet mm) that looks most like a target's mark:
// a disc, or a ring, with light all round it. Pixels darker than `ink` are ink. Nothing when
// no such mark is there.
std::optional<Eigen::Vector2d> searchMark(const Gray& g, const SheetFrame& frame, Eigen::Vector2d expected, bool disc,
                                          double reach, int ink);

} // namespace calvorigne

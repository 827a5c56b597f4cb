#include "scan.h"

#include "correction/marksearch.h"
#include "correction/sheet.h"

#include <Eigen/Dense>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>

namespace calvorigne {

namespace {

// The level that best splits a histogram in two (Otsu).
int splitLevel(const std::array<double, 256>& histogram)
{
    double total = 0, sum = 0;
    for (int k = 0; k < 256; ++k) {
        total += histogram[k];
        sum += k * histogram[k];
    }
    double below = 0, belowSum = 0, best = -1;
    int level = 128;
    for (int k = 0; k < 255; ++k) {
        below += histogram[k];
        belowSum += k * histogram[k];
        if (below == 0 || below == total)
            continue;
        const double m0 = belowSum / below, m1 = (sum - belowSum) / (total - below);
        const double between = below * (total - below) * (m0 - m1) * (m0 - m1);
        if (between > best) {
            best = between;
            level = k;
        }
    }
    return level + 1;
}

struct Line {
    Eigen::Vector2d point, direction;
};

// The line through edge points, refitted without those far from it.
std::optional<Line> fitLine(std::vector<Eigen::Vector2d> points)
{
    Line line;
    for (int round = 0; round < 4; ++round) {
        if (points.size() < 10)
            return std::nullopt;
        Eigen::Vector2d mean = Eigen::Vector2d::Zero();
        for (const auto& p : points)
            mean += p;
        mean /= double(points.size());
        Eigen::Matrix2d spread = Eigen::Matrix2d::Zero();
        for (const auto& p : points)
            spread += (p - mean) * (p - mean).transpose();
        const Eigen::SelfAdjointEigenSolver<Eigen::Matrix2d> solver(spread);
        line = {mean, solver.eigenvectors().col(1)};
        const Eigen::Vector2d normal = solver.eigenvectors().col(0);
        std::vector<double> distances;
        for (const auto& p : points)
            distances.push_back(std::abs(normal.dot(p - mean)));
        std::vector<double> sorted = distances;
        std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2), sorted.end());
        const double keep = std::max(1.0, 3 * sorted[sorted.size() / 2]);
        std::vector<Eigen::Vector2d> kept;
        for (std::size_t k = 0; k < points.size(); ++k)
            if (distances[k] <= keep)
                kept.push_back(points[k]);
        if (kept.size() == points.size())
            break;
        points = std::move(kept);
    }
    return line;
}

// « A, B et C », « A, B ni C »
QString inWords(const QStringList& labels, const QString& last)
{
    return labels.size() < 2 ? labels.join(QString()) : labels.mid(0, labels.size() - 1).join(QStringLiteral(", ")) + last + labels.back();
}

Eigen::Vector2d meet(const Line& a, const Line& b)
{
    Eigen::Matrix2d m;
    m << a.direction, -b.direction;
    const Eigen::Vector2d t = m.colPivHouseholderQr().solve(b.point - a.point);
    return a.point + t(0) * a.direction;
}

// Where the paper begins along a line of pixels from outside: the first rise from the dark
// background through the level, to a fraction of a pixel, followed by a run of paper.
template <typename Sample>
std::optional<double> paperStart(Sample sample, int count, int level, int run)
{
    if (sample(0) >= level)
        return std::nullopt; // the paper reaches the picture's edge
    for (int i = 1; i + run < count; ++i) {
        if (sample(i) < level)
            continue;
        bool paper = true;
        for (int k = 1; k <= run && paper; ++k)
            paper = sample(i + k) >= level;
        if (!paper)
            continue;
        const double before = sample(i - 1), after = sample(i);
        return i - 1 + (level - before) / std::max(1.0, after - before);
    }
    return std::nullopt;
}

// The mm → pixel map through four corner pairs, by least squares.
Eigen::Matrix<double, 2, 3> affineThrough(const std::array<Eigen::Vector2d, 4>& mm, const std::array<Eigen::Vector2d, 4>& px,
                                         double* worst)
{
    Eigen::Matrix<double, 4, 3> a;
    Eigen::Matrix<double, 4, 2> b;
    for (int k = 0; k < 4; ++k) {
        a.row(k) << mm[std::size_t(k)].x(), mm[std::size_t(k)].y(), 1;
        b.row(k) = px[std::size_t(k)].transpose();
    }
    const Eigen::Matrix<double, 3, 2> x = a.colPivHouseholderQr().solve(b);
    *worst = ((a * x) - b).rowwise().norm().maxCoeff();
    return x.transpose();
}

} // namespace

ScanReading readScan(const QImage& scan, QSizeF paper, const QString& printer)
{
    ScanReading reading;
    const auto refuse = [&](const QString& why) {
        reading.refusal = why;
        return reading;
    };
    if (scan.isNull())
        return refuse(QStringLiteral("L'image est vide."));
    const Gray g = grayOf(scan);
    std::array<double, 256> histogram{};
    for (const std::uint8_t v : g.px)
        ++histogram[v];
    const int level = splitLevel(histogram);
    // Paper stands out from what lies around it: a picture all of one shade has no sheet.
    double darker = 0, darkerSum = 0, lighter = 0, lighterSum = 0;
    for (int k = 0; k < 256; ++k) {
        double& count = k < level ? darker : lighter;
        double& sum = k < level ? darkerSum : lighterSum;
        count += histogram[std::size_t(k)];
        sum += k * histogram[std::size_t(k)];
    }
    const bool contrast = darker > 0 && lighter > 0 && lighterSum / lighter - darkerSum / darker >= 60;

    // The paper's edges, from outside inwards, along rows and columns across its middle.
    const int run = std::max(3, std::min(g.w, g.h) / 150);
    std::vector<Eigen::Vector2d> left, right, top, bottom;
    const int rowStep = std::max(1, g.h / 600), columnStep = std::max(1, g.w / 600);
    for (int y = 0; y < g.h; y += rowStep) {
        if (const auto x = paperStart([&](int i) { return g.at(i, y); }, g.w, level, run))
            left.emplace_back(*x, y);
        if (const auto x = paperStart([&](int i) { return g.at(g.w - 1 - i, y); }, g.w, level, run))
            right.emplace_back(g.w - 1 - *x, y);
    }
    for (int x = 0; x < g.w; x += columnStep) {
        if (const auto y = paperStart([&](int i) { return g.at(x, i); }, g.h, level, run))
            top.emplace_back(x, *y);
        if (const auto y = paperStart([&](int i) { return g.at(x, g.h - 1 - i); }, g.h, level, run))
            bottom.emplace_back(x, g.h - 1 - *y);
    }
    const QString noEdges = QStringLiteral("Les bords de la feuille ne se voient pas sur la numérisation : numérisez-la "
                                           "couvercle ouvert ou sur un fond sombre, sans la recadrer.");
    const auto l = fitLine(left), r = fitLine(right), t = fitLine(top), b = fitLine(bottom);
    if (!contrast || !l || !r || !t || !b)
        return refuse(noEdges);
    const std::array<Eigen::Vector2d, 4> corners = {meet(*t, *l), meet(*t, *r), meet(*b, *l), meet(*b, *r)};

    // Which corner of the paper each is: every turn and mirror whose shape fits.
    const double w = paper.width(), h = paper.height();
    const std::array<Eigen::Vector2d, 4> paperCorners = {Eigen::Vector2d(0, 0), Eigen::Vector2d(w, 0), Eigen::Vector2d(0, h),
                                                         Eigen::Vector2d(w, h)};
    std::vector<Eigen::Matrix<double, 2, 3>> frames;
    std::array<int, 4> order = {0, 1, 2, 3};
    double scale = 0;
    do {
        std::array<Eigen::Vector2d, 4> px;
        for (int k = 0; k < 4; ++k)
            px[std::size_t(k)] = corners[std::size_t(order[std::size_t(k)])];
        double worst = 0;
        const Eigen::Matrix<double, 2, 3> frame = affineThrough(paperCorners, px, &worst);
        const double pixelsPerMm = std::sqrt(std::abs(frame.leftCols(2).determinant()));
        if (worst < 0.02 * pixelsPerMm * std::min(w, h)) {
            frames.push_back(frame);
            scale = pixelsPerMm;
        }
    } while (std::next_permutation(order.begin(), order.end()));
    if (frames.empty())
        return refuse(noEdges);
    if (scale < 150 / 25.4 * 0.9)
        return refuse(QStringLiteral("La numérisation est trop grossière : numérisez la feuille à 150 points par pouce au moins."));

    // The shades of the paper and of the ink, from what lies on the paper.
    const Eigen::Matrix<double, 2, 3>& some = frames.front();
    const Eigen::Matrix2d toMm = some.leftCols(2).inverse();
    std::array<double, 256> onPaper{};
    double total = 0;
    for (int y = 0; y < g.h; y += 2)
        for (int x = 0; x < g.w; x += 2) {
            const Eigen::Vector2d mm = toMm * (Eigen::Vector2d(x, y) - some.col(2));
            if (mm.x() > 3 && mm.y() > 3 && mm.x() < w - 3 && mm.y() < h - 3) {
                ++onPaper[std::size_t(g.at(x, y))];
                ++total;
            }
        }
    const int ink = splitLevel(onPaper);
    int paperLevel = 255;
    for (double seen = onPaper[255]; seen < total / 2 && paperLevel > 0;)
        seen += onPaper[std::size_t(--paperLevel)];

    // Each target found from where a frame puts it, by the centroid of the dark within a
    // circle that follows it (its cross is alike on all sides, its label farther out).
    struct Found {
        Eigen::Vector2d centre;
        bool disc = false, clean = false;
    };
    const auto locate = [&](Eigen::Vector2d c) {
        const double floor = paperLevel - 0.25 * (paperLevel - ink);
        const auto around = [&](double fromMm, double toMm2, auto each) {
            const double r0 = fromMm * scale, r1 = toMm2 * scale;
            for (int y = int(c.y() - r1) - 1; y <= int(c.y() + r1) + 1; ++y)
                for (int x = int(c.x() - r1) - 1; x <= int(c.x() + r1) + 1; ++x) {
                    const double d = std::hypot(x - c.x(), y - c.y());
                    if (d >= r0 && d <= r1 && x >= 0 && y >= 0 && x < g.w && y < g.h)
                        each(x, y);
                }
        };
        for (int step = 0; step < 40; ++step) {
            const double radius = step < 3 ? 7 - step : 4;
            double weight = 0, sx = 0, sy = 0;
            around(0, radius, [&](int x, int y) {
                const double dark = std::max(0.0, floor - g.at(x, y));
                weight += dark;
                sx += dark * x;
                sy += dark * y;
            });
            if (weight <= 0)
                return Found{c};
            const Eigen::Vector2d next(sx / weight, sy / weight);
            const bool settled = step >= 3 && (next - c).norm() < 0.005;
            c = next;
            if (settled)
                break;
        }
        // A clean mark: light all round it but for its cross; a disc or a ring at its centre.
        int outside = 0, darkOutside = 0, middle = 0, darkMiddle = 0;
        around(3.4, 4.2, [&](int x, int y) {
            if (std::abs(x - c.x()) < 0.7 * scale || std::abs(y - c.y()) < 0.7 * scale)
                return;
            ++outside;
            darkOutside += g.at(x, y) < ink;
        });
        around(0, 1.3, [&](int x, int y) {
            if (std::abs(x - c.x()) < 0.45 * scale || std::abs(y - c.y()) < 0.45 * scale)
                return; // the cross
            ++middle;
            darkMiddle += g.at(x, y) < ink;
        });
        return Found{c, darkMiddle * 2 > middle, outside > 0 && darkOutside * 10 < outside};
    };

    // The frame in which discs stand at A to E and rings, turned with the sheet, at F to J:
    // the only one, as J stands off the middle.
    const std::vector<CalibrationTarget> targets = calibrationTargets(paper);
    const auto askedInSheet = [&](const CalibrationTarget& target) {
        return target.pass == 1 ? Eigen::Vector2d(target.at.x(), target.at.y())
                                : Eigen::Vector2d(w - target.at.x(), h - target.at.y());
    };
    // How far a printer at the limits the README states moves a target from where the paper
    // alone puts it: 3 mm of offset, and 1.5 % of scale and 1.5° of turn over the farthest.
    const double reach = 19;
    struct Seen {
        std::vector<Found> found;
        int count = 0;
        double misfit = 0; // the passes' largest residuals, mm: small in the one right frame
    };
    std::optional<Seen> best;
    const Eigen::Matrix<double, 2, 3>* bestFrame = nullptr;
    for (const auto& frame : frames) {
        Seen seen;
        std::vector<Found>& found = seen.found;
        const auto find = [&](std::size_t k, Eigen::Vector2d inSheet, double within) {
            const bool disc = targets[k].pass == 1;
            // Only a disc or a ring is followed: the centroid alone would settle on a letter.
            const std::optional<Eigen::Vector2d> mark = searchMark(g, frame, inSheet, disc, within, ink);
            if (!mark)
                return Found{frame.leftCols(2) * inSheet + frame.col(2)};
            Found f = locate(frame.leftCols(2) * *mark + frame.col(2));
            f.clean = f.clean && f.disc == disc;
            return f;
        };
        for (std::size_t k = 0; k < targets.size(); ++k)
            found.push_back(find(k, askedInSheet(targets[k]), reach));
        // Those missed are sought again where the others say their pass put them.
        const Eigen::Matrix2d inverse = frame.leftCols(2).inverse();
        const auto passFit = [&](int pass) -> std::optional<CorrectionFit> {
            std::vector<QPointF> asked, landed;
            for (std::size_t k = 0; k < targets.size(); ++k)
                if (targets[k].pass == pass && found[k].clean) {
                    const Eigen::Vector2d mm = inverse * (found[k].centre - frame.col(2));
                    asked.emplace_back(askedInSheet(targets[k]).x(), askedInSheet(targets[k]).y());
                    landed.emplace_back(mm.x(), mm.y());
                }
            if (asked.size() < 3)
                return std::nullopt;
            CorrectionFit fit = fitCorrection(asked, landed);
            // A frame turned the wrong way round would be "corrected" by a half turn; a reduced
            // print is still read, to be refused in words below.
            const PrinterCorrection& c = fit.correction;
            if (!fit.refusal.isEmpty() || std::abs(c.degrees) > 5 || std::abs(c.sx - 1) > 0.25 || std::abs(c.sy - 1) > 0.25)
                return std::nullopt;
            return fit;
        };
        for (int pass = 1; pass <= 2; ++pass) {
            const std::optional<CorrectionFit> fit = passFit(pass);
            for (std::size_t k = 0; fit && k < targets.size(); ++k)
                if (targets[k].pass == pass && !found[k].clean) {
                    const QPointF p = fit->correction.landing().map(QPointF(askedInSheet(targets[k]).x(), askedInSheet(targets[k]).y()));
                    found[k] = find(k, Eigen::Vector2d(p.x(), p.y()), 3);
                }
        }
        for (const Found& f : found)
            seen.count += f.clean;
        for (int pass = 1; pass <= 2; ++pass) {
            const std::optional<CorrectionFit> fit = passFit(pass);
            seen.misfit += fit ? fit->worst : 1000;
        }
        // A mirrored frame finds marks too, the sheet being nearly symmetric, but they do not
        // fit one printer's error: the frame whose marks agree wins, then the one that sees more.
        const auto agrees = [](const Seen& s) { return s.misfit < 2; };
        if (!best || (agrees(seen) && !agrees(*best)) || (agrees(seen) == agrees(*best) && (seen.count > best->count
                                                                                              || (seen.count == best->count && seen.misfit < best->misfit)))) {
            best = std::move(seen);
            bestFrame = &frame;
        }
    }
    QStringList seen, missed;
    for (std::size_t k = 0; k < targets.size(); ++k)
        (best->found[k].clean ? seen : missed) << targets[k].label;
    if (seen.isEmpty())
        return refuse(QStringLiteral("Aucun repère de la feuille de réglage ne se trouve sur cette image : est-ce bien la "
                                     "feuille de réglage, entière ?"));
    // Said as it is: what was found and what was not, and the ruler, which measures any sheet.
    if (best->count < 6 || best->misfit >= 2)
        return refuse(QStringLiteral("Sur cette numérisation, %1 trouvé%2, mais pas %3. Si la feuille de réglage y est "
                                     "entière et nette, l'imprimante décale peut-être ses passages plus que ce que la "
                                     "lecture cherche (3 mm, 1,5 % d'échelle, 1,5° de rotation) : mesurez-la à la règle.")
                          .arg(seen.size() == 1 ? QStringLiteral("le repère %1 a été").arg(seen.front())
                                                : QStringLiteral("les repères %1 ont été").arg(inWords(seen, QStringLiteral(" et "))),
                               seen.size() == 1 ? QString() : QStringLiteral("s"), inWords(missed, QStringLiteral(" ni "))));
    if (!missed.isEmpty())
        return refuse((missed.size() == 1 ? QStringLiteral("Le repère %1 ne se lit pas nettement sur la numérisation (les %2 "
                                                           "autres ont été trouvés) : une tache le cache, ou il est imprimé deux fois.")
                                          : QStringLiteral("Les repères %1 ne se lisent pas nettement sur la numérisation (les %2 "
                                                           "autres ont été trouvés) : une tache les cache, ou ils sont imprimés deux fois."))
                          .arg(inWords(missed, QStringLiteral(" et ")))
                          .arg(seen.size())
                      + QStringLiteral(" Imprimez une nouvelle feuille de réglage."));

    // Each pass's correction, in the frame of that pass.
    const Eigen::Matrix2d inverse = bestFrame->leftCols(2).inverse();
    const QLocale french(QLocale::French);
    for (int pass = 1; pass <= 2; ++pass) {
        std::vector<QPointF> asked, landed;
        for (std::size_t k = 0; k < targets.size(); ++k) {
            if (targets[k].pass != pass)
                continue;
            const Eigen::Vector2d centre = best->found[k].centre;
            const Eigen::Vector2d mm = inverse * (centre - bestFrame->col(2));
            const QPointF at = pass == 1 ? QPointF(mm.x(), mm.y()) : QPointF(w - mm.x(), h - mm.y());
            asked.push_back(targets[k].at);
            landed.push_back(at);
            reading.targets.push_back({targets[k].label, pass, {}, QPointF(centre.x(), centre.y())});
        }
        const CorrectionFit fit = fitCorrection(asked, landed);
        if (!fit.refusal.isEmpty())
            return refuse(QStringLiteral("Les repères du passage %1 ne se lisent pas : %2.").arg(pass).arg(fit.refusal));
        for (std::size_t k = 0; k < fit.residuals.size(); ++k)
            reading.targets[reading.targets.size() - fit.residuals.size() + k].residual = fit.residuals[k];
        const PrinterCorrection& c = fit.correction;
        if (!c.printerScale())
            return refuse(QStringLiteral("Le passage %1 serait imprimé à %2 % : ce n'est pas une erreur d'imprimante. Vérifiez "
                                         "que la feuille a été imprimée sans réduction.")
                              .arg(pass)
                              .arg(french.toString(c.furthestScale() * 100, 'f', 1)));
        if (fit.worst > 0.3)
            return refuse(QStringLiteral("Les repères du passage %1 ne s'accordent pas entre eux (%2 mm d'écart) : la feuille "
                                         "a peut-être gondolé. Numérisez-la bien à plat.")
                              .arg(pass)
                              .arg(french.toString(fit.worst, 'f', 2)));
        reading.pass[pass - 1] = c;
    }

    // The printer's mark, read where pass 1 put it: a square is darker than the paper around.
    quint16 sum = 0;
    const std::vector<QPointF> places = printerCodePlaces();
    for (int bit = 0; bit < 16; ++bit) {
        const QPointF mm = reading.pass[0]->landing().map(places[std::size_t(bit)]);
        const Eigen::Vector2d at = bestFrame->leftCols(2) * Eigen::Vector2d(mm.x(), mm.y()) + bestFrame->col(2);
        const int radius = std::max(1, int(0.7 * scale));
        double shade = 0;
        int samples = 0;
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx) {
                const int x = int(std::lround(at.x())) + dx, y = int(std::lround(at.y())) + dy;
                if (x >= 0 && y >= 0 && x < g.w && y < g.h) {
                    shade += g.at(x, y);
                    ++samples;
                }
            }
        if (samples > 0 && shade / samples < (paperLevel + ink) / 2.0)
            sum |= quint16(1 << bit);
    }
    if (sum != printerChecksum(printer))
        return refuse(QStringLiteral("Cette feuille de réglage n'a pas été imprimée par l'imprimante « %1 » : numérisez celle "
                                     "que cette imprimante a imprimée.")
                          .arg(printer));
    return reading;
}

} // namespace calvorigne

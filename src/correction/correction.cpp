#include "correction.h"

#include <Eigen/Dense>
#include <QLocale>
#include <QStringList>
#include <cmath>
#include <numbers>

namespace calvorigne {

namespace {

constexpr double radians = std::numbers::pi / 180;

// With its sign, a true minus.
// « +1,5 », « −0,4 », and « 0,0 » for what rounds to nothing, never « −0,0 ».
QString withSign(double value, int decimals)
{
    const QString text = QLocale(QLocale::French).toString(std::abs(value), 'f', decimals);
    if (std::round(std::abs(value) * std::pow(10, decimals)) == 0)
        return text;
    return (value < 0 ? QStringLiteral("\u2212") : QStringLiteral("+")) + text;
}

} // namespace

QTransform PrinterCorrection::landing() const
{
    const double c = std::cos(degrees * radians), s = std::sin(degrees * radians);
    return QTransform(sx * c, sx * s, -sy * s, sy * c, dx, dy);
}

QTransform PrinterCorrection::landingIn(const QRectF& sheet) const
{
    return QTransform::fromTranslate(-sheet.left(), -sheet.top()) * landing()
           * QTransform::fromTranslate(sheet.left(), sheet.top());
}

QString PrinterCorrection::words() const
{
    const QLocale french(QLocale::French);
    const QString across = french.toString(sx * 100, 'f', 1), down = french.toString(sy * 100, 'f', 1);
    QString text = QStringLiteral("décalage %1\u00a0mm vers la droite, %2\u00a0mm vers le bas, échelle %3")
                       .arg(withSign(dx, 1), withSign(dy, 1),
                            across == down ? across + QStringLiteral("\u00a0%")
                                           : QStringLiteral("%1\u00a0% en largeur, %2\u00a0% en hauteur").arg(across, down));
    if (std::abs(degrees) >= 0.005)
        text += QStringLiteral(", rotation %1°").arg(withSign(degrees, 2));
    return text;
}

QString PrinterCorrection::key() const
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(dx, 0, 'f', 3)
        .arg(dy, 0, 'f', 3)
        .arg(sx, 0, 'f', 6)
        .arg(sy, 0, 'f', 6)
        .arg(degrees, 0, 'f', 4);
}

std::optional<PrinterCorrection> PrinterCorrection::fromKey(const QString& key)
{
    const QStringList fields = key.simplified().split(u' ');
    if (fields.size() != 5)
        return std::nullopt;
    double values[5];
    for (int k = 0; k < 5; ++k) {
        bool ok = false;
        values[k] = QLocale::c().toDouble(fields[k], &ok);
        if (!ok || !std::isfinite(values[k]))
            return std::nullopt;
    }
    PrinterCorrection c{values[0], values[1], values[2], values[3], values[4]};
    // What no printer does: a correction edited into one would throw the numbers off the paper.
    if (std::abs(c.dx) > 20 || std::abs(c.dy) > 20 || !c.printerScale()
        || std::abs(c.degrees) > 5)
        return std::nullopt;
    return c;
}

const PrinterCorrection* PrinterCorrections::forPass(int number) const
{
    if (number < 1 || number > 2 || !pass[number - 1])
        return nullptr;
    return &*pass[number - 1];
}

QString PrinterCorrections::words() const
{
    QStringList said;
    for (int k = 0; k < 2; ++k)
        if (pass[k])
            said << QStringLiteral("passage %1 : %2").arg(k + 1).arg(pass[k]->words());
    return said.join(QStringLiteral(" ; "));
}

QRectF usableSheet(const QRectF& sheet, const PrinterCorrections& corrections)
{
    QRectF usable = sheet;
    for (const auto& pass : corrections.pass) {
        if (!pass)
            continue;
        // What is asked inside the landed sheet's corners lands on the paper; for the small
        // turns of a printer, the box within those corners.
        const QTransform landing = pass->landingIn(sheet);
        const QPointF tl = landing.map(sheet.topLeft()), tr = landing.map(sheet.topRight()),
                      bl = landing.map(sheet.bottomLeft()), br = landing.map(sheet.bottomRight());
        usable &= QRectF(QPointF(std::max(tl.x(), bl.x()), std::max(tl.y(), tr.y())),
                         QPointF(std::min(tr.x(), br.x()), std::min(bl.y(), br.y())));
    }
    return usable;
}

CorrectionFit fitCorrection(const std::vector<QPointF>& asked, const std::vector<QPointF>& landed)
{
    CorrectionFit fit;
    const int n = int(std::min(asked.size(), landed.size()));
    if (n < 3) {
        fit.refusal = QStringLiteral("il faut au moins trois repères");
        return fit;
    }
    // First the general affine map, by linear least squares: it gives the start of the search,
    // and tells marks that stand in a line, which fix no turn or scale.
    Eigen::MatrixXd a(n, 3);
    Eigen::VectorXd qx(n), qy(n);
    for (int k = 0; k < n; ++k) {
        a.row(k) << asked[k].x(), asked[k].y(), 1;
        qx(k) = landed[k].x();
        qy(k) = landed[k].y();
    }
    const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(a);
    // How far the points stand from their best line, asked and landed.
    const auto spread = [](const Eigen::MatrixXd& points) {
        return Eigen::JacobiSVD<Eigen::MatrixXd>(points.rowwise() - points.colwise().mean()).singularValues()(1);
    };
    Eigen::MatrixXd q(n, 2);
    q << qx, qy;
    if (qr.rank() < 3 || spread(a.leftCols(2)) < 5 || spread(q) < 5) {
        fit.refusal = QStringLiteral("les repères sont presque alignés");
        return fit;
    }
    const Eigen::Vector3d ax = qr.solve(qx), ay = qr.solve(qy);
    // Then offset, scales and turn by Gauss-Newton from there.
    Eigen::Matrix<double, 5, 1> p;
    p << ax(2), ay(2), std::hypot(ax(0), ay(0)), std::hypot(ax(1), ay(1)), std::atan2(ay(0), ax(0));
    Eigen::VectorXd r(2 * n);
    Eigen::MatrixXd j(2 * n, 5);
    for (int iteration = 0; iteration < 20; ++iteration) {
        const double c = std::cos(p(4)), s = std::sin(p(4));
        for (int k = 0; k < n; ++k) {
            const double x = asked[k].x(), y = asked[k].y();
            r(2 * k) = p(0) + p(2) * c * x - p(3) * s * y - qx(k);
            r(2 * k + 1) = p(1) + p(2) * s * x + p(3) * c * y - qy(k);
            j.row(2 * k) << 1, 0, c * x, -s * y, -p(2) * s * x - p(3) * c * y;
            j.row(2 * k + 1) << 0, 1, s * x, c * y, p(2) * c * x - p(3) * s * y;
        }
        const Eigen::Matrix<double, 5, 1> step = j.colPivHouseholderQr().solve(-r);
        p += step;
        if (step.norm() < 1e-12)
            break;
    }
    fit.correction = {p(0), p(1), p(2), p(3), p(4) / radians};
    const QTransform landing = fit.correction.landing();
    for (int k = 0; k < n; ++k) {
        const QPointF off = landing.map(asked[k]) - landed[k];
        fit.residuals.push_back(off);
        fit.worst = std::max(fit.worst, std::hypot(off.x(), off.y()));
    }
    return fit;
}

} // namespace calvorigne

#include "ticketmodel.h"

#include "core/numbers.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>

namespace calvorigne {

QString TicketModel::text(double number) const
{
    // Called for every number of a run: no text is built that is not needed.
    static const std::array<QString, 10> patterns = [] {
        std::array<QString, 10> all;
        for (int k = 0; k < 10; ++k)
            all[std::size_t(k)] = QString(k, u'0');
        return all;
    }();
    const QString digitsOf = padNumber(number, patterns[std::size_t(std::clamp(digits, 1, 9))]);
    return prefix.isEmpty() ? digitsOf : prefix + digitsOf;
}

std::vector<std::pair<QString, QString>> TicketModel::keys() const
{
    if (isDefault())
        return {};
    std::vector<std::pair<QString, QString>> keys = {
        {QStringLiteral("Colonnes"), signedNumber(columns)},
        {QStringLiteral("Pas"), signedNumber(pitch)},
        {QStringLiteral("Souches"), signedNumber(double(stubs.size()))},
    };
    for (std::size_t k = 0; k < stubs.size(); ++k) {
        const QString stub = QStringLiteral("Souche%1").arg(k + 1);
        keys.emplace_back(stub + u'X', signedNumber(stubs[k].dx));
        keys.emplace_back(stub + u'Y', signedNumber(stubs[k].dy));
        keys.emplace_back(stub + QStringLiteral("Taille"), stubs[k].size ? signedNumber(*stubs[k].size) : QString());
        keys.emplace_back(stub + QStringLiteral("Rotation"), signedNumber(stubs[k].rotation));
    }
    // Quoted, so that blanks at either end are kept.
    keys.emplace_back(QStringLiteral("Texte"), u'"' + prefix + u'"');
    keys.emplace_back(QStringLiteral("Chiffres"), signedNumber(digits));
    return keys;
}

TicketModel TicketModel::fromKeys(const std::function<QString(const QString&)>& value)
{
    // A value that does not begin with a number is no value.
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?(\\d|\\.\\d)"));
    auto read = [&](const QString& key) -> std::optional<double> {
        const QString text = value(key);
        if (!number.match(text).hasMatch())
            return std::nullopt;
        const double read = readNumber(text);
        return std::isnan(read) ? std::nullopt : std::optional(read);
    };
    auto inRange = [&](const QString& key, double fallback, double low, double high) {
        return std::clamp(read(key).value_or(fallback), low, high);
    };
    TicketModel model;
    model.columns = int(std::lround(inRange(QStringLiteral("Colonnes"), 1, 1, maxColumns)));
    model.pitch = inRange(QStringLiteral("Pas"), 0, 0, 297);
    const int stubs = int(std::lround(inRange(QStringLiteral("Souches"), 0, 0, maxStubs)));
    for (int k = 1; k <= stubs; ++k) {
        const QString stub = QStringLiteral("Souche%1").arg(k);
        StubPlace place;
        place.dx = inRange(stub + u'X', 0, -297, 297);
        place.dy = inRange(stub + u'Y', 0, -297, 297);
        if (const auto size = read(stub + QStringLiteral("Taille")))
            place.size = std::clamp(*size, 0.0, 500.0);
        place.rotation = 90 * int(std::lround(inRange(stub + QStringLiteral("Rotation"), 0, 0, 270) / 90));
        model.stubs.push_back(place);
    }
    model.prefix = value(QStringLiteral("Texte")).left(maxPrefix);
    model.digits = int(std::lround(inRange(QStringLiteral("Chiffres"), 4, 1, 9)));
    return model;
}

} // namespace calvorigne

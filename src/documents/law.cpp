#include "law.h"

#include "raffle/money.h"

#include <QLocale>

namespace calvorigne {

const QStringList& law::causes()
{
    static const QStringList all = {QStringLiteral("scientifique"), QStringLiteral("sociale"), QStringLiteral("familiale"),
                                    QStringLiteral("humanitaire"), QStringLiteral("philanthropique"), QStringLiteral("éducative"),
                                    QStringLiteral("sportive"), QStringLiteral("culturelle"), QStringLiteral("protection animale"),
                                    QStringLiteral("défense de l'environnement")};
    return all;
}

qint64 RaffleFacts::prizesCents() const
{
    qint64 sum = 0;
    for (const Prize& prize : prizes)
        sum += prize.valueCents;
    return sum;
}

QString frenchDay(const QDate& day)
{
    return day.isValid() ? QLocale(QLocale::French, QLocale::France).toString(day, QStringLiteral("d MMMM yyyy")) : QStringLiteral("date à fixer");
}

std::vector<Warning> mayorWarnings(const RaffleFacts& facts)
{
    const QString code = QStringLiteral("code de la sécurité intérieure");
    std::vector<Warning> warnings;
    if (facts.raffle.cause.trimmed().isEmpty())
        warnings.push_back({QStringLiteral("La cause de la tombola n'est pas dite. Le formulaire la demande, et la loi n'autorise une loterie "
                                           "que pour une cause scientifique, sociale, familiale, humanitaire, philanthropique, éducative, "
                                           "sportive, culturelle, la protection animale ou la défense de l'environnement : choisissez-la "
                                           "dans « Modifier la tombola »."),
                            QStringLiteral("article L322-3 du %1").arg(code)});
    const qint64 capital = facts.capitalCents();
    if (capital > law::taxOfficeAboveCents)
        warnings.push_back({QStringLiteral("Le capital d'émission, %1, dépasse %2 : le maire décide après l'avis du directeur départemental "
                                           "des finances publiques. Déposez la demande plus tôt, l'avis prend du temps.")
                                .arg(moneyText(capital), moneyText(law::taxOfficeAboveCents)),
                            QStringLiteral("article D322-2 du %1").arg(code)});
    if (capital > law::balanceSheetAboveCents)
        warnings.push_back({QStringLiteral("Le capital d'émission, %1, dépasse %2 : joignez le bilan du dernier exercice de l'association.")
                                .arg(moneyText(capital), moneyText(law::balanceSheetAboveCents)),
                            QStringLiteral("formulaire Cerfa n° 11823*03")});
    for (const Prize& prize : facts.prizes)
        if (const QString why = DrawBook::cashWarning(prize.description); !why.isEmpty())
            warnings.push_back({QStringLiteral("Lot n° %1 : %2").arg(prize.rank).arg(why),
                                QStringLiteral("article L322-3 du %1 : les lots sont des objets mobiliers").arg(code)});
    if (!facts.raffle.drawDate.isValid())
        warnings.push_back({QStringLiteral("La date du tirage n'est pas fixée : le formulaire la demande."),
                            QStringLiteral("formulaire Cerfa n° 11823*03")});
    else if (facts.raffle.drawDate < facts.today.addMonths(1))
        warnings.push_back({QStringLiteral("Le tirage est le %1, dans moins d'un mois : la demande se dépose d'ordinaire un mois avant. "
                                           "Demandez à la mairie si elle peut encore l'instruire à temps.")
                                .arg(frenchDay(facts.raffle.drawDate)),
                            QStringLiteral("délai que demandent la plupart des mairies")});
    return warnings;
}

} // namespace calvorigne

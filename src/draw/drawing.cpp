// The draw itself: its start, each prize drawn, and the data file that lets anyone check it.
#include "drawbook.h"

#include "core/ranges.h"
#include "draw/algorithm.h"
#include "records/runtable.h"

#include <QJsonArray>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <set>

namespace calvorigne {

namespace {

const QString dataFormat = QStringLiteral("Calvorigne : tirage");

QString ticketState(const QString& state)
{
    return state == u"stock"     ? QStringLiteral("billet jamais remis à un vendeur")
           : state == u"remis"   ? QStringLiteral("billet encore chez un vendeur")
           : state == u"invendu" ? QStringLiteral("billet invendu")
           : state == u"annulé"  ? QStringLiteral("billet annulé")
           : state == u"perdu"   ? QStringLiteral("billet perdu")
                                 : QStringLiteral("billet vendu après le gel de la liste");
}

} // namespace

Result DrawBook::begin(const QString& method, bool lastFirst, const QStringList& witnessDigits)
{
    const std::optional<DrawState> draw = current();
    if (!draw)
        return {QStringLiteral("Préparez d'abord le tirage : c'est lui qui gèle la liste des billets vendus.")};
    if (!draw->method.isEmpty())
        return {QStringLiteral("Le tirage a déjà commencé : il reprend où il en était.")};
    const std::vector<Prize> all = prizes();
    if (all.empty())
        return {QStringLiteral("La liste des lots est vide : il n'y a rien à tirer.")};
    QStringList witnesses;
    QString graine;
    if (method == u"programme") {
        qsizetype digits = 0;
        for (const QString& typed : witnessDigits) {
            const QString plain = QString(typed).remove(u' ');
            if (plain.isEmpty())
                continue;
            if (!std::all_of(plain.begin(), plain.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
                return {QStringLiteral("« %1 » : les témoins tapent les chiffres de leurs dés, et rien d'autre.").arg(typed.trimmed())};
            witnesses << plain;
            digits += plain.size();
        }
        if (witnesses.size() < 2 || digits < 20)
            return {QStringLiteral("Il faut au moins deux témoins et 20 chiffres de dés en tout (%1 témoin%2, %3 chiffre%4 pour l'instant).")
                        .arg(witnesses.size()).arg(witnesses.size() > 1 ? QStringLiteral("s") : QString()).arg(digits)
                        .arg(digits > 1 ? QStringLiteral("s") : QString())};
        graine = draw::graine(draw->listHash, witnesses);
    } else if (method != u"urne") {
        return {QStringLiteral("Choisissez comment tirer : l'urne ou le programme.")};
    }
    Result result = m_reg.act(m_raffle, method == u"urne" ? QStringLiteral("Tirage commencé, à l'urne") : QStringLiteral("Tirage commencé, par le programme, graine %1").arg(graine), 0,
                              [&](QSqlQuery& query) {
                                  query.prepare(QStringLiteral("UPDATE draws SET method = ?, last_first = ?, witnesses = ?, graine = ? WHERE id = ?"));
                                  for (const QVariant& value : {QVariant(method), QVariant(lastFirst ? 1 : 0), QVariant(witnesses.join(u'\n')),
                                                                graine.isEmpty() ? QVariant() : QVariant(graine), QVariant(draw->id)})
                                      query.addBindValue(value);
                                  return query.exec() ? QString() : m_reg.writeFailure(query);
                              },
                              false);
    if (result && qsizetype(all.size()) > draw->list.size())
        result.note = QStringLiteral("Il y a %1 lots pour %2 billets vendus : seuls les %2 premiers lots pourront être gagnés.")
                          .arg(all.size()).arg(draw->list.size());
    return result;
}

std::optional<Prize> DrawBook::nextPrize() const
{
    const std::optional<DrawState> draw = current();
    if (!draw)
        return std::nullopt;
    std::set<int> won;
    for (const DrawResult& r : draw->results)
        if (r.outcome == u"gagnant")
            won.insert(r.prizeRank);
    std::vector<Prize> all = prizes();
    if (draw->lastFirst)
        std::reverse(all.begin(), all.end());
    for (const Prize& prize : all)
        if (!won.count(prize.rank))
            return prize;
    return std::nullopt;
}

Result DrawBook::record(const DrawState& draw, const Prize* prize, const QString& label, const QString& outcome, const QString& reason,
                        const QString& words)
{
    Result result = m_reg.act(m_raffle, words, 0, [&](QSqlQuery& query) {
        query.prepare(QStringLiteral("INSERT INTO draw_results (draw, at, prize, label, outcome, reason) VALUES (?, ?, ?, ?, ?, ?)"));
        for (const QVariant& value : {QVariant(draw.id), QVariant(runtable::stamp(QDateTime::currentDateTime())),
                                      prize ? QVariant(prize->id) : QVariant(), QVariant(label), QVariant(outcome),
                                      reason.isEmpty() ? QVariant() : QVariant(reason)})
            query.addBindValue(value);
        return query.exec() ? QString() : m_reg.writeFailure(query);
    }, false);
    if (result && outcome != u"gagnant")
        result.note = words;
    return result;
}

Result DrawBook::drawByProgram()
{
    const std::optional<DrawState> draw = current();
    if (!draw || draw->method != u"programme")
        return {QStringLiteral("Le tirage par le programme n'a pas commencé.")};
    const std::optional<Prize> prize = nextPrize();
    if (!prize)
        return {QStringLiteral("Tous les lots sont gagnés.")};
    std::set<QString> drawn;
    for (const DrawResult& r : draw->results)
        drawn.insert(r.label);
    for (const draw::Ranked& ranked : draw::ranking(draw->graine, draw->list))
        if (!drawn.count(ranked.label))
            return record(*draw, &*prize, ranked.label, QStringLiteral("gagnant"), {},
                          QStringLiteral("Lot n° %1 : le billet %2 gagne").arg(prize->rank).arg(ranked.label));
    return {QStringLiteral("Plus aucun billet vendu ne peut gagner : les lots qui restent ne sont pas tirés.")};
}

Result DrawBook::drawFromUrn(const QString& typed)
{
    const std::optional<DrawState> draw = current();
    if (!draw || draw->method != u"urne")
        return {QStringLiteral("Le tirage à l'urne n'a pas commencé.")};
    const std::optional<Prize> prize = nextPrize();
    if (!prize)
        return {QStringLiteral("Tous les lots sont gagnés.")};
    const TypedRanges read = readRanges(typed);
    if (read.fault != TypedRanges::Fault::None || read.ranges.size() != 1 || read.ranges.front().first != read.ranges.front().second)
        return {QStringLiteral("« %1 » n'est pas le numéro d'un billet : tapez-le, par exemple 0457, ou scannez son code.").arg(typed.trimmed())};
    const qint64 number = read.ranges.front().first;
    QSqlQuery query(QSqlDatabase::database(m_reg.connection(), false));
    query.prepare(QStringLiteral("SELECT label, state FROM tickets WHERE raffle = ? AND number = ?"));
    query.addBindValue(m_raffle);
    query.addBindValue(number);
    if (!query.exec() || !query.next())
        return record(*draw, nullptr, typed.trimmed(), QStringLiteral("écarté"), QStringLiteral("pas un billet de cette tombola"),
                      QStringLiteral("%1 : pas un billet de cette tombola, tirez-en un autre").arg(typed.trimmed()));
    const QString label = query.value(0).toString(), state = query.value(1).toString();
    for (const DrawResult& r : draw->results)
        if (r.label == label)
            return {QStringLiteral("Le billet %1 a déjà été tiré (%2) : tapé deux fois ?")
                        .arg(label, r.outcome == u"gagnant" ? QStringLiteral("il a gagné le lot n° %1").arg(r.prizeRank) : r.reason)};
    if (!draw->list.contains(label))
        return record(*draw, nullptr, label, QStringLiteral("écarté"), ticketState(state),
                      QStringLiteral("%1 : %2, tirez-en un autre").arg(label, ticketState(state)));
    return record(*draw, &*prize, label, QStringLiteral("gagnant"), {}, QStringLiteral("Lot n° %1 : le billet %2 gagne").arg(prize->rank).arg(label));
}

Result DrawBook::absent(const QString& reason)
{
    const std::optional<DrawState> draw = current();
    if (!draw || draw->results.empty() || draw->results.back().outcome != u"gagnant")
        return {QStringLiteral("Il n'y a pas de gagnant à déclarer absent.")};
    const DrawResult& last = draw->results.back();
    const QString why = reason.trimmed().isEmpty() ? QStringLiteral("gagnant absent") : reason.trimmed();
    return m_reg.act(m_raffle, QStringLiteral("Lot n° %1 : le billet %2 ne le réclame pas (%3), il est tiré à nouveau").arg(last.prizeRank).arg(last.label, why), 0,
                     [&](QSqlQuery& query) {
                         query.prepare(QStringLiteral("UPDATE draw_results SET outcome = 'absent', reason = ? WHERE id = (SELECT max(id) FROM draw_results WHERE draw = ?)"));
                         query.addBindValue(why);
                         query.addBindValue(draw->id);
                         return query.exec() ? QString() : m_reg.writeFailure(query);
                     },
                     false);
}

QJsonObject DrawBook::data() const
{
    const std::optional<DrawState> draw = current();
    if (!draw)
        return {};
    QJsonArray prizes, results;
    for (const Prize& p : this->prizes())
        prizes.append(QJsonObject{{"rang", p.rank}, {"lot", p.description}, {"valeur_centimes", p.valueCents}});
    for (const DrawResult& r : draw->results)
        results.append(QJsonObject{{"heure", r.at.toString(Qt::ISODate)}, {"lot", r.prizeRank}, {"billet", r.label}, {"issue", r.outcome},
                                   {"raison", r.reason}});
    return {{"format", dataFormat},        {"version", 1},
            {"algorithme", draw::algorithmName}, {"tombola", m_reg.raffle(m_raffle)->name},
            {"liste", QJsonArray::fromStringList(draw->list)}, {"empreinte", draw->listHash},
            {"methode", draw->method},      {"dernier_lot_d_abord", draw->lastFirst},
            {"temoins", QJsonArray::fromStringList(draw->witnesses)}, {"graine", draw->graine},
            {"lots", prizes},               {"resultats", results}};
}

QString verifyDraw(const QJsonObject& data)
{
    if (data.value("format").toString() != dataFormat)
        return QStringLiteral("Ce fichier n'est pas celui d'un tirage de Calvorigne.");
    if (data.value("algorithme").toString() != draw::algorithmName)
        return QStringLiteral("Ce tirage a été fait par une autre méthode (« %1 ») : cette version ne sait pas le refaire.")
            .arg(data.value("algorithme").toString());
    QStringList list;
    for (const QJsonValue& label : data.value("liste").toArray())
        list << label.toString();
    if (draw::listHash(list) != data.value("empreinte").toString())
        return QStringLiteral("L'empreinte de la liste des billets vendus ne correspond pas à cette liste : l'une ou l'autre a été modifiée.");
    std::set<QString> drawn;
    const QJsonArray results = data.value("resultats").toArray();
    if (data.value("methode").toString() != u"programme") {
        for (const QJsonValue& r : results)
            if (r.toObject().value("issue").toString() == u"gagnant" && (!list.contains(r.toObject().value("billet").toString())
                                                                        || !drawn.insert(r.toObject().value("billet").toString()).second))
                return QStringLiteral("Le billet %1, noté gagnant, n'est pas un billet vendu de la liste, ou gagne deux fois.")
                    .arg(r.toObject().value("billet").toString());
        return {};
    }
    QStringList witnesses;
    for (const QJsonValue& w : data.value("temoins").toArray())
        witnesses << w.toString();
    const QString graine = draw::graine(data.value("empreinte").toString(), witnesses);
    if (graine != data.value("graine").toString())
        return QStringLiteral("La graine du fichier ne vient pas de l'empreinte et des chiffres des témoins : l'un d'eux a été modifié.");
    const std::vector<draw::Ranked> ranked = draw::ranking(graine, list);
    std::size_t next = 0;
    int index = 0;
    for (const QJsonValue& value : results) {
        ++index;
        const QJsonObject r = value.toObject();
        if (r.value("issue").toString() == u"écarté")
            return QStringLiteral("Le résultat n° %1 met un billet de côté, ce que le tirage par le programme ne fait pas.").arg(index);
        if (next >= ranked.size() || ranked[next].label != r.value("billet").toString())
            return QStringLiteral("Résultat n° %1 (lot n° %2) : le fichier dit %3, le calcul donne %4.")
                .arg(index).arg(r.value("lot").toInt()).arg(r.value("billet").toString(),
                                                            next < ranked.size() ? ranked[next].label : QStringLiteral("aucun billet"));
        ++next;
    }
    return {};
}

} // namespace calvorigne

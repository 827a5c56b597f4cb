#include "keptruns.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace calvorigne {

namespace {

const QString timeForm = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

} // namespace

bool appendKeptRun(const QString& path, const JournalEntry& e)
{
    QJsonArray pages;
    for (const int count : e.passPages)
        pages << count;
    const QJsonObject run{{"quand", e.when.toString(timeForm)}, {"type", e.kind},      {"sortie", e.output},
                          {"premier", e.first},                 {"dernier", e.last},   {"carnets", e.booklets},
                          {"folios", e.folios},                 {"parPage", e.rows},   {"pages", pages},
                          {"resultat", e.outcome},              {"billet", e.model},   {"marque", e.token},
                          {"parametres", e.layout}};
    QFile file(path);
    const QByteArray line = QJsonDocument(run).toJson(QJsonDocument::Compact) + '\n';
    return file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(line) == line.size() && file.flush();
}

std::vector<JournalEntry> readKeptRuns(const QString& path)
{
    std::vector<JournalEntry> runs;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QJsonObject run = QJsonDocument::fromJson(line).object();
        JournalEntry e;
        e.when = QDateTime::fromString(run.value("quand").toString(), timeForm);
        e.kind = run.value("type").toString();
        if (!e.when.isValid() || e.kind.isEmpty())
            continue; // a line cut by the program's end
        e.output = run.value("sortie").toString();
        e.first = run.value("premier").toString();
        e.last = run.value("dernier").toString();
        e.booklets = run.value("carnets").toString();
        e.folios = run.value("folios").toString();
        e.rows = run.value("parPage").toString();
        for (const QJsonValue count : run.value("pages").toArray())
            e.passPages << count.toInt();
        e.outcome = run.value("resultat").toString();
        e.model = run.value("billet").toString();
        e.token = run.value("marque").toString();
        e.layout = run.value("parametres").toString();
        replaceRun(runs, e);
    }
    return runs;
}

void replaceRun(std::vector<JournalEntry>& runs, const JournalEntry& entry)
{
    const auto same = std::find_if(runs.begin(), runs.end(), [&](const JournalEntry& e) {
        return !entry.token.isEmpty() && e.token == entry.token;
    });
    if (same != runs.end())
        *same = entry;
    else
        runs.push_back(entry);
}

} // namespace calvorigne

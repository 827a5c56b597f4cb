#include "journal.h"

#include "core/numbers.h"
#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace calvorigne {

namespace {

const QStringList header = {"Date", "Type", "Imprimante ou fichiers", "Premier numéro", "Dernier numéro", "Carnets",
                            "Folios", "Numéros par page", "Pages par passage", "Résultat", "Billet"};
const QString dateForm = QStringLiteral("dd/MM/yyyy HH:mm:ss");

} // namespace

QString csvField(QString text)
{
    text.replace(u'\n', u' ').replace(u'\r', u' ');
    if (!text.contains(u';') && !text.contains(u'"'))
        return text;
    return u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

Journal::Journal(const QString& settingsPath)
    : m_path(besideSettings(settingsPath, QStringLiteral("Calvorigne-journal.csv")))
{
}

bool Journal::append(const JournalEntry& e, QString* failure) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        if (failure)
            *failure = lastFailure();
        return false;
    }
    const bool fresh = file.size() == 0;
    // A last line without its end (a hand edit, a cut write) must not swallow this record.
    bool unended = false;
    if (!fresh && file.seek(file.size() - 1))
        unended = file.read(1) != "\n";
    QStringList pages;
    for (const int count : e.passPages)
        pages << QString::number(count);
    const QStringList fields = {e.when.toString(dateForm), e.kind, e.output, e.first, e.last, e.booklets,
                                e.folios, e.rows, pages.join(QStringLiteral(" + ")), e.outcome};
    // Only a run with a ticket model of its own says it, so older journals keep their shape.
    QStringList all = fields;
    if (!e.model.isEmpty())
        all << e.model;
    QStringList quoted;
    for (const QString& f : all)
        quoted << csvField(f);
    QByteArray bytes = unended ? "\r\n" : "";
    // The mark tells Excel on Windows that the file is UTF-8; a journal that has none keeps none.
    if (fresh)
        bytes = "\xEF\xBB\xBF" + header.join(u';').toUtf8() + "\r\n";
    bytes += quoted.join(u';').toUtf8() + "\r\n";
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written && failure)
        *failure = lastFailure();
    return written;
}

namespace {

// Whole numbers as the journal writes them: digits, with a minus sign at most.
std::optional<double> journalNumber(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    double value = 0;
    for (qsizetype k = text.front() == '-' ? 1 : 0; k < text.size(); ++k) {
        if (text[k] < '0' || text[k] > '9')
            return std::nullopt;
        value = value * 10 + (text[k] - '0');
    }
    return text.front() == '-' ? -value : value;
}

bool isJournalDate(QByteArrayView text)
{
    static const QByteArrayView form("00/00/0000 00:00:00");
    if (text.size() != form.size())
        return false;
    for (qsizetype k = 0; k < text.size(); ++k)
        if (form[k] == '0' ? (text[k] < '0' || text[k] > '9') : text[k] != form[k])
            return false;
    return true;
}

} // namespace

PrintedRuns Journal::printedRuns() const
{
    PrintedRuns printed;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        printed.unreadable = file.exists();
        return printed;
    }
    // Mapped rather than copied: a journal of years need not be held twice.
    const qint64 size = file.size();
    const uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    const QByteArray bytes = mapped ? QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), qsizetype(size))
                                    : file.readAll();
    static const QByteArray complete = QStringLiteral("terminé").toUtf8(), handed = QStringLiteral("envoyé, non suivi").toUtf8(),
                            failed = QStringLiteral("échec").toUtf8(), stopped = QStringLiteral("arrêté").toUtf8(),
                            maybe = QStringLiteral("peut-être").toUtf8();
    // Split by hand, without a string a line: a journal of years is read in a blink.
    std::vector<QByteArrayView> fields;
    bool header = true;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line(bytes.constData() + start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (std::exchange(header, false) || line.trimmed().isEmpty())
            continue;
        fields.clear();
        bool quoted = false;
        qsizetype from = 0;
        for (qsizetype k = 0; k <= line.size(); ++k) {
            if (k == line.size() || (line[k] == ';' && !quoted)) {
                fields.push_back(line.sliced(from, k - from));
                from = k + 1;
            } else if (line[k] == '"')
                quoted = !quoted;
        }
        const auto first = fields.size() >= 10 ? journalNumber(fields[3]) : std::nullopt;
        const auto last = fields.size() >= 10 ? journalNumber(fields[4]) : std::nullopt;
        if (!first || !last || !isJournalDate(fields[0])) {
            ++printed.skipped;
            continue;
        }
        const QByteArrayView outcome = fields[9];
        const bool ended = outcome.startsWith(failed) || outcome.startsWith(stopped);
        if (!ended && outcome != complete && outcome != handed) {
            ++printed.skipped;
            continue;
        }
        // A run that did not end counts when some of it may be on paper.
        const bool counts = !ended || outcome.indexOf(maybe) >= 0;
        if (counts && fields[1] == "tirage" && *last >= *first)
            printed.runs.push_back({*first, *last, QString::fromLatin1(fields[0]), QString::fromUtf8(outcome)});
    }
    return printed;
}

const PrintedRun* PrintedRuns::lastComplete() const
{
    for (auto run = runs.rbegin(); run != runs.rend(); ++run)
        if (run->outcome == u"terminé")
            return &*run;
    return nullptr;
}

double PrintedRuns::highest() const
{
    double highest = 0;
    for (const PrintedRun& run : runs)
        highest = std::max(highest, run.last);
    return highest;
}

QString Overlap::sentence() const
{
    const auto number = [](double n) { return padNumber(n, QStringLiteral("0000")); };
    const QString when = latest.when.left(16).replace(u' ', QStringLiteral(" à "));
    // A run that did not end is named by what it printed, not by its cause.
    const QString how = QStringLiteral("tirage %1").arg(latest.outcome.section(QStringLiteral(" : "), 0, 0));
    const bool sure = latest.outcome == u"terminé" || latest.outcome == u"envoyé, non suivi";
    const QString already = sure ? QStringLiteral("déjà") : QStringLiteral("peut-être déjà");
    const QString range = from == to ? QStringLiteral("Le numéro %1 a %2 été imprimé").arg(number(from), already)
                                     : QStringLiteral("Les numéros %1 à %2 ont %3 été imprimés").arg(number(from), number(to), already);
    return runs == 1 ? QStringLiteral("%1 le %2 (%3).").arg(range, when, how)
                     : QStringLiteral("%1 par %2 tirages, le dernier le %3 (%4).").arg(range).arg(runs).arg(when, how);
}

std::optional<Overlap> overlapWith(const PrintedRuns& printed, double first, double last)
{
    std::optional<Overlap> overlap;
    for (const PrintedRun& run : printed.runs) {
        const double from = std::max(first, run.first), to = std::min(last, run.last);
        if (from > to)
            continue;
        if (!overlap)
            overlap = Overlap{from, to, 0, run};
        overlap->from = std::min(overlap->from, from);
        overlap->to = std::max(overlap->to, to);
        overlap->latest = run;
        ++overlap->runs;
    }
    return overlap;
}

} // namespace calvorigne

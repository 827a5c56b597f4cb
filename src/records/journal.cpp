#include "journal.h"

#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <optional>

namespace calvorigne {

namespace {

const QStringList header = {"Date", "Type", "Imprimante ou fichiers", "Premier numéro", "Dernier numéro", "Carnets",
                            "Folios", "Numéros par page", "Pages par passage", "Résultat", "Billet"};
const QString dateForm = QStringLiteral("dd/MM/yyyy HH:mm:ss");
// How a run that did not end is written, besides the outcomes of one that did.
constexpr const char16_t* endings[] = {u"échec", u"arrêté", u"interrompu"};
// The kinds of sheets that teach the program about a printer: they carry no ticket number.
constexpr const char16_t* plainPaperKinds[] = {u"essai de retournement", u"feuille de réglage"};

} // namespace

QString csvField(QString text)
{
    text.replace(u'\n', u' ').replace(u'\r', u' ');
    if (!text.contains(u';') && !text.contains(u'"'))
        return text;
    return u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QByteArray csvLine(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted << csvField(field);
    return quoted.join(u';').toUtf8() + "\r\n";
}

QByteArray csvHead(const QStringList& headings)
{
    return "\xEF\xBB\xBF" + csvLine(headings);
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
    const QStringList fields = {e.when.toString(dateForm), e.kind, e.output, e.first, e.last, e.booklets,
                                e.folios, e.rows, e.passPagesText(), e.outcome};
    // Only a run with a ticket model of its own says it, so older journals keep their shape.
    QStringList all = fields;
    if (!e.model.isEmpty())
        all << e.model;
    QByteArray bytes = unended ? "\r\n" : "";
    // The mark tells Excel on Windows that the file is UTF-8; a journal that has none keeps none.
    if (fresh)
        bytes = "\xEF\xBB\xBF" + header.join(u';').toUtf8() + "\r\n";
    bytes += csvLine(all);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written && failure)
        *failure = lastFailure();
    return written;
}

namespace {

// Windows-1252's letters where Latin-1 has control codes: what a French spreadsheet writes for
// €, œ, ’, « … ». Undefined codes stay as Latin-1 reads them.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// One line as a spreadsheet left it: a journal saved once in Windows-1252 goes on in UTF-8 with
// the program's next lines, so each line is read in the encoding it was written in.
QString decodeLine(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    text = QString::fromLatin1(bytes);
    for (QChar& c : text)
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0)
            c = QChar(windows1252High[c.unicode() - 0x80]);
    return text;
}

// One line's fields, unquoted, as views: into the line, or, for a field with a doubled quote,
// into its unquoted copy kept in scratch.
void csvLine(QStringView line, std::vector<QStringView>& fields, QStringList& scratch)
{
    fields.clear();
    scratch.clear();
    for (qsizetype k = 0; k <= line.size();) {
        while (k < line.size() && line[k] == u' ')
            ++k;
        qsizetype end = k;
        if (k < line.size() && line[k] == u'"') {
            bool doubled = false;
            for (end = k + 1; (end = line.indexOf(u'"', end)) >= 0 && end + 1 < line.size() && line[end + 1] == u'"'; end += 2)
                doubled = true;
            if (end < 0)
                end = line.size();
            const QStringView inside = line.sliced(k + 1, end - k - 1);
            if (doubled) {
                scratch << inside.toString().replace(QStringLiteral("\"\""), QStringLiteral("\""));
                fields.push_back(scratch.back());
            } else {
                fields.push_back(inside);
            }
        }
        const qsizetype separator = line.indexOf(u';', end);
        if (end == k)
            fields.push_back(line.sliced(k, (separator < 0 ? line.size() : separator) - k).trimmed());
        if (separator < 0)
            break;
        k = separator + 1;
    }
}

// The first groups of digits of a text: "06/12/2026 14:02" gives 6, 12, 2026, 14, 2.
struct DigitGroups {
    int values[8] = {};
    int count = 0;
};
DigitGroups digitGroups(QStringView text)
{
    DigitGroups groups;
    bool inGroup = false;
    for (const QChar c : text) {
        if (!c.isDigit()) {
            inGroup = false;
            continue;
        }
        if (!inGroup && groups.count == int(std::size(groups.values)))
            break;
        int& value = groups.values[inGroup ? groups.count - 1 : groups.count++];
        value = value * 10 + c.digitValue();
        inGroup = value < 100000;
    }
    return groups;
}

// Day first as the program writes it, or year first as some spreadsheets rewrite it; seconds
// may be gone. A wall-clock time, as written: no zone is looked up for it.
QDateTime journalDate(QStringView text)
{
    const DigitGroups groups = digitGroups(text);
    const int* g = groups.values;
    if (groups.count != 5 && groups.count != 6)
        return {};
    const bool yearFirst = text.size() > 4 && text[4] == u'-';
    int year = yearFirst ? g[0] : g[2];
    if (year < 100)
        year += 2000;
    const QDate date(year, g[1], yearFirst ? g[2] : g[0]);
    const QTime time(g[3], g[4], g[5]);
    return date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
}

// A whole number, with or without its leading zeros; nothing when the field is not one.
std::optional<qint64> journalNumber(QStringView text)
{
    const bool negative = text.startsWith(u'-');
    const QStringView digits = text.sliced(negative ? 1 : 0);
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return negative ? -value : value;
}

} // namespace

bool printedWhole(const QString& outcome)
{
    return outcome == u"terminé" || outcome == u"envoyé, non suivi";
}

bool stillPrinting(const QString& outcome)
{
    return outcome.startsWith(QStringLiteral("en cours"));
}

bool JournalEntry::knownOutcome() const
{
    return printedWhole(outcome) || stillPrinting(outcome)
           || std::any_of(std::begin(endings), std::end(endings), [&](const char16_t* e) { return outcome.startsWith(e); });
}

bool JournalEntry::numbersOnPaper() const
{
    return outcomeOnPaper() && !stretches().empty();
}

bool JournalEntry::outcomeOnPaper() const
{
    // A run that did not end counts when some of it may be on paper; one the program's end cut
    // short counts as well, since a pass of it reached the print system.
    return knownOutcome()
           && (printedWhole(outcome) || stillPrinting(outcome) || outcome.startsWith(QStringLiteral("interrompu"))
               || outcome.contains(QStringLiteral("peut-être")));
}

std::vector<std::pair<qint64, qint64>> JournalEntry::stretches() const
{
    // Most runs have one stretch: read without splitting.
    if (!first.contains(u',') && !last.contains(u',')) {
        const auto low = journalNumber(QStringView(first).trimmed()), high = journalNumber(QStringView(last).trimmed());
        if (!low || !high)
            return {};
        return {std::minmax(*low, *high)};
    }
    const QStringList firsts = first.split(u',', Qt::SkipEmptyParts), lasts = last.split(u',', Qt::SkipEmptyParts);
    std::vector<std::pair<qint64, qint64>> found;
    if (firsts.size() != lasts.size())
        return found;
    for (qsizetype k = 0; k < firsts.size(); ++k) {
        const auto low = journalNumber(QStringView(firsts[k]).trimmed()), high = journalNumber(QStringView(lasts[k]).trimmed());
        if (!low || !high)
            return {};
        found.push_back(std::minmax(*low, *high));
    }
    return found;
}

QString JournalEntry::passPagesText() const
{
    QString pages;
    for (const int count : passPages)
        pages += (pages.isEmpty() ? QString() : QStringLiteral(" + ")) + QString::number(count);
    return pages;
}

JournalReading readJournal(const QString& path, const std::function<bool(const JournalEntry&)>& take)
{
    JournalReading reading;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reading.failed = file.exists();
        return reading;
    }
    const QByteArray bytes = file.readAll();
    struct Line {
        QStringView text;
        int number; // from 1, as an editor counts them
    };
    // Most journals are UTF-8 throughout and are decoded at once; one that is not is decoded
    // line by line.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString whole = utf8.decode(bytes);
    const bool mixed = utf8.hasError();
    std::vector<QString> decoded;
    std::vector<Line> lines;
    int number = 0;
    for (qsizetype start = 0, end = 0; start < bytes.size(); start = end + 1) {
        end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        decoded.push_back(mixed ? decodeLine(QByteArrayView(bytes).sliced(start, end - start)) : QString());
    }
    qsizetype at = 0;
    for (const QString& one : decoded) {
        ++number;
        QStringView text = one;
        if (!mixed) {
            const qsizetype end = whole.indexOf(u'\n', at);
            text = QStringView(whole).sliced(at, (end < 0 ? whole.size() : end) - at);
            at = end + 1;
        }
        // A mark where a file was joined to another.
        if (text.startsWith(QChar(0xFEFF)))
            text = text.sliced(1);
        if (!text.trimmed().isEmpty())
            lines.push_back({text, number});
    }

    // Columns are found by their heading, wherever a sort left it, so that an added column
    // moves nothing; a journal without one has the program's own order. Every header line is
    // skipped: an older program's, and one a merged file repeats.
    std::vector<QStringView> fields;
    QStringList scratch, headings = header;
    const auto isHeader = [&] {
        return std::find(fields.begin(), fields.end(), header[0]) != fields.end()
               && std::find(fields.begin(), fields.end(), header[3]) != fields.end();
    };
    bool headed = false;
    for (const Line& line : lines) {
        if (!line.text.contains(header[3]))
            continue;
        csvLine(line.text, fields, scratch);
        if (isHeader() && (!headed || qsizetype(fields.size()) > headings.size())) {
            headed = true;
            headings.clear();
            for (const QStringView heading : fields)
                headings << heading.toString();
        }
    }
    std::array<qsizetype, 11> column;
    for (int k = 0; k < 11; ++k)
        column[k] = headings.indexOf(header[k]);
    const auto field = [&](int k) { return column[k] >= 0 && column[k] < qsizetype(fields.size()) ? fields[column[k]] : QStringView(); };

    for (const Line& line : lines) {
        csvLine(line.text, fields, scratch);
        JournalEntry e;
        e.when = journalDate(field(0));
        if (!e.when.isValid() && isHeader())
            continue;
        e.first = field(3).toString();
        e.last = field(4).toString();
        e.outcome = field(9).toString();
        e.kind = field(1).toString();
        const bool plainPaper = e.first.isEmpty() && e.last.isEmpty()
                                && std::any_of(std::begin(plainPaperKinds), std::end(plainPaperKinds),
                                               [&](const char16_t* kind) { return e.kind == kind; });
        if (!e.when.isValid() || e.kind.isEmpty() || !e.knownOutcome() || (!plainPaper && e.stretches().empty())) {
            ++reading.unreadable;
            reading.unreadableLines << (e.when.isValid() ? e.when.toString(QStringLiteral("dd/MM/yyyy HH:mm"))
                                                          : QStringLiteral("ligne %1").arg(line.number));
            continue;
        }
        e.output = field(2).toString();
        e.booklets = field(5).toString();
        e.folios = field(6).toString();
        e.rows = field(7).toString();
        const DigitGroups passes = digitGroups(field(8));
        e.passPages = QList<int>(passes.values, passes.values + passes.count);
        e.model = field(10).toString();
        ++reading.taken;
        if (!take(e)) {
            reading.stopped = true;
            break;
        }
    }
    return reading;
}

} // namespace calvorigne

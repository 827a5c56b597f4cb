#include "journal.h"

#include "app/settings.h"
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

// A field holding the separator, a quote or a line end is quoted, its quotes doubled.
QString field(QString text)
{
    text.replace(u'\n', u' ');
    if (!text.contains(u';') && !text.contains(u'"'))
        return text;
    return u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

} // namespace

QStringList journalFields(const QString& line)
{
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype k = 0; k < line.size(); ++k) {
        const QChar c = line[k];
        if (quoted && c == u'"' && k + 1 < line.size() && line[k + 1] == u'"')
            fields.last() += line[++k];
        else if (c == u'"')
            quoted = !quoted;
        else if (c == u';' && !quoted)
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
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
        quoted << field(f);
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

std::optional<JournalEntry> Journal::lastRun() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read from the end, a block at a time: a journal of years must not delay the window.
    constexpr qint64 block = 64 * 1024;
    QByteArray carry; // the end of the block read before, back to its first line end
    for (qint64 end = file.size();;) {
        const qint64 start = std::max<qint64>(0, end - block);
        if (!file.seek(start))
            return std::nullopt;
        QByteArray bytes = file.read(end - start);
        if (bytes.size() != end - start)
            return std::nullopt;
        bytes += carry;
        qsizetype to = bytes.size();
        for (qsizetype from; to > 0 && (from = bytes.lastIndexOf('\n', to - 1)) >= 0; to = from)
            if (auto entry = completeRun(bytes.mid(from + 1, to - from - 1)))
                return entry;
        carry = bytes.left(to);
        if (start == 0)
            return completeRun(carry);
        end = start;
    }
}

std::optional<JournalEntry> Journal::completeRun(const QByteArray& line)
{
    // Most lines are told apart without being split into fields.
    if (!line.contains("tirage") || !line.contains("termin"))
        return std::nullopt;
    const QStringList f = journalFields(QString::fromUtf8(line).trimmed());
    if (f.size() < 10 || f[1] != u"tirage" || f[9] != u"terminé")
        return std::nullopt;
    JournalEntry entry;
    entry.when = QDateTime::fromString(f[0], dateForm);
    entry.kind = f[1];
    entry.output = f[2];
    entry.first = f[3];
    entry.last = f[4];
    entry.booklets = f[5];
    entry.folios = f[6];
    entry.rows = f[7];
    entry.outcome = f[9];
    return entry;
}

} // namespace calvorigne

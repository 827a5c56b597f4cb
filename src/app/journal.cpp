#include "journal.h"

#include "app/settings.h"
#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace calvorigne {

namespace {

const QStringList header = {"Date", "Type", "Imprimante ou fichiers", "Premier numéro", "Dernier numéro", "Carnets",
                            "Folios", "Numéros par page", "Pages par passage", "Résultat"};
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
    const bool fresh = !file.exists() || file.size() == 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (failure)
            *failure = lastFailure();
        return false;
    }
    QStringList pages;
    for (const int count : e.passPages)
        pages << QString::number(count);
    const QStringList fields = {e.when.toString(dateForm), e.kind, e.output, e.first, e.last, e.booklets,
                                e.folios, e.rows, pages.join(QStringLiteral(" + ")), e.outcome};
    QStringList quoted;
    for (const QString& f : fields)
        quoted << field(f);
    QByteArray bytes;
    if (fresh)
        bytes = header.join(u';').toUtf8() + "\r\n";
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
    std::optional<JournalEntry> last;
    while (!file.atEnd()) {
        const QStringList f = journalFields(QString::fromUtf8(file.readLine()).trimmed());
        if (f.size() < 10 || f[1] != u"tirage" || f[9] != u"terminé")
            continue;
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
        last = entry;
    }
    return last;
}

} // namespace calvorigne

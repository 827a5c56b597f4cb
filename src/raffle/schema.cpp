#include "schema.h"

#include <QVariant>

namespace calvorigne::raffleschema {

const std::vector<Followed>& followed()
{
    static const std::vector<Followed> tables = {
        {QStringLiteral("raffles"),
         {"uid", "name", "price_cents", "draw_date", "draw_place", "authorisation", "association", "address", "rna", "president",
          "created", "cause", "purpose", "profit_use"}},
        {QStringLiteral("sellers"), {"raffle", "name", "phone", "email", "note"}},
        {QStringLiteral("tickets"),
         {"raffle", "number", "label", "booklet", "run_at", "state", "seller", "handed_on", "returned_on", "buyer_name",
          "buyer_phone"}},
        {QStringLiteral("payments"), {"raffle", "seller", "cents", "method", "cheque", "paid_on"}},
        {QStringLiteral("prizes"), {"raffle", "rank", "description", "donor", "value_cents"}},
        {QStringLiteral("accounts"),
         {"raffle", "prizes_cents", "printing_cents", "paper_cents", "other_cents", "other_label", "result_use"}},
    };
    return tables;
}

int version(QSqlQuery& query)
{
    if (query.exec(QStringLiteral("SELECT version FROM raffle_schema")) && query.next())
        return query.value(0).toInt();
    return 0;
}

namespace {

// The row's values as they stood, by column name.
QString image(const Followed& table)
{
    QStringList pairs;
    for (const QString& column : table.columns)
        pairs << QStringLiteral("'%1', OLD.%1").arg(column);
    return QStringLiteral("json_object(%1)").arg(pairs.join(QStringLiteral(", ")));
}

bool trail(QSqlQuery& query, const Followed& table)
{
    const QString head = QStringLiteral("CREATE TRIGGER %1_%2 AFTER %3 ON %1 WHEN (SELECT id FROM current_operation) IS NOT NULL BEGIN "
                                        "INSERT INTO changes (operation, tbl, row, kind, before) VALUES "
                                        "((SELECT id FROM current_operation), '%1', %4, '%2', %5); END");
    return query.exec(head.arg(table.name, QStringLiteral("insert"), QStringLiteral("INSERT"), QStringLiteral("NEW.id"),
                               QStringLiteral("NULL")))
           && query.exec(head.arg(table.name, QStringLiteral("update"), QStringLiteral("UPDATE"), QStringLiteral("OLD.id"), image(table)))
           && query.exec(head.arg(table.name, QStringLiteral("delete"), QStringLiteral("DELETE"), QStringLiteral("OLD.id"), image(table)));
}

} // namespace

namespace {

bool run(QSqlQuery& query, std::initializer_list<const char*> statements)
{
    for (const char* statement : statements)
        if (!query.exec(QString::fromUtf8(statement)))
            return false;
    return true;
}

// The prizes, and the draws with each result as it is drawn. Once a draw is prepared, its
// raffle's tickets keep their state until the draw is cancelled.
bool addDraws(QSqlQuery& query)
{
    return run(query,
               {"CREATE TABLE prizes (id INTEGER PRIMARY KEY, raffle INTEGER NOT NULL REFERENCES raffles (id), rank INTEGER NOT NULL, "
                "description TEXT NOT NULL, donor TEXT, value_cents INTEGER NOT NULL DEFAULT 0 CHECK (value_cents >= 0))",
                "CREATE INDEX prizes_by_raffle ON prizes (raffle, rank)",
                "CREATE TABLE draws (id INTEGER PRIMARY KEY, raffle INTEGER NOT NULL REFERENCES raffles (id), frozen_at INTEGER NOT NULL, "
                "list TEXT NOT NULL, list_hash TEXT NOT NULL, method TEXT, last_first INTEGER NOT NULL DEFAULT 0, witnesses TEXT, "
                "graine TEXT, ended_at INTEGER, cancelled_at INTEGER)",
                "CREATE TABLE draw_results (id INTEGER PRIMARY KEY, draw INTEGER NOT NULL REFERENCES draws (id), at INTEGER NOT NULL, "
                "prize INTEGER REFERENCES prizes (id), label TEXT NOT NULL, outcome TEXT NOT NULL "
                "CHECK (outcome IN ('gagnant', 'écarté', 'absent')), reason TEXT)",
                "CREATE TRIGGER tickets_frozen BEFORE UPDATE OF state, seller ON tickets WHEN EXISTS (SELECT 1 FROM draws "
                "WHERE raffle = OLD.raffle AND cancelled_at IS NULL) BEGIN SELECT RAISE(ABORT, 'tirage préparé'); END",
                "CREATE TRIGGER tickets_frozen_in BEFORE INSERT ON tickets WHEN EXISTS (SELECT 1 FROM draws "
                "WHERE raffle = NEW.raffle AND cancelled_at IS NULL) BEGIN SELECT RAISE(ABORT, 'tirage préparé'); END",
                "CREATE TRIGGER tickets_frozen_out BEFORE DELETE ON tickets WHEN EXISTS (SELECT 1 FROM draws "
                "WHERE raffle = OLD.raffle AND cancelled_at IS NULL) BEGIN SELECT RAISE(ABORT, 'tirage préparé'); END"})
           && trail(query, followed()[4]);
}

// What the papers for the mayor need of a raffle: its cause, its object and the use of its
// profits; and the costs its account sets against the money.
bool addPapers(QSqlQuery& query)
{
    return run(query,
               {"ALTER TABLE raffles ADD COLUMN cause TEXT", "ALTER TABLE raffles ADD COLUMN purpose TEXT",
                "ALTER TABLE raffles ADD COLUMN profit_use TEXT",
                "CREATE TABLE accounts (id INTEGER PRIMARY KEY, raffle INTEGER NOT NULL UNIQUE REFERENCES raffles (id), "
                "prizes_cents INTEGER NOT NULL DEFAULT 0 CHECK (prizes_cents >= 0), "
                "printing_cents INTEGER NOT NULL DEFAULT 0 CHECK (printing_cents >= 0), "
                "paper_cents INTEGER NOT NULL DEFAULT 0 CHECK (paper_cents >= 0), "
                "other_cents INTEGER NOT NULL DEFAULT 0 CHECK (other_cents >= 0), other_label TEXT, result_use TEXT)",
                // The raffle's trail takes its new columns.
                "DROP TRIGGER IF EXISTS raffles_insert", "DROP TRIGGER IF EXISTS raffles_update", "DROP TRIGGER IF EXISTS raffles_delete",
                "UPDATE raffle_schema SET version = 2"})
           && trail(query, followed()[0]) && trail(query, followed()[5]);
}

} // namespace

bool createOrMigrate(QSqlQuery& query, int version)
{
    if (version == 1)
        return addPapers(query);
    if (version >= 2)
        return true;
    const char* const statements[] = {
        "CREATE TABLE raffle_schema (version INTEGER NOT NULL)",
        "INSERT INTO raffle_schema (version) VALUES (1)",
        "CREATE TABLE raffles (id INTEGER PRIMARY KEY, uid TEXT NOT NULL UNIQUE, name TEXT NOT NULL, "
        "price_cents INTEGER NOT NULL CHECK (price_cents >= 0), draw_date TEXT, draw_place TEXT, authorisation TEXT, "
        "association TEXT, address TEXT, rna TEXT, president TEXT, created INTEGER NOT NULL)",
        "CREATE TABLE sellers (id INTEGER PRIMARY KEY, raffle INTEGER NOT NULL REFERENCES raffles (id), name TEXT NOT NULL, "
        "phone TEXT, email TEXT, note TEXT)",
        // state: en stock, remis (with its seller), vendu, invendu, annulé, perdu.
        "CREATE TABLE tickets (id INTEGER PRIMARY KEY, raffle INTEGER NOT NULL REFERENCES raffles (id), number INTEGER NOT NULL, "
        "label TEXT NOT NULL, booklet INTEGER NOT NULL, run_at INTEGER NOT NULL, state TEXT NOT NULL DEFAULT 'stock' "
        "CHECK (state IN ('stock', 'remis', 'vendu', 'invendu', 'annulé', 'perdu')), seller INTEGER REFERENCES sellers (id), "
        "handed_on TEXT, returned_on TEXT, buyer_name TEXT, buyer_phone TEXT, "
        "CHECK ((state = 'stock') = (seller IS NULL)), UNIQUE (raffle, number))",
        // A run's printing of a number belongs to one raffle.
        "CREATE UNIQUE INDEX tickets_printed ON tickets (run_at, number)",
        "CREATE INDEX tickets_by_booklet ON tickets (raffle, booklet)",
        "CREATE INDEX tickets_by_seller ON tickets (seller, state)",
        "CREATE TABLE payments (id INTEGER PRIMARY KEY, raffle INTEGER NOT NULL REFERENCES raffles (id), "
        "seller INTEGER NOT NULL REFERENCES sellers (id), cents INTEGER NOT NULL CHECK (cents > 0), "
        "method TEXT NOT NULL CHECK (method IN ('espèces', 'chèque', 'virement')), cheque TEXT, paid_on TEXT NOT NULL)",
        "CREATE INDEX payments_by_seller ON payments (seller)",
        "CREATE TABLE operations (id INTEGER PRIMARY KEY, raffle INTEGER, at INTEGER NOT NULL, label TEXT NOT NULL, "
        "seller INTEGER, undone_by INTEGER, undoes INTEGER)",
        "CREATE INDEX operations_by_raffle ON operations (raffle, id)",
        "CREATE TABLE changes (id INTEGER PRIMARY KEY, operation INTEGER NOT NULL REFERENCES operations (id), tbl TEXT NOT NULL, "
        "row INTEGER NOT NULL, kind TEXT NOT NULL, before TEXT)",
        "CREATE INDEX changes_by_row ON changes (tbl, row)",
        "CREATE INDEX changes_by_operation ON changes (operation)",
        // The operation being made, set inside its transaction only.
        "CREATE TABLE current_operation (id INTEGER)",
        "INSERT INTO current_operation (id) VALUES (NULL)",
    };
    for (const char* statement : statements)
        if (!query.exec(QString::fromUtf8(statement)))
            return false;
    for (std::size_t k = 1; k < 4; ++k)
        if (!trail(query, followed()[k]))
            return false;
    return addDraws(query) && addPapers(query);
}

} // namespace calvorigne::raffleschema

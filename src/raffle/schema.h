// The raffle register's tables, in the program's record beside the runs' own, with a version of
// their own: the runs' form and the register's change apart. Every change to a raffle's rows is
// written, by triggers, into changes with the row as it stood before, under the operation the
// user made; that is both the audit trail and what undoes an operation.
#pragma once

#include <QSqlQuery>
#include <QStringList>
#include <vector>

namespace calvorigne::raffleschema {

constexpr int currentVersion = 2;

// A table whose rows the trail follows, and its columns but id.
struct Followed {
    QString name;
    QStringList columns;
};
const std::vector<Followed>& followed();

// The register's version in this record: 0 when it has none yet.
int version(QSqlQuery& query);
// Makes the tables, or brings older ones to the current form; inside the caller's transaction.
bool createOrMigrate(QSqlQuery& query, int version);

} // namespace calvorigne::raffleschema

// The raffle register: the raffles, their sellers, which booklet each holds, which tickets are
// sold, and the money. It lives in the program's record, opened through a connection of its
// own; every user action is one transaction, written with the rows it replaced, so that a
// program killed at any moment leaves each action whole or absent, and the last one can be
// undone. Each opening copies the record whole into « Sauvegardes » beside it.
#pragma once

#include "raffle/types.h"

#include <QDate>
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSqlQuery;

namespace calvorigne {

class RaffleRegister {
public:
    // recordPath: the program's record. backups: how many copies to keep; 0 makes none.
    explicit RaffleRegister(const QString& recordPath, int backups = 10);
    ~RaffleRegister();
    RaffleRegister(const RaffleRegister&) = delete;
    RaffleRegister& operator=(const RaffleRegister&) = delete;

    QString path() const { return m_path; }
    bool usable() const { return m_usable; }
    // What the user is told once of opening it; empty when there is nothing to say.
    QString notice() const { return m_notice; }
    // Copies the record into « Sauvegardes » beside it, keeping the last few: called at each
    // opening, once the window shows. Why it failed; empty when it did not.
    QString backUp() const;
    // How long an action waits for a record another program holds, in milliseconds.
    void setPatience(int milliseconds);

    // False when another window of Calvorigne has the register: this one only shows it.
    bool writable() const { return m_lock && m_lock->isLocked(); }

    std::vector<Raffle> raffles() const;
    std::optional<Raffle> raffle(qint64 id) const;
    // Adds the raffle, or changes it; its id is set on creation. A price changed after sales
    // have started asks first: priceQuestion() says what changes.
    Result saveRaffle(Raffle& raffle, bool priceConfirmed = false);
    QString priceQuestion(const Raffle& raffle) const;
    // The costs typed for the raffle's account; none yet, all zero.
    Account account(qint64 raffle) const;
    Result saveAccount(qint64 raffle, const Account& account);
    // The runs on paper whose tickets may join a raffle, newest first.
    std::vector<PrintedRunChoice> printedRuns() const;
    // The run that printed the raffle's first ticket, as the record keeps it.
    std::optional<PrintedRunChoice> firstRun(qint64 raffle) const;
    // Adds a run's numbers, all or those typed, with their booklets.
    Result addRun(qint64 raffle, const RunTickets& run, const QString& typed = {});

    std::vector<Seller> sellers(qint64 raffle) const;
    Result saveSeller(qint64 raffle, Seller& seller);
    Result deleteSeller(qint64 raffle, qint64 seller);

    // « Remettre des carnets »: booklets or tickets, typed as the booklet list numbers them.
    Result handOut(qint64 raffle, qint64 seller, const QDate& on, const QString& typed, Unit unit);
    // « Retour de carnets ».
    Result giveBack(qint64 raffle, const Return& back);
    Result receive(qint64 raffle, qint64 seller, const Payment& payment);
    // The buyer written on a sold ticket's stub.
    Result setBuyer(qint64 raffle, const QString& number, const QString& name, const QString& phone);
    // Removes every buyer's name and phone from the raffle, its trail and its backups.
    Result eraseBuyers(qint64 raffle);

    // The last operation that can be undone, as the user knows it; empty when none.
    QString lastOperation(qint64 raffle) const;
    Result undo(qint64 raffle);

    // Reading the raffle as it stands.
    std::vector<Ticket> tickets(qint64 raffle) const;
    // The tickets an operation changed, as they stand now: a hand-out's, for its receipt.
    std::vector<Ticket> ticketsOf(qint64 operation) const;
    std::vector<Balance> balances(qint64 raffle) const;
    std::vector<PaymentLine> payments(qint64 raffle, qint64 seller = 0) const;
    // What happened to a ticket, a booklet or a seller, oldest first.
    std::vector<HistoryLine> history(qint64 raffle, Subject subject, qint64 key) const;

    // Why the query could not write, in the user's words: the record held by another program,
    // or the cause; nothing was changed.
    QString writeFailure(const QSqlQuery& query) const;
    // For the transfer between records and what is printed: the connection's name.
    QString connection() const { return m_connection; }
    // Runs work as one action: begins it, gives it a label, commits or rolls back whole.
    // work returns the refusal, empty when done.
    Result act(qint64 raffle, const QString& label, qint64 seller, const std::function<QString(QSqlQuery&)>& work,
               bool followed = true);

private:
    void open();
    void say(const QString& text);
    QString restore(QSqlQuery& query, qint64 operation) const;
    std::vector<Ticket> readTickets(const QString& which, qint64 key) const;

    QString m_path;
    QString m_connection;
    int m_backups;
    bool m_usable = false;
    QString m_notice;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace calvorigne

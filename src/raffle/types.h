// What the raffle register holds and says, as plain values.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <vector>

namespace calvorigne {

struct Raffle {
    qint64 id = 0;
    QString uid; // the same on every computer the raffle passes to
    QString name;
    qint64 priceCents = 0;
    QDate drawDate;
    QString drawPlace, authorisation;
    QString association, address, rna, president;
    // For the mayor: the cause the law names, what the raffle is for, where its profits go.
    QString cause, purpose, profitUse;
};

// The raffle's costs, typed for its account, and what its result went to.
struct Account {
    qint64 prizesCents = 0, printingCents = 0, paperCents = 0, otherCents = 0;
    QString otherLabel, resultUse;
    qint64 costsCents() const { return prizesCents + printingCents + paperCents + otherCents; }
};

struct Seller {
    qint64 id = 0;
    QString name, phone, email, note;
};

// The numbers a run printed, by booklet as its booklet list numbers them.
struct RunTickets {
    QDateTime at;            // when the run was printed: with the number, what a printing is known by
    QString prefix;          // the numbers as printed: the prefix, then at least digits digits
    int digits = 4;
    struct Booklet {
        int number = 0;
        qint64 first = 0, last = 0;
    };
    std::vector<Booklet> booklets;

    QString label(qint64 number) const { return prefix + QStringLiteral("%1").arg(number, digits, 10, QChar(u'0')); }
};

// A run in the record whose tickets can join a raffle.
struct PrintedRunChoice {
    QDateTime at;
    qint64 first = 0, last = 0;
    QString layout; // its parameters, as the record keeps them
};

enum class Unit { Booklets, Tickets };

// A return: the booklets or tickets brought back, and what became of them. The tickets not
// typed among the unsold or the spoiled are all sold, all unsold, or lost, as outcome says.
struct Return {
    enum class Outcome { Sold, Unsold, Lost };
    QString typed;
    Unit unit = Unit::Booklets;
    Outcome outcome = Outcome::Sold;
    QString unsold, spoiled;
    QDate on;
};

struct Payment {
    QString amount; // as typed
    QString method; // espèces, chèque, virement
    QString cheque; // the cheque's number
    QDate on;
};

// What an action came to: done, or refused with its words, having changed nothing.
struct Result {
    QString refusal;
    qint64 operation = 0; // the operation written, when done
    QString note = {};    // what is still to say of an action done
    explicit operator bool() const { return refusal.isEmpty(); }
};

struct Ticket {
    qint64 number = 0;
    QString label, state, seller, buyerName, buyerPhone;
    int booklet = 0;
    QDate handedOn, returnedOn;
};

// Handed out = sold + unsold + spoiled + lost + still out.
struct Balance {
    qint64 seller = 0; // 0 for the raffle's total
    QString name;
    qint64 handedOut = 0, sold = 0, unsold = 0, spoiled = 0, lost = 0, out = 0;
    qint64 stock = 0; // for the total: the raffle's tickets not handed out
    qint64 dueCents = 0, receivedCents = 0;
    qint64 differenceCents() const { return receivedCents - dueCents; }
};

struct PaymentLine {
    QString seller;
    qint64 cents = 0;
    QString method, cheque;
    QDate on;
};

enum class Subject { Ticket, Booklet, Seller };

struct HistoryLine {
    QDateTime at;
    QString label;
    bool undone = false;
};

} // namespace calvorigne

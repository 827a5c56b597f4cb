// « Suivi de la tombola »: the raffle after printing. Which seller holds which booklet, which
// tickets are sold, and the money, with the forms that change them. The register does the work;
// this window shows it and asks.
#pragma once

#include "platform/dialogs.h"
#include "raffle/register.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <set>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace calvorigne {

class DrawWindow;
class Rows;

class RaffleWindow : public QMainWindow {
    Q_OBJECT
public:
    // ticketsOf: a printed run's booklets, from the parameters the record kept; nothing when they
    // cannot be had again.
    using TicketsOf = std::function<std::optional<RunTickets>(const PrintedRunChoice&)>;
    // The window keeps the register open, and one window only writes it, while it lives.
    RaffleWindow(std::unique_ptr<RaffleRegister> reg, Dialogs& dialogs, TicketsOf ticketsOf, QWidget* parent = nullptr);
    RaffleRegister& raffleRegister() { return m_reg; }

    qint64 raffle() const { return m_raffle; }
    void chooseRaffle(qint64 id);
    enum Filter { All, StillOut, NotPaid, Lost };
    void setFilter(Filter filter);
    // Reads the register again and shows it.
    void refresh();

    // The forms, opened as the buttons open them.
    void newRaffle();
    void editRaffle();
    void addTickets();
    void newSeller();
    void editSeller();
    void removeSeller();
    void handOut();
    void giveBack();
    void receive();
    void buyer();
    void undo();
    // Exports and printouts.
    void exportCsv();
    void printSummary();
    void exportRaffle();
    void importRaffle();
    void eraseBuyers();
    // The papers for the mayor and the association.
    void writeMayorFile();
    void writeSampleTicket();
    void writeRules();
    void writeAccount();
    // Writes the sample ticket of a run to a PDF: why not, empty when written.
    using SampleTicketOf = std::function<QString(const PrintedRunChoice& run, const QString& path)>;
    void setSampleTicket(SampleTicketOf sample) { m_sampleTicketOf = std::move(sample); }
    // « Tirage… »: the prizes and the draw of the raffle shown.
    DrawWindow* showDraw();
    // What happened to the subject of the row, as a double-click shows it.
    void showHistory(int tab, int row);

private:
    void build();
    void fillTab(int tab);
    void raffleForm(const Raffle& start, const QString& title);
    QTableView* table(Rows* rows);
    qint64 selectedSeller() const;
    void printHtml(const QString& html, const QString& title);
    void printReceipt(const Result& handedOut, qint64 seller, const QDate& on);
    bool needsRaffle();

    std::unique_ptr<RaffleRegister> m_owned;
    RaffleRegister& m_reg;
    Dialogs& m_dialogs;
    TicketsOf m_ticketsOf;
    SampleTicketOf m_sampleTicketOf;
    qint64 m_raffle = 0;
    Filter m_filter = All;
    QComboBox* m_raffles = nullptr;
    QComboBox* m_filters = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_money = nullptr;
    QTabWidget* m_tabs = nullptr;
    Rows* m_sellers = nullptr;
    Rows* m_booklets = nullptr;
    Rows* m_tickets = nullptr;
    QList<QWidget*> m_writers; // what changes the register
    QPushButton* m_undo = nullptr;
    QPointer<DrawWindow> m_draw;
    std::set<QString> m_owing;        // sellers whose money is short
    std::array<bool, 3> m_stale = {}; // tabs to fill when shown
};

} // namespace calvorigne

#include "rafflewindow.h"

#include "raffle/exports.h"
#include "raffle/money.h"
#include "ui/raffle/drawwindow.h"
#include "ui/raffle/rows.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <set>

namespace calvorigne {

namespace {

const QColor owes(0xB0, 0x00, 0x20);  // money missing, tickets lost
const QColor over(0x00, 0x55, 0xB0);  // more money than due
const QColor away(0x8A, 0x5A, 0x00);  // still with a seller

QString number(qint64 n)
{
    return QLocale(QLocale::French).toString(n);
}

// « 1 vendu », « 0 vendu », « 12 vendus ».
QString counted(qint64 n, const QString& word)
{
    return QStringLiteral("%1 %2%3").arg(number(n), word, n > 1 ? QStringLiteral("s") : QString());
}

QString difference(qint64 cents)
{
    return cents > 0 ? u'+' + moneyText(cents) : moneyText(cents);
}

} // namespace

RaffleWindow::RaffleWindow(std::unique_ptr<RaffleRegister> reg, Dialogs& dialogs, TicketsOf ticketsOf, QWidget* parent)
    : QMainWindow(parent), m_owned(std::move(reg)), m_reg(*m_owned), m_dialogs(dialogs), m_ticketsOf(std::move(ticketsOf))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("Suivi de la tombola"));
    setObjectName(QStringLiteral("Suivi de la tombola"));
    build();
    const std::vector<Raffle> raffles = m_reg.raffles();
    chooseRaffle(raffles.empty() ? 0 : raffles.front().id);
}

QTableView* RaffleWindow::table(Rows* rows)
{
    auto* view = new QTableView;
    view->setModel(rows);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setDefaultSectionSize(110);
    view->setAlternatingRowColors(true);
    connect(view, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { showHistory(m_tabs->currentIndex(), index.row()); });
    return view;
}

void RaffleWindow::build()
{
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    const auto button = [this](QHBoxLayout* row, const QString& text, void (RaffleWindow::*slot)(), bool writes = true) {
        auto* b = new QPushButton(text);
        connect(b, &QPushButton::clicked, this, slot);
        row->addWidget(b);
        if (writes)
            m_writers << b;
        return b;
    };
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Tombola :")));
    m_raffles = new QComboBox;
    m_raffles->setMinimumWidth(260);
    connect(m_raffles, &QComboBox::activated, this, [this](int index) { chooseRaffle(m_raffles->itemData(index).toLongLong()); });
    top->addWidget(m_raffles, 1);
    button(top, QStringLiteral("Nouvelle tombola…"), &RaffleWindow::newRaffle);
    button(top, QStringLiteral("Modifier…"), &RaffleWindow::editRaffle);
    button(top, QStringLiteral("Ajouter des billets…"), &RaffleWindow::addTickets);
    auto* draw = new QPushButton(QStringLiteral("Tirage…"));
    connect(draw, &QPushButton::clicked, this, &RaffleWindow::showDraw);
    top->addWidget(draw);
    auto* papers = new QPushButton(QStringLiteral("Documents"));
    auto* menu = new QMenu(papers);
    menu->addAction(QStringLiteral("Dossier pour la mairie…"), this, &RaffleWindow::writeMayorFile);
    menu->addAction(QStringLiteral("Billet spécimen…"), this, &RaffleWindow::writeSampleTicket);
    menu->addAction(QStringLiteral("Règlement de la tombola…"), this, &RaffleWindow::writeRules);
    menu->addAction(QStringLiteral("Compte rendu financier…"), this, &RaffleWindow::writeAccount);
    papers->setMenu(menu);
    top->addWidget(papers);
    layout->addLayout(top);

    auto* acts = new QHBoxLayout;
    button(acts, QStringLiteral("Remettre des carnets…"), &RaffleWindow::handOut);
    button(acts, QStringLiteral("Retour de carnets…"), &RaffleWindow::giveBack);
    button(acts, QStringLiteral("Paiement reçu…"), &RaffleWindow::receive);
    button(acts, QStringLiteral("Acheteur d'un billet…"), &RaffleWindow::buyer);
    acts->addStretch();
    m_undo = button(acts, QStringLiteral("Annuler la dernière opération"), &RaffleWindow::undo);
    layout->addLayout(acts);

    m_summary = new QLabel;
    m_money = new QLabel;
    for (QLabel* label : {m_summary, m_money}) {
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 1.15);
        label->setFont(font);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("Montrer :")));
    m_filters = new QComboBox;
    m_filters->addItems({QStringLiteral("tout"), QStringLiteral("encore chez les vendeurs"), QStringLiteral("pas encore payé"),
                         QStringLiteral("perdus")});
    connect(m_filters, &QComboBox::activated, this, [this](int index) { setFilter(Filter(index)); });
    filterRow->addWidget(m_filters);
    filterRow->addStretch();
    button(filterRow, QStringLiteral("Nouveau vendeur…"), &RaffleWindow::newSeller);
    button(filterRow, QStringLiteral("Modifier le vendeur…"), &RaffleWindow::editSeller);
    button(filterRow, QStringLiteral("Retirer le vendeur"), &RaffleWindow::removeSeller);
    layout->addLayout(filterRow);

    m_sellers = new Rows({QStringLiteral("Vendeur"), QStringLiteral("Remis"), QStringLiteral("Vendus"), QStringLiteral("Invendus"),
                          QStringLiteral("Annulés"), QStringLiteral("Perdus"), QStringLiteral("Encore dehors"), QStringLiteral("Dû"),
                          QStringLiteral("Reçu"), QStringLiteral("Écart")},
                         this);
    m_booklets = new Rows({QStringLiteral("Carnet"), QStringLiteral("Billets"), QStringLiteral("Vendeur"), QStringLiteral("Remis le"),
                           QStringLiteral("Où il en est")},
                          this);
    m_tickets = new Rows({QStringLiteral("Billet"), QStringLiteral("Carnet"), QStringLiteral("État"), QStringLiteral("Vendeur"),
                          QStringLiteral("Remis le"), QStringLiteral("Rendu le"), QStringLiteral("Acheteur")},
                         this);
    m_tabs = new QTabWidget;
    QTableView* sellers = table(m_sellers);
    // The names take the room the figures leave.
    sellers->horizontalHeader()->setStretchLastSection(false);
    sellers->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    sellers->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tabs->addTab(sellers, QStringLiteral("Vendeurs"));
    m_tabs->addTab(table(m_booklets), QStringLiteral("Carnets"));
    m_tabs->addTab(table(m_tickets), QStringLiteral("Billets"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &RaffleWindow::fillTab);
    layout->addWidget(m_tabs, 1);

    auto* bottom = new QHBoxLayout;
    button(bottom, QStringLiteral("Exporter en CSV…"), &RaffleWindow::exportCsv, false);
    button(bottom, QStringLiteral("Imprimer le récapitulatif…"), &RaffleWindow::printSummary, false);
    bottom->addStretch();
    button(bottom, QStringLiteral("Exporter la tombola…"), &RaffleWindow::exportRaffle, false);
    button(bottom, QStringLiteral("Importer…"), &RaffleWindow::importRaffle);
    button(bottom, QStringLiteral("Effacer les coordonnées des acheteurs…"), &RaffleWindow::eraseBuyers);
    layout->addLayout(bottom);
    setCentralWidget(central);
    resize(980, 620);
    for (QWidget* writer : std::as_const(m_writers))
        writer->setEnabled(m_reg.writable());
}

void RaffleWindow::chooseRaffle(qint64 id)
{
    m_raffle = id;
    const QSignalBlocker still(m_raffles);
    m_raffles->clear();
    for (const Raffle& r : m_reg.raffles()) {
        m_raffles->addItem(r.name, r.id);
        if (r.id == id)
            m_raffles->setCurrentIndex(m_raffles->count() - 1);
    }
    refresh();
}

void RaffleWindow::setFilter(Filter filter)
{
    m_filter = filter;
    m_filters->setCurrentIndex(int(filter));
    refresh();
}

void RaffleWindow::refresh()
{
    const std::vector<Balance> balances = m_reg.balances(m_raffle);
    m_owing.clear();
    std::vector<Rows::Row> sellers;
    for (const Balance& b : balances) {
        if (b.differenceCents() < 0 && b.seller)
            m_owing.insert(b.name);
        const bool shown = !b.seller || m_filter == All || (m_filter == StillOut && b.out > 0)
                           || (m_filter == NotPaid && b.differenceCents() < 0) || (m_filter == Lost && b.lost > 0);
        if (!shown)
            continue;
        QStringList cells{b.name};
        for (const qint64 n : {b.handedOut, b.sold, b.unsold, b.spoiled, b.lost, b.out})
            cells << number(n);
        cells << moneyText(b.dueCents) << moneyText(b.receivedCents) << difference(b.differenceCents());
        sellers.push_back({cells, b.seller, b.differenceCents() < 0 ? owes : b.differenceCents() > 0 ? over : QColor(), 9});
    }
    m_sellers->setRows(std::move(sellers));
    // A whole raffle's booklets and tickets are read when their tab is shown.
    m_stale = {false, true, true};
    fillTab(m_tabs->currentIndex());

    const Balance total = balances.empty() ? Balance{} : balances.back();
    m_summary->setText(m_raffle == 0 ? QStringLiteral("Aucune tombola : commencez par « Nouvelle tombola… ».")
                                     : QStringLiteral("%1 billets, dont %2 en réserve. Remis : %3 = %4 + %5 + %6 + %7 + %8 encore "
                                                      "chez les vendeurs.")
                                           .arg(number(total.stock + total.handedOut), number(total.stock), number(total.handedOut),
                                                counted(total.sold, QStringLiteral("vendu")), counted(total.unsold, QStringLiteral("invendu")),
                                                counted(total.spoiled, QStringLiteral("annulé")), counted(total.lost, QStringLiteral("perdu")),
                                                number(total.out)));
    const qint64 gap = total.differenceCents();
    m_money->setText(m_raffle == 0 ? QString()
                                   : QStringLiteral("Argent dû : %1 · reçu : %2 · écart : <span style=\"color:%4\"><b>%3</b></span>")
                                         .arg(moneyText(total.dueCents), moneyText(total.receivedCents), difference(gap),
                                              gap < 0 ? owes.name() : gap > 0 ? over.name() : palette().text().color().name()));
    const QString last = m_reg.lastOperation(m_raffle);
    m_undo->setToolTip(last.isEmpty() ? QStringLiteral("Rien à annuler") : last);
}

void RaffleWindow::fillTab(int tab)
{
    if (tab < 1 || tab > 2 || !m_stale[std::size_t(tab)])
        return;
    m_stale[std::size_t(tab)] = false;
    const std::vector<Ticket> tickets = m_reg.tickets(m_raffle);
    if (tab == 1) {
        std::vector<Rows::Row> booklets;
        for (const BookletState& b : bookletStates(tickets)) {
            const bool shown = m_filter == All || (m_filter == StillOut && b.out > 0)
                               || (m_filter == NotPaid && m_owing.count(b.seller) && b.sold > 0) || (m_filter == Lost && b.lost > 0);
            if (shown)
                booklets.push_back({{QString::number(b.booklet), QStringLiteral("%1 à %2").arg(b.first, b.last), b.seller,
                                     b.handedOn.toString(QStringLiteral("dd/MM/yyyy")), b.words()},
                                    b.booklet,
                                    b.lost > 0 ? owes : b.out > 0 ? away : QColor(), 4});
        }
        m_booklets->setRows(std::move(booklets));
        return;
    }
    std::vector<Rows::Row> rows;
    rows.reserve(tickets.size());
    for (const Ticket& t : tickets) {
        const bool shown = m_filter == All || (m_filter == StillOut && t.state == u"remis")
                           || (m_filter == NotPaid && t.state == u"vendu" && m_owing.count(t.seller)) || (m_filter == Lost && t.state == u"perdu");
        if (shown)
            rows.push_back({{t.label, QString::number(t.booklet), stateWords(t.state), t.seller, t.handedOn.toString(QStringLiteral("dd/MM/yyyy")),
                             t.returnedOn.toString(QStringLiteral("dd/MM/yyyy")), t.buyerName},
                            t.number,
                            t.state == u"perdu" ? owes : t.state == u"remis" ? away : QColor(), 2});
    }
    m_tickets->setRows(std::move(rows));
}

qint64 RaffleWindow::selectedSeller() const
{
    auto* view = qobject_cast<QTableView*>(m_tabs->widget(0));
    const QModelIndexList chosen = view->selectionModel()->selectedRows();
    return chosen.isEmpty() || m_tabs->currentIndex() != 0 ? 0 : m_sellers->row(chosen.front().row()).key;
}

void RaffleWindow::showHistory(int tab, int row)
{
    const Rows* rows = tab == 0 ? m_sellers : tab == 1 ? m_booklets : m_tickets;
    if (row < 0 || row >= rows->rowCount() || (tab == 0 && rows->row(row).key == 0))
        return;
    const Rows::Row& shown = rows->row(row);
    const Subject subject = tab == 0 ? Subject::Seller : tab == 1 ? Subject::Booklet : Subject::Ticket;
    QStringList lines{tab == 0 ? shown.cells[0] : tab == 1 ? QStringLiteral("Carnet %1").arg(shown.cells[0]) : QStringLiteral("Billet %1").arg(shown.cells[0])};
    for (const HistoryLine& line : m_reg.history(m_raffle, subject, shown.key))
        lines << QStringLiteral("%1 — %2%3").arg(line.at.toString(QStringLiteral("dd/MM/yyyy HH:mm")), line.label,
                                                 line.undone ? QStringLiteral(" (annulé ensuite)") : QString());
    m_dialogs.message(lines.join(u'\n'));
}

DrawWindow* RaffleWindow::showDraw()
{
    if (!needsRaffle())
        return nullptr;
    if (!m_draw || m_draw->property("raffle").toLongLong() != m_raffle) {
        m_draw = new DrawWindow(m_reg, m_raffle, m_dialogs, this);
        m_draw->setProperty("raffle", m_raffle);
        connect(m_draw, &DrawWindow::changed, this, &RaffleWindow::refresh);
    }
    m_draw->show();
    m_draw->raise();
    m_draw->activateWindow();
    return m_draw;
}

bool RaffleWindow::needsRaffle()
{
    if (m_raffle)
        return true;
    m_dialogs.message(QStringLiteral("Créez d'abord la tombola, avec « Nouvelle tombola… »."));
    return false;
}

} // namespace calvorigne

#include "drawwindow.h"

#include "draw/algorithm.h"
#include "draw/minutes.h"
#include "raffle/money.h"
#include "records/journal.h"
#include "ui/raffle/form.h"
#include "ui/raffle/roomdisplay.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace calvorigne {

namespace {

QLabel* big(int points, QWidget* parent)
{
    auto* label = new QLabel(parent);
    QFont font = label->font();
    font.setPointSize(points);
    font.setBold(true);
    label->setFont(font);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QTableWidget* table(const QStringList& headers, QWidget* parent)
{
    auto* view = new QTableWidget(0, int(headers.size()), parent);
    view->setHorizontalHeaderLabels(headers);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

void fill(QTableWidget* view, const std::vector<QStringList>& rows)
{
    view->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(rows[std::size_t(r)].size()); ++c)
            view->setItem(r, c, new QTableWidgetItem(rows[std::size_t(r)][c]));
    view->resizeColumnsToContents();
}

QString documents(const QString& name)
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(name);
}

} // namespace

DrawWindow::DrawWindow(RaffleRegister& reg, qint64 raffle, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_reg(reg), m_raffle(raffle), m_book(reg, raffle), m_dialogs(dialogs)
{
    setWindowTitle(QStringLiteral("Tirage – %1").arg(m_reg.raffle(raffle)->name));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    prizes = table({QStringLiteral("N°"), QStringLiteral("Lot"), QStringLiteral("Offert par"), QStringLiteral("Valeur")}, this);
    prizes->setMaximumHeight(180);
    addButton = new QPushButton(QStringLiteral("Ajouter un lot…"), this);
    removeButton = new QPushButton(QStringLiteral("Retirer le lot"), this);
    importButton = new QPushButton(QStringLiteral("Importer des lots (CSV)…"), this);
    auto* prizeButtons = new QHBoxLayout;
    prizeButtons->addWidget(new QLabel(QStringLiteral("Les lots, du premier au dernier :"), this));
    prizeButtons->addStretch();
    prizeButtons->addWidget(addButton);
    prizeButtons->addWidget(removeButton);
    prizeButtons->addWidget(importButton);
    layout->addLayout(prizeButtons);
    layout->addWidget(prizes);

    state = new QLabel(this);
    state->setWordWrap(true);
    hash = big(16, this);
    hash->setFont(QFont(QStringLiteral("monospace"), 16, QFont::Bold));
    layout->addWidget(state);
    layout->addWidget(hash);
    prepareButton = new QPushButton(QStringLiteral("Préparer le tirage"), this);
    urn = new QRadioButton(QStringLiteral("Urne"), this);
    program = new QRadioButton(QStringLiteral("Tirage par le programme"), this);
    urn->setChecked(true);
    order = new QComboBox(this);
    order->addItems({QStringLiteral("premier lot d'abord"), QStringLiteral("dernier lot d'abord")});
    witnesses = new QPlainTextEdit(this);
    witnesses->setPlaceholderText(QStringLiteral("Les chiffres des dés, une ligne par témoin (20 chiffres au moins en tout)"));
    witnesses->setMaximumHeight(70);
    startButton = new QPushButton(QStringLiteral("Commencer le tirage"), this);
    cancelButton = new QPushButton(QStringLiteral("Annuler le tirage"), this);
    auto* how = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{prepareButton, urn, program, order})
        how->addWidget(w);
    how->addStretch();
    how->addWidget(startButton);
    how->addWidget(cancelButton);
    layout->addLayout(how);
    layout->addWidget(witnesses);

    next = big(20, this);
    drawn = new QLineEdit(this);
    drawn->setPlaceholderText(QStringLiteral("Numéro du billet tiré, tapé ou scanné"));
    QFont entry = drawn->font();
    entry.setPointSize(18);
    drawn->setFont(entry);
    drawButton = new QPushButton(QStringLiteral("Tirer"), this);
    absentButton = new QPushButton(QStringLiteral("Gagnant absent…"), this);
    said = big(18, this);
    auto* drawing = new QHBoxLayout;
    drawing->addWidget(drawn, 1);
    drawing->addWidget(drawButton);
    drawing->addWidget(absentButton);
    layout->addWidget(next);
    layout->addLayout(drawing);
    layout->addWidget(said);
    results = table({QStringLiteral("Heure"), QStringLiteral("Lot"), QStringLiteral("Billet"), QStringLiteral("Issue"), QStringLiteral("Raison")}, this);
    layout->addWidget(results, 1);

    auto* papers = new QHBoxLayout;
    const auto paper = [&](const QString& text, void (DrawWindow::*slot)()) {
        auto* b = new QPushButton(text, this);
        connect(b, &QPushButton::clicked, this, slot);
        papers->addWidget(b);
    };
    auto* room = new QPushButton(QStringLiteral("Affichage pour la salle"), this);
    connect(room, &QPushButton::clicked, this, &DrawWindow::showRoom);
    papers->addWidget(room);
    paper(QStringLiteral("Liste des gagnants (CSV)…"), &DrawWindow::exportWinners);
    paper(QStringLiteral("Procès-verbal…"), &DrawWindow::writeMinutes);
    papers->addStretch();
    paper(QStringLiteral("Vérifier un tirage…"), &DrawWindow::verify);
    layout->addLayout(papers);

    connect(addButton, &QPushButton::clicked, this, &DrawWindow::addPrize);
    connect(removeButton, &QPushButton::clicked, this, &DrawWindow::removePrize);
    connect(importButton, &QPushButton::clicked, this, &DrawWindow::importPrizes);
    connect(prepareButton, &QPushButton::clicked, this, &DrawWindow::prepare);
    connect(startButton, &QPushButton::clicked, this, &DrawWindow::start);
    connect(cancelButton, &QPushButton::clicked, this, &DrawWindow::cancel);
    connect(drawButton, &QPushButton::clicked, this, &DrawWindow::drawNext);
    connect(drawn, &QLineEdit::returnPressed, this, &DrawWindow::drawNext);
    connect(absentButton, &QPushButton::clicked, this, &DrawWindow::absent);
    resize(900, 760);
    refresh();
}

void DrawWindow::say(const QString& text, bool bad)
{
    said->setText(text);
    said->setStyleSheet(bad ? QStringLiteral("color: #b00020") : QStringLiteral("color: #006a2e"));
}

void DrawWindow::refresh()
{
    const std::vector<Prize> all = m_book.prizes();
    std::vector<QStringList> rows;
    for (const Prize& p : all)
        rows.push_back({QString::number(p.rank), p.description, p.donor, moneyText(p.valueCents)});
    fill(prizes, rows);
    const std::optional<DrawState> draw = m_book.current();
    const bool prepared = draw.has_value(), begun = prepared && !draw->method.isEmpty();
    state->setText(!prepared ? QStringLiteral("Le tirage n'est pas préparé. « Préparer le tirage » gèle la liste des billets vendus : seuls "
                                              "eux pourront gagner.")
                   : !begun  ? QStringLiteral("Liste gelée le %1 : %2 billets vendus. Lisez son empreinte à voix haute :")
                                  .arg(draw->frozenAt.toString(QStringLiteral("dd/MM/yyyy à HH:mm"))).arg(draw->list.size())
                             : QStringLiteral("Tirage %1, liste de %2 billets vendus, empreinte :")
                                  .arg(draw->method == u"urne" ? QStringLiteral("à l'urne") : QStringLiteral("par le programme"))
                                  .arg(draw->list.size()));
    hash->setText(prepared ? draw::readAloud(draw->listHash) : QString());
    for (QWidget* w : std::initializer_list<QWidget*>{addButton, removeButton, importButton})
        w->setEnabled(!begun);
    prepareButton->setVisible(!prepared);
    for (QWidget* w : std::initializer_list<QWidget*>{urn, program, order, witnesses, startButton})
        w->setVisible(prepared && !begun);
    witnesses->setVisible(prepared && !begun && program->isChecked());
    cancelButton->setVisible(prepared);
    const std::optional<Prize> coming = begun ? m_book.nextPrize() : std::nullopt;
    next->setVisible(begun);
    next->setText(coming ? QStringLiteral("Lot n° %1 : %2").arg(coming->rank).arg(coming->description)
                         : QStringLiteral("Tous les lots sont tirés."));
    drawn->setVisible(begun && draw->method == u"urne" && coming);
    drawButton->setVisible(begun && coming);
    drawButton->setText(begun && draw->method == u"urne" ? QStringLiteral("Valider") : QStringLiteral("Tirer"));
    absentButton->setVisible(begun);
    rows.clear();
    QStringList last;
    if (draw)
        for (const DrawResult& r : draw->results) {
            rows.push_back({r.at.toString(QStringLiteral("HH:mm:ss")), r.prizeRank ? QString::number(r.prizeRank) : QString(), r.label,
                            r.outcome, r.reason});
            if (r.outcome == u"gagnant")
                last.prepend(QStringLiteral("Lot n° %1 : %2").arg(r.prizeRank).arg(r.label));
        }
    fill(results, rows);
    emit changed();
    if (m_room) {
        const DrawResult* won = nullptr;
        if (draw)
            for (const DrawResult& r : draw->results)
                if (r.outcome == u"gagnant")
                    won = &r;
        QString prizeText;
        for (const Prize& p : all)
            if (won && p.rank == won->prizeRank)
                prizeText = QStringLiteral("Lot n° %1 : %2").arg(p.rank).arg(p.description);
        m_room->present(m_reg.raffle(m_raffle)->name, won ? prizeText : coming ? QStringLiteral("Prochain : lot n° %1").arg(coming->rank) : QString(),
                     won ? won->label : QString(), last.mid(1, 5));
    }
}

void DrawWindow::addPrize()
{
    auto* form = new Form(QStringLiteral("Ajouter un lot"), QStringLiteral("Les lots sont des objets : la loi ne permet pas de lot en argent."),
                          m_dialogs, this);
    auto* description = form->addText(QStringLiteral("Lot :"), {}, QStringLiteral("Panier garni"));
    auto* donor = form->addText(QStringLiteral("Offert par :"), {}, QStringLiteral("facultatif"));
    auto* value = form->addText(QStringLiteral("Valeur (€) :"), {}, QStringLiteral("35,00"));
    form->onSave(
        [=, this]() {
            const std::optional<qint64> cents = value->text().trimmed().isEmpty() ? std::optional<qint64>(0) : readMoney(value->text());
            if (!cents)
                return Result{QStringLiteral("« %1 » n'est pas une valeur : écrivez des euros et des centimes, par exemple 35,00.").arg(value->text().trimmed())};
            Prize prize{0, 0, description->text(), donor->text(), *cents};
            return m_book.savePrize(prize);
        },
        [=, this](const Result&) {
            if (const QString warning = DrawBook::cashWarning(description->text()); !warning.isEmpty())
                m_dialogs.message(warning);
            refresh();
        });
    form->open();
}

void DrawWindow::removePrize()
{
    const int row = prizes->currentRow();
    const std::vector<Prize> all = m_book.prizes();
    if (row < 0 || row >= int(all.size())) {
        m_dialogs.message(QStringLiteral("Choisissez d'abord le lot à retirer."));
        return;
    }
    if (const Result removed = m_book.removePrize(all[std::size_t(row)].id); !removed)
        m_dialogs.message(removed.refusal);
    refresh();
}

void DrawWindow::importPrizes()
{
    const std::optional<QString> path = m_dialogs.fileToOpen(QStringLiteral("Importer des lots"),
                                                             QStringLiteral("Fichiers CSV (*.csv *.txt);;Tous les fichiers (*)"));
    if (!path)
        return;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_dialogs.message(QStringLiteral("« %1 » n'a pas pu être lu : %2.").arg(QDir::toNativeSeparators(*path), file.errorString()));
        return;
    }
    const Result imported = m_book.importPrizes(file.readAll());
    if (!imported || !imported.note.isEmpty())
        m_dialogs.message(imported ? imported.note : imported.refusal);
    refresh();
}

void DrawWindow::prepare()
{
    Result prepared = m_book.prepare();
    if (!prepared && m_reg.balances(m_raffle).back().out > 0) {
        const int how = m_dialogs.choice(prepared.refusal,
                                         {QStringLiteral("Les marquer invendus"), QStringLiteral("Vendus si l'argent est là, sinon invendus"),
                                          QStringLiteral("Attendre leur retour")},
                                         2);
        if (how == 2)
            return;
        if (const Result settled = m_book.settleStillOut(how == 1); !settled) {
            m_dialogs.message(settled.refusal);
            return;
        }
        prepared = m_book.prepare();
    }
    if (!prepared)
        m_dialogs.message(prepared.refusal);
    refresh();
}

void DrawWindow::start()
{
    const Result begun = m_book.begin(program->isChecked() ? QStringLiteral("programme") : QStringLiteral("urne"), order->currentIndex() == 1,
                                      witnesses->toPlainText().split(u'\n', Qt::SkipEmptyParts));
    if (!begun || !begun.note.isEmpty())
        m_dialogs.message(begun ? begun.note : begun.refusal);
    refresh();
}

void DrawWindow::cancel()
{
    const std::optional<QString> reason = m_dialogs.textInput(QStringLiteral("Annuler le tirage libère la liste des billets vendus ; ce qui a été "
                                                                             "tiré reste noté. Pourquoi l'annuler ?"));
    if (!reason)
        return;
    if (const Result cancelled = m_book.cancel(*reason); !cancelled)
        m_dialogs.message(cancelled.refusal);
    say({}, false);
    refresh();
}

void DrawWindow::drawNext()
{
    const std::optional<DrawState> draw = m_book.current();
    if (!draw || draw->method.isEmpty())
        return;
    const Result result = draw->method == u"urne" ? m_book.drawFromUrn(drawn->text()) : m_book.drawByProgram();
    if (!result)
        say(result.refusal, true);
    else if (!result.note.isEmpty())
        say(result.note, true);
    else {
        const DrawState now = *m_book.current();
        say(QStringLiteral("Lot n° %1 : le billet %2 gagne !").arg(now.results.back().prizeRank).arg(now.results.back().label), false);
    }
    drawn->clear();
    refresh();
}

void DrawWindow::absent()
{
    const std::optional<QString> reason = m_dialogs.textInput(QStringLiteral("Le dernier gagnant ne réclame pas son lot : il sera tiré à nouveau. "
                                                                             "Pourquoi ?"));
    if (!reason)
        return;
    const Result marked = m_book.absent(*reason);
    say(marked ? QStringLiteral("Le lot est tiré à nouveau.") : marked.refusal, !marked);
    refresh();
}

RoomDisplay* DrawWindow::showRoom()
{
    if (!m_room)
        m_room = new RoomDisplay(this);
    refresh();
    m_room->present(m_reg.raffle(m_raffle)->name, m_room->prize->text(), m_room->number->text(), {});
    m_room->raise();
    return m_room;
}

void DrawWindow::exportWinners()
{
    const std::optional<DrawState> draw = m_book.current();
    if (!draw) {
        m_dialogs.message(QStringLiteral("Aucun tirage n'est en cours."));
        return;
    }
    std::map<QString, Ticket> tickets;
    bool anyContact = false;
    for (const Ticket& t : m_reg.tickets(m_raffle))
        tickets[t.label] = t;
    for (const DrawResult& r : draw->results)
        anyContact = anyContact || (r.outcome == u"gagnant" && !tickets[r.label].buyerName.isEmpty());
    const bool contact = anyContact
                         && m_dialogs.choice(QStringLiteral("Mettre les noms et téléphones des gagnants notés dans le registre ? Ce sont des "
                                                            "données personnelles : seulement pour les prévenir."),
                                             {QStringLiteral("Sans"), QStringLiteral("Avec")}, 0)
                                == 1;
    QStringList headers = {QStringLiteral("Lot n°"), QStringLiteral("Lot"), QStringLiteral("Valeur (€)"), QStringLiteral("Billet"), QStringLiteral("Heure")};
    if (contact)
        headers << QStringLiteral("Acheteur") << QStringLiteral("Téléphone");
    QByteArray bytes = csvHead(headers);
    for (const Prize& p : m_book.prizes())
        for (const DrawResult& r : draw->results)
            if (r.outcome == u"gagnant" && r.prizeRank == p.rank) {
                QStringList cells = {QString::number(p.rank), p.description, moneyCell(p.valueCents), r.label, r.at.toString(QStringLiteral("HH:mm:ss"))};
                if (contact)
                    cells << tickets[r.label].buyerName << tickets[r.label].buyerPhone;
                bytes += csvLine(cells);
            }
    const std::optional<QString> path = m_dialogs.fileToSave(QStringLiteral("Liste des gagnants"), documents(QStringLiteral("Gagnants.csv")),
                                                             QStringLiteral("Fichiers CSV (*.csv)"));
    if (!path)
        return;
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        m_dialogs.message(QStringLiteral("« %1 » n'a pas pu être écrit : %2. S'il est ouvert dans un autre programme, fermez-le.")
                              .arg(QDir::toNativeSeparators(*path), file.errorString()));
}

void DrawWindow::writeMinutes()
{
    const std::optional<DrawState> draw = m_book.current();
    if (!draw || draw->method.isEmpty()) {
        m_dialogs.message(QStringLiteral("Le procès-verbal se fait une fois le tirage commencé."));
        return;
    }
    const std::optional<QString> path = m_dialogs.fileToSave(QStringLiteral("Procès-verbal du tirage"), documents(QStringLiteral("Procès-verbal du tirage.pdf")),
                                                             QStringLiteral("Documents PDF (*.pdf)"));
    if (!path)
        return;
    const Balance total = m_reg.balances(m_raffle).back();
    const DrawCounts counts{total.stock + total.handedOut, total.handedOut, total.sold, total.unsold, total.spoiled, total.lost};
    const QString failure = calvorigne::writeMinutes(minutesHtml(*m_reg.raffle(m_raffle), counts, *draw, m_book.prizes()), m_book.data(), *path);
    m_dialogs.message(failure.isEmpty() ? QStringLiteral("Le procès-verbal est dans « %1 », avec à côté le fichier de données qui permet de vérifier "
                                                         "le tirage.")
                                              .arg(QDir::toNativeSeparators(*path))
                                        : failure);
}

void DrawWindow::verify()
{
    const std::optional<QString> path = m_dialogs.fileToOpen(QStringLiteral("Vérifier un tirage"), QStringLiteral("Données d'un tirage (*.json)"));
    if (!path)
        return;
    QFile file(*path);
    const QJsonObject data = file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    const QString failure = verifyDraw(data);
    m_dialogs.message(failure.isEmpty() ? QStringLiteral("Le tirage est vérifié : la liste, son empreinte, la graine et chaque gagnant correspondent.")
                                        : QStringLiteral("Le tirage ne se vérifie pas. %1").arg(failure));
}

} // namespace calvorigne

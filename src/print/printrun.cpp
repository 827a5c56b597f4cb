#include "printrun.h"

#include "core/numbers.h"
#include "paperpath/pictures.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "print/recordedlayout.h"

#include <QDir>
#include <QUuid>
#include <algorithm>
#include <utility>

namespace calvorigne {

PrintRun::PrintRun(TicketLayout& layout, Printer& printer, Dialogs& dialogs, const Journal* journal, RunRecord* record)
    : m_layout(layout), m_printer(printer), m_dialogs(dialogs), m_journal(journal), m_record(record)
{
}

double PrintRun::read(Field field) const
{
    return readNumber(m_layout.caption(field));
}

void PrintRun::write(Field field, const QString& text)
{
    m_layout.setCaption(field, text);
}

void PrintRun::refuse(const QString& text)
{
    m_dialogs.setBusy(false);
    m_dialogs.message(text);
}

QString PrintRun::passNumbers() const
{
    if (m_passNumbers.count == 0)
        return QStringLiteral("Le passage %1").arg(m_pass);
    return QStringLiteral("Le passage %1 (numéros %2 à %3)")
        .arg(m_pass)
        .arg(padNumber(m_passNumbers.first, QStringLiteral("0000")), padNumber(m_passNumbers.last, QStringLiteral("0000")));
}

void PrintRun::endDocument()
{
    m_phase = Phase::HandingOver;
    m_dialogs.endProgress();
    m_printer.endDocument();
    m_phase = Phase::Following;
    // In the record before it is followed: a program that dies now leaves the pass counted.
    const QString sent = QStringLiteral("passage %1 %2").arg(m_pass).arg(m_printer.writesFiles() ? QStringLiteral("enregistré")
                                                                                               : QStringLiteral("envoyé"));
    writeProgress(m_done + QStringList(sent));
    const bool followed = waitUntilPrinted();
    if (!followed)
        m_unfollowed.push_back(m_pass);
    m_done << (followed && !m_printer.writesFiles() ? QStringLiteral("passage %1 imprimé").arg(m_pass) : sent);
    writeProgress(m_done);
    m_phase = Phase::Drawing;
}

// A pass is printed once the print system says so: the stack is turned, and the run called
// complete, only then. A prompt answered while the job still waits would send the next pass
// behind it onto the same side.
bool PrintRun::waitUntilPrinted()
{
    const QString printer = m_printer.name();
    // Some systems count pages past what was sent (banners, copies they make themselves).
    const int pages = m_passPages * std::max(1, m_printer.copies());
    bool waited = false, followed = true;
    JobState job = m_printer.lastJob();
    for (; job.stage != JobState::Done; job = m_printer.lastJob()) {
        const QString why = job.reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(job.reason);
        QString text;
        switch (job.stage) {
        case JobState::Failed:
            if (waited)
                m_dialogs.endWait();
            throw PrinterError(QStringLiteral("l'imprimante « %1 » a abandonné le passage %2%3.").arg(printer).arg(m_pass).arg(why));
        case JobState::Stopped:
            text = QStringLiteral("L'imprimante « %1 » est arrêtée%2 : le passage %3 attend dans sa file. "
                                  "Remettez-la en marche%4.")
                       .arg(printer, why)
                       .arg(m_pass)
                       .arg(m_ownRun ? QStringLiteral(" ; la suite vous sera demandée une fois le passage imprimé")
                                     : QString());
            break;
        case JobState::Held:
            text = QStringLiteral("Le passage %1 est retenu dans la file de l'imprimante « %2 » : libérez-le "
                                  "pour qu'il s'imprime.")
                       .arg(m_pass).arg(printer);
            break;
        case JobState::Queued:
            text = QStringLiteral("Le passage %1 attend son tour dans la file de l'imprimante « %2 ».").arg(m_pass).arg(printer);
            break;
        case JobState::Unknown:
            text = QStringLiteral("Le système d'impression ne répond pas : on ne sait pas si le passage %1 est imprimé.")
                       .arg(m_pass);
            break;
        default:
            text = job.pagesPrinted < 0
                       ? QStringLiteral("Impression du passage %1…").arg(m_pass)
                       : QStringLiteral("Impression du passage %1… (page %2 sur %3)")
                             .arg(m_pass)
                             .arg(std::min(job.pagesPrinted, pages))
                             .arg(pages);
            break;
        }
        waited = true;
        if (!m_dialogs.wait(text)) {
            followed = false;
            break;
        }
    }
    if (waited)
        m_dialogs.endWait();
    if (!followed) {
        const QString where = job.stage == JobState::Stopped ? QStringLiteral(" : l'imprimante est arrêtée")
                              : job.stage == JobState::Held  ? QStringLiteral(" : il est retenu dans la file")
                                                             : QString();
        m_note += QStringLiteral("\n\nLe passage %1 a été envoyé à l'imprimante « %2 » mais n'est pas encore imprimé%3.")
                      .arg(m_pass)
                      .arg(printer, where);
    }
    return followed;
}

QString PrintRun::withNote(const QString& text)
{
    return (text + std::exchange(m_note, {})).trimmed();
}

void PrintRun::setUpPrinter()
{
    m_printer.setOrientation(Printer::Portrait);
    m_printer.setUnit(Printer::Millimetres);
    m_printer.setFontName(m_layout.fontName());
    m_size = read(Field::Size);
    m_printer.setFontSize(m_size);
    const std::uint32_t ink = m_layout.inkColour();
    m_printer.setColourMode(ink == 0 ? Printer::Monochrome : Printer::Colour);
    m_printer.setBold(m_layout.bold());
    m_printer.setInkColour(ink);
    // Upright, whatever the last document of the session was left turned to.
    m_printer.setRotation(m_rotation = 0);
}

void PrintRun::run()
{
    m_dialogs.setBusy(true);
    const PrintPlan plan = planRun(m_layout, m_printer, m_corrections);
    if (!plan.refusal.isEmpty())
        return refuse(plan.refusal);

    if (!printsNewNumbers(plan) || !loaded(plan))
        return;
    const QString lastBefore = m_layout.caption(Field::Last), pageBefore = m_layout.caption(Field::Page);
    write(Field::Last, plainNumber(plan.last));
    write(Field::Rows, plainNumber(plan.rows));
    // A run counts its own pages: a count left by a failed run would move the turn prompt.
    write(Field::Page, QStringLiteral("0"));
    // A run that prints no number leaves no trace in the journal.
    if (plan.passes() > 0)
        startEntry(plan, QStringLiteral("tirage"));
    for (const PlannedDocument& document : plan.documents)
        if (document.pass > 0)
            m_entry.passPages << document.sheets();

    if (!printDocuments(plan, plan.documents, true)) {
        // A run that did not end leaves the window as if it had not been started.
        write(Field::Last, lastBefore);
        write(Field::Page, pageBefore);
        return;
    }
    write(Field::First, signedNumber(read(Field::Last) + 1));
    write(Field::Page, QStringLiteral("0"));
    write(Field::Last, QStringLiteral("0"));
    m_dialogs.setBusy(false);
    const QStringList files = m_journalled ? finishEntry(endOutcome()) : m_finishedFiles;
    const QString text = withNote(files.isEmpty() ? QString()
                                                  : QStringLiteral("Le tirage a été enregistré dans ces fichiers PDF :\n%1")
                                                        .arg(files.join(u'\n')));
    if (!text.isEmpty())
        m_dialogs.message(text);
}

// A raffle is fair only if every number exists once: numbers an earlier run printed are
// printed again only when the user says so. A run that failed or was stopped does not count.
bool PrintRun::printsNewNumbers(const PrintPlan& plan)
{
    if (!m_record || plan.passes() == 0)
        return true;
    QString trouble;
    const std::optional<Overlap> overlap = m_record->guard(plan.first, plan.lastPrinted(), &trouble);
    if (!overlap && !trouble.isEmpty()) {
        // A guard that cannot read is never taken for one that found nothing.
        const bool held = m_record->held();
        const QString text = QStringLiteral("Les numéros déjà imprimés ne peuvent pas être vérifiés : %1 (« %2 »).\n\n%3")
                                 .arg(trouble, QDir::toNativeSeparators(m_record->path()),
                                      held ? QStringLiteral("Fermez le programme qui le tient ouvert (un explorateur de bases de "
                                                            "données, une sauvegarde, une synchronisation), puis cliquez de nouveau "
                                                            "sur l'imprimante.")
                                           : QStringLiteral("Si vous imprimez sans vérifier, Calvorigne garde ce tirage et l'écrira "
                                                            "dans le registre dès qu'il sera de nouveau disponible."));
        const bool anyway = m_dialogs.choice(text, {QStringLiteral("Imprimer sans vérifier"), QStringLiteral("Annuler")}, 1, 1) == 0;
        if (!anyway)
            m_dialogs.setBusy(false);
        return anyway;
    }
    if (!overlap)
        return true;
    const double next = m_record->highest() + 1;
    const int answer = m_dialogs.choice(overlap->sentence(), {QStringLiteral("Commencer à %1").arg(padNumber(next, QStringLiteral("0000"))),
                                               QStringLiteral("Imprimer quand même"), QStringLiteral("Annuler")},
                                        2, 2);
    if (answer == 1)
        return true;
    m_dialogs.setBusy(false);
    // The new first number is shown, for the user to see the new plan before printing it.
    if (answer == 0) {
        write(Field::First, plainNumber(next));
        m_dialogs.message(QStringLiteral("Premier numéro est maintenant %1 : vérifiez l'aperçu, puis cliquez de nouveau sur "
                                         "l'imprimante.")
                              .arg(padNumber(next, QStringLiteral("0000"))));
    }
    return false;
}

// With the printer's paper path learned, how to load the sheets is said before anything prints.
bool PrintRun::loaded(const PrintPlan& plan)
{
    if (!m_path || plan.passes() == 0)
        return true;
    int load = 0;
    for (const PlannedDocument& document : plan.documents)
        load = std::max(load, document.sheets());
    const bool go = m_dialogs.illustrated(loadWords(load, m_path->face) + u'.', loadingPicture(m_path->face),
                                          {QStringLiteral("Imprimer"), QStringLiteral("Annuler")}, 1)
                    == 0;
    if (!go)
        m_dialogs.setBusy(false);
    return go;
}

namespace {

// The user stopped the run from the progress window.
struct Stopped {};

} // namespace

bool PrintRun::printDocuments(const PrintPlan& plan, const std::vector<PlannedDocument>& documents, bool ownRun)
{
    struct RunOfPrinter {
        Printer& printer;
        explicit RunOfPrinter(Printer& p) : printer(p) { printer.startRun(); }
        ~RunOfPrinter() { printer.endRun(); }
    } ofPrinter(m_printer);
    m_done.clear();
    m_unfollowed.clear();
    m_note.clear();
    m_ownRun = ownRun;
    m_partlySent = false;
    std::optional<QString> failure; // nothing when the user stopped the run
    try {
        setUpPrinter();
        for (std::size_t d = 0; d < documents.size(); ++d)
            printDocument(plan, documents[d], d + 1 < documents.size() ? &documents[d + 1] : nullptr);
        return true;
    } catch (const PrinterError& error) {
        failure = error.cause();
    } catch (const Stopped&) {
    }
    m_dialogs.endProgress();
    // A pass dropped while drawn prints nothing, unless the print system got some of it all
    // the same: then its numbers may be on paper, and are said and journalled so.
    m_partlySent = m_printer.abortDocument() && m_phase != Phase::Following;
    QString text = failure ? QStringLiteral("L'impression a échoué : %1").arg(*failure)
                           : QStringLiteral("Tirage arrêté à la page %1 du passage %2.").arg(m_passPage).arg(m_pass);
    const QString outcome = failure ? QStringLiteral("échec %1 : %2").arg(passesDone(), *failure)
                                    : QStringLiteral("arrêté %1").arg(passesDone());
    m_dialogs.setBusy(false);
    // What was written before the end belongs to this run, and is said here.
    const QStringList files = finishEntry(outcome);
    for (qsizetype pass = 0; pass < files.size(); ++pass)
        text += QStringLiteral("\nLe passage %1 a été enregistré dans « %2 ».").arg(pass + 1).arg(files[pass]);
    if (m_partlySent)
        text += u'\n' + passNumbers() + QStringLiteral(" a peut-être été envoyé en partie à l'imprimante.");
    else if (m_phase != Phase::Following)
        text += u'\n' + passNumbers() + QStringLiteral(" n'a pas été imprimé.");
    else
        text += u'\n' + passNumbers() + QStringLiteral(" n'a peut-être pas été imprimé en entier.");
    m_dialogs.message(withNote(text));
    return false;
}

QString PrintRun::passesDone() const
{
    QStringList done = m_done;
    if (m_partlySent)
        done << QStringLiteral("passage %1 peut-être envoyé en partie").arg(m_pass);
    else if (m_phase == Phase::Following)
        done << QStringLiteral("passage %1 peut-être en partie").arg(m_pass);
    const QString where = m_phase == Phase::Drawing ? QStringLiteral("à la page %1 du passage %2").arg(m_passPage).arg(m_pass)
                                                    : QStringLiteral("au passage %1").arg(m_pass);
    return QStringLiteral("%1 (%2)").arg(where, done.isEmpty() ? QStringLiteral("rien d'imprimé") : done.join(QStringLiteral(", ")));
}

QString PrintRun::endOutcome() const
{
    return m_unfollowed.empty() ? QStringLiteral("terminé") : QStringLiteral("envoyé, non suivi");
}

void PrintRun::beginEntry(const QString& kind)
{
    m_entry = JournalEntry();
    m_journalled = true;
    m_finishedFiles.clear();
    m_entry.when = QDateTime::currentDateTime();
    m_entry.kind = kind;
    m_entry.token = QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void PrintRun::startEntry(const PrintPlan& plan, const QString& kind)
{
    beginEntry(kind);
    m_entry.first = padNumber(plan.first, QStringLiteral("0000"));
    m_entry.last = padNumber(plan.last, QStringLiteral("0000"));
    m_entry.booklets = plainNumber(plan.booklets);
    m_entry.folios = plainNumber(plan.folios);
    m_entry.rows = plainNumber(plan.rows);
    QStringList model;
    for (const auto& [key, value] : plan.model.keys())
        model << key + u'=' + value.trimmed();
    m_entry.model = model.join(u' ');
    if (kind == u"tirage")
        m_entry.layout = RecordedLayout::describe(m_layout);
}

void PrintRun::describeOutput(const QStringList& files)
{
    m_entry.output = !files.isEmpty()             ? files.join(QStringLiteral(", "))
                     : m_printer.writesFiles() ? QStringLiteral("aucun fichier écrit")
                                               : m_printer.name();
    QStringList learned;
    if (m_path)
        learned << pathWords(*m_path);
    if (m_corrections.any())
        learned << QStringLiteral("réglage %1").arg(m_corrections.words());
    if (!learned.isEmpty())
        m_entry.output += QStringLiteral(" (%1)").arg(learned.join(QStringLiteral(" ; ")));
}

void PrintRun::writeProgress(const QStringList& passes)
{
    if (!m_journalled || !m_record)
        return;
    describeOutput({});
    m_entry.outcome = QStringLiteral("en cours (%1)").arg(passes.join(QStringLiteral(", ")));
    writeRecord();
}

void PrintRun::writeRecord()
{
    QString failure;
    if (m_record && !m_record->write(m_entry, &failure) && m_recordFailure.isEmpty())
        m_recordFailure = QStringLiteral("Le registre des tirages « %1 » n'a pas pu être écrit : %2. Calvorigne garde ce tirage, "
                                         "compte ses numéros et l'écrira dans le registre dès que possible.")
                              .arg(QDir::toNativeSeparators(m_record->path()), failure);
}

QStringList PrintRun::finishEntry(const QString& outcome)
{
    const QStringList files = m_printer.takeWrittenFiles();
    if (!std::exchange(m_journalled, false))
        return files;
    describeOutput(files);
    m_entry.outcome = outcome;
    writeRecord();
    QString failure;
    if (m_journal && !m_journal->append(m_entry, &failure))
        m_recordFailure += (m_recordFailure.isEmpty() ? QString() : QStringLiteral("\n"))
                           + QStringLiteral("Le journal des tirages « %1 » n'a pas pu être écrit : %2.")
                                 .arg(QDir::toNativeSeparators(m_journal->path()), failure);
    return files;
}

void PrintRun::printMarks(const PlannedPage& page)
{
    for (const QPainterPath& shape : page.shapes)
        m_printer.drawShape(shape);
    if (page.marks.empty())
        return;
    if (m_rotation != 0)
        m_printer.setRotation(m_rotation = 0);
    m_printer.setFontName(QStringLiteral("Arial"));
    for (const PlacedText& mark : page.marks) {
        if (mark.size != m_size)
            m_printer.setFontSize(m_size = mark.size);
        m_printer.setPosition(mark.left, mark.top);
        m_printer.printText(mark.text);
    }
    m_printer.setFontName(m_layout.fontName());
}

QString PrintRun::afterText(const PlannedDocument& document, const PlannedDocument* next) const
{
    QString text = document.afterText();
    if (document.after != PlannedDocument::Turn || !m_path)
        return text;
    // Sheets that pass 2 leaves blank would take its first pages, fed first.
    if (const int spare = document.sheets() - (next ? next->sheets() : 0); spare > 0)
        text += QStringLiteral("\nMettez de côté %1 : le passage suivant n'en imprime que %2.")
                    .arg(spare > 1 ? QStringLiteral("les %1 dernières feuilles sorties, sur le dessus de la pile").arg(spare)
                                   : QStringLiteral("la dernière feuille sortie, sur le dessus de la pile"))
                    .arg(next ? next->sheets() : 0);
    // What the designed line means for this printer, so that no one does both.
    return text + u'\n' + turnWords(m_printer.name(), m_path->movement);
}

void PrintRun::printDocument(const PrintPlan& plan, const PlannedDocument& document, const PlannedDocument* next)
{
    // Printed last page first when the printer is set so, for the way the stack comes out; and
    // pass 2 once more the other way round when the paper path needs it.
    const bool reversed = m_printer.lastPageFirst() != (m_path && m_path->lastPageFirst && document.pass >= 2);
    const int count = int(document.pages.size());
    const PrinterCorrection* correction = m_corrections.forPass(document.pass);
    m_printer.setCorrection(correction ? correction->askingIn(m_printer.sheet()) : QTransform());
    m_passPage = 0;
    m_passPages = document.sheets();
    if (document.pass > 0)
        m_pass = document.pass;
    m_passNumbers = document.numbers();
    for (int k = 0; k < count; ++k) {
        const PlannedPage& page = document.pages[std::size_t(reversed ? count - 1 - k : k)];
        if (!(reversed && page.blank())) {
            ++m_passPage;
            // A number's stubs follow it and print its text again.
            std::optional<double> written;
            QString text;
            for (const PlacedNumber& number : page.numbers) {
                // Stubs may have a size and a turn of their own.
                if (const double size = plan.sizeOf(number); size != m_size)
                    m_printer.setFontSize(m_size = size);
                if (const int rotation = plan.rotationOf(number); rotation != m_rotation)
                    m_printer.setRotation(m_rotation = rotation);
                if (written != number.value) {
                    text = plan.text(number);
                    written = number.value;
                }
                m_printer.setPosition(number.left, number.top);
                m_printer.printText(text);
            }
            printMarks(page);
            m_printer.newPage();
            const int done = std::min(m_passPage, m_passPages);
            if (!m_dialogs.progress(QStringLiteral("Passage %1 : page %2 sur %3").arg(m_pass).arg(done).arg(m_passPages),
                                    done, m_passPages))
                throw Stopped();
        }
        if (m_ownRun)
            write(Field::Page, plainNumber(read(Field::Page) + 1));
    }
    if (m_passPages == 0) // nothing to print, nothing to follow
        m_printer.endDocument();
    else
        endDocument();
    if (document.after == PlannedDocument::Nothing)
        return;
    setUpPrinter();
    // The run's outcome is in the record before « Fin du tirage. » waits for an answer.
    if (document.after == PlannedDocument::End && m_ownRun)
        m_finishedFiles = finishEntry(endOutcome());
    if (document.after == PlannedDocument::Turn && !m_note.isEmpty())
        m_note += QStringLiteral("\nNe retournez le paquet qu'une fois toutes ses feuilles sorties.");
    if (document.after == PlannedDocument::Turn && m_path)
        m_dialogs.illustrated(withNote(afterText(document, next)), movementPicture(m_path->movement));
    else
        m_dialogs.message(withNote(afterText(document, next)));
    if (document.after == PlannedDocument::Turn && m_ownRun)
        write(Field::Page, QStringLiteral("0"));
}

} // namespace calvorigne

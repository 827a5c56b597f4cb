#include "opening.h"

#include "documents/sampleticket.h"
#include "platform/sheetpicture.h"
#include "print/recordedlayout.h"
#include "raffle/runtickets.h"
#include "ui/raffle/rafflewindow.h"

#include <QTimer>

namespace calvorigne {

RaffleWindow* openRaffleWindow(const QString& recordPath, const Printer& printer, Dialogs& dialogs, const QString& background,
                               QWidget* parent)
{
    auto reg = std::make_unique<RaffleRegister>(recordPath);
    const QString notice = reg->notice();
    auto ticketsOf = [&printer](const PrintedRunChoice& run) -> std::optional<RunTickets> {
        const std::optional<RecordedLayout> layout = RecordedLayout::read(run.layout);
        if (!layout)
            return std::nullopt;
        const PrintPlan plan = planRun(*layout, printer);
        if (plan.documents.empty())
            return std::nullopt;
        return runTickets(plan, run.at);
    };
    auto* window = new RaffleWindow(std::move(reg), dialogs, ticketsOf, parent);
    window->setSampleTicket([&printer, background](const PrintedRunChoice& run, const QString& path) {
        const std::optional<RecordedLayout> layout = RecordedLayout::read(run.layout);
        if (!layout)
            return QStringLiteral("Les réglages de ce tirage n'ont pas été gardés : le spécimen ne peut pas être dessiné.");
        QString why;
        const QImage sheet = background.isEmpty() ? QImage() : sheetPicture(background, &why);
        return calvorigne::writeSampleTicket(planRun(*layout, printer), {printer.sheet(), printer.printable(), printer.metrics(), sheet}, path);
    });
    window->show();
    if (!notice.isEmpty())
        dialogs.message(notice);
    // Made once the window shows, so that it opens at once.
    QTimer::singleShot(0, window, [window, &dialogs] {
        if (const QString trouble = window->raffleRegister().backUp(); !trouble.isEmpty())
            dialogs.message(trouble);
    });
    return window;
}

} // namespace calvorigne

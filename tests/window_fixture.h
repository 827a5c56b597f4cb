// A window as the program builds it, with a recording printer, scripted dialogs and its own
// settings file in a temporary folder.
#pragma once

#include "records/journal.h"
#include "app/startup.h"
#include "fakes.h"
#include "files.h"
#include "ui/window/numero.h"

#include <QFile>
#include <QTemporaryDir>
#include <memory>

namespace calvorigne::testing {

struct WindowFixture {
    QTemporaryDir dir;
    QString settingsPath = dir.filePath("Calvorigne.ini");
    QStringList journal;
    RecordingPrinter printer{&journal};
    ScriptedDialogs dialogs{&journal};
    std::unique_ptr<Numero> window;

    void writeSettingsFile(const QByteArray& bytes) { writeBytes(settingsPath, bytes); }

    QString journalPath() const { return dir.filePath("Calvorigne-journal.csv"); }
    // The run journal's lines, split into fields.
    QList<QStringList> journalLines() const { return csvLines(journalPath()); }

    // Builds the window and runs the start-up on it.
    Numero& start()
    {
        window = std::make_unique<Numero>(printer, dialogs, settingsPath);
        Main(*window);
        return *window;
    }
};

// The page geometry of the worked examples: 3 rows at 35, 125 and 215 mm, 42 mm from the left.
inline void layOutExample(Numero& w, const QString& first, const QString& booklets, const QString& folios)
{
    w.Lbl_Debut->setCaption(first);
    w.Lbl_NbCarnet->setCaption(booklets);
    w.Lbl_folio->setCaption(folios);
    w.Lbl_H->setCaption("5");
    w.Lbl_B->setCaption("22");
    w.Lbl_E->setCaption("90");
    w.Lbl_X->setCaption("20");
    w.Lbl_Y->setCaption("30");
    w.Lbl_Size->setCaption("12");
}

// Two columns of tickets, pitch mm apart, and a stub dx, dy from each number, turned a quarter.
inline TicketModel twoColumnsWithAStub(double pitch, double dx, double dy)
{
    TicketModel model;
    model.columns = 2;
    model.pitch = pitch;
    model.stubs = {{dx, dy, std::nullopt, 90}};
    return model;
}

} // namespace calvorigne::testing

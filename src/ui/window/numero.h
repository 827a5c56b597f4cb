// The one window, "Numéro": every parameter of a print run lives in one of its controls.
//
// There is no separate data model. Labels hold values as caption text, and each handler reads
// what it needs from the controls when it runs. Writing a caption runs the label's change
// handler at once, nested in the writer, so the padded numbers, the guide lines and the font
// sample follow every change, whoever made it. The handlers are named after the control and
// the event; they are defined beside the behaviour they belong to:
//   ui/window    the controls, their initial state, the load handler, the preview window;
//   ui/editing   numbering fields, the page preview, the font and colour choice;
//   app/         quit and save, the printer dialog; print/ the print run itself.
// The printer and the dialogs come from outside, so tests can record and script them.
#pragma once

#include "print/printrun.h"
#include "print/ticketlayout.h"
#include "ui/window/controls.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace calvorigne {

class Dialogs;
class Printer;
class PreviewWindow;

class Numero : public QWidget, public TicketLayout {
    Q_OBJECT
public:
    Numero(Printer& printer, Dialogs& dialogs, const QString& settingsPath, QWidget* parent = nullptr);

    // The load handler: fills the font list and places the guide lines.
    void Form_Load();

    // TicketLayout
    QString caption(Field field) const override;
    void setCaption(Field field, const QString& text) override;
    QString fontName() const override;
    bool bold() const override;
    std::uint32_t inkColour() const override { return m_inkColour; }
    TicketModel ticketModel() const override { return m_ticketModel; }

    // The font list's text: the selected name, or empty. Setting it selects the entry of
    // that name, or nothing when there is none.
    QString list1Text() const;
    void setList1Text(const QString& name);
    // The stored font name, kept while the list does not offer it and the user has not
    // chosen another, so that moving a settings file between computers does not lose it.
    QString savedFontName() const;
    void keepStoredFontName(const QString& name) { m_storedFontName = name; }
    std::uint32_t sampleColour() const;
    void setSampleColour(std::uint32_t colour);
    void setInkColour(std::uint32_t colour) { m_inkColour = colour; }
    QString settingsPath() const { return m_settingsPath; }
    // The preview's picture of a blank sheet, saved with the settings.
    QString backgroundPicture() const { return m_background; }
    void setBackgroundPicture(const QString& path) { m_background = path; }
    // Set from the preview; saved with the settings.
    void setTicketModel(const TicketModel& model);
    Printer& printer() { return m_printer; }
    Dialogs& dialogs() { return m_dialogs; }

    // Handlers.
    void cmd_print_Click();
    void cmd_end_Click();
    void cmd_preview_Click();
    // Prints again the chosen sheets of the run the window shows, or of a run printed before,
    // as it was; or the first sheet of the run the window shows, for a trial.
    void reprint(const std::vector<SheetSelection>& selection, bool testSheet = false, TicketLayout* run = nullptr);
    // The stack test of the printer, which learns its paper path.
    void stackTest();
    // The calibration sheet, which a ruler measures to correct the printer's error.
    void calibrationSheet();
    // The tooltip of "Premier numéro": the last complete run, and whether the number shown
    // was printed already.
    void showLastRun();
    // The record of runs, opened at the first need; its trouble is said once.
    RunRecord& runRecord();
    void Command2_Click();
    void Lbl_Debut_DblClick();
    void Lbl_Debut_Change();
    void Lbl_Der_Change();
    void Lbl_NbCarnet_Change();
    void Lbl_Try_Change();
    void opt_org_Click(int Index);
    void Lbl_X_Change();
    void Lbl_Y_Change();
    void Lbl_E_Change();
    void Cmd_Try_Click();
    void List1_Click();
    void List1_Scroll();
    void Lbl_Size_Change();
    void Chk_Bold_Click();
    void Picture1_Click(int Index);

    // Controls, by their names.
    QGroupBox *Frame1, *Frame2, *Frame3, *Frame4;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label10, *Label11;
    ValueLabel *Lbl_X, *Lbl_Y, *Lbl_E, *Lbl_H, *Lbl_B;
    ValueLabel *Lbl_Debut, *Lbl_NbCarnet, *Lbl_Count, *Lbl_Der, *Lbl_page, *Lbl_folio;
    ValueLabel *Lbl_Size, *Lbl_Try;
    UpDown *ud_x, *ud_Y, *UpDown1, *UpDown2, *UpDown3, *UpDown4, *UpDown5, *UpDown6, *UpDown7, *ud_folio;
    std::array<QRadioButton*, 2> opt_org;
    QCheckBox* Chk_Bold;
    QListWidget* List1;
    std::array<Swatch*, 7> Picture1;
    QPushButton *Cmd_Try, *cmd_print, *cmd_preview, *cmd_end;
    WrappingButton* Command2;
    QLineEdit* Text1;
    QObject* Shape1;
    GuideLine *Line_X, *Line_Y, *Line_E;

    // The preview window, once opened.
    PreviewWindow* preview() const { return m_preview; }

signals:
    // Any parameter of the run changed: a caption, the font, the ink, the organisation.
    void parametersChanged();
    // Something was printed, and written into the record of runs.
    void printed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    void print(const std::function<void(PrintRun&)>& what, TicketLayout* layout = nullptr);
    void connectHandlers();
    void reformat(ValueLabel* label, const QString& pattern);
    void moveLineE();
    ValueLabel* label(Field field) const;

    Printer& m_printer;
    Dialogs& m_dialogs;
    QString m_settingsPath;
    std::uint32_t m_inkColour = 0;
    double m_sampleSize = 0; // the last size the sample could be drawn at
    QString m_storedFontName;
    QString m_background;
    TicketModel m_ticketModel;
    QElapsedTimer m_sinceRepaint;
    std::unique_ptr<RunRecord> m_record;
    PreviewWindow* m_preview = nullptr; // a child window, kept once opened
    bool m_recordComplained = false;    // a failed write is said once a start
};

} // namespace calvorigne

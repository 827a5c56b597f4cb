// Everything the program shows outside its window: message boxes, the first-number prompt,
// the printer dialog and the busy pointer. The real one is QtDialogs; tests script answers.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace calvorigne {

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message with the OK button only.
    virtual void message(const QString& text) = 0;
    // A question with Yes (the default) and No; true for Yes.
    virtual bool question(const QString& text) = 0;
    // A message with buttons of its own; the index of the one chosen. Escape or closing the
    // box gives the safe one, the choice that loses nothing.
    virtual int choice(const QString& text, const QStringList& buttons, int safe, int preferred = 0) = 0;
    // The same with a picture beside the text; with no buttons given, the OK button only.
    virtual int illustrated(const QString& text, const QImage& picture, const QStringList& buttons = {}, int safe = 0) = 0;
    // A question answered by clicking a picture with its caption, or « Je ne sais pas »: the
    // index of the picture, nothing for « Je ne sais pas » or a closed box.
    struct Picture {
        QImage image;
        QString caption;
    };
    virtual std::optional<int> pictureChoice(const QString& question, const std::vector<Picture>& answers) = 0;
    // A text prompt with OK and Cancel; nothing when cancelled.
    virtual std::optional<QString> textInput(const QString& prompt) = 0;
    // The file to write, the suggested one first, or the file to read; nothing when cancelled.
    // filter: « Fichiers CSV (*.csv) ».
    virtual std::optional<QString> fileToSave(const QString& title, const QString& suggested, const QString& filter) = 0;
    virtual std::optional<QString> fileToOpen(const QString& title, const QString& filter) = 0;
    // A small window saying what the run waits for, with a button to stop waiting; it stays
    // until endWait(). Returns after a short while, false once the user has stopped waiting.
    virtual bool wait(const QString& text) = 0;
    virtual void endWait() = 0;
    // A window showing how far a long print has gone, once it has lasted a moment, with a
    // button to stop it; false once the user has asked to stop. It stays until endProgress().
    virtual bool progress(const QString& text, int done, int total) = 0;
    virtual void endProgress() = 0;
    // The printer dialog on the program's one printer.
    virtual void printerDialog() = 0;
    // The hourglass while a print run holds the program, the arrow otherwise.
    virtual void setBusy(bool busy) = 0;
};

} // namespace calvorigne

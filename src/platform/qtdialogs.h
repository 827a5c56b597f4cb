// The program's dialogs as Qt draws them: message boxes titled "Calvorigne", the text
// prompt, the printer dialog on the program's one printer, the hourglass.
#pragma once

#include "platform/dialogs.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

namespace calvorigne {

class QtPrinter;

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QtPrinter& printer) : m_printer(printer) {}

    void message(const QString& text) override;
    bool question(const QString& text) override;
    int choice(const QString& text, const QStringList& buttons, int safe, int preferred = 0) override;
    int illustrated(const QString& text, const QImage& picture, const QStringList& buttons = {}, int safe = 0) override;
    std::optional<int> pictureChoice(const QString& question, const std::vector<Picture>& answers) override;
    std::optional<QString> textInput(const QString& prompt) override;
    std::optional<QString> fileToSave(const QString& title, const QString& suggested, const QString& filter) override;
    std::optional<QString> fileToOpen(const QString& title, const QString& filter) override;
    bool wait(const QString& text) override;
    void endWait() override;
    bool progress(const QString& text, int done, int total) override;
    void endProgress() override;
    void printerDialog() override;
    void setBusy(bool busy) override;

private:
    int ask(const QString& text, const QImage& picture, const QStringList& buttons, int safe, int preferred);

    QtPrinter& m_printer;
    bool m_busy = false;
    QPointer<QProgressDialog> m_wait;
    QPointer<QProgressDialog> m_progress;
    QElapsedTimer m_sinceProgress;
};

} // namespace calvorigne

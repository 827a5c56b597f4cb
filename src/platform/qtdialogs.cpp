#include "qtdialogs.h"

#include "platform/qtprinter.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPrintDialog>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace calvorigne {

namespace {

const QString title = QStringLiteral("Calvorigne");

// Yes and No as Windows answers them: neither Escape nor the title bar's close answers, so
// that a key pressed by habit never takes the answer that loses the settings.
class YesNoBox : public QMessageBox {
public:
    YesNoBox(const QString& text, QWidget* parent)
        : QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent)
    {
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape)
            return event->accept();
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

} // namespace

void QtDialogs::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool QtDialogs::question(const QString& text)
{
    YesNoBox box(text, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

int QtDialogs::choice(const QString& text, const QStringList& buttons, int safe, int preferred)
{
    return ask(text, QImage(), buttons, safe, preferred);
}

int QtDialogs::illustrated(const QString& text, const QImage& picture, const QStringList& buttons, int safe)
{
    return buttons.isEmpty() ? ask(text, picture, {QStringLiteral("OK")}, 0, 0) : ask(text, picture, buttons, safe, 0);
}

int QtDialogs::ask(const QString& text, const QImage& picture, const QStringList& buttons, int safe, int preferred)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, QApplication::activeWindow());
    if (!picture.isNull()) {
        box.setIconPixmap(QPixmap::fromImage(picture));
        // Beside a picture, the text keeps a readable width instead of a narrow column.
        if (auto* words = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            words->setMinimumWidth(440);
    }
    QList<QAbstractButton*> added;
    for (const QString& button : buttons)
        added << box.addButton(button, QMessageBox::AcceptRole);
    if (added.isEmpty())
        return -1;
    box.setDefaultButton(qobject_cast<QPushButton*>(added[std::clamp(preferred, 0, int(added.size()) - 1)]));
    safe = std::clamp(safe, 0, int(added.size()) - 1);
    box.setEscapeButton(added[safe]);
    box.exec();
    const qsizetype chosen = added.indexOf(box.clickedButton());
    return chosen < 0 ? safe : int(chosen);
}

std::optional<int> QtDialogs::pictureChoice(const QString& question, const std::vector<Picture>& answers)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(question, &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* row = new QHBoxLayout;
    std::optional<int> chosen;
    for (std::size_t k = 0; k < answers.size(); ++k) {
        auto* button = new QToolButton(&dialog);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(QPixmap::fromImage(answers[k].image));
        button->setIconSize(answers[k].image.size());
        button->setText(answers[k].caption);
        button->setAutoRaise(false);
        QObject::connect(button, &QToolButton::clicked, &dialog, [&dialog, &chosen, k] {
            chosen = int(k);
            dialog.accept();
        });
        row->addWidget(button);
    }
    layout->addLayout(row);
    auto* unknown = new QPushButton(QStringLiteral("Je ne sais pas"), &dialog);
    QObject::connect(unknown, &QPushButton::clicked, &dialog, &QDialog::reject);
    layout->addWidget(unknown, 0, Qt::AlignRight);
    dialog.exec();
    return chosen;
}

std::optional<QString> QtDialogs::textInput(const QString& prompt)
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtDialogs::fileToSave(const QString& caption, const QString& suggested, const QString& filter)
{
    const QString path = QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, suggested, filter);
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

std::optional<QString> QtDialogs::fileToOpen(const QString& caption, const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, QString(), filter);
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

bool QtDialogs::wait(const QString& text)
{
    if (!m_wait) {
        // Modal: the run is still under way, and the window must not start another.
        m_wait = new QProgressDialog(QString(), QStringLiteral("Ne plus attendre"), 0, 0, QApplication::activeWindow());
        m_wait->setWindowTitle(title);
        m_wait->setWindowModality(Qt::ApplicationModal);
        m_wait->setMinimumDuration(0);
        m_wait->setAutoReset(false);
        auto* label = new QLabel;
        label->setWordWrap(true);
        m_wait->setLabel(label);
        m_wait->setMinimumWidth(420);
    }
    m_wait->setLabelText(text);
    m_wait->show();
    QEventLoop breath;
    QTimer::singleShot(500, &breath, &QEventLoop::quit);
    breath.exec();
    return m_wait && !m_wait->wasCanceled();
}

void QtDialogs::endWait()
{
    delete m_wait;
}

bool QtDialogs::progress(const QString& text, int done, int total)
{
    if (!m_progress) {
        m_progress = new QProgressDialog(QString(), QStringLiteral("Arrêter"), 0, total, QApplication::activeWindow());
        // Not the bare application title: this window is no message box.
        m_progress->setWindowTitle(QStringLiteral("%1 – impression").arg(title));
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->setMinimumDuration(1000);
        m_progress->setAutoReset(false);
        m_progress->setAutoClose(false);
        m_progress->setMinimumWidth(360);
        m_progress->setValue(0);
        m_sinceProgress.start();
    }
    // Each update lets the window answer; a few times a second is enough, and keeps long runs fast.
    if (m_sinceProgress.elapsed() >= 200 || done == total) {
        m_sinceProgress.restart();
        m_progress->setMaximum(total);
        m_progress->setLabelText(text);
        m_progress->setValue(done);
    }
    return !m_progress->wasCanceled();
}

void QtDialogs::endProgress()
{
    delete m_progress;
}

void QtDialogs::printerDialog()
{
    if (!m_printer.hasPrinter()) {
        message(QStringLiteral("Aucune imprimante n'est installée : les numéros seront enregistrés "
                               "en PDF dans le dossier « %1 ».")
                    .arg(m_printer.documentsFolder()));
        return;
    }
    QPrintDialog dialog(&m_printer.device(), QApplication::activeWindow());
    // The run chooses its own pages: the preview's selection stands for a page range.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.exec();
}

void QtDialogs::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace calvorigne

#include "roomdisplay.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace calvorigne {

namespace {

QLabel* label(int points, bool bold, QWidget* parent)
{
    auto* text = new QLabel(parent);
    QFont font = text->font();
    font.setPointSize(points);
    font.setBold(bold);
    text->setFont(font);
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    return text;
}

} // namespace

RoomDisplay::RoomDisplay(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Affichage pour la salle"));
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(QStringLiteral("background: #101820; color: white"));
    title = label(28, false, this);
    prize = label(48, true, this);
    number = label(160, true, this);
    number->setStyleSheet(QStringLiteral("color: #ffd24a"));
    last = label(22, false, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addStretch();
    layout->addWidget(prize);
    layout->addWidget(number);
    layout->addStretch();
    layout->addWidget(last);
    // The projector is the screen the program's window is not on.
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() > 1)
        setScreen(screens.back() == QGuiApplication::primaryScreen() ? screens.front() : screens.back());
}

void RoomDisplay::present(const QString& heading, const QString& prizeText, const QString& numberText, const QStringList& lastResults)
{
    title->setText(heading);
    prize->setText(prizeText);
    number->setText(numberText);
    last->setText(lastResults.join(u'\n'));
    if (!isVisible())
        showFullScreen();
}

void RoomDisplay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

} // namespace calvorigne

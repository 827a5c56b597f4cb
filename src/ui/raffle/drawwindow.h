// « Tirage »: a raffle's prizes, the sold list frozen, then the draw, prize by prize, from the
// box or by the program, with the room's display following it, and the papers that come out.
#pragma once

#include "draw/drawbook.h"
#include "platform/dialogs.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace calvorigne {

class RoomDisplay;

class DrawWindow : public QWidget {
    Q_OBJECT
public:
    DrawWindow(RaffleRegister& reg, qint64 raffle, Dialogs& dialogs, QWidget* parent = nullptr);

    void refresh();
    void addPrize();
    void removePrize();
    void importPrizes();
    void prepare();
    void start();
    void cancel();
    // The next prize: from the ticket typed in the urn field, or by the program.
    void drawNext();
    void absent();
    RoomDisplay* showRoom();
    void exportWinners();
    void writeMinutes();
    void verify();

    QTableWidget *prizes, *results;
    QLabel *state, *hash, *next, *said;
    QRadioButton *urn, *program;
    QComboBox* order;
    QPlainTextEdit* witnesses;
    QLineEdit* drawn;
    QPushButton *prepareButton, *startButton, *cancelButton, *drawButton, *absentButton, *addButton, *removeButton, *importButton;

signals:
    // After each change it made: tickets settled, a prize, a draw.
    void changed();

private:
    void say(const QString& text, bool bad);

    RaffleRegister& m_reg;
    qint64 m_raffle;
    DrawBook m_book;
    Dialogs& m_dialogs;
    QPointer<RoomDisplay> m_room;
};

} // namespace calvorigne

// « Affichage pour la salle »: what a projector shows while the draw goes on, in full screen on a
// second screen when there is one. The prize and the winning number, very large, and the last
// results below.
#pragma once

#include <QWidget>

class QLabel;

namespace calvorigne {

class RoomDisplay : public QWidget {
    Q_OBJECT
public:
    explicit RoomDisplay(QWidget* parent = nullptr);
    // Shows what it is given, full screen at first.
    void present(const QString& title, const QString& prize, const QString& number, const QStringList& last);

    QLabel *title, *prize, *number, *last;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace calvorigne

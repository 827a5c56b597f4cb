// The "Billet" panel of the preview: columns of tickets, the stubs that repeat the number, and
// the text of a number. Every change gives the whole model at once.
#pragma once

#include "print/ticketmodel.h"

#include <QGroupBox>
#include <array>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace calvorigne {

class TicketPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit TicketPanel(QWidget* parent = nullptr);

    // Shows the model; says nothing back.
    void setModel(const TicketModel& model);
    TicketModel model() const { return m_model; }

    QSpinBox* columns;
    QDoubleSpinBox* pitch;
    struct StubRow {
        QDoubleSpinBox *dx, *dy, *size;
        QComboBox* rotation;
        QPushButton* remove;
        QWidget* row;
    };
    std::array<StubRow, TicketModel::maxStubs> stubs;
    QPushButton* addStub;
    QLineEdit* prefix;
    QSpinBox* digits;

signals:
    void changed(const TicketModel& model);

private:
    void edited();
    void showModel();

    TicketModel m_model;
    bool m_showing = false;
};

} // namespace calvorigne

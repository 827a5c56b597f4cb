// The parameters of a print run as the window holds them: each is the caption of a label
// (or the state of a control), read afresh whenever the run needs it.
#pragma once

#include "print/ticketmodel.h"

#include <QString>
#include <cstdint>

namespace calvorigne {

class TicketLayout {
public:
    enum class Field {
        First,     // Lbl_Début
        Booklets,  // Lbl_NbCarnet
        Folios,    // Lbl_folio
        X, Y, E,   // position and spacing, mm
        Top,       // Lbl_H
        Bottom,    // Lbl_B
        Size,      // Lbl_Size, points
        Rows,      // Lbl_Count
        Last,      // Lbl_Der
        Page,      // Lbl_page
    };

    virtual ~TicketLayout() = default;

    virtual QString caption(Field field) const = 0;
    // Writes the caption, runs its change handler and shows the new text at once.
    virtual void setCaption(Field field, const QString& text) = 0;
    virtual QString fontName() const = 0;
    virtual bool bold() const = 0;
    virtual std::uint32_t inkColour() const = 0;
    // Columns, stubs and the text of a number, set outside the window.
    virtual TicketModel ticketModel() const { return {}; }
};

} // namespace calvorigne

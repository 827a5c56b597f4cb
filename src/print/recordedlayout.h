// A run's parameters as it was printed, kept in the record with it, so that its sheets and its
// booklets can be had again exactly as they were, whatever the window has held since.
#pragma once

#include "print/ticketlayout.h"

#include <QMap>
#include <optional>

namespace calvorigne {

class RecordedLayout : public TicketLayout {
public:
    // The parameters a layout holds now, as the record keeps them.
    static QString describe(const TicketLayout& layout);
    // Nothing when the text is not one describe() wrote.
    static std::optional<RecordedLayout> read(const QString& text);

    QString caption(Field field) const override { return m_captions.value(field, QStringLiteral("0")); }
    // A reprint writes nothing back; kept all the same, as a layout must.
    void setCaption(Field field, const QString& text) override { m_captions[field] = text; }
    QString fontName() const override { return m_font; }
    bool bold() const override { return m_bold; }
    std::uint32_t inkColour() const override { return m_ink; }
    TicketModel ticketModel() const override { return m_model; }

private:
    QMap<Field, QString> m_captions;
    QString m_font;
    bool m_bold = false;
    std::uint32_t m_ink = 0;
    TicketModel m_model;
};

} // namespace calvorigne

// What a ticket looks like beyond the window's one number: columns of tickets across the
// sheet, further places for the same number (the stubs, "souches", often read sideways), and
// the text of a number. At its default it prints exactly one number, in one column, "0001".
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace calvorigne {

struct StubPlace {
    double dx = 0, dy = 0;       // mm from the number's own place, right and down
    std::optional<double> size;  // points; none for the run's size
    int rotation = 0;            // 0, 90, 180 or 270 degrees clockwise, about its top-left corner

    bool operator==(const StubPlace&) const = default;
};

struct TicketModel {
    static constexpr int maxColumns = 10, maxStubs = 3, maxPrefix = 20;

    int columns = 1;
    double pitch = 0;            // mm between the left edges of two columns
    std::vector<StubPlace> stubs;
    QString prefix;              // before every number, Latin-1
    int digits = 4;              // at least this many, with leading zeros

    bool operator==(const TicketModel&) const = default;
    bool isDefault() const { return *this == TicketModel(); }

    // The text printed for a number.
    QString text(double number) const;

    // The model as its settings keys name it, in their order, numbers in the file's form;
    // empty for the default model.
    std::vector<std::pair<QString, QString>> keys() const;
    // A model from those keys, read as Windows reads them: a value absent or not a number is
    // the default, one out of its range is brought into it.
    static TicketModel fromKeys(const std::function<QString(const QString&)>& value);
};

} // namespace calvorigne

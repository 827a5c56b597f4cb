// Reading and writing the numbers that the window keeps as caption text.
//
// Every parameter of a print run lives as the text of a label; these helpers are the one
// way the program turns such a text into a number and a number back into a ticket text.
// They depend on QtCore only, so the logic that uses them is testable without a display.
#pragma once

#include <QString>
#include <cstdint>

namespace calvorigne {

// The number at the start of the text (blanks skipped anywhere, "." as decimal point,
// E or D exponent, &H / &O whole numbers); 0 when the text does not begin with one.
double readNumber(const QString& text);

// The number rounded (halves away from zero) and written with at least as many digits as
// the pattern has zeros, sign in front of the padding; longer numbers are written in full.
QString padNumber(double number, const QString& pattern);

// Rounding to the nearest whole number, halves to the even neighbour.
double roundHalfEven(double value);

// Plain decimal text of a number: "12", "-3", "12.5".
QString plainNumber(double number);

// Decimal text led by a blank in the sign position when not negative: " 12", "-3".
QString signedNumber(double number);

// Colour values are 0x00BBGGRR, red in the low byte.
constexpr std::uint32_t colourValue(int red, int green, int blue)
{
    return std::uint32_t(red) | std::uint32_t(green) << 8 | std::uint32_t(blue) << 16;
}
constexpr int redOf(std::uint32_t colour) { return int(colour & 0xFF); }
constexpr int greenOf(std::uint32_t colour) { return int(colour >> 8 & 0xFF); }
constexpr int blueOf(std::uint32_t colour) { return int(colour >> 16 & 0xFF); }

// A stored colour number as a colour value: rounded halves to even; anything that is not
// a colour (negative, above 0xFFFFFF, not finite) gives black.
std::uint32_t colourFromNumber(double number);

} // namespace calvorigne

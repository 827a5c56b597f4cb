#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace calvorigne {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Whether a number out of a double's range is too large (rather than too small): the power
// of ten of its first significant digit, from digits like "-0012.5e+7".
bool beyondLargest(const std::string& number)
{
    const std::size_t e = number.find('e');
    const std::string mantissa = number.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string::npos)
        return false;
    long long power = first < point ? (long long)(point - first) - 1 : -(long long)(first - point);
    if (e != std::string::npos) {
        long long exponent = 0;
        const bool negative = number.compare(e + 1, 1, "-") == 0;
        for (std::size_t k = e + 1; k < number.size(); ++k)
            if (number[k] >= '0' && number[k] <= '9')
                exponent = std::min(exponent * 10 + (number[k] - '0'), 1000000000LL);
        power += negative ? -exponent : exponent;
    }
    return power > 0;
}

// Whole number in base 8 or 16 after "&O" / "&H"; stops at the first foreign digit.
double readRadix(const QString& text, qsizetype from, int base)
{
    double value = 0;
    for (qsizetype k = from; k < text.size(); ++k) {
        const QChar c = text.at(k);
        if (isBlank(c))
            continue;
        const int digit = c.isDigit() ? c.digitValue()
                          : (base == 16 && c.toLower() >= u'a' && c.toLower() <= u'f')
                              ? c.toLower().unicode() - u'a' + 10
                              : -1;
        if (digit < 0 || digit >= base)
            break;
        value = value * base + digit;
    }
    return value;
}

} // namespace

double readNumber(const QString& text)
{
    qsizetype k = 0;
    auto skipBlanks = [&] {
        while (k < text.size() && isBlank(text.at(k)))
            ++k;
    };
    auto at = [&](qsizetype i) { return i < text.size() ? text.at(i) : QChar(); };

    skipBlanks();
    if (at(k) == u'&') {
        qsizetype next = k + 1;
        while (next < text.size() && isBlank(text.at(next)))
            ++next;
        const QChar radix = at(next).toUpper();
        if (radix == u'H')
            return readRadix(text, next + 1, 16);
        if (radix == u'O')
            return readRadix(text, next + 1, 8);
        return 0;
    }

    // Gather the characters of the number without its blanks, then convert them with a
    // locale-independent conversion.
    std::string number;
    if (at(k) == u'+' || at(k) == u'-') {
        number += char(at(k).unicode());
        ++k;
    }
    bool digits = false, point = false;
    for (;; ++k) {
        skipBlanks();
        const QChar c = at(k);
        if (c.isDigit() && c.unicode() < 128) {
            number += char(c.unicode());
            digits = true;
        } else if (c == u'.' && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;

    // An exponent counts only when digits follow its letter and optional sign.
    skipBlanks();
    const QChar letter = at(k).toUpper();
    if (letter == u'E' || letter == u'D') {
        std::string exponent = "e";
        qsizetype e = k + 1;
        auto skip = [&] {
            while (e < text.size() && isBlank(text.at(e)))
                ++e;
        };
        skip();
        if (at(e) == u'+' || at(e) == u'-')
            exponent += char(at(e++).unicode());
        bool expDigits = false;
        for (skip(); at(e).isDigit() && at(e).unicode() < 128; ++e, skip()) {
            exponent += char(at(e).unicode());
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }

    double value = 0;
    const char* first = number.data();
    const char* last = first + number.size();
    if (*first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error == std::errc::result_out_of_range) {
        // Too large gives infinity, too small gives zero, each with its sign.
        const bool negative = number.front() == '-';
        value = beyondLargest(number) ? HUGE_VAL : 0.0;
        return negative ? -value : value;
    }
    return value;
}

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode is to nearest, ties to even
}

QString plainNumber(double number)
{
    // The shortest text that reads back as the same number, never in exponent form.
    char digits[400];
    const auto result = std::to_chars(digits, digits + sizeof digits, number, std::chars_format::fixed);
    const QString text = QString::fromLatin1(digits, result.ptr - digits);
    return text == u"-0" ? QStringLiteral("0") : text;
}

QString signedNumber(double number)
{
    const QString text = plainNumber(number);
    return text.startsWith(u'-') ? text : u' ' + text;
}

QString padNumber(double number, const QString& pattern)
{
    const double whole = std::round(number); // halves away from zero
    const qsizetype width = pattern.count(u'0');
    QString digits = QString::number(std::fabs(whole), 'f', 0);
    if (digits.size() < width)
        digits.prepend(QString(width - digits.size(), u'0'));
    return whole < 0 ? u'-' + digits : digits;
}

std::uint32_t colourFromNumber(double number)
{
    const double whole = roundHalfEven(number);
    if (!(whole >= 0 && whole <= 0xFFFFFF))
        return 0;
    return std::uint32_t(whole);
}

} // namespace calvorigne

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

// The number rules shared by every reader and writer of the program's text
// files. None of them depends on the user's regional settings: "." is the
// decimal point everywhere.
namespace NumberRules {

// The number a text starts with. Blanks, tabs and line feeds are skipped
// wherever they stand ("1 000" gives 1000); then an optional sign, digits with
// at most one ".", and an optional exponent (E or e, optional sign, digits)
// are read as far as they go. "&H" and "&O" read a hexadecimal or octal whole
// number. A text without a leading number gives 0. A number too large for a
// double gives an infinity of its sign, one too small gives zero.
double LeadingNumber(QStringView text);
double LeadingNumber(const char* begin, const char* end);
inline double LeadingNumber(const QByteArray& bytes) {
    return LeadingNumber(bytes.constData(), bytes.constData() + bytes.size());
}

// True when the whole line, leading and trailing blanks and tabs aside, is one
// number: optional sign, digits, optional fraction, optional exponent. A line
// that is empty or blank is not a number line.
bool IsNumberLine(const char* begin, const char* end);
inline bool IsNumberLine(const QByteArray& line) {
    return IsNumberLine(line.constData(), line.constData() + line.size());
}
bool IsNumberLine(const QString& line);

// Rounds to the nearest 16-bit signed integer, exact halves to the even
// neighbour (2.5 gives 2, 3.5 gives 4). Empty when the rounded value does not
// fit 16 bits or the value is not a number: every caller has to decide what
// that means for its input.
std::optional<qint16> RoundToInt16(double value);

// Decimal text of a value with a sign position: at most 15 significant
// digits (rounded), no trailing zeros and no trailing point, "." as decimal
// point, one leading blank for values of 0 and above, "-" for negative ones,
// and no 0 before the point between -1 and 1 (" .5"). Values from 1E-4 up to
// (not including) 1E+15 in magnitude are written in this fixed form; smaller
// and larger ones in exponent form with the same mantissa rules and a signed
// exponent of at least two digits (" 1.5E+20", "-2E-05"). An infinity is
// written as the largest finite double in that form, which reads back as an
// infinity; a NaN is written as " 0". Integers of the settings state file use
// this form too, with a blank after them.
QString FormatScore(double value);

} // namespace NumberRules

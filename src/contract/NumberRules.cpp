#include "contract/NumberRules.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads characters through a callback that skips the blanks, so one parser
// serves both the byte and the UTF-16 overloads.
template <typename Source>
class Scanner {
public:
    explicit Scanner(Source source)
        : m_source(source) {}

    // Next significant character without consuming it; 0 at the end.
    char peek() {
        while (m_pos < m_source.size() && isBlank(m_source.at(m_pos))) {
            ++m_pos;
        }
        return m_pos < m_source.size() ? m_source.at(m_pos) : 0;
    }
    void take() { ++m_pos; }

private:
    Source m_source;
    qsizetype m_pos = 0;
};

struct ByteSource {
    const char* begin;
    const char* end;
    qsizetype size() const { return end - begin; }
    char at(qsizetype i) const { return begin[i]; }
};

struct Utf16Source {
    QStringView text;
    qsizetype size() const { return text.size(); }
    // Characters beyond ASCII can never continue a number: map them to a
    // byte that is neither a blank nor part of any number.
    char at(qsizetype i) const {
        const char16_t c = text.at(i).unicode();
        return c < 0x80 ? static_cast<char>(c) : '\x7f';
    }
};

template <typename Source>
double parseRadix(Scanner<Source>& scan, int radix) {
    double value = 0;
    for (;;) {
        const char c = scan.peek();
        int digit = -1;
        if (isDigit(c)) {
            digit = c - '0';
        } else if (radix == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (radix == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0 || digit >= radix) {
            return value;
        }
        value = value * radix + digit;
        scan.take();
    }
}

// Value of a decimal text whose digits from_chars reports as out of range:
// decides between an overflow (infinity) and an underflow (zero) from the
// position of the first significant digit.
double outOfRange(const std::string& mantissa, long long exponent, bool negative) {
    long long magnitude = 0;
    const auto point = mantissa.find('.');
    const std::string intPart = mantissa.substr(0, point);
    const auto firstNonZero = intPart.find_first_not_of('0');
    if (firstNonZero != std::string::npos) {
        magnitude = static_cast<long long>(intPart.size() - firstNonZero) - 1 + exponent;
    } else if (point != std::string::npos) {
        const std::string frac = mantissa.substr(point + 1);
        const auto nz = frac.find_first_not_of('0');
        magnitude = (nz == std::string::npos ? 0 : -static_cast<long long>(nz) - 1) + exponent;
    }
    const double result = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -result : result;
}

template <typename Source>
double parseLeading(Source source) {
    Scanner<Source> scan(source);
    if (scan.peek() == '&') {
        scan.take();
        const char kind = scan.peek();
        if (kind == 'H' || kind == 'h') {
            scan.take();
            return parseRadix(scan, 16);
        }
        if (kind == 'O' || kind == 'o') {
            scan.take();
            return parseRadix(scan, 8);
        }
        return 0;
    }

    bool negative = false;
    if (scan.peek() == '+' || scan.peek() == '-') {
        negative = scan.peek() == '-';
        scan.take();
    }
    std::string mantissa;
    bool seenPoint = false;
    bool seenDigit = false;
    for (;;) {
        const char c = scan.peek();
        if (isDigit(c)) {
            seenDigit = true;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
        mantissa.push_back(c);
        scan.take();
    }
    if (!seenDigit) {
        return 0;
    }

    // The exponent counts only when at least one digit follows its letter and
    // optional sign; otherwise the number ends before the letter.
    long long exponent = 0;
    if (scan.peek() == 'E' || scan.peek() == 'e') {
        Scanner<Source> ahead = scan;
        ahead.take();
        bool expNegative = false;
        if (ahead.peek() == '+' || ahead.peek() == '-') {
            expNegative = ahead.peek() == '-';
            ahead.take();
        }
        if (isDigit(ahead.peek())) {
            while (isDigit(ahead.peek())) {
                // Saturate: anything this large is an overflow or underflow anyway.
                exponent = std::min<long long>(exponent * 10 + (ahead.peek() - '0'), 1'000'000'000);
                ahead.take();
            }
            if (expNegative) {
                exponent = -exponent;
            }
        }
    }

    std::string text = mantissa;
    if (exponent != 0) {
        text += 'e' + std::to_string(exponent);
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        return outOfRange(mantissa, exponent, negative);
    }
    return negative ? -value : value;
}

// The powers of ten that are exact doubles.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case of the engine's value lines, read without building a text:
// blanks, an optional sign, at most 19 digits with at most one point, ended
// by the end of the text or a character that cannot continue a number. When
// the digits form an integer of at most 2^53 and there are at most 22 of them
// after the point, both it and the power of ten are exact doubles, so their
// quotient is the correctly rounded value, the same as the general parser
// gives. Anything else (blanks or an exponent after the digits, "&H", more
// digits) is left to the general parser.
std::optional<double> plainDecimal(const char* p, const char* end) {
    while (p < end && isBlank(*p)) {
        ++p;
    }
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    bool seenPoint = false;
    for (; p < end; ++p) {
        if (isDigit(*p)) {
            if (++digits > 19) {
                return std::nullopt;
            }
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
            fractionDigits += seenPoint ? 1 : 0;
        } else if (*p == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (digits == 0 || mantissa > (std::uint64_t{1} << 53) || fractionDigits > 22) {
        return std::nullopt;
    }
    if (p < end && (isBlank(*p) || *p == 'E' || *p == 'e')) {
        return std::nullopt;
    }
    const double value = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    return negative ? -value : value;
}

// Decimal digits and exponent of a finite, non-zero magnitude rounded to 15
// significant digits, trailing zeros removed.
struct Digits {
    std::string digits;
    int exponent = 0; // value = d.ddd × 10^exponent
};

Digits significantDigits(double magnitude) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    Digits d;
    for (std::size_t i = 0; i < e; ++i) {
        if (isDigit(text[i])) {
            d.digits.push_back(text[i]);
        }
    }
    d.exponent = std::stoi(text.substr(e + 1));
    while (d.digits.size() > 1 && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    return d;
}

} // namespace

namespace NumberRules {

double LeadingNumber(QStringView text) {
    return parseLeading(Utf16Source{text});
}

double LeadingNumber(const char* begin, const char* end) {
    if (const std::optional<double> value = plainDecimal(begin, end)) {
        return *value;
    }
    return parseLeading(ByteSource{begin, end});
}

bool IsNumberLine(const char* begin, const char* end) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    // Moves p past a sign, when there is one.
    auto skipSign = [end](const char*& p) {
        if (p < end && (*p == '+' || *p == '-')) {
            ++p;
        }
    };
    // Moves p past a run of digits; how many there were.
    auto skipDigits = [end](const char*& p) {
        const char* start = p;
        while (p < end && isDigit(*p)) {
            ++p;
        }
        return int(p - start);
    };
    while (begin < end && blank(*begin)) {
        ++begin;
    }
    while (end > begin && blank(end[-1])) {
        --end;
    }
    const char* p = begin;
    skipSign(p);
    int digits = skipDigits(p);
    if (p < end && *p == '.') {
        ++p;
        digits += skipDigits(p);
    }
    if (digits == 0) {
        return false;
    }
    if (p < end && (*p == 'E' || *p == 'e')) {
        ++p;
        skipSign(p);
        if (skipDigits(p) == 0) {
            return false;
        }
    }
    return p == end;
}

bool IsNumberLine(const QString& line) {
    const QByteArray latin = line.toLatin1();
    // Characters beyond Latin-1 become '?', which no number contains.
    return IsNumberLine(latin);
}

std::optional<qint16> RoundToInt16(double value) {
    if (std::isnan(value)) {
        return std::nullopt;
    }
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0)) {
        rounded = floor + 1;
    }
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return static_cast<qint16>(rounded);
}

QString FormatScore(double value) {
    if (std::isnan(value)) {
        return QStringLiteral(" 0");
    }
    if (std::isinf(value)) {
        value = std::copysign(std::numeric_limits<double>::max(), value);
    }
    const QString sign = value < 0 ? QStringLiteral("-") : QStringLiteral(" ");
    if (value == 0) {
        return QStringLiteral(" 0");
    }
    const Digits d = significantDigits(std::fabs(value));
    const std::string& digits = d.digits;
    std::string body;
    if (d.exponent >= 15 || d.exponent < -4) {
        body = digits.substr(0, 1);
        if (digits.size() > 1) {
            body += '.' + digits.substr(1);
        }
        const int e = std::abs(d.exponent);
        body += d.exponent < 0 ? "E-" : "E+";
        body += (e < 10 ? "0" : "") + std::to_string(e);
    } else if (d.exponent >= 0) {
        const std::size_t intDigits = static_cast<std::size_t>(d.exponent) + 1;
        if (digits.size() <= intDigits) {
            body = digits + std::string(intDigits - digits.size(), '0');
        } else {
            body = digits.substr(0, intDigits) + '.' + digits.substr(intDigits);
        }
    } else {
        body = '.' + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + digits;
    }
    return sign + QString::fromLatin1(body.data(), static_cast<qsizetype>(body.size()));
}

} // namespace NumberRules

#include "parse/decimal.h"

#include <algorithm>
#include <string>

namespace tavimo {

namespace {

using u128 = unsigned __int128;

constexpr u128 kMaxCoefficient = (u128(1) << 96) - 1;
constexpr int kMaxDigits = 29; // 2^96 - 1 has 29 decimal digits
constexpr std::int64_t kExponentLimit = 1'000'000;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The significant digits of a number text and its power-of-ten scale:
// value = digits * 10^-scale, digits without leading zeros.
struct NumberText {
    std::string digits;
    std::int64_t scale = 0;
    bool negative = false;
};

bool splitNumberText(QStringView text, NumberText &number)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        number.negative = text[i++] == u'-';
    bool sawDigit = false;
    bool sawPoint = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            sawDigit = true;
            if (sawPoint)
                ++number.scale;
            if (!number.digits.empty() || c != u'0')
                number.digits.push_back(char(c.unicode() - u'0'));
        } else if (c == u'.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            negativeExponent = text[i++] == u'-';
        if (i == n || !isDigit(text[i]))
            return false;
        std::int64_t exponent = 0;
        for (; i < n && isDigit(text[i]); ++i)
            exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), kExponentLimit);
        number.scale += negativeExponent ? exponent : -exponent;
    }
    return i == n;
}

u128 leadingDigitsValue(const std::string &digits, std::int64_t count)
{
    u128 value = 0;
    for (std::int64_t i = 0; i < count; ++i)
        value = value * 10 + u128(digits[size_t(i)]);
    return value;
}

// Rounds half to even on the digits dropped after the first `kept`.
bool roundsUp(const std::string &digits, std::int64_t kept, u128 value)
{
    if (kept < 0 || kept >= std::int64_t(digits.size()))
        return false;
    const int first = static_cast<unsigned char>(digits[size_t(kept)]);
    if (first != 5)
        return first > 5;
    const bool sticky = std::any_of(digits.begin() + kept + 1, digits.end(), [](char d) { return d != 0; });
    return sticky || (value & 1) != 0;
}

Decimal::Conversion integerValue(const NumberText &number, Decimal &out)
{
    const std::int64_t totalDigits = std::int64_t(number.digits.size()) - number.scale;
    if (totalDigits > kMaxDigits)
        return Decimal::Conversion::TooLarge;
    u128 value = leadingDigitsValue(number.digits, std::int64_t(number.digits.size()));
    for (std::int64_t i = 0; i < -number.scale; ++i)
        value *= 10;
    if (!Decimal::fromParts(value, 0, number.negative, out))
        return Decimal::Conversion::TooLarge;
    return Decimal::Conversion::Ok;
}

// Drops fractional digits, rounding, until the scale and the coefficient fit.
Decimal::Conversion fractionalValue(const NumberText &number, Decimal &out)
{
    std::int64_t kept = std::int64_t(number.digits.size());
    std::int64_t scale = number.scale;
    if (scale > Decimal::kMaxScale) {
        kept -= scale - Decimal::kMaxScale;
        scale = Decimal::kMaxScale;
    }
    for (;;) {
        if (kept <= kMaxDigits) {
            u128 value = leadingDigitsValue(number.digits, std::max<std::int64_t>(kept, 0));
            if (roundsUp(number.digits, kept, value))
                ++value;
            if (value <= kMaxCoefficient) {
                Decimal::fromParts(value, int(scale), number.negative, out);
                return Decimal::Conversion::Ok;
            }
        }
        if (scale == 0)
            return Decimal::Conversion::TooLarge;
        --kept;
        --scale;
    }
}

} // namespace

bool Decimal::fromParts(u128 coefficient, int scale, bool negative, Decimal &out)
{
    if (coefficient > kMaxCoefficient || scale < 0 || scale > kMaxScale)
        return false;
    out.lo_ = std::uint64_t(coefficient);
    out.hi_ = std::uint32_t(coefficient >> 64);
    out.scale_ = std::uint8_t(scale);
    out.negative_ = negative;
    return true;
}

Decimal Decimal::fromInt(std::int64_t value)
{
    Decimal result;
    const bool negative = value < 0;
    const std::uint64_t magnitude = negative ? 0 - std::uint64_t(value) : std::uint64_t(value);
    fromParts(magnitude, 0, negative, result);
    return result;
}

Decimal::Conversion Decimal::fromText(QStringView text, Decimal &out)
{
    NumberText number;
    if (!splitNumberText(text, number))
        return Conversion::Invalid;
    if (number.digits.empty()) {
        fromParts(0, int(std::clamp<std::int64_t>(number.scale, 0, kMaxScale)), number.negative, out);
        return Conversion::Ok;
    }
    return number.scale <= 0 ? integerValue(number, out) : fractionalValue(number, out);
}

u128 Decimal::coefficient() const
{
    return (u128(hi_) << 64) | lo_;
}

QString Decimal::toText(QChar decimalPoint) const
{
    char digits[kMaxDigits + kMaxScale + 2];
    int count = 0;
    u128 value = coefficient();
    do {
        digits[count++] = char('0' + int(value % 10));
        value /= 10;
    } while (value != 0);
    while (count <= scale_)
        digits[count++] = '0';

    QString text;
    text.reserve(count + 2);
    if (negative_ && !isZero())
        text.append(u'-');
    for (int i = count - 1; i >= 0; --i) {
        text.append(QChar(u'0' + (digits[i] - '0')));
        if (i == scale_ && i != 0)
            text.append(decimalPoint);
    }
    return text;
}

double Decimal::toDouble() const
{
    return toText().toDouble();
}

bool operator==(const Decimal &a, const Decimal &b)
{
    if (a.isZero() || b.isZero())
        return a.isZero() && b.isZero();
    if (a.negative_ != b.negative_)
        return false;
    auto normalise = [](const Decimal &d, u128 &value, int &scale) {
        value = d.coefficient();
        scale = d.scale_;
        while (scale > 0 && value % 10 == 0) {
            value /= 10;
            --scale;
        }
    };
    u128 valueA, valueB;
    int scaleA, scaleB;
    normalise(a, valueA, scaleA);
    normalise(b, valueB, scaleB);
    return valueA == valueB && scaleA == scaleB;
}

} // namespace tavimo

#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

namespace tavimo {

// An exact decimal number with the range of the Windows DECIMAL type:
// a 96-bit unsigned coefficient, a sign and a power-of-ten scale 0..28.
// The value is (-1)^negative * coefficient / 10^scale.
class Decimal {
public:
    static constexpr int kMaxScale = 28;

    enum class Conversion { Ok, Invalid, TooLarge };

    Decimal() = default;
    // Fails (returns false) when the coefficient exceeds 96 bits or the
    // scale exceeds kMaxScale.
    static bool fromParts(unsigned __int128 coefficient, int scale, bool negative, Decimal &out);
    static Decimal fromInt(std::int64_t value);

    // Reads [sign] digits [. digits] [e|E [sign] digits]; fractional digits
    // beyond the 96-bit or 28-digit limit are rounded half to even.
    static Conversion fromText(QStringView text, Decimal &out);

    unsigned __int128 coefficient() const;
    int scale() const { return scale_; }
    bool isNegative() const { return negative_; }
    bool isZero() const { return lo_ == 0 && hi_ == 0; }

    // Every digit the scale holds, trailing zeros included ("12.50", "-3").
    QString toText(QChar decimalPoint = u'.') const;
    double toDouble() const;

    // Numeric equality: 1.5 equals 1.50, and -0 equals 0.
    friend bool operator==(const Decimal &a, const Decimal &b);

private:
    std::uint64_t lo_ = 0;
    std::uint32_t hi_ = 0;
    std::uint8_t scale_ = 0;
    bool negative_ = false;
};

} // namespace tavimo

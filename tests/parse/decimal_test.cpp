#include "parse/decimal.h"

#include <gtest/gtest.h>

using tavimo::Decimal;
using Conversion = tavimo::Decimal::Conversion;

namespace {

struct ConversionCase {
    const char16_t *text;
    Conversion result;
    const char16_t *form; // toText() when the conversion succeeds
};

void PrintTo(const ConversionCase &row, std::ostream *out)
{
    *out << QString::fromUtf16(row.text).toStdString();
}

class DecimalConversion : public ::testing::TestWithParam<ConversionCase> {};

// Number texts convert to the exact decimal, or fail as invalid or too large.
TEST_P(DecimalConversion, ConvertsText)
{
    const ConversionCase &row = GetParam();
    Decimal value;
    ASSERT_EQ(Decimal::fromText(QString::fromUtf16(row.text), value), row.result);
    if (row.result == Conversion::Ok) {
        EXPECT_EQ(value.toText(), QString::fromUtf16(row.form));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, DecimalConversion, ::testing::Values(
    ConversionCase{u"0.1", Conversion::Ok, u"0.1"},
    ConversionCase{u"12.50", Conversion::Ok, u"12.50"},
    ConversionCase{u"-3", Conversion::Ok, u"-3"},
    ConversionCase{u"1E3", Conversion::Ok, u"1000"},
    ConversionCase{u"+5", Conversion::Ok, u"5"},
    ConversionCase{u"1.5e-3", Conversion::Ok, u"0.0015"},
    ConversionCase{u"2.5E+2", Conversion::Ok, u"250"},
    ConversionCase{u"1.50e1", Conversion::Ok, u"15.0"},
    ConversionCase{u".5", Conversion::Ok, u"0.5"},
    ConversionCase{u"5.", Conversion::Ok, u"5"},
    ConversionCase{u"007", Conversion::Ok, u"7"},
    ConversionCase{u"0", Conversion::Ok, u"0"},
    ConversionCase{u"-0", Conversion::Ok, u"0"},
    ConversionCase{u"0.00", Conversion::Ok, u"0.00"},
    ConversionCase{u"0e99999999999999999999", Conversion::Ok, u"0"},
    ConversionCase{u"", Conversion::Invalid, u""},
    ConversionCase{u"1-2", Conversion::Invalid, u""},
    ConversionCase{u"1.2.3", Conversion::Invalid, u""},
    ConversionCase{u"e5", Conversion::Invalid, u""},
    ConversionCase{u"-", Conversion::Invalid, u""},
    ConversionCase{u".", Conversion::Invalid, u""},
    ConversionCase{u"1e", Conversion::Invalid, u""},
    ConversionCase{u"1e+", Conversion::Invalid, u""},
    ConversionCase{u"--1", Conversion::Invalid, u""},
    ConversionCase{u"1e5e5", Conversion::Invalid, u""},
    ConversionCase{u"1e2.5", Conversion::Invalid, u""},
    ConversionCase{u"+-1", Conversion::Invalid, u""},
    // The limits of a 96-bit coefficient and a scale of 28.
    ConversionCase{u"79228162514264337593543950335", Conversion::Ok, u"79228162514264337593543950335"},
    ConversionCase{u"-79228162514264337593543950335", Conversion::Ok, u"-79228162514264337593543950335"},
    ConversionCase{u"79228162514264337593543950336", Conversion::TooLarge, u""},
    ConversionCase{u"7922816251426433759354395033.5e1", Conversion::Ok, u"79228162514264337593543950335"},
    ConversionCase{u"1e28", Conversion::Ok, u"10000000000000000000000000000"},
    ConversionCase{u"1e29", Conversion::TooLarge, u""},
    ConversionCase{u"1234567890123456789012345678901234567890", Conversion::TooLarge, u""},
    ConversionCase{u"1e99999999999999999999", Conversion::TooLarge, u""},
    ConversionCase{u"7.9228162514264337593543950335", Conversion::Ok, u"7.9228162514264337593543950335"},
    ConversionCase{u"0.0000000000000000000000000001", Conversion::Ok, u"0.0000000000000000000000000001"},
    // Digits past what fits are rounded off, half to even.
    ConversionCase{u"9.9999999999999999999999999999", Conversion::Ok, u"10.000000000000000000000000000"},
    ConversionCase{u"0.12345678901234567890123456789", Conversion::Ok, u"0.1234567890123456789012345679"},
    ConversionCase{u"0.00000000000000000000000000005", Conversion::Ok, u"0.0000000000000000000000000000"},
    ConversionCase{u"0.00000000000000000000000000015", Conversion::Ok, u"0.0000000000000000000000000002"},
    ConversionCase{u"0.000000000000000000000000000051", Conversion::Ok, u"0.0000000000000000000000000001"},
    ConversionCase{u"1e-40", Conversion::Ok, u"0.0000000000000000000000000000"},
    ConversionCase{u"79228162514264337593543950335.4", Conversion::Ok, u"79228162514264337593543950335"},
    ConversionCase{u"79228162514264337593543950335.5", Conversion::TooLarge, u""},
    ConversionCase{u"-79228162514264337593543950334.5", Conversion::Ok, u"-79228162514264337593543950334"}));

Decimal parsed(const char16_t *text)
{
    Decimal value;
    EXPECT_EQ(Decimal::fromText(QString::fromUtf16(text), value), Conversion::Ok);
    return value;
}

// Equality is numeric: trailing zeros and the sign of zero do not matter.
TEST(Decimal, ComparesNumerically)
{
    EXPECT_EQ(parsed(u"1.5"), parsed(u"1.50"));
    EXPECT_EQ(parsed(u"-0"), parsed(u"0.000"));
    EXPECT_EQ(parsed(u"1e3"), Decimal::fromInt(1000));
    EXPECT_FALSE(parsed(u"1") == parsed(u"-1"));
    EXPECT_FALSE(parsed(u"0.1") == parsed(u"0.01"));
    EXPECT_EQ(Decimal::fromInt(-42).toText(), u"-42"_qs);
    EXPECT_EQ(Decimal::fromInt(INT64_MIN).toText(), u"-9223372036854775808"_qs);
}

// The text form can carry another decimal separator; toDouble approximates.
TEST(Decimal, WritesSeparatorAndDouble)
{
    EXPECT_EQ(parsed(u"-12.50").toText(u','), u"-12,50"_qs);
    EXPECT_DOUBLE_EQ(parsed(u"2.5e-2").toDouble(), 0.025);
}

} // namespace

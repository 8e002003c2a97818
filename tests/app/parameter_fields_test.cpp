#include "parameter_fields.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

using namespace karwen;

struct NumberCase {
    const char* text;
    std::optional<double> value;
};

class ParseNumber : public ::testing::TestWithParam<NumberCase> { };

TEST_P(ParseNumber, CLocaleSyntaxOnly)
{
    const NumberCase& c = GetParam();
    const std::optional<double> got = parseNumber(c.text);
    ASSERT_EQ(got.has_value(), c.value.has_value()) << '"' << c.text << '"';
    if (got) {
        EXPECT_DOUBLE_EQ(*got, *c.value) << '"' << c.text << '"';
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ParseNumber,
    ::testing::Values(NumberCase{"12", 12.0}, NumberCase{" 12.5 ", 12.5}, NumberCase{"\t-3\t", -3.0},
        NumberCase{"+4", 4.0}, NumberCase{".5", 0.5}, NumberCase{"5.", 5.0}, NumberCase{"1e3", 1000.0},
        NumberCase{"1.5E-2", 0.015}, NumberCase{"-0", 0.0}, NumberCase{"", std::nullopt},
        NumberCase{"   ", std::nullopt}, NumberCase{"abc", std::nullopt}, NumberCase{"1,5", std::nullopt},
        NumberCase{"1.2.3", std::nullopt}, NumberCase{"inf", std::nullopt}, NumberCase{"nan", std::nullopt},
        NumberCase{"0x10", std::nullopt}, NumberCase{"1e", std::nullopt}, NumberCase{"--1", std::nullopt},
        NumberCase{"1 2", std::nullopt}, NumberCase{"12a", std::nullopt}, NumberCase{".", std::nullopt},
        NumberCase{"1e400", std::nullopt}, NumberCase{"\xef\xbc\x91\xef\xbc\x92", std::nullopt})); // full-width digits

TEST(RoundHalfEven16, HalvesGoToEvenAndSixteenBitsBound)
{
    const std::pair<double, std::optional<int16_t>> cases[] = {{7.5, 8}, {6.5, 6}, {2048.5, 2048}, {2049.5, 2050},
        {-0.5, 0}, {-1.5, -2}, {7.4999, 7}, {32767.4, 32767}, {-32768.5, -32768}, {32767.5, std::nullopt},
        {-32769.0, std::nullopt}, {99999.0, std::nullopt}, {1e300, std::nullopt}};
    for (const auto& [value, rounded] : cases)
        EXPECT_EQ(roundHalfEven16(value), rounded) << value;
}

struct FormatCase {
    double value;
    const char* text;
};

class FormatFixed2 : public ::testing::TestWithParam<FormatCase> { };

TEST_P(FormatFixed2, TwoDecimals) { EXPECT_EQ(formatFixed2(GetParam().value), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Table, FormatFixed2,
    ::testing::Values(FormatCase{256.0, "256.00"}, FormatCase{0.0, "0.00"}, FormatCase{-12.3, "-12.30"},
        FormatCase{1234.5, "1234.50"}, FormatCase{12.3456, "12.35"}, FormatCase{12.345, "12.35"},
        FormatCase{2.675, "2.68"}, FormatCase{1.005, "1.01"}, FormatCase{0.005, "0.01"}, FormatCase{0.004, "0.00"},
        FormatCase{-0.001, "0.00"}, FormatCase{-0.005, "-0.01"}, FormatCase{99999.999, "100000.00"},
        FormatCase{0.1, "0.10"}, FormatCase{188.0, "188.00"}, FormatCase{1e20, "100000000000000000000.00"},
        FormatCase{1e-20, "0.00"}, FormatCase{double(500.5f), "500.50"}));

struct RuleCase {
    Field field;
    const char* text;
    std::optional<double> value;
};

class FieldRules : public ::testing::TestWithParam<RuleCase> { };

TEST_P(FieldRules, EdgesOfTheValidationTable)
{
    const RuleCase& c = GetParam();
    const auto rules = fieldRules(windowBounds(640, 480));
    const std::optional<double> got = fieldValue(rules[static_cast<std::size_t>(c.field)], c.text);
    ASSERT_EQ(got.has_value(), c.value.has_value()) << '"' << c.text << '"';
    if (got) {
        EXPECT_EQ(*got, *c.value) << '"' << c.text << '"';
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FieldRules,
    ::testing::Values(RuleCase{Field::SrcR, "10", std::nullopt}, RuleCase{Field::SrcR, "10.01", 10.01},
        RuleCase{Field::SrcR, "640", 640.0}, RuleCase{Field::SrcR, "640.01", std::nullopt},
        RuleCase{Field::SrcRot, "-180", -180.0}, RuleCase{Field::SrcRot, "180", 180.0},
        RuleCase{Field::SrcRot, "180.5", std::nullopt}, RuleCase{Field::SrcRot, "-180.01", std::nullopt},
        RuleCase{Field::DstWidth, "7.5", 8.0}, RuleCase{Field::DstWidth, "6.5", std::nullopt},
        RuleCase{Field::DstHeight, "2048.5", 2048.0}, RuleCase{Field::DstHeight, "2049.5", std::nullopt},
        RuleCase{Field::DstWidth, "99999", std::nullopt}, RuleCase{Field::DstWidth, " 512 ", 512.0},
        RuleCase{Field::SrcCx, "0", 0.0}, RuleCase{Field::SrcCx, "640", 640.0},
        RuleCase{Field::SrcCx, "640.01", std::nullopt}, RuleCase{Field::SrcCx, "-0.01", std::nullopt},
        RuleCase{Field::SrcCy, "480", 480.0}, RuleCase{Field::SrcCy, "481", std::nullopt},
        RuleCase{Field::RefPointX, "12.3456", 12.3456}, RuleCase{Field::RefPointY, "480.5", std::nullopt},
        RuleCase{Field::DstCx, "0", std::nullopt}, RuleCase{Field::DstCx, "0.01", 0.01},
        RuleCase{Field::DstCy, "2048", 2048.0}, RuleCase{Field::DstCy, "2048.01", std::nullopt},
        RuleCase{Field::DstR, "1024", 1024.0}, RuleCase{Field::DstCx, "x", std::nullopt}));

TEST(FirstInvalid, TableOrderDecides)
{
    std::array<std::string, kEditableFields> texts{
        "320", "240", "200", "0", "320", "240", "512", "512", "256", "256", "256"};
    EXPECT_EQ(firstInvalid(texts, windowBounds(640, 480)), std::nullopt);

    texts[static_cast<std::size_t>(Field::DstR)] = "5";
    EXPECT_EQ(firstInvalid(texts, windowBounds(640, 480)), Field::DstR);
    texts[static_cast<std::size_t>(Field::SrcCy)] = "";
    EXPECT_EQ(firstInvalid(texts, windowBounds(640, 480)), Field::SrcCy);
    // The source bounds move with the image size.
    texts[static_cast<std::size_t>(Field::SrcCy)] = "240";
    EXPECT_EQ(firstInvalid(texts, windowBounds(300, 480)), Field::SrcCx);
}

// The bounds of a field for the window, the batch dialog and the command
// line, each just inside and just outside.
TEST(FieldBounds, WindowBatchAndCommandLine)
{
    struct Case {
        FieldBounds bounds;
        Field field;
        const char* inside;
        const char* outside;
    };
    const FieldBounds photo26Mpx = windowBounds(5907, 4430);
    const Case cases[] = {
        {photo26Mpx, Field::SrcR, "1960", "5907.01"},
        {photo26Mpx, Field::SrcR, "5907", "10"},
        {windowBounds(480, 640), Field::SrcR, "640", "640.01"},
        {photo26Mpx, Field::DstWidth, "2048", "2049"},
        {photo26Mpx, Field::DstCx, "2048", "2048.01"},
        {photo26Mpx, Field::DstR, "1024", "1024.01"},
        {kBatchBounds, Field::SrcCx, "32767", "32767.01"},
        {kBatchBounds, Field::RefPointY, "32767", "-0.01"},
        {kBatchBounds, Field::SrcR, "16384", "16384.01"},
        {kBatchBounds, Field::DstHeight, "2048", "2049"},
        {kCommandLineBounds, Field::SrcCy, "32767", "32767.5"},
        {kCommandLineBounds, Field::DstWidth, "16384", "16385"},
        {kCommandLineBounds, Field::DstCy, "16384", "16384.01"},
        {kCommandLineBounds, Field::DstR, "8192", "8192.01"},
    };
    for (const Case& c : cases) {
        const FieldRule rule = fieldRules(c.bounds)[static_cast<std::size_t>(c.field)];
        EXPECT_TRUE(fieldValue(rule, c.inside).has_value()) << static_cast<int>(c.field) << " " << c.inside;
        EXPECT_FALSE(fieldValue(rule, c.outside).has_value()) << static_cast<int>(c.field) << " " << c.outside;
    }
}

#include <gtest/gtest.h>
#include <unistd.h>

#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "tables/u_stringhe.h"

TEST(SplitFields, RunsOfBlanksSeparateAndTabsStayInside) {
    LineFields f = SplitFields("   7   12.5 3.25  ");
    EXPECT_EQ(f[0], "7");
    EXPECT_EQ(f[1], "12.5");
    EXPECT_EQ(f[2], "3.25");
    EXPECT_EQ(f[3], "");

    f = SplitFields("a\tb c");
    EXPECT_EQ(f[0], "a\tb");
    EXPECT_EQ(f[1], "c");

    f = SplitFields("     ");
    for (const auto& field : f) EXPECT_EQ(field, "");

    f = SplitFields("1 2 3 4 5 6 7 8 9 10 11 12");
    EXPECT_EQ(f[9], "10");
}

TEST(SmallStringRoutines, TrimAndNormalize) {
    EXPECT_EQ(TrimTrailingChar("ab;;;", ';'), "ab");
    EXPECT_EQ(NormalizeDecimalText("12,5,3"), "12.5,3");
}

TEST(ParseReal, WellFormedFields) {
    EXPECT_DOUBLE_EQ(ParseReal("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(ParseReal("  -3.25"), -3.25);
    EXPECT_DOUBLE_EQ(ParseReal("+1.5E3"), 1500.0);
    EXPECT_DOUBLE_EQ(ParseReal("2e-2"), 0.02);
    EXPECT_DOUBLE_EQ(ParseReal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseReal("5."), 5.0);
    EXPECT_EQ(ParseReal("."), 0.0);
    EXPECT_DOUBLE_EQ(ParseReal("1.23457E6"), 1234570.0);
    EXPECT_EQ(ParseReal("1e-5000"), 0.0);  // underflow is zero, not unreadable
}

TEST(ParseReal, HostileTextIsUnreadable) {
    for (const char* text : {"", "-", "+", "12,5", "1.2.3", "1e", "1e+", "--1", "0x1F", "$FF",
                             "\t5", "5\t", "5 ", "1e5000", "-1e5000", "inf", "nan", "\xC3\xA8"})
        EXPECT_EQ(ParseReal(text), UnreadableValue) << "text: " << text;
    EXPECT_EQ(ParseReal(std::string(400, '9')), UnreadableValue);
    EXPECT_DOUBLE_EQ(ParseReal("0." + std::string(400, '0') + "1e402"), 10.0);
}

TEST(ParseInt, StatedExamples) {
    EXPECT_EQ(ParseInt("12.7"), 12);
    EXPECT_EQ(ParseInt("-12.5"), 12);
    EXPECT_EQ(ParseInt("-12"), -12);
    EXPECT_EQ(ParseInt("  +42"), 42);
    EXPECT_EQ(ParseInt("?"), 0);
    EXPECT_EQ(ParseInt(""), 0);
    EXPECT_EQ(ParseInt("-"), 0);
    EXPECT_EQ(ParseInt("12 "), 12);
    EXPECT_EQ(ParseInt("-12 "), 12);
    EXPECT_EQ(ParseInt("\t5"), 0);
    EXPECT_EQ(ParseInt("7\xC3\xA8"), 7);
}

TEST(ParseInt, HexPrefixes) {
    EXPECT_EQ(ParseInt("$FF"), 255);
    EXPECT_EQ(ParseInt("xff"), 255);
    EXPECT_EQ(ParseInt("X1a"), 26);
    EXPECT_EQ(ParseInt("0x10"), 16);
    EXPECT_EQ(ParseInt("-$10"), -16);
    EXPECT_EQ(ParseInt("$FG"), 15);
    EXPECT_EQ(ParseInt("0x"), 0);
    EXPECT_EQ(ParseInt("$"), 0);
    EXPECT_EQ(ParseInt("--1"), 0);
}

TEST(ParseInt, OverflowSaturates) {
    EXPECT_EQ(ParseInt("9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(ParseInt("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(ParseInt(std::string(100, '9')), LLONG_MAX);
    EXPECT_EQ(ParseInt("-" + std::string(100, '9')), LLONG_MIN);
    EXPECT_EQ(ParseInt("-" + std::string(100, '9') + "x"), LLONG_MAX);
    EXPECT_EQ(ParseInt("$" + std::string(40, 'F')), LLONG_MAX);
}

TEST(TextToReal, WholeTextIsTheValue) {
    EXPECT_EQ(TextToReal(""), 0.0L);
    EXPECT_EQ(TextToReal("   "), 0.0L);
    EXPECT_EQ(TextToReal("-"), 0.0L);
    EXPECT_EQ(TextToReal("."), 0.0L);
    EXPECT_EQ(TextToReal("-2.5"), -2.5L);
    EXPECT_EQ(TextToReal("  1.5e2"), 150.0L);
    EXPECT_EQ(TextToReal("12."), 12.0L);
    EXPECT_EQ(TextToReal("0.1"), 0.1L);  // parsed at long double precision
}

TEST(TextToReal, StopGivesAllDigitsReadBefore) {
    EXPECT_EQ(TextToReal("12,5"), 12.0L);
    EXPECT_EQ(TextToReal("-3,5"), 3.0L);
    EXPECT_EQ(TextToReal("1.25x"), 125.0L);
    EXPECT_EQ(TextToReal("1.5e2 "), 152.0L);
    EXPECT_EQ(TextToReal("1e"), 1.0L);
    EXPECT_EQ(TextToReal("--1"), 0.0L);
    EXPECT_EQ(TextToReal("0x1F"), 0.0L);
    EXPECT_EQ(TextToReal("$FF"), 0.0L);
    EXPECT_EQ(TextToReal("\t5"), 0.0L);
    EXPECT_EQ(TextToReal("5\t"), 5.0L);
    EXPECT_EQ(TextToReal("4\xC3\xA8"), 4.0L);
}

TEST(TextToReal, NeverInfinite) {
    EXPECT_EQ(TextToReal("1e5000"), 15000.0L);
    EXPECT_EQ(TextToReal("-1e99999"), 199999.0L);
    const std::string nines(6000, '9');
    EXPECT_EQ(TextToReal(nines), LDBL_MAX);
    EXPECT_EQ(TextToReal(nines + ","), LDBL_MAX);
    EXPECT_EQ(TextToReal("1e-99999"), 0.0L);
    EXPECT_EQ(TextToReal(std::string(300, '9')), TextToReal(std::string(300, '9') + "x"));
    EXPECT_TRUE(std::isfinite(TextToReal(std::string(300, '9'))));
}

// Typed in a field: a decimal comma is the point; anything that is not
// wholly one number is no number at all, never 0 or a truncated value.
TEST(ReadTypedNumber, ReadsAsAnItalianMeansIt) {
    const std::pair<const char*, std::optional<long double>> cases[] = {
        {"0,01", 0.01L},   {"0.01", 0.01L}, {" 2,5 ", 2.5L}, {"-0,02", -0.02L},
        {"1,5e2", 150.0L}, {"abc", {}},     {"", {}},        {"12,5,0", {}},
        {"1.234,5", {}},   {".", {}},       {"2,5mm", {}},   {"1e5000", {}},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ReadTypedNumber(text), value) << text;
}

TEST(DecimalsKeepingSignificant, MoreOnlyWhereFewerWouldShow) {
    const std::tuple<long double, int> cases[] = {
        {-125.05L, 5},  {3.14159L, 5}, {0.5L, 6},    {0.00325L, 8},
        {-2.5e-7L, 12}, {0, 5},        {1e-30L, 18},
    };
    for (const auto& [value, decimals] : cases)
        EXPECT_EQ(DecimalsKeepingSignificant(value, 5, 6), decimals) << double(value);
}

TEST(FormatFixed, SixSignificantDigits) {
    EXPECT_EQ(FormatFixed(812.6L, 6, 0), "813");
    EXPECT_EQ(FormatFixed(812.5L, 6, 0), "813");
    EXPECT_EQ(FormatFixed(-812.5L, 6, 0), "-813");
    EXPECT_EQ(FormatFixed(234.5678L, 6, 3), "234.568");
    EXPECT_EQ(FormatFixed(1234.5678L, 6, 3), "1234.570");
    EXPECT_EQ(FormatFixed(3.25L, 6, 3), "3.250");
    EXPECT_EQ(FormatFixed(123456.7L, 6, 3), "123457.000");
    EXPECT_EQ(FormatFixed(999999.4L, 6, 3), "999999.000");
    EXPECT_EQ(FormatFixed(0.9996L, 6, 3), "1.000");
    EXPECT_EQ(FormatFixed(0.0L, 6, 3), "0.000");
    EXPECT_EQ(FormatFixed(134.0L, 6, 0), "134");
    EXPECT_EQ(FormatFixed(UnreadableValue, 6, 0), "0");
    EXPECT_EQ(FormatFixed(UnreadableValue, 6, 3), "0.000");
    EXPECT_EQ(FormatFixed(-0.0004L, 6, 3), "0.000");
    EXPECT_EQ(FormatFixed(-0.0L, 6, 2), "0.00");
    EXPECT_EQ(FormatFixed(-0.0006L, 6, 3), "-0.001");
}

TEST(FormatFixed, ExponentFormWhenIntegerPartIsTooLong) {
    EXPECT_EQ(FormatFixed(1234567.0L, 6, 3), "1.23457E6");
    EXPECT_EQ(FormatFixed(7000000.0L, 6, 3), "7E6");
    EXPECT_EQ(FormatFixed(-7100000.0L, 6, 0), "-7.1E6");
    EXPECT_EQ(FormatFixed(999999.6L, 6, 3), "1E6");  // rounding adds the seventh digit
    EXPECT_EQ(FormatFixed(1.5e12L, 10, 3), "1.5E12");
    EXPECT_DOUBLE_EQ(ParseReal(FormatFixed(1234567.0L, 6, 3)), 1234570.0);
}

TEST(FormatFixed, LongPrecisionOnLongDouble) {
    EXPECT_EQ(FormatFixed(1234.5678L, 10, 3), "1234.568");
    EXPECT_EQ(FormatFixed(1.0L / 3.0L, 20, 10), "0.3333333333");
    EXPECT_EQ(FormatFixed(2.0L / 3.0L, 20, 10), "0.6666666667");
    // 123456789.0123456789 needs more than a double's digits.
    EXPECT_EQ(FormatFixed(123456789.0123456789L, 20, 10), "123456789.0123456789");
    EXPECT_EQ(FormatFixed(-12345.678L, 15, 3), "-12345.678");
}

namespace {
// Italian numbers have a decimal comma. When the machine has no such locale
// ready, one is compiled into a scratch folder (the sources come with the
// locales package that the set-up script installs).
bool UseCommaLocale(const std::filesystem::path& dir) {
    if (std::setlocale(LC_NUMERIC, "it_IT.UTF-8")) return true;
    std::filesystem::create_directories(dir);
    const std::string cmd =
        "localedef -i it_IT -f UTF-8 '" + (dir / "it_IT.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return false;
    ::setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "it_IT.UTF-8") != nullptr;
}
}  // namespace

TEST(FormatFixed, IgnoresTheLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vek-locale-" + std::to_string(::getpid()));
    const bool ready = UseCommaLocale(dir);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);  // the loaded locale stays mapped
    if (!ready) GTEST_SKIP() << "no comma locale available";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 3.5);
    ASSERT_STREQ(probe, "3,5");  // the locale really has a decimal comma
    EXPECT_EQ(FormatFixed(3.25L, 6, 3), "3.250");
    EXPECT_DOUBLE_EQ(ParseReal("3.25"), 3.25);
    EXPECT_EQ(TextToReal("3.25"), 3.25L);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FileText, Cp1252AndUtf8) {
    const std::string utf8 = "Citt\xC3\xA0 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D";  // Città € “q”
    const std::string cp = EncodeFileText(utf8);
    EXPECT_EQ(cp, "Citt\xE0 \x80 \x93q\x94");
    EXPECT_EQ(DecodeFileText(cp), utf8);
    // Valid UTF-8 stays as it is; the BOM is dropped.
    EXPECT_EQ(DecodeFileText(utf8), utf8);
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBF" + utf8), utf8);
    // No code in the page: one "?" per character; a stray byte too.
    EXPECT_EQ(EncodeFileText("a\xE4\xB8\xAD"
                             "b\xF0\x9F\x98\x80"
                             "c\xFF"),
              "a?b?c?");
    // Undefined bytes survive a round trip.
    const std::string undefined = "\x81\x8D\x8F\x90\x9D";
    EXPECT_EQ(EncodeFileText(DecodeFileText(undefined)), undefined);
    // Overlong and surrogate forms are not UTF-8, so they read as 1252.
    EXPECT_EQ(DecodeFileText("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(DecodeFileText("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
}

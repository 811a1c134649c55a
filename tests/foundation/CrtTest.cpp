#include "foundation/Crt.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <locale.h>
#include <string>
#include <sys/wait.h>

#include "foundation/CXString.h"

#if defined(__SANITIZE_ADDRESS__) && __has_include(<sanitizer/lsan_interface.h>)
#include <sanitizer/lsan_interface.h>
#define VONDREL_LSAN_DISABLE() __lsan_disable()
#define VONDREL_LSAN_ENABLE() __lsan_enable()
#else
#define VONDREL_LSAN_DISABLE()
#define VONDREL_LSAN_ENABLE()
#endif

namespace {

struct IntCase {
    const char* text;
    int32_t value;
};

TEST(Crt, AtoiSkipsBlanksTakesSignAndSaturates) {
    const IntCase cases[] = {
        {"42", 42},
        {"  -17x", -17},
        {" \t\n\v\f\r+8", 8},
        {"12abc", 12},
        {"007", 7},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"99999999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-99999999999999999999999", INT32_MIN},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"0x1A", 0},
        {"\xA0" "5", 0},  // a no-break space is no blank
    };
    for (const auto& c : cases) {
        EXPECT_EQ(crt::atoi(c.text), c.value) << '"' << c.text << '"';
        EXPECT_EQ(crt::atol(c.text), c.value) << '"' << c.text << '"';
    }
    EXPECT_EQ(crt::atoi(nullptr), 0);
}

struct DoubleCase {
    const char* text;
    double value;
};

void expectAtofTable() {
    const DoubleCase cases[] = {
        {"1.5", 1.5},
        {"  -2.25e2xyz", -225.0},
        {"\t+.5", 0.5},
        {"5.", 5.0},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"2E-1", 0.2},
        {"1,5", 1.0},
        {"abc", 0.0},
        {".", 0.0},
        {"-", 0.0},
        {"inf", 0.0},
        {"nan", 0.0},
        {"0x10", 0.0},
        {"", 0.0},
    };
    for (const auto& c : cases) EXPECT_EQ(crt::atof(c.text), c.value) << '"' << c.text << '"';
    EXPECT_TRUE(std::isinf(crt::atof("1e400")));
    EXPECT_EQ(crt::atof(nullptr), 0.0);
}

TEST(Crt, AtofReadsDecimalNumbersOnly) { expectAtofTable(); }

// A locale whose decimal separator is a comma: an installed one, or one built
// with localedef into a temporary folder. Null when neither is possible.
class CommaLocale {
public:
    CommaLocale() {
        for (const char* name : {"pl_PL.UTF-8", "pl_PL.utf8", "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
            m_locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
            if (m_locale) return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "vondrel_locale_XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        m_folder = pattern;
        const std::string command =
            "localedef -i pl_PL -f UTF-8 '" + m_folder + "/pl_PL.UTF-8' >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) > 1) return;
        const char* previous = std::getenv("LOCPATH");
        const std::string saved = previous ? previous : "";
        setenv("LOCPATH", m_folder.c_str(), 1);
        // glibc keeps the parsed LOCPATH for the life of the process.
        VONDREL_LSAN_DISABLE();
        m_locale = newlocale(LC_ALL_MASK, "pl_PL.UTF-8", static_cast<locale_t>(nullptr));
        VONDREL_LSAN_ENABLE();
        if (previous)
            setenv("LOCPATH", saved.c_str(), 1);
        else
            unsetenv("LOCPATH");
    }
    ~CommaLocale() {
        if (m_locale) freelocale(m_locale);
        if (!m_folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_folder, ignored);
        }
    }
    locale_t get() const { return m_locale; }

private:
    locale_t m_locale = static_cast<locale_t>(nullptr);
    std::string m_folder;
};

TEST(Crt, ConversionsIgnoreTheProcessLocale) {
    CommaLocale comma;
    if (!comma.get()) GTEST_SKIP() << "no locale with a decimal comma available";
    const locale_t previous = uselocale(comma.get());
    ASSERT_EQ(std::strcmp(localeconv()->decimal_point, ","), 0);
    expectAtofTable();
    char text[32];
    crt::formatGeneral(text, sizeof text, 2.5, 9);
    EXPECT_STREQ(text, "2.5");
    EXPECT_STREQ(CXString::toString(0.25).c_str(), "0.25000");
    CXString s;
    s = 1.25;
    EXPECT_STREQ(s.c_str(), "1.25");
    EXPECT_EQ(CXString("3.75").toDouble(), 3.75);
    // The caller's locale is back after each call.
    EXPECT_EQ(std::strcmp(localeconv()->decimal_point, ","), 0);
    uselocale(previous);
}

TEST(Crt, RandFollowsTheWindowsGenerator) {
    crt::srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) EXPECT_EQ(crt::rand(), value);

    crt::srand(12345);
    int first[50];
    for (int& v : first) {
        v = crt::rand();
        EXPECT_GE(v, 0);
        EXPECT_LE(v, crt::kRandMax);
    }
    crt::srand(12345);
    for (int v : first) EXPECT_EQ(crt::rand(), v);
}

TEST(Crt, FcvtRoundsTheExactValueHalfUp) {
    struct Case {
        double value;
        int decimals;
        const char* digits;
        int point;
        bool negative;
    };
    const Case cases[] = {
        {0.015625, 5, "1563", -1, false},   // an exact tie goes up
        {1.234565, 5, "123456", 1, false},  // just below the tie in binary
        {2.675, 2, "267", 1, false},
        {1.5, 5, "150000", 1, false},
        {0.25, 5, "25000", 0, false},
        {9.999995, 5, "1000000", 2, false},  // the carry adds a digit
        {-0.5, 5, "50000", 0, true},
        {5e-06, 5, "1", -4, false},
        {1e-07, 5, "", -5, false},
        {2.5, 0, "3", 1, false},
        {1e20, 1, "1000000000000000000000", 21, false},
    };
    for (const auto& c : cases) {
        char digits[64];
        int point = 99;
        bool negative = !c.negative;
        const int n = crt::fcvt(c.value, c.decimals, digits, sizeof digits, &point, &negative);
        EXPECT_STREQ(digits, c.digits) << c.value;
        EXPECT_EQ(n, static_cast<int>(std::strlen(c.digits))) << c.value;
        EXPECT_EQ(point, c.point) << c.value;
        EXPECT_EQ(negative, c.negative) << c.value;
    }
    // The largest double: every integer digit plus the decimals, truncated to the buffer.
    char small[8];
    int point = 0;
    bool negative = false;
    EXPECT_EQ(crt::fcvt(1.7976931348623157e308, 5, small, sizeof small, &point, &negative), 314);
    EXPECT_STREQ(small, "1797693");
    EXPECT_EQ(point, 309);
}

TEST(Crt, FormatTextNeverWritesPastItsBuffer) {
    char buffer[12];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(crt::formatText(buffer, 8, "%s-%d", "abcdef", 12345), 12);
    EXPECT_STREQ(buffer, "abcdef-");
    for (size_t i = 8; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#');
    EXPECT_EQ(crt::formatText(nullptr, 0, "%d", 123), 3);
}

TEST(Crt, FormatGeneralUsesThreeDigitExponents) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {3.0, "3"},         {0.1, "0.1"},          {1.0 / 3.0, "0.333333333"}, {1e20, "1e+020"},
        {1.5e-7, "1.5e-007"}, {1e100, "1e+100"}, {123456789012.0, "1.23456789e+011"}, {-2.5, "-2.5"},
    };
    for (const auto& c : cases) {
        char text[32];
        const int n = crt::formatGeneral(text, sizeof text, c.value, 9);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(n, static_cast<int>(std::strlen(c.text)));
    }
    char tiny[4];
    EXPECT_EQ(crt::formatGeneral(tiny, sizeof tiny, 1e20, 9), 6);
    EXPECT_STREQ(tiny, "1e+");
}

}  // namespace

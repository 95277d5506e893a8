// Path and number helpers: trailing backslashes, whole and leading integers, profile integers.
#include <gtest/gtest.h>

#include <string>

#include "frame/text.h"

namespace {

TEST(Paths, TrailingBackslash) {
    struct Case {
        const char* input;
        const char* ensured;
        const char* stripped;
    };
    for (const Case& c : {Case{"", "", ""}, Case{"C:\\Prog", "C:\\Prog\\", "C:\\Prog"},
                          Case{"C:\\Prog\\", "C:\\Prog\\", "C:\\Prog"}, Case{"C:\\Prog\\\\", "C:\\Prog\\\\", "C:\\Prog\\"},
                          Case{"\\", "\\", ""}}) {
        EXPECT_EQ(orv::ensureTrailingBackslash(c.input), c.ensured) << c.input;
        EXPECT_EQ(orv::stripTrailingBackslash(c.input), c.stripped) << c.input;
    }
}

// Only a drive's root or a UNC share starts a full path; everything else would be resolved
// against the current folder or drive.
TEST(Paths, FullPathsAndTheirRoots) {
    struct Case {
        const char* path;
        std::size_t root;
    };
    for (const Case& c : {Case{"C:\\", 3}, Case{"c:\\Prog\\", 3}, Case{"D:/Prog", 3}, Case{"\\\\srv\\share", 11},
                          Case{"\\\\srv\\share\\Disk1\\", 12}, Case{"\\\\?\\C:\\x", 7}, Case{"", 0},
                          Case{"C:", 0}, Case{"C:Prog", 0}, Case{"\\Prog", 0}, Case{"Prog\\", 0},
                          Case{"1:\\x", 0}, Case{"\\\\srv", 0}, Case{"\\\\srv\\", 0}, Case{"\\\\\\share", 0}}) {
        EXPECT_EQ(orv::rootLength(c.path), c.root) << c.path;
        EXPECT_EQ(orv::isFullPath(c.path), c.root > 0) << c.path;
    }
}

TEST(Conversion, WholeSignedDecimalTextOnly) {
    EXPECT_EQ(orv::parseInteger("0"), 0);
    EXPECT_EQ(orv::parseInteger("42"), 42);
    EXPECT_EQ(orv::parseInteger("-7"), -7);
    EXPECT_EQ(orv::parseInteger("+3"), 3);
    EXPECT_EQ(orv::parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(orv::parseInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", " 1", "1 ", "1.3", "3a", "0x10", "2147483648", "99999999999999999999"})
        EXPECT_THROW(orv::parseInteger(bad), orv::ConversionError) << '"' << bad << '"';
    EXPECT_EQ(orv::formatInteger(-12), "-12");
}

TEST(Conversion, ProfileIntegersAreDecimalOrHexadecimalWholeTexts) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    for (const Case& c : {Case{"3", 3}, Case{"0x2", 2}, Case{"0X1f", 31}, Case{"$10", 16}, Case{"-4", -4},
                          Case{"$FFFFFFFF", -1}, Case{"2147483647", 2147483647}, Case{"-2147483648", -2147483647 - 1},
                          Case{"", -9}, Case{"x", -9}, Case{"3a", -9}, Case{"0x", -9}, Case{"$", -9}, Case{" 3", -9},
                          Case{"0x-1", -9}, Case{"2147483648", -9}, Case{"0x100000000", -9}})
        EXPECT_EQ(orv::profileInteger(c.text, -9), c.value) << '"' << c.text << '"';
}

TEST(Conversion, LeadingIntegerReadsAsAtoiDoes) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    for (const Case& c : {Case{"", 0}, Case{"x2", 0}, Case{"99", 99}, Case{"2x", 2}, Case{" 7", 7}, Case{"-1", -1},
                          Case{"+5", 5}, Case{"-", 0}, Case{"99999999999", 2147483647}, Case{"-99999999999", -2147483647 - 1}})
        EXPECT_EQ(orv::leadingInteger(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace

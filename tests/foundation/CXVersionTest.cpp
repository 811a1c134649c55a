#include <gtest/gtest.h>

#include "foundation/CXString.h"
#include "foundation/CXVersion.h"

TEST(CXVersion, Parse) {
    struct Case {
        const char* text;
        int type, major, minor, build;
    };
    for (const Case& c : {
             Case{"QJ.1.0.7", 3, 1, 0, 7},
             Case{"Q.3", 2, 3, 0, 0},
             Case{"X.2.5.1", 1, 2, 5, 1},
             Case{"1.0.7", 0, 1, 0, 7},
             Case{"", 0, 0, 0, 0},
             Case{"Vondrel WEB.1.0.7", 1, 1, 0, 7}, // the text form is not read back as its type
             Case{"Vondrel.1.0.7", 1, 1, 0, 7},
             Case{"q.1.2.3", 1, 1, 2, 3},           // the words compare exactly
             Case{"QJ..2...4.9.9", 3, 2, 4, 9},     // empty parts are skipped, extra ones ignored
             Case{"9", 0, 9, 0, 0},
             Case{"@.1.2", 0, 0, 1, 2},             // '@' is not above 0x40: "@" is read as a number
             Case{"\xA3.1.2", 0, 0, 1, 2},          // a high byte is negative as a signed byte
             Case{"QJ", 3, 0, 0, 0},
             Case{"...", 0, 0, 0, 0},
         }) {
        const CXVersion v{CXString(c.text)};
        EXPECT_EQ(v.getType(), c.type) << c.text;
        EXPECT_EQ(v.getMajor(), c.major) << c.text;
        EXPECT_EQ(v.getMinor(), c.minor) << c.text;
        EXPECT_EQ(v.getBuild(), c.build) << c.text;
    }
}

TEST(CXVersion, Print) {
    EXPECT_EQ(CXVersion::getCurrentVersion()->toString(), "Vondrel WEB.1.0.7");
    EXPECT_EQ(CXVersion(0, 2, 3, 4).toString(), "Vondrel WEB.2.3.4");
    EXPECT_EQ(CXVersion(1, 2, 3, 4).toString(), "X.2.3.4");
    EXPECT_EQ(CXVersion(2, 1, 0, 7).toString(), "Vondrel.1.0.7");
    EXPECT_EQ(CXVersion(3, -1, 0, 2147483647).toString(), "Vondrel WEB.-1.0.2147483647");
    CXVersion copy(0, 0, 0, 0);
    copy = *CXVersion::getCurrentVersion();
    EXPECT_EQ(copy.getType(), 3);
    EXPECT_EQ(copy.getMajor(), 1);
    EXPECT_EQ(copy.getMinor(), 0);
    EXPECT_EQ(copy.getBuild(), 7);
}

TEST(CXVersion, Verify) {
    struct Case {
        CXVersion have;
        const char* required;
        bool ok;
    };
    const CXVersion current = *CXVersion::getCurrentVersion();
    const CXVersion x(1, 1, 2, 0);
    for (const Case& c : {
             Case{current, "QJ.1.0.9", true}, // the build is ignored
             Case{current, "1.0.0", true},    // no edition: anything goes
             Case{current, "5.0.0", true},
             Case{current, "Q.1.0.0", false}, // another edition
             Case{current, "QJ.1.1.0", false},
             Case{current, "QJ.0.9.9", true},
             Case{current, "QJ.2.0.0", false},
             Case{current, "X.1.0.0", false}, // X is satisfied by nothing but X
             Case{x, "QJ.1.2.5", true},       // type 1 satisfies any edition
             Case{x, "Q.0.9", true},
             Case{x, "X.1.2", true},
             Case{x, "QJ.1.3", false},
             Case{x, "Q.2.0", false},
         }) {
        const CXVersion required{CXString(c.required)};
        EXPECT_EQ(c.have.verify(&required), c.ok) << c.have.toString().c_str() << " needs " << c.required;
    }
    EXPECT_TRUE(current.verify(nullptr));
}

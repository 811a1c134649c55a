#include "tools/DefinitionCoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "script/CMElement.h"
#include "script/CMElements.h"
#include "script/CMElementsLoader.h"
#include "support/TempDir.h"

namespace {

// name:key=value lines of every element the engine's definition reader gives.
std::string elementsOf(const std::string& enginePath) {
    std::unique_ptr<CMElements> list(CMElementsLoader::load(nullptr, CXString(enginePath.c_str())));
    if (!list) return "(none)";
    std::string out;
    for (int i = 0; i < list->getCount(); ++i) {
        CMElement* e = list->getAt(i);
        out += std::string(e->getName().c_str()) + ":TYPE=" + e->getPropertyValue(CXString("TYPE")).c_str() +
               ",VALUE=" + e->getPropertyValue(CXString("VALUE")).c_str() + ";";
    }
    return out;
}

TEST(DefinitionCoder, TheCodedFileReadsAsThePlainOne) {
    test::TempDir dir;
    // Tabs, blanks, an empty line, Windows-1250 text and more lines than one cycle.
    dir.write("S1.cnv",
              "OBJECT=COUNT\r\nCOUNT:TYPE=INTEGER\r\n\tCOUNT:VALUE=7  \r\n\r\nOBJECT=NAME\r\n"
              "NAME:TYPE=STRING\r\nNAME:VALUE=\xBF\xF3\xB3w\r\nOBJECT=B\r\nB:TYPE=BOOL\r\nB:VALUE=TRUE\r\n");
    for (int cycle : {1, 6, 50}) {
        SCOPED_TRACE(cycle);
        std::string error;
        ASSERT_TRUE(tools::codeDefinition(dir.native("S1.cnv"), dir.native("S1.coded"), cycle, &error)) << error;
        EXPECT_FALSE(dir.hasTemporaryOf("S1.coded"));
        EXPECT_EQ(dir.read("S1.coded").rfind("{<C:" + std::to_string(cycle) + ">}", 0), 0u);
        EXPECT_EQ(elementsOf(dir.engine("S1.coded")), elementsOf(dir.engine("S1.cnv")));
    }
    EXPECT_EQ(elementsOf(dir.engine("S1.cnv")),
              "COUNT:TYPE=INTEGER,VALUE=7;NAME:TYPE=STRING,VALUE=\xBF\xF3\xB3w;B:TYPE=BOOL,VALUE=TRUE;");
}

TEST(DefinitionCoder, BadSourcesLeaveNoFile) {
    test::TempDir dir;
    dir.write("plain.cnv", "OBJECT=A\r\n");
    std::string error;
    ASSERT_TRUE(tools::codeDefinition(dir.native("plain.cnv"), dir.native("coded.cnv"), 6, &error)) << error;
    const struct {
        const char* source;
        const char* output;
        int cycle;
        const char* message;
    } cases[] = {
        {"missing.cnv", "out.cnv", 6, "missing.cnv: does not exist"},
        {"coded.cnv", "out.cnv", 6, "coded.cnv: is coded already"},
        {"plain.cnv", "no/such/out.cnv", 6, "out.cnv: cannot be written"},
        {"plain.cnv", "out.cnv", 0, "the cycle must be 1 or more"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_FALSE(tools::codeDefinition(dir.native(c.source), dir.native(c.output), c.cycle, &error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_FALSE(dir.exists(c.output));
        EXPECT_FALSE(dir.hasTemporaryOf(c.output));
    }
}

}  // namespace

#include "script/CMElement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/CXArray.h"

namespace {

std::vector<std::string> listOf(CXArray* items) {
    std::vector<std::string> out;
    for (int i = 0; i < items->getCount(); ++i) out.push_back(items->stringAt(i)->c_str());
    CXString::releaseToVector(items);
    return out;
}

// An element whose destructor reports, to see who deletes whom.
class CountedElement : public CMElement {
public:
    CountedElement(const char* name, int* deaths) : CMElement(name), m_deaths(deaths) {}
    ~CountedElement() override { ++*m_deaths; }

private:
    int* m_deaths;
};

}  // namespace

TEST(CMPropertyTest, Conversions) {
    struct Case {
        const char* value;
        int32_t asInt;
        bool asBool;
        double asDouble;
    } cases[] = {
        {"12abc", 12, false, 12.0},
        {"3.9", 3, false, 3.9},
        {" -5", -5, false, -5.0},
        {"abc", 0, false, 0.0},
        {"0x10", 0, false, 0.0},
        {"1e2", 1, false, 100.0},
        {"99999999999", INT32_MAX, false, 99999999999.0},
        {"-99999999999", INT32_MIN, false, -99999999999.0},
        {"true", 0, true, 0.0},
        {"True", 0, true, 0.0},
        {"TRUE", 0, true, 0.0},
        {"TRUE ", 0, false, 0.0},
        {"YES", 0, false, 0.0},
        {"1", 1, false, 1.0},
        {"FALSE", 0, false, 0.0},
        {"", 0, false, 0.0},
    };
    for (const Case& c : cases) {
        CMProperty p("K", c.value);
        EXPECT_EQ(p.getIntValue(), c.asInt) << c.value;
        EXPECT_EQ(p.getBoolValue(), c.asBool) << c.value;
        EXPECT_DOUBLE_EQ(p.getDoubleValue(), c.asDouble) << c.value;
    }
}

TEST(CMPropertyTest, ListSizeAndRect) {
    struct Case {
        const char* value;
        std::vector<std::string> list;
        CXSize size;
        CXRect rect;
    } cases[] = {
        {"10, 20", {"10", "20"}, CXSize(10, 20), CXRect(10, 20, 0, 0)},
        {"a,,b", {"a", "b"}, CXSize(0, 0), CXRect(0, 0, 0, 0)},
        {"", {}, CXSize(0, 0), CXRect(0, 0, 0, 0)},
        {", ,", {}, CXSize(0, 0), CXRect(0, 0, 0, 0)},
        {"0,0,640,480", {"0", "0", "640", "480"}, CXSize(0, 0), CXRect(0, 0, 640, 480)},
        {"1 2 3 4 5", {"1", "2", "3", "4", "5"}, CXSize(1, 2), CXRect(1, 2, 3, 4)},
        {"\r\n7\n-8\r", {"7", "-8"}, CXSize(7, -8), CXRect(7, -8, 0, 0)},
        {"5", {"5"}, CXSize(5, 0), CXRect(5, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        CMProperty p("K", c.value);
        EXPECT_EQ(listOf(p.getListValue()), c.list) << c.value;
        EXPECT_EQ(p.getSizeValue(), c.size) << c.value;
        EXPECT_EQ(p.getPointValue(), CXPoint(c.size.cx, c.size.cy)) << c.value;
        EXPECT_EQ(p.getRectValue(), c.rect) << c.value;
    }
}

TEST(CMPropertyTest, EqualsComparesNamesExactly) {
    CMProperty a("Key", "1"), b("Key", "2"), c("KEY", "1");
    CXObject plain;
    EXPECT_TRUE(a.equals(&b));
    EXPECT_FALSE(a.equals(&c));
    EXPECT_FALSE(a.equals(&plain));
    EXPECT_FALSE(a.equals(nullptr));
}

TEST(CMElementTest, FirstPropertyOfAKeyShadowsLaterOnes) {
    CMElement e("E");
    e.addProperty("X", "1");
    e.addProperty("X", "2");
    EXPECT_EQ(e.getProperties()->getCount(), 2);
    EXPECT_EQ(e.getPropertyIntValue("X"), 1);
    e.removeProperty("X");
    EXPECT_EQ(e.getPropertyIntValue("X"), 2);

    // A bare key never adds a second one nor changes the value.
    e.addProperty("X");
    EXPECT_EQ(e.getProperties()->getCount(), 1);
    EXPECT_EQ(e.getPropertyValue("X"), "2");
    e.addProperty("Y");
    EXPECT_TRUE(e.isPropertyAvailable("Y"));
    EXPECT_EQ(e.getPropertyValue("Y"), "");

    e.setProperty("X", "7");
    EXPECT_EQ(e.getPropertyIntValue("X"), 7);
    e.setProperty("Z", "1");
    e.removeProperty("Z");
    EXPECT_EQ(e.getProperties()->getCount(), 2);
    EXPECT_FALSE(e.isPropertyAvailable("Z"));

    e.removeAll();
    EXPECT_EQ(e.getProperties()->getCount(), 0);
}

TEST(CMElementTest, KeyMatching) {
    CMElement e("E");
    e.addProperty("FILENAME", "a.img");
    e.addProperty("FileName", "b.img");
    EXPECT_TRUE(e.hasProperty("filename"));
    EXPECT_FALSE(e.isPropertyAvailable("filename"));
    EXPECT_TRUE(e.isPropertyAvailable("FileName"));
    EXPECT_EQ(e.getPropertyValue("FileName"), "b.img");

    CMElement mixed("M");
    mixed.addProperty("FileName", "x");
    EXPECT_FALSE(mixed.hasProperty("FileName"));
    EXPECT_FALSE(mixed.hasProperty("filename"));
}

TEST(CMElementTest, MissingKeysGiveTheDefaults) {
    CMElement e("E");
    e.addProperty("EMPTY", "");
    EXPECT_EQ(e.getPropertyValue("NONE"), "");
    EXPECT_EQ(e.getPropertyIntValue("NONE"), 0);
    EXPECT_FALSE(e.getPropertyBoolValue("NONE"));
    EXPECT_EQ(e.getPropertyDoubleValue("NONE"), 0.0);
    EXPECT_EQ(e.getPropertyListValue("NONE"), nullptr);
    EXPECT_EQ(e.getPropertyPointValue("NONE"), CXPoint(0, 0));
    EXPECT_EQ(e.getPropertySizeValue("NONE"), CXSize(0, 0));
    EXPECT_EQ(e.getPropertyRectValue("NONE"), CXRect(0, 0, 0, 0));

    CXArray* empty = e.getPropertyListValue("EMPTY");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->getCount(), 0);
    CXString::releaseToVector(empty);

    e.addProperty("POS", "3,4");
    e.addProperty("RECT", "1 2 3 4 5");
    e.addProperty("FLAG", "true");
    e.addProperty("D", "2.5");
    EXPECT_EQ(e.getPropertyPointValue("POS"), CXPoint(3, 4));
    EXPECT_EQ(e.getPropertySizeValue("POS"), CXSize(3, 4));
    EXPECT_EQ(e.getPropertyRectValue("RECT"), CXRect(1, 2, 3, 4));
    EXPECT_TRUE(e.getPropertyBoolValue("FLAG"));
    EXPECT_DOUBLE_EQ(e.getPropertyDoubleValue("D"), 2.5);
}

TEST(CMElementTest, OwnershipOfElementsAndLists) {
    int deaths = 0;
    auto* owning = new CMElements(true);
    auto* parent = new CountedElement("P", &deaths);
    auto* child = new CountedElement("C", &deaths);
    owning->add(parent);
    owning->add(child);
    parent->addChild(child);
    parent->addChild(child);  // children may repeat
    EXPECT_EQ(parent->getChildren()->getCount(), 2);
    EXPECT_FALSE(parent->getChildren()->isOwning());

    // A not owning list leaves its elements alive.
    auto* view = new CMElements(false);
    view->add(parent);
    delete view;
    EXPECT_EQ(deaths, 0);

    // Removing deletes, and a pointer not in the list is left alone.
    auto* loose = new CountedElement("L", &deaths);
    owning->remove(loose);
    EXPECT_EQ(deaths, 0);
    auto* other = new CMElements(false);
    other->add(loose);
    other->remove(loose);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(other->getCount(), 0);
    delete other;

    // The parent's destructor leaves its child alive; the owning list deletes both.
    EXPECT_EQ(owning->get("C"), child);
    EXPECT_EQ(owning->getAt(0), parent);
    EXPECT_EQ(owning->getAt(2), nullptr);
    EXPECT_EQ(owning->get("c"), nullptr);
    owning->remove(parent);
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(owning->getCount(), 1);
    delete owning;
    EXPECT_EQ(deaths, 3);
}

TEST(CMElementTest, ElementLookUpFindsTheFirstOfAName) {
    CMElements list(true);
    auto* first = new CMElement("A");
    list.add(first);
    list.add(new CMElement("A"));
    EXPECT_EQ(list.get("A"), first);
    EXPECT_TRUE(list.contains("A"));
    EXPECT_FALSE(list.contains("a"));

    // A plain copy of the list refers to the same elements and owns none.
    CXObject* copy = list.clone();
    delete copy;
    EXPECT_EQ(list.get("A")->getName(), "A");
}

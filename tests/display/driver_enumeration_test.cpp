// Driver choice: the last driver that offers IDirectDraw4 wins; at most ten
// are kept; drivers that cannot be made or lack IDirectDraw4 do not count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "display/display_device.h"
#include "platform/win32/testing.h"
#include "tests/support/fake_direct_draw.h"

namespace {

fake::Driver AddOn(uint32_t id, const char* description = "3D card") {
    fake::Driver driver;
    driver.guid = GUID{id, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
    driver.description = description;
    return driver;
}

class DriverEnumeration : public ::testing::Test {
  protected:
    void TearDown() override {
        ClearProcAddressOverrides();
        EXPECT_EQ(world.LiveNames(), std::vector<std::string>{}) << "every probe object is released";
        EXPECT_EQ(world.faults, std::vector<std::string>{});
    }
    int Enumerate() { return EnumerateDrivers(table, &count, &chosen); }

    fake::World& world = fake::Reset();
    fake::Seams seams;
    DriverRecord table[MAX_DRIVERS];
    uint8_t count = 99;
    uint8_t chosen = 99;
};

TEST_F(DriverEnumeration, OnlyThePrimaryDriverIsIndexZeroWithAZeroGuid) {
    EXPECT_EQ(Enumerate(), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(chosen, 0);
    EXPECT_EQ(table[0].present, 0);
    EXPECT_EQ(table[0].guid, GUID{});
    EXPECT_STREQ(table[0].description, "Primary Display Driver");
    for (int i = 1; i < MAX_DRIVERS; ++i) {
        EXPECT_EQ(table[i].present, 0xFF);
    }
    EXPECT_EQ(world.log.front(), "DirectDrawEnumerateExA 7");
}

TEST_F(DriverEnumeration, AnAddOnCardFoundAfterThePrimaryIsChosen) {
    world.drivers.push_back(AddOn(0xCAFE));
    Enumerate();
    EXPECT_EQ(count, 2);
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(table[1].guid.Data1, 0xCAFEu);
    EXPECT_STREQ(table[1].description, "3D card");
}

TEST_F(DriverEnumeration, MoreThanTenKeepsTheFirstTenAndUsesTheTenth) {
    for (uint32_t id = 1; id <= 12; ++id) {
        world.drivers.push_back(AddOn(id));
    }
    Enumerate();
    EXPECT_EQ(count, 10);
    EXPECT_EQ(chosen, 9);
    EXPECT_EQ(table[9].guid.Data1, 9u);  // the primary, then add-ons 1 .. 9
    EXPECT_EQ(world.enumerationStoppedAt, 10);
}

TEST_F(DriverEnumeration, DriversThatCannotBeMadeOrLackVersionFourDoNotCount) {
    fake::Driver broken = AddOn(0xBAD);
    broken.creatable = false;
    fake::Driver old = AddOn(0x01D);
    old.hasVersion4 = false;
    world.drivers.push_back(AddOn(0x600D));
    world.drivers.push_back(broken);
    world.drivers.push_back(old);
    Enumerate();
    EXPECT_EQ(count, 2);
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(table[1].guid.Data1, 0x600Du);
    EXPECT_EQ(table[2].present, 0xFF);
}

TEST_F(DriverEnumeration, LongDescriptionsAreCutToFortyNineCharacters) {
    const std::string longText(80, 'x');
    world.drivers.push_back(AddOn(7, longText.c_str()));
    Enumerate();
    EXPECT_EQ(std::strlen(table[1].description), 49u);
    EXPECT_EQ(std::string(table[1].description), longText.substr(0, 49));
}

TEST_F(DriverEnumeration, NoDriverLeavesTheChosenIndexNamingNoRecord) {
    world.drivers.clear();
    Enumerate();
    EXPECT_EQ(count, 0);
    EXPECT_EQ(chosen, 255);
}

TEST_F(DriverEnumeration, WithoutTheEnumerationEntryNothingIsEnumerated) {
    SetProcAddressForTesting("DDRAW.DLL", "DirectDrawEnumerateExA", nullptr);
    Enumerate();
    EXPECT_EQ(count, 0);
    EXPECT_EQ(chosen, 255);
    EXPECT_TRUE(world.log.empty());
}

TEST_F(DriverEnumeration, ASecondEnumerationStartsAfresh) {
    world.drivers.push_back(AddOn(3));
    Enumerate();
    world.drivers.pop_back();
    Enumerate();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(chosen, 0);
    EXPECT_EQ(table[1].present, 0xFF);
}

TEST_F(DriverEnumeration, TheRealStandInOffersOnePrimaryDriver) {
    seams.Remove();
    Enumerate();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(chosen, 0);
}

}  // namespace

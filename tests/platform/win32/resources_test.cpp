#include <gtest/gtest.h>

#include "platform/win32/resource_table.h"
#include "platform/win32/testing.h"
#include "platform/win32/windows.h"

namespace {

const uint8_t picture[] = {'G', 'I', 'F'};
const uint8_t mesh[] = {0x4D, 0x4D, 1, 2};
const ResourceEntry entries[] = {
    {115, 10, nullptr, picture, sizeof picture},
    {117, 0, "MESH", mesh, sizeof mesh},
};

class ResourcesTest : public ::testing::Test {
  protected:
    void SetUp() override { InstallResourceTable(entries, 2); }
    void TearDown() override { InstallResourceTable(nullptr, 0); }
};

TEST_F(ResourcesTest, HashNameAndIntegerIdFindTheSameResource) {
    HRSRC byName = FindResourceA(nullptr, "#115", RT_RCDATA);
    HRSRC byId = FindResourceA(nullptr, MAKEINTRESOURCEA(115), RT_RCDATA);
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName, byId);
    EXPECT_EQ(SizeofResource(nullptr, byName), 3u);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, byName)));
    EXPECT_EQ(bytes, picture);
}

TEST_F(ResourcesTest, NamedTypeMatchesWithoutRegardToCase) {
    HMODULE self = LoadLibraryA(nullptr);
    EXPECT_NE(self, nullptr);
    EXPECT_NE(FindResourceA(self, MAKEINTRESOURCEA(117), "MESH"), nullptr);
    EXPECT_NE(FindResourceA(self, MAKEINTRESOURCEA(117), "mesh"), nullptr);
}

TEST_F(ResourcesTest, WrongTypeOrMalformedNameFindsNothing) {
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(117), RT_RCDATA), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "#115", "MESH"), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "115", RT_RCDATA), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "#", RT_RCDATA), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "#115x", RT_RCDATA), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "#116", RT_RCDATA), nullptr);
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
}

void FakeEnumerate() {}

TEST(ModuleTableTest, DirectDrawEnumerationIsFoundAndCanBeMadeAbsent) {
    HMODULE ddraw = GetModuleHandleA("DDRAW.DLL");
    ASSERT_NE(ddraw, nullptr);
    EXPECT_NE(GetProcAddress(ddraw, "DirectDrawEnumerateExA"), nullptr);
    EXPECT_EQ(GetProcAddress(ddraw, "NoSuchEntry"), nullptr);

    SetProcAddressForTesting("DDRAW.DLL", "DirectDrawEnumerateExA", nullptr);
    EXPECT_EQ(GetProcAddress(ddraw, "DirectDrawEnumerateExA"), nullptr);
    SetProcAddressForTesting("DDRAW.DLL", "DirectDrawEnumerateExA", FakeEnumerate);
    EXPECT_EQ(GetProcAddress(ddraw, "DirectDrawEnumerateExA"), reinterpret_cast<FARPROC>(FakeEnumerate));
    ClearProcAddressOverrides();
    EXPECT_NE(GetProcAddress(ddraw, "DirectDrawEnumerateExA"), reinterpret_cast<FARPROC>(FakeEnumerate));
    EXPECT_EQ(GetModuleHandleA("KERNEL32.DLL"), nullptr);
}

}  // namespace

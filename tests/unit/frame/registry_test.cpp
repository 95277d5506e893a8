// The registry object: keys opened or created, string values read and written, every key closed.
#include <gtest/gtest.h>

#include <string>

#include "frame/registry.h"
#include "sim/machine.h"

namespace {

TEST(RegistryObject, OpensOnlyExistingKeysUnlessAskedToCreate) {
    sim::Machine machine;
    orv::Registry registry(machine);

    EXPECT_FALSE(registry.keyExists("Software\\Orvanta\\X"));
    EXPECT_FALSE(registry.openKey("Software\\Orvanta\\X", false));
    EXPECT_TRUE(registry.openKey("Software\\Orvanta\\X\\Y", true));
    EXPECT_TRUE(registry.keyExists("SOFTWARE\\orvanta\\x"));
    EXPECT_TRUE(machine.hklm.exists("Software\\Orvanta\\X\\Y"));
}

// A path written from the root, with a leading backslash, names the same key.
TEST(RegistryObject, ALeadingBackslashMeansFromTheRoot) {
    sim::Machine machine;
    machine.hklm.ensure("Software\\Granary Corp");
    orv::Registry registry(machine);
    EXPECT_TRUE(registry.keyExists("\\Software\\Granary Corp"));
    EXPECT_TRUE(registry.openKey("\\Software\\New", true));
    EXPECT_TRUE(machine.hklm.exists("Software\\New"));
}

TEST(RegistryObject, ReadsStringsAndRaisesOnOtherTypes) {
    sim::Machine machine;
    machine.hklm.setString("Software\\K", "Text", "hello");
    machine.hklm.setValue("Software\\K", "Expand", orv::kRegExpandSz, std::string("%WINDIR%\0", 9));
    machine.hklm.setValue("Software\\K", "NoNul", orv::kRegSz, "abc");  // written without its NUL
    machine.hklm.setDword("Software\\K", "Number", 5);
    machine.hklm.setValue("Software\\K", "Multi", orv::kRegMultiSz, std::string("a\0b\0\0", 5));
    orv::Registry registry(machine);
    ASSERT_TRUE(registry.openKey("Software\\K", false));

    EXPECT_EQ(registry.readString("text"), "hello");
    EXPECT_EQ(registry.readString("Expand"), "%WINDIR%");
    EXPECT_EQ(registry.readString("NoNul"), "abc");
    EXPECT_EQ(registry.readString("Missing"), "");
    EXPECT_THROW(registry.readString("Number"), orv::RegistryError);
    EXPECT_THROW(registry.readString("Multi"), orv::RegistryError);
    machine.fail(sim::Op::RegQueryValue, "Software\\K", orv::kErrorAccessDenied);
    EXPECT_THROW(registry.readString("Text"), orv::RegistryError);
}

TEST(RegistryObject, WritesStringValuesAndRaisesWhenRefused) {
    sim::Machine machine;
    orv::Registry registry(machine);
    ASSERT_TRUE(registry.openKey("Software\\K", true));
    registry.writeString("UseCount", "3");
    EXPECT_EQ(machine.hklm.value("Software\\K", "UseCount")->type, orv::kRegSz);
    EXPECT_EQ(machine.hklm.string("Software\\K", "usecount"), "3");

    machine.fail(sim::Op::RegSetValue, "Software\\K", orv::kErrorAccessDenied);
    EXPECT_THROW(registry.writeString("UseCount", "4"), orv::RegistryError);
    registry.closeKey();
    EXPECT_THROW(registry.writeString("UseCount", "4"), orv::RegistryError);
}

TEST(RegistryObject, ListsValueNamesInOrder) {
    sim::Machine machine;
    machine.hklm.setString("Software\\K", "B", "1");
    machine.hklm.setString("Software\\K", "A", "2");
    orv::Registry registry(machine);
    ASSERT_TRUE(registry.openKey("Software\\K", false));
    EXPECT_EQ(registry.valueNames(), (std::vector<std::string>{"B", "A"}));
}

// One key at a time, and none left open behind the object.
TEST(RegistryObject, ClosesEveryKeyItOpened) {
    sim::Machine machine;
    machine.hklm.ensure("Software\\A");
    machine.hklm.ensure("Software\\B");
    {
        orv::Registry registry(machine);
        ASSERT_TRUE(registry.openKey("Software\\A", false));
        ASSERT_TRUE(registry.openKey("Software\\B", false));
        EXPECT_EQ(machine.openKeys(), 1u);
        EXPECT_TRUE(registry.keyExists("Software\\A"));
        EXPECT_TRUE(registry.createKey("Software\\C"));
        EXPECT_EQ(machine.openKeys(), 1u);
    }
    EXPECT_EQ(machine.openKeys(), 0u);
}

TEST(RegistryObject, KeysThatRefuseToOpenOrBeCreated) {
    sim::Machine machine;
    machine.hklm.ensure("Software\\Locked");
    machine.fail(sim::Op::RegOpenKey, "Software\\Locked", orv::kErrorAccessDenied);
    machine.fail(sim::Op::RegCreateKey, "Software\\New", orv::kErrorAccessDenied);
    orv::Registry registry(machine);

    EXPECT_FALSE(registry.openKey("Software\\Locked", false));
    EXPECT_FALSE(registry.openKey("Software\\Locked", true));
    EXPECT_FALSE(registry.createKey("Software\\New"));
    EXPECT_FALSE(machine.hklm.exists("Software\\New"));
}

}  // namespace

#include "config/SessionSettings.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tamsivane {
namespace {

// Restores the application-wide code page after each test.
class SettingsStoreTest : public ::testing::Test {
protected:
    void TearDown() override { SetSystemAnsiCodePage(1252); }
};

// Records every hook call and accepts only while told to.
class RecordingStore : public SettingsStore {
public:
    std::vector<std::pair<int, std::optional<int>>> calls;
    bool accept = true;

protected:
    bool OnChange(ChangeSet*, int param, std::optional<int> element) override {
        calls.emplace_back(param, element);
        return accept;
    }
};

// Setup files address parameters by file code and scripts by key: both must
// be unique, and every default must be a value the store accepts.
TEST_F(SettingsStoreTest, TableRowsAreUniqueAndTheirDefaultsAccepted) {
    EXPECT_EQ(ParameterTable()[kParameterCount].fileCode, 0u);
    for (int a = 0; a < kParameterCount; ++a) {
        EXPECT_EQ(ParameterByKey(Descriptor(a).key), a);
        for (int b = a + 1; b < kParameterCount; ++b)
            EXPECT_NE(Descriptor(a).fileCode, Descriptor(b).fileCode) << a << " " << b;
        if (Descriptor(a).type == ParamType::Number) {
            EXPECT_TRUE(SettingsStore::Accepts(a, Descriptor(a).defaultNumber)) << a;
        }
    }
    EXPECT_EQ(ParameterByKey("columns"), -1); // keys are case-sensitive
    EXPECT_EQ(ParameterByKey(""), -1);
}

TEST_F(SettingsStoreTest, EastAsianCodePageSelectsDoubleByteHostSet) {
    SetSystemAnsiCodePage(950);
    SettingsStore store;
    EXPECT_EQ(store.GetNumber(P::DBCS), 1);
    EXPECT_EQ(store.GetNumber(P::PrimarySet), 4);

    SetSystemAnsiCodePage(1252);
    store.ResetToDefaults();
    EXPECT_EQ(store.GetNumber(P::DBCS), 0);
}

TEST_F(SettingsStoreTest, ResetClearsEveryKindOfValue) {
    SettingsStore store;
    store.SetArrayString(P::ButtonCaption, 3, "Go");
    store.SetArrayNumber(P::FKeys, 1, 2);
    store.SetString(P::Title, "x");
    store.ClearAllTabs();
    store.ResetToDefaults();
    EXPECT_EQ(store.GetArrayString(P::ButtonCaption, 3), "");
    EXPECT_EQ(store.GetArrayNumber(P::FKeys, 1), 3); // the defaults of number arrays too
    EXPECT_EQ(store.GetArrayNumber(P::FKeys, 4), 1);
    EXPECT_EQ(store.GetArrayNumber(P::ButtonAction, 1), 0);
    EXPECT_EQ(store.GetString(P::Title), "");
    EXPECT_TRUE(store.IsTabStop(8));
}

TEST_F(SettingsStoreTest, RefusedNumbersLeaveTheOldValue) {
    const std::pair<int, int32_t> refused[] = {
        {P::Columns, 100},     {P::Columns, 0}, {P::Lines, 30},     {P::Lines, 0},
        {P::Pages, 0},         {P::Pages, 7},   {P::SaveLines, -1}, {P::SaveLines, 100001},
        {P::TermID, 6},        {P::TermID, -1}, {P::UPSS, 17},      {P::PrimarySet, -1},
        {P::SecondarySet, 17}, {P::NRC, 15},    {P::DBCSSet, 6},    {P::NewLine, 3},
    };
    SettingsStore store;
    for (const auto& [param, value] : refused) {
        const int32_t before = store.GetNumber(param);
        EXPECT_FALSE(store.SetNumber(param, value)) << Descriptor(param).key << " " << value;
        EXPECT_EQ(store.GetNumber(param), before);
    }
    EXPECT_TRUE(store.SetNumber(P::Columns, 132));
    EXPECT_TRUE(store.SetNumber(P::Lines, 72));
    EXPECT_TRUE(store.SetNumber(P::SaveLines, 100000));
    EXPECT_TRUE(store.SetNumber(P::CursorType, 7)); // radio choices are left open
}

TEST_F(SettingsStoreTest, SettersRefuseWrongTypesAndIndexes) {
    SettingsStore store;
    EXPECT_FALSE(store.SetNumber(P::FontName, 1));
    EXPECT_FALSE(store.SetString(P::Columns, "132"));
    EXPECT_FALSE(store.SetArrayNumber(P::FKeys, 5, 1));
    EXPECT_FALSE(store.SetArrayNumber(P::ButtonCaption, 0, 1));
    EXPECT_FALSE(store.SetArrayString(P::ButtonCaption, 32, "x"));
    EXPECT_FALSE(store.SetBlockByte(P::TabList, kTabColumns, 1));
    EXPECT_FALSE(store.SetBlock(P::Palette, nullptr, 4));
    EXPECT_FALSE(store.SetNumber(kParameterCount, 0));
    EXPECT_EQ(store.GetNumber(-1), 0);
    EXPECT_EQ(store.GetBlock(P::Columns), nullptr);
    EXPECT_EQ(store.GetArrayString(P::ButtonString, 99), "");

    // A short buffer replaces only its own bytes; a long one is cut at count.
    const uint8_t white[4] = {255, 255, 255, 0};
    EXPECT_TRUE(store.SetBlock(P::Palette, white, sizeof white));
    EXPECT_EQ(store.GetBlock(P::Palette)[0], 255);
    EXPECT_EQ(store.GetBlock(P::Palette)[4], 128);
    const std::vector<uint8_t> ones(200, 1);
    EXPECT_TRUE(store.SetBlock(P::Mapped, ones.data(), ones.size()));
    EXPECT_EQ(store.GetBlock(P::Mapped)[15], 1);
    EXPECT_EQ(store.GetBlock(P::DisplayAttr)[0], 0);
}

TEST_F(SettingsStoreTest, PageGeometryMustFitThePageStore) {
    SettingsStore store;
    EXPECT_TRUE(store.SetPageGeometry(132, 144, 1));
    EXPECT_FALSE(store.SetPageGeometry(80, 144, 2));
    EXPECT_FALSE(store.SetPageGeometry(80, 25, 6));
    EXPECT_FALSE(store.SetPageGeometry(81, 24, 1));
    EXPECT_EQ(store.GetNumber(P::Columns), 132);
    EXPECT_EQ(store.GetNumber(P::Lines), 144);
    EXPECT_EQ(store.GetNumber(P::Pages), 1);
    EXPECT_TRUE(store.SetPageGeometry(80, 25, 5));
    EXPECT_EQ(store.GetNumber(P::Pages), 5);
}

TEST_F(SettingsStoreTest, ByNameAccessRules) {
    RecordingStore store;
    SettingValue out;
    EXPECT_FALSE(store.SetByName("HostScript", SettingValue{false, 1, {}}));
    EXPECT_EQ(store.GetNumber(P::HostScript), 0);
    EXPECT_FALSE(store.SetByName("NoSuchKey", SettingValue{false, 1, {}}));
    EXPECT_FALSE(store.GetByName("termid", out));
    EXPECT_FALSE(store.SetByName("TermID", SettingValue{true, 0, "1"}));
    EXPECT_FALSE(store.SetByName("TermID", SettingValue{false, 9, {}}));
    EXPECT_EQ(store.GetNumber(P::TermID), 2);
    EXPECT_FALSE(store.GetByName("Palette", out));
    EXPECT_FALSE(store.GetElementByName("Columns", 0, out));
    EXPECT_TRUE(store.calls.empty());

    ASSERT_TRUE(store.SetByName("8BitChars", SettingValue{false, 1, {}}));
    ASSERT_TRUE(store.GetByName("8BitChars", out));
    EXPECT_FALSE(out.isString);
    EXPECT_EQ(out.number, 1);
    ASSERT_TRUE(store.SetByName("Title", SettingValue{false, 42, {}}));
    EXPECT_EQ(store.GetString(P::Title), "42");

    EXPECT_TRUE(store.SetElementByName("Palette", 63, SettingValue{false, 7, {}}));
    EXPECT_EQ(store.GetBlock(P::Palette)[63], 7);
    EXPECT_FALSE(store.SetElementByName("Palette", 64, SettingValue{false, 7, {}}));
    EXPECT_FALSE(store.SetElementByName("Palette", -1, SettingValue{false, 7, {}}));
    EXPECT_FALSE(store.SetElementByName("Palette", 0, SettingValue{false, 256, {}}));
    EXPECT_FALSE(store.SetElementByName("Palette", 0, SettingValue{true, 0, "1"}));
    EXPECT_TRUE(store.SetElementByName("FKeys", 4, SettingValue{false, 2, {}}));
    EXPECT_TRUE(store.SetElementByName("ButtonCaption", 31, SettingValue{true, 0, "Go"}));
    ASSERT_TRUE(store.GetElementByName("ButtonCaption", 31, out));
    EXPECT_TRUE(out.isString);
    EXPECT_EQ(out.text, "Go");
    ASSERT_TRUE(store.GetElementByName("Palette", 4, out));
    EXPECT_EQ(out.number, 128);

    const decltype(store.calls) expected = {{P::EightBitChars, std::nullopt},
                                            {P::Title, std::nullopt},
                                            {P::Palette, 63},
                                            {P::FKeys, 4},
                                            {P::ButtonCaption, 31}};
    EXPECT_EQ(store.calls, expected);
}

TEST_F(SettingsStoreTest, ByNameSkipsTheHookForEqualValuesAndHonoursItsRefusal) {
    RecordingStore store;
    EXPECT_TRUE(store.SetByName("Columns", SettingValue{false, 80, {}}));
    EXPECT_TRUE(store.calls.empty());
    store.accept = false;
    EXPECT_TRUE(store.SetByName("Columns", SettingValue{false, 132, {}}));
    EXPECT_EQ(store.GetNumber(P::Columns), 80);
    EXPECT_EQ(store.calls.size(), 1u);
}

TEST_F(SettingsStoreTest, CompareAndApplyVisitsDifferencesInTableOrder) {
    RecordingStore mine;
    SettingsStore theirs;
    EXPECT_FALSE(mine.CompareAndApply(theirs, nullptr));
    EXPECT_TRUE(mine.calls.empty());

    theirs.SetArrayString(P::ButtonCaption, 31, "Last");
    theirs.SetBlockByte(P::Palette, 63, 1);
    theirs.SetString(P::FontName, "Mono");
    theirs.SetNumber(P::Columns, 132);
    theirs.SetArrayNumber(P::FKeys, 4, 2);

    mine.accept = false;
    EXPECT_TRUE(mine.CompareAndApply(theirs, nullptr));
    EXPECT_EQ(mine.GetNumber(P::Columns), 80);
    EXPECT_EQ(mine.GetString(P::FontName), "Courier New");

    mine.calls.clear();
    mine.accept = true;
    EXPECT_TRUE(mine.CompareAndApply(theirs, nullptr));
    const decltype(mine.calls) expected = {{P::FontName, std::nullopt},
                                           {P::Columns, std::nullopt},
                                           {P::FKeys, std::nullopt},
                                           {P::Palette, std::nullopt},
                                           {P::ButtonCaption, std::nullopt}};
    EXPECT_EQ(mine.calls, expected);
    for (int param = 0; param < kParameterCount; ++param) {
        EXPECT_TRUE(mine.Equals(param, theirs)) << param;
    }
    mine.calls.clear();
    EXPECT_FALSE(mine.CompareAndApply(theirs, nullptr));
    EXPECT_TRUE(mine.calls.empty());
}

TEST_F(SettingsStoreTest, CopyIsDeep) {
    SettingsStore source;
    source.SetArrayString(P::ButtonString, 0, "ls<CR>");
    source.SetString(P::HostName, "alpha");
    SettingsStore copy;
    copy.CopyFrom(source);
    source.SetArrayString(P::ButtonString, 0, "pwd");
    source.SetString(P::HostName, "beta");
    source.SetBlockByte(P::TabList, 1, 1);
    EXPECT_EQ(copy.GetArrayString(P::ButtonString, 0), "ls<CR>");
    EXPECT_EQ(copy.GetString(P::HostName), "alpha");
    EXPECT_FALSE(copy.IsTabStop(1));
}

TEST_F(SettingsStoreTest, TabStopHelpers) {
    SettingsStore store;
    EXPECT_EQ(store.NextTabStop(0), 8);
    EXPECT_EQ(store.NextTabStop(8), 16);
    EXPECT_EQ(store.NextTabStop(128), 131);
    EXPECT_EQ(store.NextTabStop(130), 131);
    EXPECT_EQ(store.NextTabStop(131), -1);
    EXPECT_EQ(store.NextTabStop(-1), -1);

    store.ClearAllTabs();
    EXPECT_EQ(store.NextTabStop(0), 131);
    store.SetTabStop(3, true);
    store.SetTabStop(-1, true);
    store.SetTabStop(kTabColumns, true);
    EXPECT_EQ(store.NextTabStop(0), 3);
    EXPECT_TRUE(store.IsTabStop(3));
    EXPECT_FALSE(store.IsTabStop(kTabColumns));
    store.SetTabStop(3, false);
    EXPECT_FALSE(store.IsTabStop(3));

    store.ResetTabStops();
    EXPECT_FALSE(store.IsTabStop(0));
    EXPECT_TRUE(store.IsTabStop(128));
    EXPECT_FALSE(store.IsTabStop(129));
}

TEST_F(SettingsStoreTest, ColourMapLookUps) {
    SettingsStore store;
    ColourMapEntry entry;
    EXPECT_FALSE(store.LookUpColour(CellAttribute::FromWord(0x3205), entry));
    EXPECT_EQ(entry.foreground, 2);
    EXPECT_EQ(entry.background, 3);
    EXPECT_TRUE(entry.showAttribute);

    store.MapColour(5, {9, 4, false});
    EXPECT_TRUE(store.LookUpColour(CellAttribute::FromWord(0x0705), entry));
    EXPECT_EQ(entry.foreground, 9);
    EXPECT_EQ(entry.background, 4);
    EXPECT_FALSE(entry.showAttribute);

    store.UnmapColour(5);
    EXPECT_FALSE(store.LookUpColour(CellAttribute::FromWord(0x0705), entry));
    store.MapColour(5, {16, 4, true});
    store.MapColour(5, {-1, 4, true});
    store.MapColour(16, {1, 1, true});
    store.UnmapColour(-1);
    EXPECT_FALSE(store.LookUpColour(CellAttribute::FromWord(0x0705), entry));

    // Bold set, blink clear, underline and inverse either: 1, 3, 9 and 11.
    store.MapColours({true, std::nullopt, false, std::nullopt}, {14, 1, true});
    for (int index = 0; index < 16; ++index) {
        const bool expected = index == 1 || index == 3 || index == 9 || index == 11;
        EXPECT_EQ(store.MappedColours(index).has_value(), expected) << index;
    }

    // A colour byte loaded from elsewhere never indexes past the palette.
    store.SetBlockByte(P::ForeColor, 1, 200);
    EXPECT_TRUE(store.LookUpColour(CellAttribute().With(CellAttribute::Bold), entry));
    EXPECT_EQ(entry.foreground, 200 & 15);
}

TEST_F(SettingsStoreTest, PrinterChoice) {
    SettingsStore store;
    PrinterChoice choice = store.GetPrinter("Office Laser,lpdriver,lp0");
    EXPECT_TRUE(choice.isDefault);
    EXPECT_EQ(choice.deviceName, "Office Laser");
    EXPECT_EQ(choice.driverName, "lpdriver");
    EXPECT_TRUE(choice.deviceMode.empty());
    EXPECT_EQ(store.GetPrinter("Solo").driverName, "");

    PrinterChoice chosen;
    chosen.isDefault = false;
    chosen.driverName = "drv";
    chosen.deviceName = "dev";
    chosen.deviceMode.assign(kPrinterParamSize, 0);
    chosen.deviceMode[147] = 9;
    store.SetPrinter(chosen);
    choice = store.GetPrinter("ignored,x");
    EXPECT_FALSE(choice.isDefault);
    EXPECT_EQ(choice.driverName, "drv");
    EXPECT_EQ(choice.deviceName, "dev");
    EXPECT_EQ(choice.deviceMode, chosen.deviceMode);

    chosen.deviceMode.clear();
    store.SetPrinter(chosen);
    EXPECT_TRUE(store.GetPrinter("").deviceMode.empty());
}

TEST_F(SettingsStoreTest, TerminalTypeNameOutsideTheTableIsVt100) {
    EXPECT_STREQ(TerminalTypeName(6), "vt100");
    EXPECT_STREQ(TerminalTypeName(-1), "vt100");
}

} // namespace
} // namespace tamsivane

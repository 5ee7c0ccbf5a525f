#include "config/SessionSettings.h"

#include <gtest/gtest.h>

#include <cstring>
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
    std::vector<std::pair<int, int>> calls;
    bool accept = true;

protected:
    bool OnChange(void*, int param, int element) override {
        calls.emplace_back(param, element);
        return accept;
    }
};

TEST_F(SettingsStoreTest, TableRowsMatchTheirNumbersCodesAndShapes) {
    EXPECT_EQ(Descriptor(P::CursorType).fileCode, 0x0101u);
    EXPECT_STREQ(Descriptor(P::EightBitChars).key, "8BitChars");
    EXPECT_EQ(Descriptor(P::EightBitChars).fileCode, 0x0303u);
    EXPECT_EQ(Descriptor(P::PrinterParam).type, ParamType::Block);
    EXPECT_EQ(Descriptor(P::PrinterParam).count, kPrinterParamSize);
    EXPECT_EQ(Descriptor(P::FKeys).type, ParamType::Array);
    EXPECT_EQ(Descriptor(P::FKeys).count, 5);
    EXPECT_EQ(Descriptor(P::ButtonCaption).elementKind, ElementKind::Strings);
    EXPECT_EQ(Descriptor(P::ButtonAction).elementKind, ElementKind::Numbers);
    EXPECT_EQ(Descriptor(P::ButtonAction).fileCode, 0x0b03u);
    EXPECT_EQ(Descriptor(P::XferInitPause).fileCode, 0x0d05u);
    EXPECT_EQ(ParameterTable()[kParameterCount].fileCode, 0u);
    EXPECT_EQ(ParameterByKey("8BitChars"), 27);
    EXPECT_EQ(ParameterByKey("XferInitPause"), 106);
    EXPECT_EQ(ParameterByKey("columns"), -1);
    EXPECT_EQ(ParameterByKey(""), -1);

    for (int a = 0; a < kParameterCount; ++a) {
        for (int b = a + 1; b < kParameterCount; ++b) {
            EXPECT_NE(Descriptor(a).fileCode, Descriptor(b).fileCode) << a << " " << b;
            EXPECT_STRNE(Descriptor(a).key, Descriptor(b).key);
        }
        if (Descriptor(a).type == ParamType::Number) {
            EXPECT_TRUE(SettingsStore::Accepts(a, Descriptor(a).defaultNumber)) << a;
        }
    }
}

TEST_F(SettingsStoreTest, DefaultsOfTextsAndBlocks) {
    SettingsStore store;
    EXPECT_EQ(store.GetString(P::Script),
              "term.Wait(\"name:|NAME:|login:|LOGIN:\");\r\n"
              "term.Send(term.UserID+\"<CR>\");\r\n"
              "term.Wait(\"word:|WORD:\");\r\n"
              "term.Send(term.Password+\"<CR>\");\r\n");
    EXPECT_EQ(store.GetString(P::ZModemInit), "rz\r");
    EXPECT_EQ(store.GetString(P::RecvDir), "Received");
    EXPECT_EQ(store.GetString(P::FontName132), "Courier New");
    EXPECT_EQ(store.StringLength(P::PrintFontName), 11u);
    EXPECT_EQ(store.GetNumber(P::SaveLines), 800);
    EXPECT_EQ(store.GetNumber(P::TermID), 2);
    EXPECT_EQ(store.GetNumber(P::XferInitPause), 500);

    const uint8_t* palette = store.GetBlock(P::Palette);
    const uint8_t expected[][4] = {
        {0, 0, 0, 0}, {128, 0, 0, 0}, {192, 192, 192, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};
    const int colours[] = {0, 1, 7, 12, 15};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(std::memcmp(palette + 4 * colours[i], expected[i], 4), 0) << colours[i];
    }

    const uint8_t* tabs = store.GetBlock(P::TabList);
    for (int column = 0; column < kTabColumns; ++column) {
        EXPECT_EQ(tabs[column], (column > 0 && column % 8 == 0) ? 1 : 0) << column;
    }
    EXPECT_EQ(store.GetBlock(P::Mapped)[15], 0);
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
    EXPECT_EQ(store.GetArrayNumber(P::FKeys, 1), 0);
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
    EXPECT_EQ(store.SetByName("HostScript", SettingValue{false, 1, {}}), 0);
    EXPECT_EQ(store.GetNumber(P::HostScript), 0);
    EXPECT_EQ(store.SetByName("NoSuchKey", SettingValue{false, 1, {}}), 0);
    EXPECT_EQ(store.GetByName("termid", out), 0);
    EXPECT_EQ(store.SetByName("TermID", SettingValue{true, 0, "1"}), 0);
    EXPECT_EQ(store.SetByName("TermID", SettingValue{false, 9, {}}), 0);
    EXPECT_EQ(store.GetNumber(P::TermID), 2);
    EXPECT_EQ(store.GetByName("Palette", out), 0);
    EXPECT_EQ(store.GetElementByName("Columns", 0, out), 0);
    EXPECT_TRUE(store.calls.empty());

    ASSERT_EQ(store.SetByName("8BitChars", SettingValue{false, 1, {}}), 1);
    ASSERT_EQ(store.GetByName("8BitChars", out), 1);
    EXPECT_FALSE(out.isString);
    EXPECT_EQ(out.number, 1);
    ASSERT_EQ(store.SetByName("Title", SettingValue{false, 42, {}}), 1);
    EXPECT_EQ(store.GetString(P::Title), "42");

    EXPECT_EQ(store.SetElementByName("Palette", 63, SettingValue{false, 7, {}}), 1);
    EXPECT_EQ(store.GetBlock(P::Palette)[63], 7);
    EXPECT_EQ(store.SetElementByName("Palette", 64, SettingValue{false, 7, {}}), 0);
    EXPECT_EQ(store.SetElementByName("Palette", -1, SettingValue{false, 7, {}}), 0);
    EXPECT_EQ(store.SetElementByName("Palette", 0, SettingValue{false, 256, {}}), 0);
    EXPECT_EQ(store.SetElementByName("Palette", 0, SettingValue{true, 0, "1"}), 0);
    EXPECT_EQ(store.SetElementByName("FKeys", 4, SettingValue{false, 1, {}}), 1);
    EXPECT_EQ(store.SetElementByName("ButtonCaption", 31, SettingValue{true, 0, "Go"}), 1);
    ASSERT_EQ(store.GetElementByName("ButtonCaption", 31, out), 1);
    EXPECT_TRUE(out.isString);
    EXPECT_EQ(out.text, "Go");
    ASSERT_EQ(store.GetElementByName("Palette", 4, out), 1);
    EXPECT_EQ(out.number, 128);

    const std::vector<std::pair<int, int>> expected = {{P::EightBitChars, -1},
                                                       {P::Title, -1},
                                                       {P::Palette, 63},
                                                       {P::FKeys, 4},
                                                       {P::ButtonCaption, 31}};
    EXPECT_EQ(store.calls, expected);
}

TEST_F(SettingsStoreTest, ByNameSkipsTheHookForEqualValuesAndHonoursItsRefusal) {
    RecordingStore store;
    EXPECT_EQ(store.SetByName("Columns", SettingValue{false, 80, {}}), 1);
    EXPECT_TRUE(store.calls.empty());
    store.accept = false;
    EXPECT_EQ(store.SetByName("Columns", SettingValue{false, 132, {}}), 1);
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
    const std::vector<std::pair<int, int>> expected = {{P::FontName, -1},
                                                       {P::Columns, -1},
                                                       {P::FKeys, -1},
                                                       {P::Palette, -1},
                                                       {P::ButtonCaption, -1}};
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

    store.MapColour(5, 9, 4, false);
    EXPECT_TRUE(store.LookUpColour(CellAttribute::FromWord(0x0705), entry));
    EXPECT_EQ(entry.foreground, 9);
    EXPECT_EQ(entry.background, 4);
    EXPECT_FALSE(entry.showAttribute);

    store.MapColour(5, -1, 4, true);
    EXPECT_FALSE(store.LookUpColour(CellAttribute::FromWord(0x0705), entry));
    store.MapColour(5, 16, 4, true);
    store.MapColour(16, 1, 1, true);
    EXPECT_FALSE(store.LookUpColour(CellAttribute::FromWord(0x0705), entry));

    // Bold set, blink clear, underline and inverse either: 1, 3, 9 and 11.
    store.MapColours({1, -1, 0, -1}, 14, 1, true);
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

TEST_F(SettingsStoreTest, TerminalTypeNames) {
    EXPECT_STREQ(TerminalTypeName(0), "vt420");
    EXPECT_STREQ(TerminalTypeName(2), "vt220");
    EXPECT_STREQ(TerminalTypeName(5), "vt100");
    EXPECT_STREQ(TerminalTypeName(6), "vt100");
    EXPECT_STREQ(TerminalTypeName(-1), "vt100");
}

} // namespace
} // namespace tamsivane

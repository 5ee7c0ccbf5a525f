#include "config/SessionSettings.h"

#include <gtest/gtest.h>

namespace tamsivane {
namespace {

ChangeSet ApplyOne(void (*change)(SettingsStore&)) {
    SessionSettings session;
    SettingsStore edited;
    change(edited);
    ChangeSet set;
    session.CompareAndApply(edited, &set);
    return set;
}

TEST(SessionSettingsTest, ColumnsRaiseEverythingAboutTheScreen) {
    const ChangeSet set = ApplyOne([](SettingsStore& s) { s.SetNumber(P::Columns, 132); });
    EXPECT_TRUE(set.historyClear);
    EXPECT_TRUE(set.screenReset);
    EXPECT_TRUE(set.pageGeometry);
    EXPECT_TRUE(set.relayout);
    EXPECT_TRUE(set.fonts);
    EXPECT_TRUE(set.margins);
    EXPECT_FALSE(set.repaint);
    EXPECT_FALSE(set.historySize);
    EXPECT_FALSE(set.communication);
}

TEST(SessionSettingsTest, EachParameterRaisesOnlyItsOwnFlags) {
    ChangeSet set = ApplyOne([](SettingsStore& s) { s.SetNumber(P::Port, 23); });
    EXPECT_TRUE(set.communication);
    set.communication = false;
    EXPECT_FALSE(set.Any());

    set = ApplyOne([](SettingsStore& s) { s.SetNumber(P::KeepSession, 1); });
    EXPECT_FALSE(set.Any());

    set = ApplyOne([](SettingsStore& s) {
        s.SetNumber(P::Lines, 25);
        s.SetNumber(P::CursorBlink, 0);
        s.SetBlockByte(P::DisplayAttr, 2, 1);
        s.SetArrayString(P::ButtonCaption, 0, "Go");
        s.SetNumber(P::NumLock, 1);
        s.SetString(P::Title, "t");
    });
    EXPECT_TRUE(set.pageGeometry && set.relayout && set.margins);
    EXPECT_FALSE(set.screenReset || set.historyClear || set.fonts);
    EXPECT_TRUE(set.cursor && set.repaint && set.buttons && set.keyboardLights && set.title);

    set = ApplyOne([](SettingsStore& s) { s.SetNumber(P::SaveLines, 10); });
    EXPECT_TRUE(set.historySize);
    EXPECT_FALSE(set.historyClear);
}

TEST(SessionSettingsTest, ScriptChangesAcceptedWithoutAChangeSet) {
    SessionSettings session;
    EXPECT_TRUE(session.SetByName("FontSize", SettingValue{false, 12, {}}));
    EXPECT_EQ(session.GetNumber(P::FontSize), 12);

    ChangeSet set;
    EXPECT_FALSE(set.Any());
    set.printModeOn = 2;
    EXPECT_TRUE(set.Any());
    set.Clear();
    EXPECT_TRUE(session.SetByName("FontName", SettingValue{true, 0, "Mono"}, &set));
    EXPECT_TRUE(set.fonts);
}

} // namespace
} // namespace tamsivane

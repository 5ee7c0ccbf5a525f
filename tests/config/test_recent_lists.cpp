#include <gtest/gtest.h>

#include "config/ModemList.h"
#include "config/RecentList.h"

namespace tamsivane {
namespace {

TEST(RecentListTest, NewestFirstMovedNotRepeatedAndBounded) {
    MemoryProfile profile;
    RecentList hosts = RecentHosts(profile);
    for (int i = 0; i < 20; ++i) hosts.Add("host" + std::to_string(i));
    hosts.Add("host5"); // moves to the front
    auto list = hosts.Load();
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list[0], "host5");
    EXPECT_EQ(list[1], "host19");
    EXPECT_EQ(list[19], "host0");
    hosts.Add("host20"); // the twenty-first pushes the oldest out
    list = hosts.Load();
    ASSERT_EQ(list.size(), 20u);
    EXPECT_EQ(list[0], "host20");
    EXPECT_EQ(list[19], "host1");
    EXPECT_EQ(profile.GetString("HostMRU", "HostMRU19", ""), "host1");
    EXPECT_EQ(profile.GetString("HostMRU", "HostMRU20", "none"), "none");
}

TEST(RecentListTest, SkipsGapsAndCompactsOnAdd) {
    MemoryProfile profile;
    profile.SetString("ModemMRU", "HostMRU3", "555");
    profile.SetString("ModemMRU", "HostMRU7", "666");
    RecentList phones = RecentPhoneNumbers(profile);
    EXPECT_EQ(phones.Load(), (std::vector<std::string>{"555", "666"}));
    phones.Add("777");
    EXPECT_EQ(profile.GetString("ModemMRU", "HostMRU2", ""), "666");
    EXPECT_EQ(profile.GetString("ModemMRU", "HostMRU7", "gone"), "gone");
}

TEST(ModemListTest, StoresAnArrayAndRemovesWhatIsGone) {
    MemoryProfile profile;
    const std::vector<Modem> two = {{"Desk", "/dev/ttyUSB0", "ATX4", 57600},
                                    {"Spare", "/dev/ttyS1", "", 9600}};
    SaveModems(profile, two);
    EXPECT_EQ(profile.GetInt("Modems", "size", 0), 2);
    EXPECT_EQ(profile.GetString("Modems", "2/Device", ""), "/dev/ttyS1");
    EXPECT_EQ(LoadModems(profile), two);
    SaveModems(profile, {two[1]});
    EXPECT_EQ(LoadModems(profile), std::vector<Modem>{two[1]});
    EXPECT_EQ(profile.GetString("Modems", "2/Name", "gone"), "gone");
    // A size beyond the bound reads no more than the bound.
    profile.SetInt("Modems", "size", 1 << 30);
    EXPECT_EQ(LoadModems(profile).size(), 1u);
}

} // namespace
} // namespace tamsivane

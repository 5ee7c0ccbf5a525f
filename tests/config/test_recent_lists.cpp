#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ScopedVariable.h"
#include "TempFolder.h"
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

TEST(ModemListTest, KeptInTheUsersDataFolderAndMovedThereFromTheProfile) {
    const testing::TempFolder folder;
    const testing::ScopedVariable dataHome("XDG_DATA_HOME", folder.Path());
    const std::string file = folder.File("tamsivane/Modems.txt");
    MemoryProfile profile;
    profile.SetInt("Modems", "size", 2);
    profile.SetString("Modems", "1/Name", "Desk");
    profile.SetString("Modems", "1/Device", "/dev/ttyUSB0");
    profile.SetString("Modems", "1/Init", "ATX4");
    profile.SetInt("Modems", "1/Speed", 57600);
    profile.SetString("Modems", "2/Name", "Spare");
    profile.SetString("Modems", "2/Device", "/dev/ttyS1");
    const std::vector<Modem> two = {{"Desk", "/dev/ttyUSB0", "ATX4", 57600},
                                    {"Spare", "/dev/ttyS1", "", 115200}};
    EXPECT_EQ(LoadModems(profile), two);
    std::string error;
    // Unchanged: nothing is written.
    ASSERT_TRUE(SaveModems(profile, two, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(file));

    const std::vector<Modem> changed = {two[1], {"Tab\there", "/dev/ttyS2", "AT&F", 9600}};
    ASSERT_TRUE(SaveModems(profile, changed, error)) << error;
    EXPECT_EQ(profile.GetInt("Modems", "size", -1), -1);
    EXPECT_EQ(profile.GetString("Modems", "1/Name", "gone"), "gone");
    std::vector<Modem> expected = changed;
    expected[1].name = "Tab here";
    EXPECT_EQ(LoadModems(profile), expected);
    // A change keeps the file's access rights.
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(SaveModems(profile, {two[0]}, error)) << error;
    EXPECT_EQ(LoadModems(profile), std::vector<Modem>{two[0]});
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0640));

    // A file that cannot be read is never replaced.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_FALSE(SaveModems(profile, two, error));
    EXPECT_NE(error.find("left as it is"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST(ModemListTest, ReadsWhatItCanOfAFile) {
    std::string text = "A\t/dev/a\tATZ\t2400\r\n\t/dev/none\n"
                       "B\t/dev/b\t\tfast\nC\nD\t/dev/d\t\t-5";
    EXPECT_EQ(ParseModems(text), (std::vector<Modem>{{"A", "/dev/a", "ATZ", 2400},
                                                     {"B", "/dev/b", "", 115200},
                                                     {"C", "", "", 115200},
                                                     {"D", "/dev/d", "", 115200}}));
    for (int i = 0; i < 100; ++i) text += "\nM\t/dev/m";
    EXPECT_EQ(ParseModems(text).size(), static_cast<size_t>(kMaxModems));
}

} // namespace
} // namespace tamsivane

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempFolder.h"
#include "platform/DefaultHandlers.h"

namespace tamsivane {
namespace {

namespace fs = std::filesystem;

const std::string kSetupType = "application/x-tamsivane-setup";
const std::string kTelnetType = "x-scheme-handler/telnet";
const std::string kEntry = "tamsivane.desktop";

class DefaultHandlersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.Path().empty());
        folders_.configHome = (root_ / "config").string();
        folders_.configDirs = {(root_ / "etc").string()};
        folders_.dataHome = (root_ / "data").string();
        folders_.dataDirs = {(root_ / "share").string()};
        Write(root_ / "share/applications" / kEntry, "[Desktop Entry]\n");
    }

    static void Write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    std::string UserList() const {
        std::ifstream in(root_ / "config/mimeapps.list");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    testing::TempFolder folder_;
    const fs::path root_ = folder_.Path();
    XdgFolders folders_;
};

TEST_F(DefaultHandlersTest, BecomesTheDefaultWhereThereIsNone) {
    DefaultHandlers handlers(folders_);
    EXPECT_EQ(handlers.ClaimUnset(kEntry, {kSetupType, kTelnetType}),
              (std::vector<std::string>{kSetupType, kTelnetType}));
    EXPECT_EQ(UserList(), "[Default Applications]\n" + kSetupType + "=" + kEntry + ";\n" +
                              kTelnetType + "=" + kEntry + ";\n");
    EXPECT_EQ(handlers.DefaultFor(kTelnetType), kEntry);
    // Once it is the default nothing more is written.
    EXPECT_TRUE(handlers.ClaimUnset(kEntry, {kSetupType, kTelnetType}).empty());
}

TEST_F(DefaultHandlersTest, NeverReplacesAProgramTheUserOrSystemChose) {
    Write(root_ / "config/mimeapps.list",
          "[Added Associations]\ntext/plain=editor.desktop;\n\n[Default Applications]\n" +
              kTelnetType + "=other-terminal.desktop;\n\n[Removed Associations]\n");
    Write(root_ / "share/applications/mimeapps.list",
          "[Default Applications]\n" + kSetupType + "=vendor.desktop;\n");
    DefaultHandlers handlers(folders_);
    EXPECT_TRUE(handlers.ClaimUnset(kEntry, {kSetupType, kTelnetType}).empty());

    // Without the system's choice the setup type is claimed; the user's
    // other lines and groups stay as they were.
    fs::remove(root_ / "share/applications/mimeapps.list");
    EXPECT_EQ(handlers.ClaimUnset(kEntry, {kSetupType, kTelnetType}),
              std::vector<std::string>{kSetupType});
    EXPECT_EQ(UserList(), "[Added Associations]\ntext/plain=editor.desktop;\n\n"
                          "[Default Applications]\n" +
                              kTelnetType + "=other-terminal.desktop;\n\n" + kSetupType + "=" +
                              kEntry + ";\n[Removed Associations]\n");
    EXPECT_EQ(handlers.DefaultFor(kTelnetType), "other-terminal.desktop");
}

TEST_F(DefaultHandlersTest, DesktopSpecificListsCountAndNothingIsClaimedWhenNotInstalled) {
    folders_.desktops = {"kde"};
    Write(root_ / "config/kde-mimeapps.list",
          "[Default Applications]\n" + kTelnetType + "=konsole-like.desktop\n");
    DefaultHandlers handlers(folders_);
    EXPECT_EQ(handlers.DefaultFor(kTelnetType), "konsole-like.desktop");

    fs::remove(root_ / "share/applications" / kEntry);
    EXPECT_FALSE(handlers.IsInstalled(kEntry));
    EXPECT_TRUE(handlers.ClaimUnset(kEntry, {kSetupType}).empty());
    EXPECT_FALSE(fs::exists(root_ / "config/mimeapps.list"));
}

} // namespace
} // namespace tamsivane

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "SessionFixture.h"

namespace tamsivane {
namespace {

namespace fs = std::filesystem;

// Standard output of a shell command, and its exit status.
std::pair<int, std::string> RunShell(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return {-1, ""};
    std::array<char, 4096> buffer{};
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) output.append(buffer.data(), n);
    return {pclose(pipe), output};
}

std::string ShellQuoted(const std::string& text) { return "'" + text + "'"; }

TEST(InstallTest, DesktopEntryAndSetupFileTypeWorkFromAPrefix) {
    testing::TempFolder folder;
    const std::string prefix = folder.File("prefix");
    const auto [installed, installLog] =
        RunShell("cmake --install " + ShellQuoted(TAMSIVANE_BUILD_DIR) + " --prefix " + ShellQuoted(prefix));
    ASSERT_EQ(installed, 0) << installLog;
    const std::string share = prefix + "/share";
    EXPECT_TRUE(fs::is_regular_file(prefix + "/bin/tamsivane"));
    EXPECT_TRUE(fs::is_regular_file(share + "/icons/hicolor/scalable/apps/tamsivane.svg"));
    EXPECT_TRUE(fs::is_regular_file(share + "/tamsivane/default.qzv"));
    // The pages the program points to, and every page they link to.
    const std::string help = share + "/tamsivane/help/";
    for (const char* page : {"index.htm", "script.htm"}) {
        ASSERT_TRUE(fs::is_regular_file(help + page)) << page;
        std::stringstream text;
        text << std::ifstream(help + page).rdbuf();
        const std::string html = text.str();
        for (size_t at = html.find("href=\""); at != std::string::npos; at = html.find("href=\"", at + 1)) {
            const std::string target = html.substr(at + 6, html.find('"', at + 6) - at - 6);
            if (target.find(':') == std::string::npos) {
                EXPECT_TRUE(fs::is_regular_file(help + target.substr(0, target.find('#'))))
                    << page << " links to " << target;
            }
        }
    }

    const std::string entry = share + "/applications/tamsivane.desktop";
    const auto [valid, validateLog] = RunShell("desktop-file-validate " + ShellQuoted(entry));
    EXPECT_EQ(valid, 0) << validateLog;
    EXPECT_EQ(validateLog.find("error"), std::string::npos) << validateLog;

    const auto [updated, updateLog] = RunShell("update-mime-database " + ShellQuoted(share + "/mime"));
    ASSERT_EQ(updated, 0) << updateLog;

    // A setup file by its name in either case, and one without extension by its magic.
    const std::string upper = folder.File("Site.QZV");
    const std::string bare = folder.File("site-copy");
    const std::string other = folder.File("notes.txt");
    std::ofstream(upper) << "";
    std::ofstream(bare) << '\x14' << "QZV V3.00 Setup File" << std::string(8, '\0');
    std::ofstream(other) << "plain words\n";
    const std::string environment = "env XDG_DATA_DIRS=" + ShellQuoted(share) + " XDG_DATA_HOME=" +
                                    ShellQuoted(folder.File("nothing")) + " ";
    const auto typeOf = [&](const char* mode, const std::string& file) {
        return RunShell(environment + ShellQuoted(TAMSIVANE_MIME_TYPE_OF) + " " + mode + " " + ShellQuoted(file)).second;
    };
    EXPECT_EQ(typeOf("name", upper), "application/x-tamsivane-setup\n");
    EXPECT_EQ(typeOf("name", folder.File("lower.qzv")), "application/x-tamsivane-setup\n");
    EXPECT_EQ(typeOf("content", bare), "application/x-tamsivane-setup\n");
    EXPECT_NE(typeOf("content", other), "application/x-tamsivane-setup\n");
}

} // namespace
} // namespace tamsivane

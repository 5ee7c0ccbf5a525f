#include "config/Templates.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ScopedVariable.h"
#include "TempFolder.h"
#include "config/SetupFile.h"

namespace tamsivane {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteTemplate(const fs::path& path, const std::string& hostName) {
    SettingsStore settings;
    settings.SetString(P::HostName, hostName);
    std::ofstream(path, std::ios::binary) << EncodeSetupFile(settings, KeyMap());
}

class TemplatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.Path().empty());
        fs::create_directories(root_ / "program");
        fs::create_directories(root_ / "shared");
    }

    // Saved to "user" (not there yet), searched there first, then beside the program.
    Templates Make() const {
        return Templates(
            {{(root_ / "user").string(), (root_ / "program").string(), (root_ / "shared").string()},
             (root_ / "user").string()});
    }

    testing::TempFolder folder_;
    const fs::path root_ = folder_.Path();
};

TEST_F(TemplatesTest, FindsTemplatesInSearchOrder) {
    WriteTemplate(root_ / "program" / "default.qzv", "program");
    WriteTemplate(root_ / "shared" / "default.qzv", "shared");
    WriteTemplate(root_ / "shared" / "Lab.QZV", "lab");
    std::ofstream(root_ / "shared" / "notes.txt") << "not a template";
    std::ofstream(root_ / "shared" / ".qzv") << "no name";
    const Templates templates = Make();

    EXPECT_EQ(templates.Names(), (std::vector<std::string>{"Lab", "default"}));
    EXPECT_EQ(templates.Find("default"), (root_ / "program" / "default.qzv").string());
    EXPECT_EQ(templates.Find("missing"), "");

    SettingsStore settings;
    KeyMap keys;
    ASSERT_TRUE(templates.Load("Lab", settings, keys));
    EXPECT_EQ(settings.GetString(P::HostName), "lab");
    ASSERT_TRUE(templates.Load(kDefaultTemplate, settings, keys));
    EXPECT_EQ(settings.GetString(P::HostName), "program");
    EXPECT_FALSE(templates.Load("missing", settings, keys));
    EXPECT_EQ(settings.GetString(P::HostName), "program");
}

TEST_F(TemplatesTest, SavedTemplatesAreTheOnesLoaded) {
    WriteTemplate(root_ / "program" / "default.qzv", "program");
    const Templates templates = Make();
    SettingsStore settings;
    settings.SetString(P::HostName, "mine");
    KeyMap keys;
    keys.ApplyTemplate(2);
    ASSERT_TRUE(templates.Save(kDefaultTemplate, settings, keys));

    // The user's folder was made for it, and only the user may enter it.
    struct stat info {};
    ASSERT_EQ(stat((root_ / "user").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(templates.Find(kDefaultTemplate), (root_ / "user" / "default.qzv").string());
    EXPECT_EQ(Contents(root_ / "program" / "default.qzv").find("mine"), std::string::npos);

    SettingsStore loaded;
    KeyMap loadedKeys;
    ASSERT_TRUE(templates.Load(kDefaultTemplate, loaded, loadedKeys));
    EXPECT_EQ(loaded.GetString(P::HostName), "mine");
    EXPECT_EQ(loadedKeys, keys);

    // An existing file is replaced under its own name.
    WriteTemplate(root_ / "user" / "Old.QZV", "old");
    ASSERT_TRUE(templates.Save("Old", settings, keys));
    EXPECT_FALSE(fs::exists(root_ / "user" / "Old.qzv"));
    EXPECT_NE(Contents(root_ / "user" / "Old.QZV").find("mine"), std::string::npos);
}

TEST_F(TemplatesTest, BadNamesAndBrokenTemplatesFail) {
    const Templates templates = Make();
    SettingsStore settings;
    KeyMap keys;
    for (const char* name : {"", "../escape", "a/b", "..\\escape", "a\\b", ".hidden", ".."}) {
        EXPECT_FALSE(templates.Save(name, settings, keys)) << name;
        EXPECT_FALSE(templates.Load(name, settings, keys)) << name;
    }
    EXPECT_FALSE(fs::exists(root_ / "escape.qzv"));

    std::ofstream(root_ / "program" / "broken.qzv") << "QZV V3.00 Setup File";
    settings.SetNumber(P::TermID, 4);
    EXPECT_FALSE(templates.Load("broken", settings, keys));
    EXPECT_EQ(settings.GetNumber(P::TermID), 4);
}

// The shipped template leaves the character set out, so that a new session
// takes the program's own choice (UTF-8 where the user's locale is UTF-8).
TEST(ShippedTemplateTest, DefaultTemplateHoldsTheDefaultsButNotTheCharacterSet) {
    const fs::path file = fs::path(TAMSIVANE_TEST_DATA) / "../../resources/templates/default.qzv";
    for (const bool utf8 : {false, true}) {
        SetUtf8ByDefault(utf8);
        SettingsStore settings;
        settings.SetNumber(P::TermID, 0);
        KeyMap keys;
        keys.ApplyTemplate(1);
        const SetupFileResult result = LoadSetupFile(file.string(), settings, keys);
        ASSERT_TRUE(result.ok) << result.message;
        const SettingsStore defaults;
        for (int param = 0; param < kParameterCount; ++param) {
            EXPECT_TRUE(settings.Equals(param, defaults)) << Descriptor(param).key;
        }
        EXPECT_EQ(settings.GetNumber(P::DBCS), utf8 ? 1 : 0);
        EXPECT_EQ(settings.GetNumber(P::DBCSSet), utf8 ? kDbcsSetUtf8 : 0);
        EXPECT_EQ(keys, KeyMap());
    }
    SetUtf8ByDefault(false);
    // DBCS and DBCSSet follow each other in the file, both 0 by default.
    std::string expected = EncodeSetupFile(SettingsStore(), KeyMap());
    const std::string charset("\x06\x07\x00\x00\x00\x00\x00\x07\x07\x00\x00\x00\x00\x00", 14);
    expected.erase(expected.find(charset), charset.size());
    EXPECT_EQ(Contents(file), expected)
        << "the defaults changed: write EncodeSetupFile(SettingsStore(), KeyMap()) without the "
           "DBCS and DBCSSet records to "
        << file;
}

TEST(TemplateFoldersTest, TheUsersFolderThenTheProgramsFolders) {
    const std::string program = fs::read_symlink("/proc/self/exe").parent_path().string();
    const testing::ScopedVariable dataHome("XDG_DATA_HOME", "/tmp/tamsivane-data");
    const testing::ScopedVariable home("HOME", "/home/someone");
    TemplateFolders folders = DiscoverTemplateFolders();
    // Never beside the program, even where that folder is writable.
    EXPECT_EQ(folders.save, "/tmp/tamsivane-data/tamsivane");
    EXPECT_EQ(folders.search,
              (std::vector<std::string>{
                  "/tmp/tamsivane-data/tamsivane", program,
                  (fs::path(program).parent_path() / "share/tamsivane").string()}));

    // A relative data folder is not used; the home folder's is.
    setenv("XDG_DATA_HOME", "relative", 1);
    folders = DiscoverTemplateFolders();
    EXPECT_EQ(folders.save, "/home/someone/.local/share/tamsivane");
    EXPECT_EQ(folders.search.front(), folders.save);
}

} // namespace
} // namespace tamsivane

#include "config/SetupFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

namespace tamsivane {
namespace {

namespace fs = std::filesystem;

// Builds a setup-file image byte by byte from the layout.
class Image {
public:
    Image& Byte(uint8_t value) {
        bytes_ += static_cast<char>(value);
        return *this;
    }
    Image& Word(uint16_t value) { return Byte(value & 0xFF).Byte(value >> 8); }
    Image& Dword(uint32_t value) { return Word(value & 0xFFFF).Word(value >> 16); }
    Image& Raw(std::string_view bytes) {
        bytes_.append(bytes);
        return *this;
    }
    // A STRING with the one-byte length prefix.
    Image& Text(std::string_view text) { return Byte(static_cast<uint8_t>(text.size())).Raw(text); }
    Image& Magic() { return Text("QZV V3.00 Setup File"); }
    Image& Record(uint16_t code, uint8_t type) { return Word(code).Byte(type); }
    Image& NumberRecord(uint16_t code, uint32_t value) { return Record(code, 0).Dword(value); }
    Image& EndOfParameters() { return Word(0); }
    // A 255-key table with every key unmapped except those given.
    Image& KeyTable(std::initializer_list<std::pair<int, uint8_t>> mapped = {}) {
        std::string table(255, '\0');
        for (const auto& [key, action] : mapped) table[key - 1] = static_cast<char>(action);
        return Dword(255).Raw(table);
    }
    Image& Entry(uint8_t key, uint8_t modifiers, uint8_t action, std::string_view text) {
        return Byte(key).Byte(modifiers).Byte(action).Text(text);
    }
    Image& Reserved(uint8_t last = 0) { return Raw(std::string(7, '\0')).Byte(last); }
    // Everything after the magic and the parameters of a file without a key map.
    Image& EmptyKeyMap() { return KeyTable().Dword(0).Reserved(); }

    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

class SetupFileTest : public ::testing::Test {
protected:
    void TearDown() override { SetSystemAnsiCodePage(1252); }
};

void ExpectSameSettings(const SettingsStore& a, const SettingsStore& b) {
    for (int param = 0; param < kParameterCount; ++param) {
        EXPECT_TRUE(a.Equals(param, b)) << Descriptor(param).key;
    }
}

// A session whose every kind of value differs from the defaults.
void FillSession(SettingsStore& settings, KeyMap& keys) {
    settings.SetNumber(P::TermID, 0);
    settings.SetPageGeometry(132, 36, 4);
    settings.SetNumber(P::XPos, -40);
    settings.SetNumber(P::XferInitPause, 0x7FFFFFFF);
    settings.SetString(P::HostName, "host.example");
    settings.SetString(P::Title, "Caf\xC3\xA9 \xE2\x82\xAC"); // "Café €" in UTF-8
    settings.SetString(P::Script, std::string(300, 's'));
    settings.SetString(P::RecvDir, "");
    const uint8_t palette[] = {1, 2, 3, 0, 250, 251, 252, 0};
    settings.SetBlock(P::Palette, palette, sizeof palette);
    settings.SetBlockByte(P::PrinterParam, kPrinterParamSize - 1, 0xEE);
    settings.SetTabStop(131, true);
    settings.SetArrayNumber(P::FKeys, 0, 1);
    settings.SetArrayNumber(P::FKeys, 4, -7);
    settings.SetArrayString(P::ButtonCaption, 0, "Login");
    settings.SetArrayString(P::ButtonCaption, 31, std::string(70000, 'c'));
    settings.SetArrayString(P::ButtonString, 3, "<ESC>[A^C");

    keys.SetEntry('A', Modifier::Alt, KeyAction::Send, "\x1b\x9b\x81\xFF"); // raw bytes
    keys.SetEntry(0x74, Modifier::Ctrl, KeyAction::ExecuteScript, "term.Send(\"\xC3\xA9\");");
    keys.SetEntry(0x70, 0, KeyAction::RunScriptFile, "/home/u/login.tsc");
    keys.SetEntry(0x71, 0, 40, "");
    keys.RemoveEntry(0x6B, Modifier::Ctrl);
}

TEST_F(SetupFileTest, RoundTripOfEveryKindOfValueAndTheKeyMap) {
    SettingsStore saved;
    KeyMap savedKeys;
    FillSession(saved, savedKeys);
    const std::string image = EncodeSetupFile(saved, savedKeys);

    SettingsStore loaded;
    KeyMap loadedKeys;
    loadedKeys.ApplyTemplate(3);
    ASSERT_TRUE(DecodeSetupFile(image, loaded, loadedKeys).ok());
    ExpectSameSettings(saved, loaded);
    EXPECT_EQ(loadedKeys, savedKeys);

    // Texts are written in the ANSI code page: "Café €" is 6 bytes in code page 1252.
    EXPECT_NE(image.find(std::string("\x0D\x09\x01\x06"
                                     "Caf\xE9 \x80")),
              std::string::npos);
    // Key-map sequences are bytes for the host and stay as they are.
    EXPECT_NE(image.find(std::string("\x41\x01\xFF\x04\x1b\x9b\x81\xFF")), std::string::npos);
    // Texts of scripts are converted like the parameters.
    EXPECT_NE(image.find(std::string("term.Send(\"\xE9\");")), std::string::npos);

    // The same session written again gives the same bytes.
    EXPECT_EQ(EncodeSetupFile(loaded, loadedKeys), image);
}

TEST_F(SetupFileTest, TextsFollowTheApplicationCodePage) {
    SetSystemAnsiCodePage(932);
    SettingsStore saved;
    saved.SetString(P::Title, "\xE3\x81\x82"); // HIRAGANA LETTER A
    const std::string image = EncodeSetupFile(saved, KeyMap());
    EXPECT_NE(image.find(std::string("\x0D\x09\x01\x02\x82\xA0")), std::string::npos);
    SettingsStore loaded;
    KeyMap keys;
    ASSERT_TRUE(DecodeSetupFile(image, loaded, keys).ok());
    EXPECT_EQ(loaded.GetString(P::Title), "\xE3\x81\x82");
}

TEST_F(SetupFileTest, LengthPrefixForms) {
    struct Case {
        size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {254, std::string("\xFE", 1)},
        {255, std::string("\xFF\xFF\x00", 3)},
        {300, std::string("\xFF\x2C\x01", 3)},
        {65533, std::string("\xFF\xFD\xFF", 3)},
        {65534, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
        {70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
    };
    for (const Case& c : cases) {
        SettingsStore saved;
        saved.SetString(P::Script, std::string(c.length, 'x'));
        const std::string image = EncodeSetupFile(saved, KeyMap());
        const std::string record = std::string("\x0A\x09\x01", 3) + c.prefix + "xx";
        EXPECT_NE(image.find(record), std::string::npos) << c.length;
        SettingsStore loaded;
        KeyMap keys;
        ASSERT_TRUE(DecodeSetupFile(image, loaded, keys).ok()) << c.length;
        EXPECT_EQ(loaded.StringLength(P::Script), c.length);
    }
}

TEST_F(SetupFileTest, ReadsAFileBuiltFromTheLayout) {
    Image image;
    image.Magic()
        .NumberRecord(0x0304, 0) // TermID
        .Record(0x0601, 1)
        .Byte(0xFF)
        .Word(3)
        .Raw("abc") // HostName, word length
        .Record(0x0d02, 1)
        .Byte(0xFF)
        .Word(0xFFFF)
        .Dword(4)
        .Raw("Recv") // RecvDir, dword length
        .Record(0x090d, 1)
        .Text("\xE9t\xE9") // Title in code page 1252
        .Record(0x7F01, 3)
        .Word(2)
        .Byte(1)
        .Text("one")
        .Text("two") // unknown string array
        .Record(0x7F02, 3)
        .Word(2)
        .Byte(0)
        .Dword(1)
        .Dword(2) // unknown number array
        .Record(0x7F03, 2)
        .Word(3)
        .Raw("xyz") // unknown byte block
        .Record(0x7F04, 1)
        .Text("unknown")
        .Record(0x7F05, 0)
        .Dword(9)
        .Record(0x0801, 2)
        .Word(4)
        .Raw(std::string("\x11\x22\x33\x00", 4)) // Palette, first colour only
        .Record(0x0509, 3)
        .Word(2)
        .Byte(0)
        .Dword(1)
        .Dword(0xFFFFFFFF) // FKeys 1 and 2
        .Record(0x0b01, 3)
        .Word(1)
        .Byte(1)
        .Text("Go")                // ButtonCaption 1
        .NumberRecord(0x0307, 132) // Columns
        .EndOfParameters()
        .KeyTable({{'A', 5}, {0x08, 71}, {'C', 240}})
        .Dword(2)
        .Entry('B', Modifier::Ctrl, 255, "\x1b[Z")
        .Entry('C', 0, 254, "View: Scroll to Top")
        .Reserved();

    SettingsStore settings;
    KeyMap keys;
    const SetupReadResult result = DecodeSetupFile(image.bytes(), settings, keys);
    ASSERT_TRUE(result.ok()) << result.reason;
    EXPECT_EQ(settings.GetNumber(P::TermID), 0);
    EXPECT_EQ(settings.GetNumber(P::Columns), 132);
    EXPECT_EQ(settings.GetString(P::HostName), "abc");
    EXPECT_EQ(settings.GetString(P::RecvDir), "Recv");
    EXPECT_EQ(settings.GetString(P::Title), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(settings.GetBlock(P::Palette)[0], 0x11);
    EXPECT_EQ(settings.GetBlock(P::Palette)[4], 128); // colour 1 keeps its default
    EXPECT_EQ(settings.GetArrayNumber(P::FKeys, 0), 1);
    EXPECT_EQ(settings.GetArrayNumber(P::FKeys, 1), -1);
    EXPECT_EQ(settings.GetArrayNumber(P::FKeys, 2), 3); // the default
    EXPECT_EQ(settings.GetArrayString(P::ButtonCaption, 0), "Go");
    // Parameters absent from the file keep their values.
    const SettingsStore defaults;
    EXPECT_EQ(settings.GetString(P::Script), defaults.GetString(P::Script));
    EXPECT_EQ(settings.GetNumber(P::SaveLines), 800);

    EXPECT_EQ(keys.KeyTable()['A' - 1], 5);
    EXPECT_EQ(keys.LookUp('A', 0).action, 5);
    EXPECT_EQ(keys.LookUp(0x08, 0).action, 71);
    EXPECT_EQ(keys.LookUp(0x0D, 0).action, KeyAction::None); // the file's table is taken whole
    EXPECT_EQ(keys.LookUp('B', Modifier::Ctrl).text, "\x1b[Z");
    EXPECT_EQ(keys.LookUp('C', 0).text, "View: Scroll to Top");
    // The menu entries complete the map where the file left keys unmapped.
    EXPECT_EQ(keys.LookUp(0x70, 0).text, "Window: Hold Screen");
    EXPECT_EQ(keys.LookUp(0x22, Modifier::Ctrl).text, "View: Scroll Page Down");
    EXPECT_EQ(keys.LookUp(0x6B, Modifier::Ctrl).action, KeyAction::None);
}

TEST_F(SetupFileTest, ReadsTheOlderKeyLayout) {
    std::string table(101, '\0');
    table[0] = 7;     // F1
    table[12] = 99;   // a position without a key
    table[40] = 9;    // A
    table[100] = 108; // Numpad Enter
    Image image;
    image.Magic()
        .EndOfParameters()
        .Dword(101)
        .Raw(table)
        .Dword(2)
        .Entry(41, Modifier::Shift, 255, "b") // B
        .Entry(15, 0, 255, "lost")            // a position without a key
        .Reserved();

    SettingsStore settings;
    KeyMap keys;
    ASSERT_TRUE(DecodeSetupFile(image.bytes(), settings, keys).ok());
    EXPECT_EQ(keys.LookUp(0x70, 0).action, 7);
    EXPECT_EQ(keys.LookUp('A', 0).action, 9);
    EXPECT_EQ(keys.LookUp(0x2B, 0).action, 108);
    EXPECT_EQ(keys.LookUp(0x0C, 0).action, 100); // not in the old layout: unchanged
    EXPECT_EQ(keys.LookUp('B', Modifier::Shift).text, "b");
    for (const KeyMapEntry& entry : keys.Entries()) EXPECT_NE(entry.text, "lost");
}

TEST_F(SetupFileTest, InvalidFilesAreRefusedWithNothingApplied) {
    struct Case {
        const char* what;
        const char* reason;
        std::string image;
    };
    auto withParameters = [](const std::function<void(Image&)>& records) {
        Image image;
        image.Magic();
        records(image);
        image.EndOfParameters().EmptyKeyMap();
        return image.bytes();
    };
    const std::string valid = withParameters([](Image&) {});
    auto keyMap = [](const std::function<void(Image&)>& rest) {
        Image image;
        image.Magic().EndOfParameters();
        rest(image);
        return image.bytes();
    };

    const Case cases[] = {
        {"wrong magic", "not a setup file",
         Image().Text("QZV V3.01 Setup File").EndOfParameters().EmptyKeyMap().bytes()},
        {"empty file", "not a setup file", ""},
        {"number record as a string", "TermID has the wrong type",
         withParameters([](Image& i) { i.Record(0x0304, 1).Text("2"); })},
        {"unknown record type", "unknown type 4",
         withParameters([](Image& i) { i.Record(0x7F00, 4).Dword(0); })},
        {"unknown array kind", "unknown kind 2",
         withParameters([](Image& i) { i.Record(0x7F00, 3).Word(1).Byte(2); })},
        {"block beyond its storage", "Palette holds 65",
         withParameters([](Image& i) { i.Record(0x0801, 2).Word(65).Raw(std::string(65, 'p')); })},
        {"array beyond its storage", "FKeys holds 6", withParameters([](Image& i) {
             i.Record(0x0509, 3).Word(6).Byte(0).Raw(std::string(24, 0));
         })},
        {"array of the wrong kind", "FKeys are of the wrong kind",
         withParameters([](Image& i) { i.Record(0x0509, 3).Word(1).Byte(1).Text("1"); })},
        {"number out of range", "Columns is out of range",
         withParameters([](Image& i) { i.NumberRecord(0x0307, 100); })},
        {"pages beyond the page store", "page store",
         withParameters([](Image& i) { i.NumberRecord(0x0308, 72).NumberRecord(0x0309, 6); })},
        {"string longer than the file", "ends early",
         withParameters([](Image& i) { i.Record(0x0601, 1).Byte(0xFF).Word(5000).Raw("abc"); })},
        {"word length 0xFFFE", "invalid length",
         withParameters([](Image& i) { i.Record(0x0601, 1).Byte(0xFF).Word(0xFFFE).Raw("abc"); })},
        {"huge dword length", "ends early", withParameters([](Image& i) {
             i.Record(0x0601, 1).Byte(0xFF).Word(0xFFFF).Dword(0xFFFFFFFF).Raw("abc");
         })},
        {"key table of 100", "100 keys",
         keyMap([](Image& i) { i.Dword(100).Raw(std::string(100, 0)).Dword(0).Reserved(); })},
        {"key table of 256", "256 keys",
         keyMap([](Image& i) { i.Dword(256).Raw(std::string(256, 0)).Dword(0).Reserved(); })},
        {"old entry beyond the conversion table", "beyond the old key layout", keyMap([](Image& i) {
             i.Dword(101).Raw(std::string(101, 0)).Dword(1).Entry(101, 0, 1, "").Reserved();
         })},
        {"entry count beyond the file", "too many entries",
         keyMap([](Image& i) { i.KeyTable().Dword(0xFFFFFFFF).Reserved(); })},
        {"more entries than a key map holds", "too many entries", keyMap([](Image& i) {
             i.KeyTable().Dword(KeyMap::kMaxEntries + 1);
             for (size_t n = 0; n <= KeyMap::kMaxEntries; ++n) i.Entry('A', 0, 1, "");
             i.Reserved();
         })},
        {"key-map text too long", "text is too long", keyMap([](Image& i) {
             i.KeyTable().Dword(1).Byte('A').Byte(0).Byte(255).Byte(0xFF).Word(0xFFFF);
             i.Dword(KeyMap::kMaxTextLength + 1).Raw(std::string(KeyMap::kMaxTextLength + 1, 'x'));
             i.Reserved();
         })},
        // 40000 bytes of "\xE9" in code page 1252 are 80000 bytes of UTF-8.
        {"script text too long once converted", "text is too long", keyMap([](Image& i) {
             i.KeyTable().Dword(1).Byte('A').Byte(0).Byte(253).Byte(0xFF).Word(40000);
             i.Raw(std::string(40000, '\xE9')).Reserved();
         })},
        {"last reserved byte set", "reserved bytes",
         keyMap([](Image& i) { i.KeyTable().Dword(0).Reserved(1); })},
    };

    SettingsStore settings;
    KeyMap keys;
    FillSession(settings, keys);
    SettingsStore before;
    before.CopyFrom(settings);
    const KeyMap keysBefore = keys;
    {
        // The forms the cases break are valid as they are.
        SettingsStore scratch;
        KeyMap scratchKeys;
        ASSERT_TRUE(DecodeSetupFile(valid, scratch, scratchKeys).ok());
    }

    for (const Case& c : cases) {
        const SetupReadResult result = DecodeSetupFile(c.image, settings, keys);
        EXPECT_EQ(result.status, SetupReadStatus::Invalid) << c.what;
        EXPECT_NE(result.reason.find(c.reason), std::string::npos)
            << c.what << ": " << result.reason;
    }
    // Every file that ends early is refused, wherever it ends.
    const std::string full = EncodeSetupFile(SettingsStore(), KeyMap());
    for (size_t length = 0; length < full.size(); ++length) {
        EXPECT_FALSE(DecodeSetupFile(full.substr(0, length), settings, keys).ok()) << length;
    }
    ExpectSameSettings(settings, before);
    EXPECT_EQ(keys, keysBefore);
}

TEST_F(SetupFileTest, PreviousVersionsAreRefusedWithTheirMessage) {
    for (const char* magic : {"QZV V2.01 Setup File", "QZV V2.50 Setup File"}) {
        SettingsStore settings;
        KeyMap keys;
        const std::string image = Image().Text(magic).NumberRecord(0x0304, 0).bytes();
        const SetupReadResult result = DecodeSetupFile(image, settings, keys);
        EXPECT_EQ(result.status, SetupReadStatus::PreviousVersion);
        EXPECT_EQ(result.reason.rfind("The file you are loading is saved by a previous version of "
                                      "Tamsivane, and its format isn't supported by this version "
                                      "of Tamsivane. Please use session file converter to "
                                      "convert it to new format.",
                                      0),
                  0u);
        EXPECT_EQ(settings.GetNumber(P::TermID), 2);
    }
}

// Files on disk, in a fresh folder per test.
class SetupFileOnDiskTest : public SetupFileTest {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tamsivane-setup-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        fs::permissions(folder_, fs::perms::owner_all);
        fs::remove_all(folder_);
        SetupFileTest::TearDown();
    }

    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    size_t FilesInFolder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }

    // Saves in a child process after prepare() ran there; the child's exit
    // status: 0 saved, 1 the save failed, 2 prepare() failed.
    int SaveInChild(const std::string& path, const std::function<void()>& prepare) {
        SettingsStore settings;
        settings.SetString(P::Script, std::string(5000, 'n'));
        const pid_t child = fork();
        if (child == 0) {
            prepare();
            _exit(SaveSetupFile(path, settings, KeyMap()).ok ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string folder_;
};

TEST_F(SetupFileOnDiskTest, SavedFilesAreOwnerOnlyAndLoadBack) {
    const std::string path = folder_ + "/session.qzv";
    SettingsStore saved;
    KeyMap savedKeys;
    FillSession(saved, savedKeys);
    saved.SetString(P::Password, "secret");
    ASSERT_TRUE(SaveSetupFile(path, saved, savedKeys).ok);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(FilesInFolder(), 1u);

    SettingsStore loaded;
    KeyMap loadedKeys;
    const SetupFileResult result = LoadSetupFile(path, loaded, loadedKeys);
    ASSERT_TRUE(result.ok) << result.message;
    ExpectSameSettings(saved, loaded);
    EXPECT_EQ(loadedKeys, savedKeys);

    // Saving again replaces the file, through a link as well.
    const std::string link = folder_ + "/link.qzv";
    fs::create_symlink(path, link);
    saved.SetString(P::HostName, "other");
    ASSERT_TRUE(SaveSetupFile(link, saved, savedKeys).ok);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Contents(path), EncodeSetupFile(saved, savedKeys));
}

TEST_F(SetupFileOnDiskTest, LocalShellAndSshSessionsLoadBack) {
    const std::string path = folder_ + "/kind.qzv";
    for (const int32_t hostType : {7, 8}) {
        SettingsStore saved;
        saved.SetNumber(P::HostType, hostType);
        saved.SetString(P::SshUser, "someone");
        ASSERT_TRUE(SaveSetupFile(path, saved, KeyMap()).ok);
        SettingsStore loaded;
        KeyMap keys;
        ASSERT_TRUE(LoadSetupFile(path, loaded, keys).ok);
        EXPECT_EQ(loaded.GetNumber(P::HostType), hostType);
        EXPECT_EQ(loaded.GetString(P::SshUser), "someone");
    }
}

TEST_F(SetupFileOnDiskTest, LoadErrorsNameTheFile) {
    const std::string path = folder_ + "/broken.qzv";
    std::ofstream(path, std::ios::binary) << "QZV";
    SettingsStore settings;
    KeyMap keys;
    SetupFileResult result = LoadSetupFile(path, settings, keys);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message,
              "Cannot read the setup file \"" + path + "\": it is not a setup file.");

    std::ofstream(path, std::ios::binary) << Image().Magic().NumberRecord(0x0304, 0).bytes();
    result = LoadSetupFile(path, settings, keys);
    EXPECT_EQ(result.message, "Cannot read the setup file \"" + path + "\": the file ends early.");
    EXPECT_EQ(settings.GetNumber(P::TermID), 2);

    result = LoadSetupFile(folder_ + "/missing.qzv", settings, keys);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("missing.qzv"), std::string::npos);
}

TEST_F(SetupFileOnDiskTest, FailedSavesKeepTheOldFile) {
    const std::string path = folder_ + "/session.qzv";
    const std::string old = EncodeSetupFile(SettingsStore(), KeyMap());
    std::ofstream(path, std::ios::binary) << old;

    // A full disk: writes beyond 1000 bytes fail.
    EXPECT_EQ(SaveInChild(path,
                          [] {
                              std::signal(SIGXFSZ, SIG_IGN);
                              const rlimit limit{1000, 1000};
                              if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
                          }),
              1);
    EXPECT_EQ(Contents(path), old);
    EXPECT_EQ(FilesInFolder(), 1u);

    // A folder the user may not write to (root gives its rights up first).
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(SaveInChild(path,
                          [] {
                              if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                                  _exit(2);
                              }
                          }),
              1);
    EXPECT_EQ(Contents(path), old);
    EXPECT_EQ(FilesInFolder(), 1u);
}

} // namespace
} // namespace tamsivane

// Runs the .keys files in tests/keyboard/cases: each is one session (the
// built-in defaults) driven line by line.
//   set KEY=VALUE        a session parameter, as tamsivane-cli --set takes it
//   template N           a built-in keyboard template
//   udk DATA             strings the host programs into F6-F20 (DECUDK data)
//   map KEY: ACTION TEXT a key-map entry; TEXT in the user-string notation
//   KEY => EXPECTED      what one press does, as tamsivane-cli keys prints it
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/KeysCommand.h"
#include "emulator/ControlNames.h"
#include "session/CVT420Doc.h"

namespace tamsivane {
namespace {

std::vector<std::filesystem::path> CaseFiles() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(TAMSIVANE_TEST_DATA) + "/cases")) {
        if (entry.path().extension() == ".keys") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

KeyCombination Key(std::string_view name, const std::string& where) {
    const std::optional<KeyCombination> key = ParseKeyCombination(name);
    EXPECT_TRUE(key) << where << ": unknown key " << name;
    return key.value_or(KeyCombination{});
}

// Runs one directive line; false when the line is not understood.
bool RunLine(CVT420Doc& session, const std::string& line, const std::string& where) {
    const size_t arrow = line.find(" =>");
    if (arrow != std::string::npos) {
        const KeyCombination key = Key(line.substr(0, arrow), where);
        const std::string expected = arrow + 4 <= line.size() ? line.substr(arrow + 4) : "";
        EXPECT_EQ(DescribeKeyPress(session, key), expected) << where;
        return true;
    }
    const size_t space = line.find(' ');
    const std::string verb = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    const SessionLock locked = session.Locked();
    if (verb == "set") {
        EXPECT_EQ(ApplySetting("keys", locked.Settings(), rest), 0) << where;
    } else if (verb == "template") {
        EXPECT_TRUE(locked.Keys().ApplyTemplate(std::stoi(rest))) << where;
    } else if (verb == "udk") {
        locked.Emulator().UserKeys().Define(rest);
    } else if (verb == "map") {
        const size_t colon = rest.find(": ");
        const size_t actionEnd = rest.find(' ', colon + 2);
        const KeyCombination key = Key(rest.substr(0, colon), where);
        const int action = std::stoi(rest.substr(colon + 2, actionEnd - colon - 2));
        std::string text;
        if (actionEnd != std::string::npos) {
            EXPECT_TRUE(DecodeNotation(rest.substr(actionEnd + 1), text)) << where;
        }
        EXPECT_TRUE(
            locked.Keys().SetEntry(key.key, key.modifiers, static_cast<uint8_t>(action), text))
            << where;
    } else {
        return false;
    }
    return true;
}

TEST(KeyCases, EveryFilePasses) {
    const std::vector<std::filesystem::path> files = CaseFiles();
    ASSERT_FALSE(files.empty());
    for (const std::filesystem::path& file : files) {
        HeadlessUser user;
        CVT420Doc session(user);
        std::ifstream in(file);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (line.empty() || line[0] == '#') continue;
            const std::string where = file.filename().string() + ":" + std::to_string(number);
            EXPECT_TRUE(RunLine(session, line, where)) << where << ": not understood";
        }
    }
}

} // namespace
} // namespace tamsivane

// The script corpus: each case in cases/*.stc is a script followed by what
// it must do, run against a session without a transport.
//
//   === title
//   script text (any lines)
//   >>> receive TEXT    host bytes buffered before the script starts (notation)
//   >>> host            the script comes from the host
//   >>> set KEY=VALUE   a parameter before the run (a number)
//   >>> sent TEXT       the bytes the script sends, all of them (notation)
//   >>> error CODE LINE [DETAIL]   the error that ends it (none when absent)
//   >>> message TEXT    a message shown to the user, in order
//   >>> call TEXT       a session or user call, in order
//   >>> screen ROW TEXT a row of the page afterwards (from 1)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScriptTestHost.h"
#include "emulator/ControlNames.h"
#include "script/CScript.h"

namespace tamsivane {
namespace {

struct ScriptCase {
    std::string file;
    int line = 0;
    std::string title;
    std::string script;
    std::vector<std::string> directives;
};

std::vector<ScriptCase> LoadCases() {
    std::vector<ScriptCase> cases;
    std::vector<std::filesystem::path> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(TAMSIVANE_TEST_DATA) + "/cases")) {
        if (entry.path().extension() == ".stc") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            if (line.rfind("=== ", 0) == 0) {
                cases.push_back({path.filename().string(), number, line.substr(4), {}, {}});
            } else if (cases.empty()) {
                continue;
            } else if (line.rfind(">>> ", 0) == 0) {
                cases.back().directives.push_back(line.substr(4));
            } else {
                cases.back().script += line + "\n";
            }
        }
    }
    return cases;
}

std::string Decode(std::string_view text) {
    std::string bytes;
    EXPECT_TRUE(DecodeNotation(text, bytes)) << text;
    return bytes;
}

void PrintTo(const ScriptCase& c, std::ostream* out) { *out << c.file << ":" << c.line; }

class ScriptCases : public testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptCases, Run) {
    const ScriptCase& c = GetParam();
    SCOPED_TRACE(c.file + ":" + std::to_string(c.line) + " " + c.title);
    ScriptTestHost host;
    ScriptOrigin origin = ScriptOrigin::User;
    std::string received;
    for (const std::string& d : c.directives) {
        const std::string word = d.substr(0, d.find(' '));
        const std::string rest = d.size() > word.size() ? d.substr(word.size() + 1) : "";
        if (word == "receive") {
            received += Decode(rest);
        } else if (word == "host") {
            origin = ScriptOrigin::Host;
        } else if (word == "set") {
            const size_t eq = rest.find('=');
            SettingValue value{false, std::stoi(rest.substr(eq + 1)), {}};
            ASSERT_TRUE(host.emulator.Settings().SetByName(rest.substr(0, eq), value) ||
                        rest.rfind("HostScript", 0) == 0);
            if (rest.rfind("HostScript", 0) == 0) {
                host.emulator.Settings().SetNumber(P::HostScript, value.number);
            }
        }
    }
    CScript script(c.script, "case.wbq", origin, host);
    host.emulator.ReceiveBlock(received);
    for (char byte : received) script.Input().Push(static_cast<uint8_t>(byte));
    script.SetStepBudget(1000000);
    const CScript::Outcome outcome = script.Run();

    std::string expectedSent;
    std::vector<std::string> messages, calls;
    bool expectError = false;
    for (const std::string& d : c.directives) {
        const std::string word = d.substr(0, d.find(' '));
        const std::string rest = d.size() > word.size() ? d.substr(word.size() + 1) : "";
        if (word == "sent") {
            expectedSent += Decode(rest);
        } else if (word == "message") {
            messages.push_back(Decode(rest));
        } else if (word == "call") {
            calls.push_back(rest);
        } else if (word == "error") {
            expectError = true;
            std::istringstream in(rest);
            int code = -1, line = -1;
            in >> code >> line;
            std::string detail;
            std::getline(in >> std::ws, detail);
            ASSERT_EQ(outcome, CScript::Outcome::Failed);
            EXPECT_EQ(script.Error()->Code(), code) << script.Error()->Report();
            EXPECT_EQ(script.Error()->Line(), line) << script.Error()->Report();
            EXPECT_EQ(script.Error()->Detail(), detail) << script.Error()->Report();
        } else if (word == "screen") {
            const int row = std::stoi(rest);
            const std::string text = rest.substr(rest.find(' ') + 1);
            EXPECT_EQ(
                ScreenRectangleText(host.emulator, row, 1, row, static_cast<int>(text.size())),
                text);
        }
    }
    if (!expectError) {
        EXPECT_EQ(outcome, CScript::Outcome::Finished)
            << (script.Error() ? script.Error()->Report() : "cancelled");
    }
    EXPECT_EQ(ControlNotation(host.sent), ControlNotation(expectedSent));
    EXPECT_EQ(host.messages, messages);
    EXPECT_EQ(host.calls, calls);
}

std::string CaseName(const testing::TestParamInfo<ScriptCase>& info) {
    std::string name = info.param.file.substr(0, info.param.file.find('.')) + "_" +
                       std::to_string(info.param.line);
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, ScriptCases, testing::ValuesIn(LoadCases()), CaseName);

} // namespace
} // namespace tamsivane

// Data-driven emulator cases: every tests/emulator/cases/*.vtc file holds
// many short cases; each runs as its own test on a fresh emulator.
//
// Case file format, one directive per line; a line whose first non-blank
// character is '#' is a comment, blank lines are ignored.
//
//   === title               starts a case (fresh emulator, default settings)
//   set Key=Value           before the first input: a session parameter by key
//                           name; numbers decimal, strings in the notation below
//   in <notation>           host bytes (the text after "in " exactly); several
//                           `in` lines concatenate, no newline is added
//   cap NAME [ARGS]         host bytes: a capability of the program's terminal
//                           description with decimal arguments, as tput gives it
//   repeat N <notation>     host bytes, appended N times
//   chunk N                 feed the bytes in blocks of N (default 2048)
//   screen                  followed by "|text" lines: rows 0, 1, 2 ... of the
//                           displayed page; every further row must be blank
//   row N |text             one row (row Lines is the status line)
//   cursor R C              0-based cursor row and column
//   attr R C 0xNNNN         attribute word of one cell
//   attrs R C1 C2 0xNNNN    the same word in every cell C1..C2
//   same R1 C1 R2 C2 N      N cells from R1 C1 have the attribute words of the
//                           N cells from R2 C2
//   size R N                line size of a row (0, 1, 3, 5)
//   reply <notation>        every byte sent to the host so far (nothing after
//                           `reply`: nothing was sent)
//   capreply NAME [ARGS]    the same, in the form of a capability
//   history                 followed by "|text" lines: the history, oldest
//                           first; the count must match
//   status |text            the status line
//   setting Key=Value       a parameter's value now
//   bells N                 BEL beeps so far
//   receives N              file receives started so far
//   scripts N               host-started scripts (DCS $ t, DCS $ s) so far
//   mouse EVENT R C [MOD]...  the user's mouse on page cell R C, as the view
//                           hands it on: EVENT is "press BUTTON", "release
//                           BUTTON", "move", "wheelup" or "wheeldown" (BUTTON
//                           left, middle, right; presses and releases change
//                           the buttons a move holds); MOD shift, alt, ctrl.
//                           A report joins the bytes sent; an event the host
//                           does not take (the view's own) sends nothing
//   paste <notation>        the user pastes the text, each byte one character
//                           (U+0000-U+00FF)
//
// Input is the user-string notation: "<ESC>", "<CSI>", any control name in
// angle brackets, "^X" for control characters, "\xNN" bytes, "\\", "\<", "\^".
// Row texts are UTF-8 with trailing blanks ignored; the right half of a
// double-width character is left out.  Checks may be interleaved with input:
// pending input is fed before each check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "CaseFiles.h"
#include "TerminfoEntry.h"
#include "config/SettingsStore.h"
#include "emulator/ControlNames.h"
#include "emulator/EmulatorHost.h"
#include "emulator/MouseReport.h"
#include "emulator/VtEmulator.h"
#include "platform/Utf8.h"

namespace tamsivane {
namespace {

using namespace casefile;

class RecordingHost : public EmulatorHost {
public:
    void SendToHost(std::string_view bytes) override { sent.append(bytes); }
    void Bell() override { ++bells; }
    bool StartFileReceive(const uint8_t*, size_t) override {
        ++receives;
        return false;
    }
    void RunHostScript(std::string_view, bool) override { ++scripts; }

    std::string sent;
    int bells = 0;
    int receives = 0;
    int scripts = 0;
};

// Runs one case's directives; a malformed directive stops the case.
class CaseRunner {
public:
    explicit CaseRunner(const Case& c) : case_(c), emulator_(&host_) {}

    void Run() {
        for (const Directive& d : case_.directives) {
            line_ = d.line;
            if (!Execute(d)) return;
        }
        Flush();
    }

private:
    // A fault of the case file itself.
    bool Malformed(const std::string& message) {
        ADD_FAILURE_AT(case_.file.c_str(), line_) << "malformed case: " << message;
        return false;
    }
    void Fail(const std::string& message) {
        ADD_FAILURE_AT(case_.file.c_str(), line_) << "[" << case_.title << "] " << message;
    }

    static bool ParseInt(std::string_view text, int& value) {
        text = Trim(text);
        int base = 10;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            text.remove_prefix(2);
            base = 16;
        }
        if (text.empty()) return false;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
        return error == std::errc() && end == text.data() + text.size();
    }

    // Splits the argument into n integers, and keeps what follows in rest.
    static bool ParseInts(std::string_view text, std::vector<int>& values, size_t n,
                          std::string* rest = nullptr) {
        values.clear();
        std::string_view remaining = text;
        while (values.size() < n) {
            remaining = Trim(remaining);
            const size_t blank = remaining.find(' ');
            int value = 0;
            if (!ParseInt(remaining.substr(0, blank), value)) return false;
            values.push_back(value);
            remaining = blank == std::string_view::npos ? std::string_view() : remaining.substr(blank + 1);
        }
        if (rest) {
            *rest = std::string(remaining);
            return true;
        }
        return Trim(remaining).empty();
    }

    bool Decode(std::string_view text, std::string& bytes) {
        bytes.clear();
        if (!DecodeNotation(text, bytes)) return Malformed("bad notation: " + std::string(text));
        return true;
    }

    bool Execute(const Directive& d) {
        const std::string& k = d.keyword;
        if (k == "set") return Set(d.argument);
        if (k == "in") return Input(d.argument, 1);
        if (k == "cap") {
            const std::optional<std::string> bytes = testing::CapabilityString(d.argument);
            if (!bytes) return Malformed("the description has no " + d.argument);
            pending_ += *bytes;
            return true;
        }
        if (k == "repeat") {
            std::vector<int> n;
            std::string rest;
            if (!ParseInts(d.argument, n, 1, &rest) || n[0] < 0 || n[0] > 1000000) {
                return Malformed("repeat needs a count of 0-1000000 and bytes");
            }
            return Input(rest, n[0]);
        }
        if (k == "chunk") {
            std::vector<int> n;
            if (!ParseInts(d.argument, n, 1) || n[0] < 1) return Malformed("chunk needs N >= 1");
            chunk_ = static_cast<size_t>(n[0]);
            return true;
        }
        if (!Flush()) return false;
        if (k == "screen") return CheckScreen(d);
        if (k == "row") return CheckRow(d.argument);
        if (k == "status") return CheckStatus(d.argument);
        if (k == "cursor") return CheckCursor(d.argument);
        if (k == "attr") return CheckAttrs(d.argument, false);
        if (k == "attrs") return CheckAttrs(d.argument, true);
        if (k == "same") return CheckSameAttrs(d.argument);
        if (k == "size") return CheckSize(d.argument);
        if (k == "reply") return CheckReply(d.argument, false);
        if (k == "capreply") return CheckReply(d.argument, true);
        if (k == "history") return CheckHistory(d);
        if (k == "setting") return CheckSetting(d.argument);
        if (k == "bells") return CheckCount(d.argument, host_.bells, "bells");
        if (k == "receives") return CheckCount(d.argument, host_.receives, "file receives");
        if (k == "scripts") return CheckCount(d.argument, host_.scripts, "host scripts");
        if (k == "mouse") return Mouse(d.argument);
        if (k == "paste") return Paste(d.argument);
        return Malformed("unknown directive \"" + k + "\"");
    }

    bool Set(const std::string& argument) {
        if (started_) return Malformed("set after the first input or check");
        const size_t equals = argument.find('=');
        if (equals == std::string::npos) return Malformed("set needs Key=Value");
        const std::string key(Trim(std::string_view(argument).substr(0, equals)));
        const std::string_view value = std::string_view(argument).substr(equals + 1);
        const int param = ParameterByKey(key);
        if (param < 0) return Malformed("unknown parameter " + key);
        SettingsStore& settings = emulator_.Settings();
        switch (Descriptor(param).type) {
        case ParamType::Number: {
            int number = 0;
            if (!ParseInt(value, number)) return Malformed("not a number: " + std::string(value));
            if (!settings.SetNumber(param, number)) return Malformed(key + " refused the value");
            return true;
        }
        case ParamType::String: {
            std::string bytes;
            if (!Decode(value, bytes)) return false;
            if (!settings.SetString(param, bytes)) return Malformed(key + " refused the value");
            return true;
        }
        default:
            return Malformed(key + " is not a number or string parameter");
        }
    }

    bool Mouse(const std::string& argument) {
        static constexpr std::pair<std::string_view, MouseAction> kActions[] = {
            {"press", MouseAction::Press},
            {"release", MouseAction::Release},
            {"move", MouseAction::Move},
            {"wheelup", MouseAction::WheelUp},
            {"wheeldown", MouseAction::WheelDown}};
        static constexpr std::tuple<std::string_view, MouseButton, int> kButtons[] = {
            {"left", MouseButton::Left, MouseButtons::Left},
            {"middle", MouseButton::Middle, MouseButtons::Middle},
            {"right", MouseButton::Right, MouseButtons::Right}};
        std::istringstream words(argument);
        std::string word;
        words >> word;
        MouseInput input;
        const auto action = std::find_if(std::begin(kActions), std::end(kActions),
                                         [&](const auto& a) { return a.first == word; });
        if (action == std::end(kActions)) return Malformed("unknown mouse event " + word);
        input.action = action->second;
        if (input.action == MouseAction::Press || input.action == MouseAction::Release) {
            words >> word;
            const auto button = std::find_if(std::begin(kButtons), std::end(kButtons),
                                             [&](const auto& b) { return std::get<0>(b) == word; });
            if (button == std::end(kButtons)) return Malformed("unknown mouse button " + word);
            input.button = std::get<1>(*button);
            const int bit = std::get<2>(*button);
            held_ = input.action == MouseAction::Press ? held_ | bit : held_ & ~bit;
        }
        input.held = held_;
        if (!(words >> input.row >> input.column)) return Malformed("mouse needs a cell R C");
        while (words >> word) {
            bool& modifier = word == "shift" ? input.shift : word == "alt" ? input.alt : input.ctrl;
            if (word != "shift" && word != "alt" && word != "ctrl") {
                return Malformed("unknown modifier " + word);
            }
            modifier = true;
        }
        const MouseReporting reporting{emulator_.InputModes(),
                                       emulator_.Settings().GetNumber(P::MouseSupport)};
        if (reporting.Takes(input)) host_.sent += mouse_.Report(reporting, input);
        return true;
    }

    bool Paste(std::string_view notation) {
        std::string bytes;
        if (!Decode(notation, bytes)) return false;
        std::u16string text;
        for (const char c : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(c));
        host_.sent += emulator_.PasteBytes(text);
        return true;
    }

    bool Input(std::string_view notation, int times) {
        std::string bytes;
        if (!Decode(notation, bytes)) return false;
        for (int i = 0; i < times; ++i) pending_ += bytes;
        return true;
    }

    bool Flush() {
        if (!started_) {
            started_ = true;
            if (!emulator_.Start()) {
                Fail("Start() failed");
                return false;
            }
        }
        for (size_t at = 0; at < pending_.size(); at += chunk_) {
            emulator_.ReceiveBlock(std::string_view(pending_).substr(at, chunk_));
        }
        pending_.clear();
        return true;
    }

    // Text of a display line (UTF-8, trailing blanks removed); false outside.
    bool LineText(int displayIndex, std::string& text) const {
        DisplayLine line;
        text.clear();
        if (!emulator_.Screen().LineForDisplay(displayIndex, line) || !line.codes) return false;
        for (int column = 0; column < kStride; ++column) {
            if (line.codes[column] != 0) AppendUtf8(text, line.codes[column]);
        }
        text = TrimRight(text);
        return true;
    }

    bool RowLine(int row, DisplayLine& line) {
        const ScreenBuffer& screen = emulator_.Screen();
        if (row < 0 || row > screen.Lines()) {
            Malformed("row " + std::to_string(row) + " is outside the page and status line");
            return false;
        }
        if (!screen.LineForDisplay(screen.HistoryCount() + row, line) || !line.codes) {
            Fail("row " + std::to_string(row) + " cannot be read");
            return false;
        }
        return true;
    }

    bool CompareRow(int row, std::string_view expectedText) {
        DisplayLine line;
        if (!RowLine(row, line)) return row >= 0 && row <= emulator_.Screen().Lines();
        std::string actual;
        LineText(emulator_.Screen().HistoryCount() + row, actual);
        const std::string expected = TrimRight(expectedText);
        if (actual != expected) {
            Fail("row " + std::to_string(row) + "\n  expected |" + expected + "\n  actual   |" +
                 actual);
        }
        return true;
    }

    static bool SplitRowText(const std::string& argument, std::string& text) {
        const size_t bar = argument.find('|');
        if (bar == std::string::npos) return false;
        text = argument.substr(bar + 1);
        return true;
    }

    bool CheckScreen(const Directive& d) {
        const int lines = emulator_.Screen().Lines();
        if (static_cast<int>(d.rows.size()) > lines) {
            return Malformed("screen lists more rows than the page has");
        }
        std::string report;
        for (int row = 0; row < lines; ++row) {
            std::string actual;
            LineText(emulator_.Screen().HistoryCount() + row, actual);
            const std::string expected =
                row < static_cast<int>(d.rows.size()) ? TrimRight(d.rows[row]) : std::string();
            if (actual != expected) {
                report += "\n  row " + std::to_string(row) + " expected |" + expected +
                          "\n  row " + std::to_string(row) + " actual   |" + actual;
            }
        }
        if (!report.empty()) Fail("screen differs:" + report);
        return true;
    }

    bool CheckRow(const std::string& argument) {
        std::vector<int> n;
        std::string text;
        const size_t bar = argument.find('|');
        if (bar == std::string::npos || !ParseInts(argument.substr(0, bar), n, 1)) {
            return Malformed("row needs N |text");
        }
        SplitRowText(argument, text);
        return CompareRow(n[0], text);
    }

    bool CheckStatus(const std::string& argument) {
        std::string text;
        if (!SplitRowText(argument, text) || !Trim(argument.substr(0, argument.find('|'))).empty()) {
            return Malformed("status needs |text");
        }
        return CompareRow(emulator_.Screen().Lines(), text);
    }

    bool CheckCursor(const std::string& argument) {
        std::vector<int> n;
        if (!ParseInts(argument, n, 2)) return Malformed("cursor needs R C");
        const CursorPosition at = emulator_.Cursor();
        if (at.row != n[0] || at.column != n[1]) {
            Fail("cursor expected " + std::to_string(n[0]) + " " + std::to_string(n[1]) +
                 ", actual " + std::to_string(at.row) + " " + std::to_string(at.column));
        }
        return true;
    }

    static std::string Hex(int value) {
        char text[8];
        std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
        return text;
    }

    bool CheckAttrs(const std::string& argument, bool range) {
        std::vector<int> n;
        if (!ParseInts(argument, n, range ? 4 : 3)) {
            return Malformed(range ? "attrs needs R C1 C2 0xNNNN" : "attr needs R C 0xNNNN");
        }
        const int row = n[0];
        const int first = n[1];
        const int last = range ? n[2] : n[1];
        const int expected = n.back();
        if (first < 0 || last >= kStride || first > last) return Malformed("bad column range");
        DisplayLine line;
        if (!RowLine(row, line)) return row >= 0 && row <= emulator_.Screen().Lines();
        for (int column = first; column <= last; ++column) {
            if (line.attrs[column] != expected) {
                Fail("attribute of row " + std::to_string(row) + " column " +
                     std::to_string(column) + " expected " + Hex(expected) + ", actual " +
                     Hex(line.attrs[column]));
                break;
            }
        }
        return true;
    }

    bool CheckSameAttrs(const std::string& argument) {
        std::vector<int> n;
        if (!ParseInts(argument, n, 5)) return Malformed("same needs R1 C1 R2 C2 N");
        DisplayLine first, second;
        if (n[4] < 0 || n[1] < 0 || n[3] < 0 || n[1] + n[4] > kStride || n[3] + n[4] > kStride ||
            !RowLine(n[0], first) || !RowLine(n[2], second)) {
            return Malformed("bad rows or columns");
        }
        for (int i = 0; i < n[4]; ++i) {
            if (first.attrs[n[1] + i] != second.attrs[n[3] + i]) {
                Fail("attribute of row " + std::to_string(n[0]) + " column " +
                     std::to_string(n[1] + i) + " is " + Hex(first.attrs[n[1] + i]) + ", of row " +
                     std::to_string(n[2]) + " column " + std::to_string(n[3] + i) + " " +
                     Hex(second.attrs[n[3] + i]));
                break;
            }
        }
        return true;
    }

    bool CheckSize(const std::string& argument) {
        std::vector<int> n;
        if (!ParseInts(argument, n, 2)) return Malformed("size needs R N");
        DisplayLine line;
        if (!RowLine(n[0], line)) return n[0] >= 0 && n[0] <= emulator_.Screen().Lines();
        if (line.size != n[1]) {
            Fail("line size of row " + std::to_string(n[0]) + " expected " + std::to_string(n[1]) +
                 ", actual " + std::to_string(line.size));
        }
        return true;
    }

    bool CheckReply(const std::string& argument, bool capability) {
        std::string expected;
        if (capability) {
            const std::optional<std::string> bytes = testing::CapabilityString(argument);
            if (!bytes) return Malformed("the description has no " + argument);
            expected = *bytes;
        } else if (!Decode(argument, expected)) {
            return false;
        }
        if (host_.sent != expected) {
            Fail("reply expected \"" + ControlNotation(expected) + "\", actual \"" +
                 ControlNotation(host_.sent) + "\"");
        }
        return true;
    }

    bool CheckHistory(const Directive& d) {
        const ScreenBuffer& screen = emulator_.Screen();
        std::string report;
        const int count = screen.HistoryCount();
        if (count != static_cast<int>(d.rows.size())) {
            report += "\n  count expected " + std::to_string(d.rows.size()) + ", actual " +
                      std::to_string(count);
        }
        for (int i = 0; i < std::min<int>(count, d.rows.size()); ++i) {
            std::string actual;
            LineText(i, actual);
            const std::string expected = TrimRight(d.rows[i]);
            if (actual != expected) {
                report += "\n  line " + std::to_string(i) + " expected |" + expected +
                          "\n  line " + std::to_string(i) + " actual   |" + actual;
            }
        }
        if (!report.empty()) Fail("history differs:" + report);
        return true;
    }

    bool CheckSetting(const std::string& argument) {
        const size_t equals = argument.find('=');
        if (equals == std::string::npos) return Malformed("setting needs Key=Value");
        const std::string key(Trim(std::string_view(argument).substr(0, equals)));
        const std::string_view value = std::string_view(argument).substr(equals + 1);
        const int param = ParameterByKey(key);
        if (param < 0) return Malformed("unknown parameter " + key);
        const SettingsStore& settings = emulator_.Settings();
        switch (Descriptor(param).type) {
        case ParamType::Number: {
            int expected = 0;
            if (!ParseInt(value, expected)) return Malformed("not a number: " + std::string(value));
            const int actual = settings.GetNumber(param);
            if (actual != expected) {
                Fail(key + " expected " + std::to_string(expected) + ", actual " +
                     std::to_string(actual));
            }
            return true;
        }
        case ParamType::String: {
            std::string expected;
            if (!Decode(value, expected)) return false;
            if (settings.GetString(param) != expected) {
                Fail(key + " expected \"" + ControlNotation(expected) + "\", actual \"" +
                     ControlNotation(settings.GetString(param)) + "\"");
            }
            return true;
        }
        default:
            return Malformed(key + " is not a number or string parameter");
        }
    }

    bool CheckCount(const std::string& argument, int actual, const char* what) {
        int expected = 0;
        if (!ParseInt(argument, expected)) return Malformed(std::string(what) + " needs N");
        if (actual != expected) {
            Fail(std::string(what) + " expected " + std::to_string(expected) + ", actual " +
                 std::to_string(actual));
        }
        return true;
    }

    const Case& case_;
    RecordingHost host_;
    VtEmulator emulator_;
    std::string pending_;
    MouseReporter mouse_;
    int held_ = 0; // the mouse buttons pressed and not released
    size_t chunk_ = 2048;
    bool started_ = false;
    int line_ = 0;
};

class EmulatorCase : public ::testing::TestWithParam<Case> {};

TEST_P(EmulatorCase, Runs) {
    const Case& c = GetParam();
    if (c.errorLine != 0) {
        ADD_FAILURE_AT(c.file.c_str(), c.errorLine) << "malformed case file: " << c.error;
        return;
    }
    CaseRunner(c).Run();
}

INSTANTIATE_TEST_SUITE_P(Cases, EmulatorCase, ::testing::ValuesIn(LoadCases("cases", ".vtc")), TestName);

} // namespace
} // namespace tamsivane

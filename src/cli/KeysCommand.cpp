// keys: what each PC key sends in a session's settings and key map, one line
// per key, without connecting.
#include "cli/KeysCommand.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "emulator/ControlNames.h"
#include "session/CVT420Doc.h"

namespace tamsivane {

namespace {

constexpr std::string_view kCommand = "keys";

} // namespace

std::string DescribeKeyPress(CVT420Doc& session, const KeyCombination& press) {
    const KeyOutcome outcome = session.TranslateKey(press.key, press.modifiers);
    using Kind = KeyOutcome::Kind;
    switch (outcome.kind) {
    case Kind::Send:
        return EncodeNotation(outcome.text);
    case Kind::PostToSession:
    case Kind::PostToMain:
        return "command " + std::to_string(outcome.command);
    case Kind::RunScript:
        return "script";
    case Kind::RunScriptFile:
        return "script file";
    case Kind::SendBreak:
        return "break";
    case Kind::Unmapped: {
        const std::string typed = TypedText(outcome, press.key, press.modifiers);
        std::string bytes;
        const SessionLock locked = session.Locked();
        for (const char c : typed) bytes += locked.Emulator().Charsets().Encode(static_cast<uint8_t>(c));
        return EncodeNotation(bytes);
    }
    case Kind::Nothing:
    case Kind::KeypadMode:
        break;
    }
    return {};
}

int RunKeys(std::span<const std::string_view> args) {
    SessionOptions options;
    std::optional<std::string> setupFile;
    std::vector<KeyCombination> keys;
    const auto positional = [&](std::string_view arg) {
        const std::optional<KeyCombination> key = ParseKeyCombination(arg);
        if (!key) return ReportUsageError(kCommand, {"unknown key \"", arg, "\""});
        keys.push_back(*key);
        return 0;
    };
    const auto option = [&](std::string_view, size_t& i) {
        return TakeSetupOption(kCommand, args, i, setupFile);
    };
    if (const int status = WalkArguments(kCommand, args, options, positional, option)) {
        return status;
    }
    if (keys.empty()) return ReportUsageError(kCommand, {"needs at least one KEY"});

    HeadlessUser user;
    CVT420Doc session(user);
    if (const int status = LoadOfflineSession(kCommand, session, setupFile, options.settings)) {
        return status;
    }
    std::string lines;
    for (const KeyCombination& key : keys) lines += DescribeKeyPress(session, key) + '\n';
    return WriteOutput(kCommand, lines);
}

} // namespace tamsivane

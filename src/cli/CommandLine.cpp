#include "cli/CommandLine.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/HarmlessText.h"
#include "cli/ParameterValues.h"
#include "cli/ScreenDump.h"
#include "emulator/LineText.h"
#include "config/SettingsStore.h"
#include "config/Templates.h"
#include "emulator/ControlNames.h"
#include "session/CVT420Doc.h"

namespace tamsivane {
namespace {
// Longest answer kept from the terminal.
constexpr size_t kMaxInputLine = 4096;
} // namespace


int ReportUsageError(std::string_view command, std::initializer_list<std::string_view> parts) {
    std::string message = "tamsivane-cli ";
    message.append(command);
    message += ": ";
    for (const std::string_view part : parts) message.append(part);
    message += '\n';
    std::fputs(message.c_str(), stderr);
    return kExitUsage;
}

bool HasOption(std::string_view arg, std::string_view name) {
    return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                           arg[name.size()] == '=');
}

std::optional<std::string_view> OptionValue(std::span<const std::string_view> args, size_t& i,
                                            std::string_view name) {
    const std::string_view arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) return std::nullopt;
        return args[++i];
    }
    return arg.substr(name.size() + 1);
}

namespace {

// Takes --set or --dump at args[i].  Returns 0 and sets taken when it was one
// of them, 0 with taken false for another argument, or the usage exit status.
int TakeSessionOption(std::string_view command, std::span<const std::string_view> args, size_t& i,
                      SessionOptions& options, bool& taken) {
    taken = true;
    if (HasOption(args[i], "--set")) {
        const auto value = OptionValue(args, i, "--set");
        if (!value) return ReportUsageError(command, {"--set needs KEY=VALUE"});
        options.settings.push_back(*value);
    } else if (HasOption(args[i], "--dump")) {
        const auto value = OptionValue(args, i, "--dump");
        if (value == "text") {
            options.dump = DumpFormat::Text;
        } else if (value == "json") {
            options.dump = DumpFormat::Json;
        } else if (value == "none") {
            options.dump = DumpFormat::None;
        } else {
            return ReportUsageError(
                command, {"--dump needs text, json or none, not \"", value.value_or(""), "\""});
        }
    } else {
        taken = false;
    }
    return 0;
}

// Names the refused assignment and what the parameter accepts.
int RefuseValue(std::string_view command, std::string_view key, std::string_view text) {
    const std::string accepted = AcceptedValues(ParameterByKey(key));
    return ReportUsageError(command,
                            {"value refused: \"", key, "=", text, "\"; ", key, " accepts ", accepted});
}

// A number array from "V0,V1,...": the elements given, from the first on.
int ApplyNumberList(std::string_view command, SettingsStore& settings, std::string_view key,
                    std::string_view text) {
    int index = 0;
    for (size_t start = 0;; ++index) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        const auto number = ParseDecimal<int32_t>(item);
        SettingValue value;
        value.number = number.value_or(0);
        if (!number || !settings.SetElementByName(key, index, value)) {
            return RefuseValue(command, key, text);
        }
        if (comma == text.size()) return 0;
        start = comma + 1;
    }
}

} // namespace

int WalkArguments(std::string_view command, std::span<const std::string_view> args,
                  SessionOptions& options,
                  const std::function<int(std::string_view arg)>& positional,
                  const std::function<int(std::string_view arg, size_t& i)>& option) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        int status = 0;
        bool taken = false;
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            status = positional(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if ((status = TakeSessionOption(command, args, i, options, taken)) == 0 && !taken) {
            status = option(arg, i);
        }
        if (status != 0) return status;
    }
    return 0;
}

int ApplySetting(std::string_view command, SettingsStore& settings, std::string_view assignment) {
    const size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        return ReportUsageError(command, {"--set needs KEY=VALUE, not \"", assignment, "\""});
    }
    const std::string_view key = assignment.substr(0, equals);
    const std::string_view text = assignment.substr(equals + 1);
    const int param = ParameterByKey(key);
    if (param < 0) return ReportUsageError(command, {"unknown setting \"", key, "\""});

    SettingValue value;
    switch (Descriptor(param).type) {
    case ParamType::Number: {
        const auto number = ParseDecimal<int32_t>(text);
        if (!number) return RefuseValue(command, key, text);
        value.number = *number;
        break;
    }
    case ParamType::String:
        value.isString = true;
        if (!DecodeNotation(text, value.text)) {
            return ReportUsageError(command, {"malformed \\x escape in \"", assignment, "\""});
        }
        break;
    case ParamType::Array:
        if (Descriptor(param).elementKind == ElementKind::Numbers) {
            return ApplyNumberList(command, settings, key, text);
        }
        [[fallthrough]];
    default:
        return ReportUsageError(command,
                                {"\"", key, "\" cannot be set from the command line"});
    }
    if (settings.SetByName(key, value)) return 0;
    // A value the parameter takes, refused by name (HostScript is not the user's to grant here).
    if (!value.isString && SettingsStore::Accepts(param, value.number)) {
        return ReportUsageError(command, {"\"", key, "\" cannot be set from the command line"});
    }
    return RefuseValue(command, key, text);
}

int ApplySettings(std::string_view command, SettingsStore& settings,
                  const std::vector<std::string_view>& assignments) {
    for (const std::string_view assignment : assignments) {
        if (const int status = ApplySetting(command, settings, assignment)) return status;
    }
    return 0;
}

int TakeSetupOption(std::string_view command, std::span<const std::string_view> args, size_t& i,
                    std::optional<std::string>& setupFile) {
    const std::string_view arg = args[i];
    if (!HasOption(arg, "--setup")) {
        return ReportUsageError(command, {"unknown option \"", arg, "\""});
    }
    const std::optional<std::string_view> value = OptionValue(args, i, "--setup");
    if (!value) return ReportUsageError(command, {"--setup needs a file"});
    if (setupFile) return ReportUsageError(command, {"more than one --setup"});
    setupFile = std::string(*value);
    return 0;
}

int LoadOfflineSession(std::string_view command, CVT420Doc& session,
                       const std::optional<std::string>& setupFile,
                       const std::vector<std::string_view>& assignments) {
    if (setupFile) {
        if (!session.LoadSetupFile(*setupFile)) return kExitUsage;
    } else {
        session.LoadNewSession(Templates(DiscoverTemplateFolders()), ConnectionValues{});
    }
    const SessionLock locked = session.Locked();
    return ApplySettings(command, locked.Settings(), assignments);
}

void HeadlessUser::ShowMessage(int, std::string_view text) {
    // Messages carry names and texts from the host's side.
    std::string line = HarmlessText(text);
    line += '\n';
    std::fputs(line.c_str(), stderr);
}

Answer HeadlessUser::Ask(std::string_view, std::string_view question, Answer defaultAnswer) {
    ShowMessage(0, std::string(question) + (defaultAnswer == Answer::Yes ? " Yes" : " No"));
    return defaultAnswer;
}

std::optional<std::string> HeadlessUser::InputBox(std::string_view prompt,
                                                  std::string_view initial, InputStyle style,
                                                  const std::function<bool()>& cancelled) {
    if (!isatty(STDIN_FILENO)) return std::string(initial);
    ShowMessage(0, initial.empty() ? std::string(prompt)
                                   : std::string(prompt) + " [" + std::string(initial) + "]");
    termios saved{};
    const bool hide = style == InputStyle::Password && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (hide) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    // A byte at a time as it comes, so that a closing session is not kept
    // waiting for the user.
    std::string line;
    bool ended = false;
    while (!ended && !(cancelled && cancelled())) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, 100) <= 0) continue;
        char c;
        if (read(STDIN_FILENO, &c, 1) != 1 || c == '\n') {
            ended = true;
        } else if (line.size() < kMaxInputLine) {
            line += c;
        }
    }
    if (hide) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fputs("\n", stderr);
    }
    if (!ended) return std::nullopt;
    return line;
}

int PrintDump(std::string_view command, const VtEmulator& emulator, DumpFormat format,
              std::string_view replies) {
    std::string dump;
    if (format == DumpFormat::Text) dump = TextDump(emulator);
    if (format == DumpFormat::Json) dump = JsonDump(emulator, replies);
    return WriteOutput(command, dump);
}

int WriteOutput(std::string_view command, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "tamsivane-cli %.*s: cannot write the output\n",
                     static_cast<int>(command.size()), command.data());
        return kExitFailure;
    }
    return 0;
}

} // namespace tamsivane

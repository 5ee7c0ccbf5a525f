// What the headless program's commands share: option spelling ("--name
// value" or "--name=value"), decimal numbers, session parameters set by key
// name, and printing the screen at the end.
#pragma once

#include <charconv>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "session/UserInteraction.h"

namespace tamsivane {

class CVT420Doc;
class SettingsStore;
class VtEmulator;

enum class DumpFormat { Text, Json, None };

// Writes "tamsivane-cli COMMAND: " and the parts as one line on standard
// error; returns the usage exit status.
int ReportUsageError(std::string_view command, std::initializer_list<std::string_view> parts);

template <typename T>
std::optional<T> ParseDecimal(std::string_view text) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end) return std::nullopt;
    return value;
}

// Whether arg is the option name, alone or as "name=value".
bool HasOption(std::string_view arg, std::string_view name);
// The value of the option at args[i]: after "=", or the next argument (i
// moves past it); nullopt when it is missing.
std::optional<std::string_view> OptionValue(std::span<const std::string_view> args, size_t& i,
                                            std::string_view name);

// The options every session command takes: --set KEY=VALUE and --dump FORMAT.
struct SessionOptions {
    std::vector<std::string_view> settings; // KEY=VALUE, in order
    DumpFormat dump = DumpFormat::Text;
};

// Walks a session command's arguments: --set and --dump go to options,
// "--" ends the options, other arguments that do not start with "-" (and
// all after "--") go to positional, every other option to option, which may
// take its value with OptionValue (moving i).  Each callback returns 0 or an
// exit status, which ends the walk and is returned.
int WalkArguments(std::string_view command, std::span<const std::string_view> args,
                  SessionOptions& options,
                  const std::function<int(std::string_view arg)>& positional,
                  const std::function<int(std::string_view arg, size_t& i)>& option);

// Sets one session parameter from KEY=VALUE: a decimal integer for number
// parameters, the user-string notation for string parameters.  0 or the
// usage exit status.
int ApplySetting(std::string_view command, SettingsStore& settings, std::string_view assignment);
int ApplySettings(std::string_view command, SettingsStore& settings,
                  const std::vector<std::string_view>& assignments);

// For the commands that look at a session without connecting (keys,
// settings): takes "--setup FILE" at args[i] (once); any other option is
// unknown.  0 or the usage exit status.
int TakeSetupOption(std::string_view command, std::span<const std::string_view> args, size_t& i,
                    std::optional<std::string>& setupFile);
// Loads setupFile, or a new session on the "default" template, then applies
// the --set assignments.  0 or the exit status.
int LoadOfflineSession(std::string_view command, CVT420Doc& session,
                       const std::optional<std::string>& setupFile,
                       const std::vector<std::string_view>& assignments);

// The user of a session without windows: messages go to standard error and
// every question gets its default answer.
class HeadlessUser final : public UserInteraction {
public:
    void ShowMessage(int id, std::string_view text) override;
    Answer Ask(std::string_view caption, std::string_view question,
               Answer defaultAnswer) override;
    std::string ChooseSaveFile(std::string_view) override { return {}; }
    // A line typed on the terminal of standard input (without echo for
    // passwords); the initial text when standard input is no terminal.
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view initial,
                                        InputStyle style,
                                        const std::function<bool()>& cancelled) override;
};

// Prints the displayed page in the format (replies: the bytes sent to the
// host, for the JSON dump); 0, or the failure exit status when standard
// output cannot be written.
int PrintDump(std::string_view command, const VtEmulator& emulator, DumpFormat format,
              std::string_view replies);
// Writes text to standard output; 0, or the failure exit status (with a
// message) when it cannot be written.
int WriteOutput(std::string_view command, std::string_view text);

} // namespace tamsivane

// replay: feeds host bytes from a file or standard input to an emulator in
// fixed-size chunks and prints the displayed page.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/ScreenDump.h"
#include "emulator/ControlNames.h"
#include "emulator/EmulatorHost.h"
#include "emulator/VtEmulator.h"

namespace tamsivane {

namespace {

constexpr size_t kDefaultChunk = 2048;
constexpr size_t kMaxChunk = 64 * 1024 * 1024;

enum class DumpFormat { Text, Json, None };

struct ReplayOptions {
    std::vector<std::string_view> settings; // KEY=VALUE, in order
    size_t chunk = kDefaultChunk;
    DumpFormat dump = DumpFormat::Text;
    std::string_view file = "-";
};

// Stands where the transport will be: keeps what the emulator sends to the host.
class ReplySink : public EmulatorHost {
public:
    explicit ReplySink(bool keep) : keep_(keep) {}
    void SendToHost(std::string_view bytes) override {
        if (keep_) replies_.append(bytes);
    }
    const std::string& Replies() const { return replies_; }

private:
    bool keep_;
    std::string replies_;
};

template <typename... Parts>
int UsageError(const Parts&... parts) {
    std::string message = "tamsivane-cli replay: ";
    (message.append(parts), ...);
    message += '\n';
    std::fputs(message.c_str(), stderr);
    return kExitUsage;
}

template <typename T>
std::optional<T> ParseDecimal(std::string_view text) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end) return std::nullopt;
    return value;
}

// Splits "--name=value" or takes the value from the next argument.
std::optional<std::string_view> OptionValue(std::span<const std::string_view> args, size_t& i,
                                            std::string_view name) {
    const std::string_view arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) return std::nullopt;
        return args[++i];
    }
    return arg.substr(name.size() + 1);
}

bool HasOption(std::string_view arg, std::string_view name) {
    return arg == name || (arg.size() > name.size() && arg.substr(0, name.size()) == name &&
                           arg[name.size()] == '=');
}

// Returns 0 or the exit status of a usage error.
int ParseOptions(std::span<const std::string_view> args, ReplayOptions& options) {
    bool haveFile = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && HasOption(arg, "--set")) {
            const auto value = OptionValue(args, i, "--set");
            if (!value) return UsageError("--set needs KEY=VALUE");
            options.settings.push_back(*value);
        } else if (!optionsEnded && HasOption(arg, "--chunk")) {
            const auto value = OptionValue(args, i, "--chunk");
            const auto chunk = value ? ParseDecimal<size_t>(*value) : std::nullopt;
            if (!chunk || *chunk < 1 || *chunk > kMaxChunk) {
                return UsageError("--chunk needs a number from 1 to 67108864, not \"",
                                  value.value_or(""), "\"");
            }
            options.chunk = *chunk;
        } else if (!optionsEnded && HasOption(arg, "--dump")) {
            const auto value = OptionValue(args, i, "--dump");
            if (value == "text") {
                options.dump = DumpFormat::Text;
            } else if (value == "json") {
                options.dump = DumpFormat::Json;
            } else if (value == "none") {
                options.dump = DumpFormat::None;
            } else {
                return UsageError("--dump needs text, json or none, not \"", value.value_or(""),
                                  "\"");
            }
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option \"", arg, "\"");
        } else if (haveFile) {
            return UsageError("more than one input file (\"", arg, "\")");
        } else {
            options.file = arg;
            haveFile = true;
        }
    }
    return 0;
}

// Sets one session parameter from KEY=VALUE: a decimal integer for number
// parameters, the user-string notation for string parameters.
int ApplySetting(SettingsStore& settings, std::string_view assignment) {
    const size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        return UsageError("--set needs KEY=VALUE, not \"", assignment, "\"");
    }
    const std::string_view key = assignment.substr(0, equals);
    const std::string_view text = assignment.substr(equals + 1);
    const int param = ParameterByKey(key);
    if (param < 0) return UsageError("unknown setting \"", key, "\"");

    SettingValue value;
    switch (Descriptor(param).type) {
    case ParamType::Number: {
        const auto number = ParseDecimal<int32_t>(text);
        if (!number) return UsageError("not a decimal number: \"", assignment, "\"");
        value.number = *number;
        break;
    }
    case ParamType::String:
        value.isString = true;
        if (!DecodeNotation(text, value.text)) {
            return UsageError("malformed \\x escape in \"", assignment, "\"");
        }
        break;
    default:
        return UsageError("\"", key, "\" cannot be set from the command line");
    }
    if (settings.SetByName(key, value) != 1) {
        return UsageError("value refused: \"", assignment, "\"");
    }
    return 0;
}

// Feeds the input in chunks of exactly `chunk` bytes (the last may be shorter).
bool Replay(std::FILE* input, size_t chunk, VtEmulator& emulator) {
    std::vector<uint8_t> buffer(chunk);
    for (;;) {
        const size_t length = std::fread(buffer.data(), 1, buffer.size(), input);
        if (length > 0) emulator.ReceiveBlock(buffer.data(), length);
        if (length < buffer.size()) return !std::ferror(input);
    }
}

} // namespace

int RunReplay(std::span<const std::string_view> args) {
    ReplayOptions options;
    if (const int status = ParseOptions(args, options)) return status;

    ReplySink sink(options.dump == DumpFormat::Json);
    VtEmulator emulator(&sink);
    for (const std::string_view assignment : options.settings) {
        if (const int status = ApplySetting(emulator.Settings(), assignment)) return status;
    }

    const bool fromStdin = options.file == "-";
    const std::string path(options.file);
    std::FILE* input = fromStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (!input) {
        std::fprintf(stderr, "tamsivane-cli replay: cannot read \"%s\": %s\n", path.c_str(),
                     std::strerror(errno));
        return kExitUsage;
    }
    if (!emulator.Start()) {
        if (!fromStdin) std::fclose(input);
        std::fputs("tamsivane-cli replay: cannot allocate the screen\n", stderr);
        return kExitFailure;
    }
    const bool readAll = Replay(input, options.chunk, emulator);
    const int readError = errno;
    if (!fromStdin) std::fclose(input);
    if (!readAll) {
        std::fprintf(stderr, "tamsivane-cli replay: error reading \"%s\": %s\n", path.c_str(),
                     std::strerror(readError));
        return kExitUsage;
    }

    std::string dump;
    if (options.dump == DumpFormat::Text) dump = TextDump(emulator);
    if (options.dump == DumpFormat::Json) dump = JsonDump(emulator, sink.Replies());
    std::fwrite(dump.data(), 1, dump.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("tamsivane-cli replay: cannot write the dump\n", stderr);
        return kExitFailure;
    }
    return 0;
}

} // namespace tamsivane

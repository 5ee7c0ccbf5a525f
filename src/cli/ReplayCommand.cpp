// replay: feeds host bytes from a file or standard input to an emulator in
// fixed-size chunks and prints the displayed page.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/HarmlessText.h"
#include "cli/PrintOutput.h"
#include "emulator/VtEmulator.h"
#include "print/PrintingHost.h"

namespace tamsivane {

namespace {

constexpr size_t kDefaultChunk = 2048;
constexpr size_t kMaxChunk = 64 * 1024 * 1024;

constexpr std::string_view kCommand = "replay";

struct ReplayOptions {
    SessionOptions session;
    PrintOptions print;
    size_t chunk = kDefaultChunk;
    std::string_view file = "-";
};

// Stands where the session will be: keeps what the emulator sends to the
// host, and prints into the --print-to file (without one, nowhere).
class ReplySink : public PrintingHost {
public:
    ReplySink(bool keep, std::shared_ptr<PrintBackend> printing)
        : PrintingHost([](int, std::string_view text) {
              std::fprintf(stderr, "%s\n", HarmlessText(text).c_str());
          }),
          keep_(keep) {
        Printer().SetBackend(std::move(printing));
    }
    void PrintFrom(VtEmulator& emulator) { PrintingHost::PrintFrom(emulator); }
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
    return ReportUsageError(kCommand, {std::string_view(parts)...});
}

// Returns 0 or the exit status of a usage error.
int ParseOptions(std::span<const std::string_view> args, ReplayOptions& options) {
    bool haveFile = false;
    const auto positional = [&](std::string_view arg) {
        if (haveFile) return UsageError("more than one input file (\"", arg, "\")");
        options.file = arg;
        haveFile = true;
        return 0;
    };
    const auto option = [&](std::string_view arg, size_t& i) {
        bool taken = false;
        if (const int status = TakePrintOption(kCommand, args, i, options.print, taken)) return status;
        if (taken) return 0;
        if (!HasOption(arg, "--chunk")) return UsageError("unknown option \"", arg, "\"");
        const auto value = OptionValue(args, i, "--chunk");
        const auto chunk = value ? ParseDecimal<size_t>(*value) : std::nullopt;
        if (!chunk || *chunk < 1 || *chunk > kMaxChunk) {
            return UsageError("--chunk needs a number from 1 to 67108864, not \"",
                              value.value_or(""), "\"");
        }
        options.chunk = *chunk;
        return 0;
    };
    return WalkArguments(kCommand, args, options.session, positional, option);
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

// The replay itself, printing through printing; its exit status.
int ReplayWith(const ReplayOptions& options, std::shared_ptr<PrintBackend> printing) {
    ReplySink sink(options.session.dump == DumpFormat::Json, std::move(printing));
    VtEmulator emulator(&sink);
    sink.PrintFrom(emulator);
    if (const int status = ApplySettings(kCommand, emulator.Settings(), options.session.settings)) {
        return status;
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
    return PrintDump(kCommand, emulator, options.session.dump, sink.Replies());
}

} // namespace

int RunReplay(std::span<const std::string_view> args) {
    ReplayOptions options;
    if (const int status = ParseOptions(args, options)) return status;
    return WithPrintFile(kCommand, options.print, [&](std::shared_ptr<PrintBackend> printing) {
        return ReplayWith(options, std::move(printing));
    });
}

} // namespace tamsivane

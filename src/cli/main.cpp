// tamsivane-cli: the terminal engine without windows.
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "cli/Commands.h"

namespace {

struct Command {
    std::string_view name;
    int (*run)(std::span<const std::string_view> args);
    std::string_view usage;
};

constexpr Command kCommands[] = {
    {"replay", tamsivane::RunReplay,
     "replay [--set KEY=VALUE]... [--chunk N] [--dump text|json|none]\n"
     "      [--print-to FILE [--print-page LINESxCOLUMNS]] [FILE|-]"},
    {"run", tamsivane::RunSession,
     "run [SETUP.qzv | telnet://HOST[:PORT] | ssh://[USER@]HOST[:PORT] |\n"
     "      --host HOST [--port PORT] | --loopback | --local-shell | --entry NAME]\n"
     "      [--ssh-accept-new] [--host-scripts] [--term NAME]\n"
     "      [--set KEY=VALUE]... [--device PATH] [--send TEXT]... [--script FILE]\n"
     "      [--capture FILE] [--recv-dir DIR] [--zmodem-send FILE]... [--timeout SECONDS]\n"
     "      [--print-to FILE [--print-page LINESxCOLUMNS]] [--dump text|json|none]"},
    {"keys", tamsivane::RunKeys, "keys [--set KEY=VALUE]... [--setup FILE.qzv] KEY..."},
    {"settings", tamsivane::RunSettings,
     "settings [--setup FILE.qzv] [--set KEY=VALUE]... [KEY...]\n"
     "      one line per parameter (all, or the KEYs named), fields separated by tabs:\n"
     "      number, key, value, default, accepted values"},
};

int Usage(std::FILE* stream, int status) {
    std::fputs("usage:\n", stream);
    for (const Command& command : kCommands) {
        std::fprintf(stream, "  tamsivane-cli %.*s\n", static_cast<int>(command.usage.size()),
                     command.usage.data());
    }
    return status;
}

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

// Whether the command's options (those before "--") ask for its usage.
bool AsksForHelp(std::span<const std::string_view> args) {
    for (const std::string_view arg : args) {
        if (arg == "--") return false;
        if (IsHelp(arg)) return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage(stderr, tamsivane::kExitUsage);
    const std::string_view name = argv[1];
    for (const Command& command : kCommands) {
        if (name == command.name) {
            const std::vector<std::string_view> args(argv + 2, argv + argc);
            if (AsksForHelp(args)) {
                std::printf("usage: tamsivane-cli %.*s\n", static_cast<int>(command.usage.size()),
                            command.usage.data());
                return std::fflush(stdout) == 0 ? 0 : tamsivane::kExitFailure;
            }
            return command.run(args);
        }
    }
    if (IsHelp(name)) return Usage(stdout, 0);
    std::fprintf(stderr, "tamsivane-cli: unknown command \"%s\"\n", argv[1]);
    return Usage(stderr, tamsivane::kExitUsage);
}

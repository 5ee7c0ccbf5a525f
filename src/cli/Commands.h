// The headless program's commands.  Each takes the arguments after its name
// and returns the process exit status: 0 success, 1 failure while running,
// 2 bad usage or unreadable input.
#pragma once

#include <span>
#include <string_view>

namespace tamsivane {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitScriptError = 3;
inline constexpr int kExitTransfer = 4; // a file transfer failed, was cancelled or cut
inline constexpr int kExitScriptTimedOut = 5;

// replay [--set KEY=VALUE]... [--chunk N] [--dump text|json|none]
//        [--print-to FILE [--print-page LINESxCOLUMNS]] [FILE|-]
int RunReplay(std::span<const std::string_view> args);
// run [SETUP.qzv | telnet://HOST[:PORT] | --host HOST [--port PORT] | --loopback]
//     [--term NAME] [--set KEY=VALUE]... [--send TEXT]... [--capture FILE] [--recv-dir DIR]
//     [--zmodem-send FILE]... [--print-to FILE [--print-page LINESxCOLUMNS]]
//     [--timeout SECONDS] [--dump text|json|none]
int RunSession(std::span<const std::string_view> args);
// keys [--set KEY=VALUE]... [--setup FILE.qzv] KEY...
int RunKeys(std::span<const std::string_view> args);
// settings [--setup FILE.qzv] [--set KEY=VALUE]... [KEY...]
int RunSettings(std::span<const std::string_view> args);

} // namespace tamsivane

// settings: the session parameters of a setup file (or of a new session), one
// line each: number, key, value, default and the accepted values, separated
// by tabs.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ParameterValues.h"
#include "config/SettingsStore.h"
#include "session/CVT420Doc.h"

namespace tamsivane {

namespace {

constexpr std::string_view kCommand = "settings";

} // namespace

int RunSettings(std::span<const std::string_view> args) {
    SessionOptions options;
    std::optional<std::string> setupFile;
    std::vector<int> params;
    const auto positional = [&](std::string_view key) {
        const int param = ParameterByKey(key);
        if (param < 0) return ReportUsageError(kCommand, {"unknown setting \"", key, "\""});
        params.push_back(param);
        return 0;
    };
    const auto option = [&](std::string_view, size_t& i) {
        return TakeSetupOption(kCommand, args, i, setupFile);
    };
    if (const int status = WalkArguments(kCommand, args, options, positional, option)) {
        return status;
    }
    if (params.empty()) {
        for (int param = 0; param < kParameterCount; ++param) params.push_back(param);
    }

    HeadlessUser user;
    CVT420Doc session(user);
    if (const int status = LoadOfflineSession(kCommand, session, setupFile, options.settings)) {
        return status;
    }
    const SettingsStore defaults;
    std::string lines;
    {
        const SessionLock locked = session.Locked();
        const SettingsStore& settings = locked.Settings();
        for (const int param : params) {
            lines += std::to_string(param) + '\t' + Descriptor(param).key + '\t' +
                     ValueText(settings, param) + '\t' + ValueText(defaults, param) + '\t' +
                     AcceptedValues(param) + '\n';
        }
    }
    return WriteOutput(kCommand, lines);
}

} // namespace tamsivane

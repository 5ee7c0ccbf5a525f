#include "cli/PrintOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace tamsivane {
namespace {
constexpr int kMaxPageLines = 10000;
} // namespace

int TakePrintOption(std::string_view command, std::span<const std::string_view> args, size_t& i,
                    PrintOptions& options, bool& taken) {
    taken = true;
    if (HasOption(args[i], "--print-to")) {
        const std::optional<std::string_view> value = OptionValue(args, i, "--print-to");
        if (!value || value->empty()) return ReportUsageError(command, {"--print-to needs a file"});
        options.path = std::string(*value);
        return 0;
    }
    if (!HasOption(args[i], "--print-page")) {
        taken = false;
        return 0;
    }
    const std::optional<std::string_view> value = OptionValue(args, i, "--print-page");
    const std::string_view text = value.value_or("");
    const size_t by = text.find('x');
    const auto lines = ParseDecimal<int>(text.substr(0, by));
    const auto columns =
        by == std::string_view::npos ? std::nullopt : ParseDecimal<int>(text.substr(by + 1));
    if (!lines || !columns || *lines < 1 || *lines > kMaxPageLines || *columns < 1 ||
        *columns > kMaxLineCharacters) {
        return ReportUsageError(command, {"--print-page needs LINESxCOLUMNS (1-10000 x 1-1024), not \"",
                                          text, "\""});
    }
    options.page = {*lines, *columns};
    return 0;
}

int WithPrintFile(std::string_view command, const PrintOptions& options,
                  const std::function<int(std::shared_ptr<PrintBackend> printing)>& run) {
    if (!options.path) return run(nullptr);
    const std::string& path = *options.path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        const std::string message = "tamsivane-cli " + std::string(command) + ": cannot create \"" +
                                    path + "\": " + std::strerror(errno) + "\n";
        std::fputs(message.c_str(), stderr);
        return kExitUsage;
    }
    auto backend = std::make_shared<FileBackend>(file, options.page);
    // The session and its printer are gone when run returns.
    const int status = run(backend);
    const bool written = backend->AllWritten();
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return status;
    const std::string message =
        "tamsivane-cli " + std::string(command) + ": cannot write all of \"" + path + "\"\n";
    std::fputs(message.c_str(), stderr);
    return status != 0 ? status : kExitFailure;
}

} // namespace tamsivane

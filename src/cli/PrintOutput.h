// --print-to FILE and --print-page LINESxCOLUMNS of the session commands: a
// session's print output goes to FILE instead of a printer (raw jobs as
// their bytes, documents as text pages).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "print/FilePrinting.h"

namespace tamsivane {

struct PrintOptions {
    std::optional<std::string> path;
    PageMetrics page{60, 80};
};

// Takes --print-to or --print-page at args[i]: 0 with taken set when it was
// one of them, 0 with taken false for another option, or the usage exit status.
int TakePrintOption(std::string_view command, std::span<const std::string_view> args, size_t& i,
                    PrintOptions& options, bool& taken);

// Runs run with the --print-to file's back-end (none without the option),
// then closes the file: run's exit status, or the failure exit status when
// the file could not be made or written (reported).
int WithPrintFile(std::string_view command, const PrintOptions& options,
                  const std::function<int(std::shared_ptr<PrintBackend> printing)>& run);

} // namespace tamsivane

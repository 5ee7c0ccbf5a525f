// What printing needs of a session's settings, copied under the session lock
// so that printing itself runs without it.
#pragma once

#include <cstdint>
#include <string>

#include "config/SettingsStore.h"

namespace tamsivane {

// Where printer-controller output goes (PrintTo).
enum class PrintDestination { Spooler = 0, Driver = 1, Port = 2 };

struct PrintSettings {
    PrintDestination destination = PrintDestination::Driver;
    PrinterChoice printer; // the default printer already resolved to its name
    std::string fontName;
    int fontSize = 9; // at least 1
    bool fontBold = false;
    int port = 0;     // 0-3
    int jobTimeoutSeconds = 0;
    bool formFeedAtEnd = false;
};

// defaultPrinterEntry: "device,driver" of the system's default printer (may
// be empty), used when DefaultPrinter is set.
PrintSettings ReadPrintSettings(const SettingsStore& settings, std::string_view defaultPrinterEntry);

} // namespace tamsivane

// Raw printing through the system: a spooler job is a command (by default
// "lp") that takes the job on its standard input, run without a shell; a
// port is a device file.  The application profile may name both:
// "Print/SpoolCommand" and "Print/PortDevice".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/AppProfile.h"
#include "print/PrintBackend.h"

namespace tamsivane {

inline constexpr std::string_view kDefaultSpoolCommand = "lp -d %s -o raw -t Tamsivane";
inline constexpr std::string_view kDefaultPortDevice = "/dev/lp%d";

struct PrintDevices {
    std::string spoolCommand{kDefaultSpoolCommand};
    std::string portDevice{kDefaultPortDevice}; // "%d": PrintPort, 0-3
};

PrintDevices ReadPrintDevices(const AppProfile& profile);

// The spool command's words (split at blanks; double quotes keep blanks in
// a word) with "%s" replaced by the printer's name.  Without a name, a word
// that is only "%s" goes, with an option word before it, so that the
// spooler takes its own default printer.
std::vector<std::string> SpoolArguments(std::string_view command, std::string_view printer);
// The port's device path: "%d" replaced by the port number.
std::string PortDevicePath(std::string_view pattern, int port);

// Raw output to the spool command and the port device.  Documents need a
// printer driver, which this program part has none of: they fail with
// CannotSetup unless a subclass draws them.
class SystemBackend : public PrintBackend {
public:
    explicit SystemBackend(PrintDevices devices) : devices_(std::move(devices)) {}

    std::unique_ptr<PageSurface> StartDocument(const PrintSettings& settings,
                                               std::string_view title,
                                               DocumentFailure& failure) override;
    std::unique_ptr<RawOutput> OpenRaw(const PrintSettings& settings, int& error) override;

private:
    PrintDevices devices_;
};

} // namespace tamsivane

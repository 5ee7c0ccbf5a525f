#include "print/PrintSettings.h"

#include <algorithm>

namespace tamsivane {

namespace {
constexpr int kLastPort = 3;
constexpr int kMaxJobTimeoutSeconds = 24 * 3600;
} // namespace

PrintSettings ReadPrintSettings(const SettingsStore& settings, std::string_view defaultPrinterEntry) {
    PrintSettings print;
    const int32_t to = settings.GetNumber(P::PrintTo);
    print.destination = to == 0   ? PrintDestination::Spooler
                        : to == 2 ? PrintDestination::Port
                                  : PrintDestination::Driver;
    print.printer = settings.GetPrinter(defaultPrinterEntry);
    print.fontName = settings.GetString(P::PrintFontName);
    print.fontSize = std::max<int32_t>(1, settings.GetNumber(P::PrintFontSize));
    print.fontBold = settings.GetNumber(P::PrintFontBold) != 0;
    print.port = std::clamp<int32_t>(settings.GetNumber(P::PrintPort), 0, kLastPort);
    print.jobTimeoutSeconds =
        std::clamp<int32_t>(settings.GetNumber(P::JobTimeout), 0, kMaxJobTimeoutSeconds);
    print.formFeedAtEnd = settings.GetNumber(P::FFNeeded) != 0;
    return print;
}

} // namespace tamsivane

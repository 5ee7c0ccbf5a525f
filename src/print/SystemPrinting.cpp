#include "print/SystemPrinting.h"

#include <cerrno>
#include <chrono>

#include "platform/OutputChannel.h"

namespace tamsivane {
namespace {

// How long a spooler or port may take nothing before its job is given up,
// and how long a spool command may take to finish its job.
constexpr std::chrono::milliseconds kStallLimit{10000};

constexpr std::string_view kNamePlace = "%s";
constexpr std::string_view kNumberPlace = "%d";

std::string ReplaceAll(std::string_view text, std::string_view place, std::string_view value) {
    std::string out;
    for (size_t at = 0;;) {
        const size_t found = text.find(place, at);
        out.append(text.substr(at, found - at));
        if (found == std::string_view::npos) return out;
        out.append(value);
        at = found + place.size();
    }
}

std::vector<std::string> SplitWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : command) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

class SpoolJob final : public RawOutput {
public:
    int Start(const std::vector<std::string>& argv) { return program_.Start(argv); }
    int Write(std::string_view bytes) override { return program_.Write(bytes, kStallLimit); }
    int Close() override {
        const int status = program_.Finish(kStallLimit);
        return status == 0 ? 0 : EIO;
    }

private:
    ProgramInput program_;
};

class PortJob final : public RawOutput {
public:
    int Open(const std::string& path) { return device_.Open(path); }
    int Write(std::string_view bytes) override { return device_.Write(bytes, kStallLimit); }
    int Close() override {
        device_.Close();
        return 0;
    }

private:
    DeviceOutput device_;
};

} // namespace

PrintDevices ReadPrintDevices(const AppProfile& profile) {
    PrintDevices devices;
    devices.spoolCommand = profile.GetString("Print", "SpoolCommand", kDefaultSpoolCommand);
    devices.portDevice = profile.GetString("Print", "PortDevice", kDefaultPortDevice);
    return devices;
}

std::vector<std::string> SpoolArguments(std::string_view command, std::string_view printer) {
    std::vector<std::string> words = SplitWords(command);
    std::vector<std::string> argv;
    for (std::string& word : words) {
        if (printer.empty() && word == kNamePlace) {
            if (argv.size() > 1 && argv.back().starts_with('-')) argv.pop_back();
            continue;
        }
        argv.push_back(ReplaceAll(word, kNamePlace, printer));
    }
    return argv;
}

std::string PortDevicePath(std::string_view pattern, int port) {
    return ReplaceAll(pattern, kNumberPlace, std::to_string(port));
}

std::unique_ptr<PageSurface> SystemBackend::StartDocument(const PrintSettings&, std::string_view,
                                                          DocumentFailure& failure) {
    failure = DocumentFailure::CannotSetup;
    return nullptr;
}

std::unique_ptr<RawOutput> SystemBackend::OpenRaw(const PrintSettings& settings, int& error) {
    if (settings.destination == PrintDestination::Port) {
        auto port = std::make_unique<PortJob>();
        error = port->Open(PortDevicePath(devices_.portDevice, settings.port));
        return error == 0 ? std::move(port) : nullptr;
    }
    const std::vector<std::string> argv =
        SpoolArguments(devices_.spoolCommand, settings.printer.deviceName);
    if (argv.empty()) {
        error = ENOENT;
        return nullptr;
    }
    auto job = std::make_unique<SpoolJob>();
    error = job->Start(argv);
    return error == 0 ? std::move(job) : nullptr;
}

} // namespace tamsivane

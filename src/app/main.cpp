// tamsivane: the desktop program.
#include <QApplication>

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "app/DesktopStartup.h"
#include "app/QSettingsProfile.h"
#include "session/StartupArgs.h"

int main(int argc, char** argv) {
    if (!tamsivane::HaveDisplay()) {
        std::fputs(tamsivane::kNoDisplayMessage, stderr);
        return 1;
    }
    QApplication::setOrganizationName(tamsivane::kOrganisation);
    QApplication::setApplicationName(tamsivane::kApplication);
    // "-e COMMAND [ARG...]" is kept from Qt, which would take words such as
    // "-style" out of the command.
    const std::vector<std::string> words(argv + 1, argv + argc);
    const size_t programAt = tamsivane::ProgramOptionAt(words, tamsivane::RegularFileExists);
    int qtCount = static_cast<int>(programAt) + 1;
    QApplication app(qtCount, argv);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return tamsivane::RunDesktop(arguments, std::span(words).subspan(programAt));
}

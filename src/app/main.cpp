// tamsivane: the desktop program.
#include <QApplication>

#include <cstdio>

#include "app/DesktopStartup.h"
#include "app/QSettingsProfile.h"

int main(int argc, char** argv) {
    if (!tamsivane::HaveDisplay()) {
        std::fputs(tamsivane::kNoDisplayMessage, stderr);
        return 1;
    }
    QApplication::setOrganizationName(tamsivane::kOrganisation);
    QApplication::setApplicationName(tamsivane::kApplication);
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    return tamsivane::RunDesktop(arguments);
}

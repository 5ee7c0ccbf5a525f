#include "app/HelpFiles.h"

#include <QFileInfo>

#include <string>

#include "platform/Paths.h"

namespace tamsivane {

QString HelpIndexPath() {
    for (const std::string& folder : {ProgramFolder(), SharedDataFolder()}) {
        if (folder.empty()) continue;
        const QFileInfo index(QString::fromStdString(folder + "/help/index.htm"));
        if (index.isFile()) return index.absoluteFilePath();
    }
    return {};
}

} // namespace tamsivane

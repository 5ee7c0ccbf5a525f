// Setup files that would run something are opened only with the user's
// consent, unless they are the user's own: files this program saved (the
// SHA-256 of their content is kept in the application profile, so a file
// changed elsewhere is asked about again) and the templates.
#pragma once

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

#include "config/AppProfile.h"
#include "config/Templates.h"

namespace tamsivane {

class OwnSetupFiles {
public:
    // How many saved files are remembered; older ones are asked about again.
    static constexpr int kCapacity = 64;

    OwnSetupFiles(AppProfile& profile, TemplateFolders templates);

    // The file's content as it is now counts as the user's own.
    void Remember(const std::string& path);
    bool IsOwn(const std::string& path) const;

private:
    AppProfile& profile_;
    TemplateFolders templates_;
};

enum class ActiveContentChoice { OpenWithoutRunning, OpenAndAllow, Cancel };

// Shows what the file would run (items) in a box owned by parent and asks
// how to open it; a box closed otherwise means Cancel.
ActiveContentChoice AskAboutActiveContent(QWidget* parent, const QString& path,
                                          const std::vector<std::string>& items);

} // namespace tamsivane

#include "app/SetupFileTrust.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

#include "app/DesktopUser.h"
#include "config/RecentList.h"
#include "platform/SafeFile.h"

namespace tamsivane {
namespace {

// Setup files are small; anything larger is not one this program saved.
constexpr size_t kMaxHashedSize = 16 * 1024 * 1024;

// The hex SHA-256 of the file's content; "" when it cannot be read.
std::string ContentHash(const std::string& path) {
    std::string data;
    std::string error;
    if (!ReadWholeFile(path, kMaxHashedSize, data, error)) return {};
    return QCryptographicHash::hash(QByteArrayView(data.data(), static_cast<qsizetype>(data.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

RecentList SavedHashes(AppProfile& profile) {
    return RecentList(profile, "Own Setup Files", "Hash", OwnSetupFiles::kCapacity);
}

std::string CanonicalFolder(const std::string& path) {
    return QFileInfo(QFileInfo(QFile::decodeName(path.c_str())).canonicalFilePath())
        .absolutePath()
        .toStdString();
}

} // namespace

OwnSetupFiles::OwnSetupFiles(AppProfile& profile, TemplateFolders templates)
    : profile_(profile), templates_(std::move(templates)) {}

void OwnSetupFiles::Remember(const std::string& path) {
    const std::string hash = ContentHash(path);
    if (!hash.empty()) SavedHashes(profile_).Add(hash);
}

bool OwnSetupFiles::IsOwn(const std::string& path) const {
    const std::string folder = CanonicalFolder(path);
    for (const std::string& templates : templates_.search) {
        const QString canonical = QFileInfo(QFile::decodeName(templates.c_str())).canonicalFilePath();
        if (!canonical.isEmpty() && canonical.toStdString() == folder) return true;
    }
    const std::string hash = ContentHash(path);
    const std::vector<std::string> saved = SavedHashes(profile_).Load();
    return !hash.empty() && std::find(saved.begin(), saved.end(), hash) != saved.end();
}

ActiveContentChoice AskAboutActiveContent(QWidget* parent, const QString& path,
                                          const std::vector<std::string>& items) {
    QString text = QString("The setup file \"%1\" would run:\n").arg(path);
    for (const std::string& item : items) text += "\n\u2022 " + QString::fromStdString(item);
    text += "\n\nOpen it only if you trust where it came from.";
    QMessageBox box(QMessageBox::Warning, kAppCaption, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* withoutRunning = box.addButton("Open without running it", QMessageBox::AcceptRole);
    QPushButton* allow = box.addButton("Open and allow", QMessageBox::YesRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(withoutRunning);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == withoutRunning) return ActiveContentChoice::OpenWithoutRunning;
    if (box.clickedButton() == allow) return ActiveContentChoice::OpenAndAllow;
    return ActiveContentChoice::Cancel;
}

} // namespace tamsivane

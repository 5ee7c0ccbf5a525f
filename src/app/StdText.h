#pragma once

#include <QString>
#include <string>

namespace tamsivane {

// Stored entries keep UTF-8 text; the dialogs show it as QString.
inline QString Q(const std::string& text) { return QString::fromStdString(text); }

} // namespace tamsivane

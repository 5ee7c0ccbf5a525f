// The About box: the program's icon, "Tamsivane 4.4" and an "OK" button.
#pragma once

#include <QWidget>

namespace tamsivane {

void ShowAboutBox(QWidget* owner);

} // namespace tamsivane

// Text from the host's side (file names, script errors, messages) made safe
// for the user's own terminal before the headless program prints it: a
// name that holds an escape sequence must not retitle or reprogram it.
#pragma once

#include <string>
#include <string_view>

namespace tamsivane {

// The text with every control character (other than line feed and TAB), DEL,
// every C1 control and every byte that is not part of valid UTF-8 shown as
// "\xNN", one escape per byte.
std::string HarmlessText(std::string_view text);

} // namespace tamsivane

// What the button bar and the chat line send to a session's host.
#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "session/CVT420Doc.h"

namespace tamsivane {

// A button's string decoded from the user notation ("<CR>", "^C", "\x1b").
// A malformed "\x" escape sends nothing rather than a cut command.
std::string ButtonBytes(std::string_view notation);

// The chat line's text as typed (no notation), each character as the
// keyboard would send it in this session, then CR, or CR LF when the
// session's NewLine is not 0, when lineEnd.
std::string ChatLineBytes(CVT420Doc& doc, const QString& text, bool lineEnd);

} // namespace tamsivane

// What a session asks of its user beyond messages: yes/no questions and the
// name of a file to save to.  The desktop program shows dialogs; the headless
// program gives every question its default answer.
#pragma once

#include <string>
#include <string_view>

#include "session/UserNotifier.h"

namespace tamsivane {

enum class Answer { Yes, No };

class UserInteraction : public UserNotifier {
public:
    // Waits for the user's answer, so it is called only from the thread that
    // drives the session (never from the I/O thread, never under the session
    // lock).  caption: the session's title.
    virtual Answer Ask(std::string_view caption, std::string_view question,
                       Answer defaultAnswer) = 0;
    // The path to save a setup file that has none yet; "" when the user
    // chose none.  Same threads as Ask.
    virtual std::string ChooseSaveFile(std::string_view caption) = 0;
};

} // namespace tamsivane

#include "script/MacroRecorder.h"

#include <chrono>

#include "emulator/ControlNames.h"

namespace tamsivane {

MacroRecorder::MacroRecorder(Clock clock) : clock_(std::move(clock)) {}

int64_t MacroRecorder::SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string MacroRecorder::Encode(std::string_view bytes) {
    std::string text;
    for (const char c : EncodeNotation(bytes)) {
        if (c == '"') {
            text += "\\x22";
        } else {
            text += c;
        }
    }
    return text;
}

void MacroRecorder::Start() {
    std::lock_guard lock(mutex_);
    if (recording_) return;
    recording_ = true;
    script_.clear();
    pending_.clear();
    start_ = clock_();
    last_.reset();
}

bool MacroRecorder::IsRecording() const {
    std::lock_guard lock(mutex_);
    return recording_;
}

void MacroRecorder::Flush() {
    script_ += "term.Send(\"" + pending_ + "\");\r\n";
    pending_.clear();
}

void MacroRecorder::Record(std::string_view bytes) {
    std::lock_guard lock(mutex_);
    if (!recording_ || bytes.empty()) return;
    const int64_t elapsed = clock_() - start_;
    const std::string text = Encode(bytes);
    if (last_ && elapsed - *last_ > kLongestSwallowedPause) {
        Flush();
        script_ += "sys.Sleep(" + std::to_string(elapsed - *last_) + ");\r\n";
    }
    pending_ += text;
    last_ = elapsed;
}

std::string MacroRecorder::Stop() {
    std::lock_guard lock(mutex_);
    if (!recording_) return {};
    recording_ = false;
    if (!pending_.empty()) Flush();
    return script_;
}

} // namespace tamsivane

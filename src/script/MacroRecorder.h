// Writes down what the user sends to the host as a script: the sends in the
// user-string notation, joined while they follow each other within half a
// second, with a sys.Sleep of the measured pause between longer gaps.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tamsivane {

class MacroRecorder {
public:
    // Milliseconds on a steady clock.
    using Clock = std::function<int64_t()>;
    // Pauses up to this long are not recorded.
    static constexpr int64_t kLongestSwallowedPause = 500;

    explicit MacroRecorder(Clock clock = SteadyMilliseconds);

    // Starts afresh (nothing when already recording).
    void Start();
    bool IsRecording() const;
    // A block the user sent, while recording.
    void Record(std::string_view bytes);
    // Stops and returns the script; empty when nothing was sent (or when
    // not recording).
    std::string Stop();

    // The bytes as a script string literal's text: the user-string notation
    // with the double quote as \x22, so the literal stays closed.
    static std::string Encode(std::string_view bytes);

private:
    static int64_t SteadyMilliseconds();
    void Flush(); // mutex held

    Clock clock_;
    mutable std::mutex mutex_;
    bool recording_ = false;
    std::string script_;
    std::string pending_;
    int64_t start_ = 0;
    std::optional<int64_t> last_; // elapsed time of the latest send
};

} // namespace tamsivane

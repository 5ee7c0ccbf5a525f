// Parameters and intermediates of an escape sequence, control sequence or
// device control string as the parser collects them.  Bounded: at most 16
// distinct intermediates and 32 parameters; further ones are ignored, and
// parameter values saturate instead of overflowing.  A colon is kept as an
// intermediate and also separates parameters: those after it are
// sub-parameters of the one before (the colon form of extended colours).
#pragma once

#include <cstdint>
#include <optional>

namespace tamsivane {

class SequenceCollector {
public:
    static constexpr int kMaxIntermediates = 16;
    static constexpr int kMaxParameters = 32;
    static constexpr int32_t kMaxValue = 0x7FFFFFFF;
    // Values from here on would pass kMaxValue with one more digit.
    static constexpr int32_t kSaturateFrom = (kMaxValue - 9) / 10 + 1;

    void Clear() {
        intermediateCount_ = 0;
        parameterCount_ = 0;
        fresh_ = true;
        colonBefore_ = false;
    }

    // A byte of 0x20-0x3F: digit, semicolon, colon, or an intermediate/private marker.
    void Collect(uint8_t byte) {
        if (byte >= '0' && byte <= '9') {
            if (fresh_) {
                fresh_ = false;
                StartParameter(false);
            }
            if (parameterCount_ <= kMaxParameters) {
                int32_t& v = values_[parameterCount_ - 1];
                v = v < kSaturateFrom ? v * 10 + (byte - '0') : kMaxValue;
            }
        } else if (byte == ';' || byte == ':') {
            if (fresh_) StartParameter(true);
            fresh_ = true;
            colonBefore_ = byte == ':';
            if (colonBefore_ && !Has(byte)) AddIntermediate(byte);
        } else if (!Has(byte)) {
            AddIntermediate(byte);
        }
        // Keep the count from growing without bound on endless parameter lists.
        if (parameterCount_ > kMaxParameters) parameterCount_ = kMaxParameters + 1;
    }

    bool Has(uint8_t byte) const {
        for (int i = 0; i < intermediateCount_; ++i)
            if (intermediates_[i] == byte) return true;
        return false;
    }
    bool AnyIntermediate() const { return intermediateCount_ > 0; }
    int IntermediateCount() const { return intermediateCount_; }
    const uint8_t* Intermediates() const { return intermediates_; }

    // The default when i is beyond the parameters or the parameter was empty.
    int Parameter(int i, int defaultValue) const {
        if (i < 0 || i >= Count() || omitted_[i]) return defaultValue;
        return values_[i];
    }
    // The value, or nothing when i is beyond the parameters or the parameter was empty.
    std::optional<int> Given(int i) const {
        if (Omitted(i)) return std::nullopt;
        return values_[i];
    }
    bool Omitted(int i) const { return i < 0 || i >= Count() || omitted_[i]; }
    // The parameter followed a colon: it belongs to the one before.
    bool IsSubParameter(int i) const { return i >= 0 && i < Count() && sub_[i]; }
    int Count() const { return parameterCount_ < kMaxParameters ? parameterCount_ : kMaxParameters; }

private:
    void StartParameter(bool omitted) {
        if (parameterCount_ < kMaxParameters) {
            values_[parameterCount_] = 0;
            omitted_[parameterCount_] = omitted;
            sub_[parameterCount_] = colonBefore_;
        }
        ++parameterCount_;
    }
    void AddIntermediate(uint8_t byte) {
        if (intermediateCount_ < kMaxIntermediates) intermediates_[intermediateCount_++] = byte;
    }

    uint8_t intermediates_[kMaxIntermediates] = {};
    int intermediateCount_ = 0;
    int32_t values_[kMaxParameters] = {};
    bool omitted_[kMaxParameters] = {};
    bool sub_[kMaxParameters] = {};
    int parameterCount_ = 0;
    bool fresh_ = true;
    bool colonBefore_ = false; // the separator before the next parameter was a colon
};

} // namespace tamsivane

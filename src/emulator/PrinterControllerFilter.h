// Watches the byte stream of printer-controller mode for its end sequence
// (ESC [ 4 i or CSI 4 i).  Everything else is passed on for the printer;
// a nested "start" sequence (ESC [ 5 i, CSI 5 i) is swallowed.
#pragma once

#include <cstdint>
#include <string>

namespace tamsivane {

class PrinterControllerFilter {
public:
    void Reset() { state_ = 0; }
    // Appends the bytes for the printer to out; true when the end sequence completed.
    bool Feed(uint8_t byte, std::string& out);

private:
    void PutIntroducer(std::string& out) const;
    uint8_t state_ = 0;
    bool eightBit_ = false;
};

} // namespace tamsivane

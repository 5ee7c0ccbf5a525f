#include "emulator/PrinterControllerFilter.h"

#include "emulator/ControlBytes.h"

namespace tamsivane {

namespace {
enum : uint8_t { Idle, AfterEsc, AfterIntroducer, AfterFour, AfterFive };
} // namespace

void PrinterControllerFilter::PutIntroducer(std::string& out) const {
    if (eightBit_) {
        out.push_back(static_cast<char>(kCsi));
    } else {
        out.push_back(static_cast<char>(kEsc));
        out.push_back('[');
    }
}

bool PrinterControllerFilter::Feed(uint8_t byte, std::string& out) {
    switch (state_) {
    case Idle:
        if (byte == kEsc) {
            eightBit_ = false;
            state_ = AfterEsc;
        } else if (byte == kCsi) {
            eightBit_ = true;
            state_ = AfterIntroducer;
        } else {
            out.push_back(static_cast<char>(byte));
        }
        return false;
    case AfterEsc:
        if (byte == '[') {
            state_ = AfterIntroducer;
        } else {
            out.push_back(static_cast<char>(kEsc));
            out.push_back(static_cast<char>(byte));
            state_ = Idle;
        }
        return false;
    case AfterIntroducer:
        if (byte == '4') {
            state_ = AfterFour;
        } else if (byte == '5') {
            state_ = AfterFive;
        } else {
            PutIntroducer(out);
            out.push_back(static_cast<char>(byte));
            state_ = Idle;
        }
        return false;
    case AfterFour:
    case AfterFive: {
        const bool four = state_ == AfterFour;
        state_ = Idle;
        if (byte == 'i') return four; // end, or a swallowed nested start
        PutIntroducer(out);
        out.push_back(four ? '4' : '5');
        out.push_back(static_cast<char>(byte));
        return false;
    }
    }
    state_ = Idle;
    return false;
}

} // namespace tamsivane

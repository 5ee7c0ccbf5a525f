// What the emulator asks of the session around it: the reply path to the
// host, view updates and the hand-offs to printing, user-defined keys,
// host-started scripts and file transfer.  Every operation has a harmless
// default so that a headless replay needs none of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tamsivane {

class EmulatorHost {
public:
    virtual ~EmulatorHost() = default;

    // Bytes for the host (reports, answerback); called under the session lock,
    // so an implementation never blocks.
    virtual void SendToHost(std::string_view bytes) { (void)bytes; }
    // BEL with WarningBell on.
    virtual void Bell() {}

    // After a received block, a reset or a clear: rows first..last of the
    // displayed page changed (-1, -1: none), or the history changed and the
    // whole view needs a new layout.  Then the cursor may have moved.
    virtual void ScreenChanged(int firstRow, int lastRow, bool historyChanged) {
        (void)firstRow; (void)lastRow; (void)historyChanged;
    }
    // The view must recompute its layout (status line shown or hidden, page size).
    virtual void LayoutChanged() {}

    // CAN "B00" with AutoRecv on: the host started a file transfer.  following
    // holds the rest of the received block; true when a transfer started and
    // took them, false to show them.
    virtual bool StartFileReceive(const uint8_t* following, size_t n) {
        (void)following; (void)n;
        return false;
    }
    // DCS $ t (script text) and DCS $ s (the name of a script file, which
    // the session reads itself, outside the session lock).
    virtual void RunHostScript(std::string_view data, bool isFileName) {
        (void)data; (void)isFileName;
    }

    // A received byte while scripts wait for host text; returns whether any
    // script is still watching (false stops further calls until re-armed).
    virtual bool OfferToScripts(uint8_t byte) { (void)byte; return false; }
    // Capture file output (text already converted for the file).
    virtual void Capture(std::string_view text) { (void)text; }

    // Printing: media copy requests and the printer controller.
    virtual void PrintPage() {}
    virtual void PrintCursorLine(int row) { (void)row; }
    virtual void SetAutoPrint(bool on) { (void)on; }
    // A line leaves the cursor while auto print is on.
    virtual void AutoPrintLine(int row) { (void)row; }
    // Printer-controller mode: started, its bytes for the printer (the end
    // sequence already removed), and its end.
    virtual void PrinterControllerStarted() {}
    virtual void PrinterControllerData(std::string_view bytes) { (void)bytes; }
    virtual void PrinterControllerEnded() {}

    // The keyboard lights follow NumericKeypad when NumLock is 1.
    virtual void UpdateKeyboardLights() {}
    // Communication settings changed (HostName .. SshPassword).
    virtual void CommunicationChanged() {}
    // The page size changed while SetHostSize is on.
    virtual void PageSizeChanged(int columns, int lines) { (void)columns; (void)lines; }
};

} // namespace tamsivane

// The terminal: host bytes in, the VT420 screen out.  Owns the session's
// settings, screen buffer, character sets and soft font; parses received
// bytes with a byte-driven state machine and carries out the commands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/SessionSettings.h"
#include "emulator/CharsetTranslator.h"
#include "emulator/ScreenBuffer.h"
#include "emulator/SequenceCollector.h"
#include "emulator/SoftFont.h"
#include "emulator/PrinterControllerFilter.h"
#include "emulator/UserDefinedKeys.h"
#include "platform/CodePage.h"

namespace tamsivane {

class EmulatorHost;

enum class ParserState : uint8_t {
    Ground = 0,
    Escape = 1,
    ControlSequence = 2,
    DeviceControlString = 3,
    PrinterController = 4,
    TransferStart = 5,
    IgnoredString = 6,
};

constexpr bool IsPrintableAscii(uint8_t byte) { return static_cast<uint8_t>(byte - 0x20) < 0x5F; }

struct CursorPosition {
    int row = 0;
    int column = 0;
};

class VtEmulator {
public:
    // Longest device-control-string payload kept; a longer string is dropped whole.
    static constexpr size_t kMaxStringData = 64 * 1024;

    explicit VtEmulator(EmulatorHost* host = nullptr);
    ~VtEmulator();
    VtEmulator(const VtEmulator&) = delete;
    VtEmulator& operator=(const VtEmulator&) = delete;


    // Session start: screen, history and state from the current settings.
    // False when the screen buffer cannot be allocated.
    bool Start();

    // One received byte (no view update).
    void ReceiveByte(uint8_t byte);
    // A received block: every byte in order, then one view update.
    void ReceiveBlock(const uint8_t* data, size_t length);
    void ReceiveBlock(std::string_view data) {
        ReceiveBlock(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    }

    // Soft reset (DECSTR and the session's reset command).
    void SoftReset();
    // The document's clear-screen command.
    void ClearScreen();
    // Applies another store's values through the change set.
    void ApplySettings(const SettingsStore& source);
    // Acts on a change set filled by a compare-and-apply or a by-name change.
    void ApplyChangeSet(ChangeSet& changes);
    // Reports changed rows and the cursor to the host's views.
    void UpdateViews();

    // A capture file is open: characters and controls are written to the host's Capture().
    void SetCaptureOpen(bool open) {
        captureOpen_ = open;
        hooksSwitched_ = true;
    }
    // Scripts wait for host text: every received byte is offered to them first.
    void SetScriptWatch(bool on) {
        scriptWatch_ = on;
        hooksSwitched_ = true;
    }

    SessionSettings& Settings() { return settings_; }
    const SessionSettings& Settings() const { return settings_; }
    ScreenBuffer& Screen() { return screen_; }
    const ScreenBuffer& Screen() const { return screen_; }
    CharsetTranslator& Charsets() { return charsets_; }
    const SoftFont& Font() const { return softFont_; }
    UserDefinedKeys& UserKeys() { return userKeys_; }

    CursorPosition Cursor() const { return {cursorRow_, cursorColumn_}; }
    int RightMargin() const { return right_; } // 0-based column
    bool StatusLineActive() const { return statusActive_; }
    uint16_t CurrentAttribute() const { return attribute_; }

private:
    struct SavedCursor {
        int row = 0;
        int column = 0;
        int32_t cursorVisible = 1;
        int32_t cursorType = 0;
        uint16_t attribute = Attr::Normal;
        CharsetTranslator::State charsets;
    };
    struct Rect {
        int top, left, bottom, right; // 0-based, inclusive
    };
    using Handler = void (VtEmulator::*)();

    // --- parser (VtParser.cpp) ---
    void SetState(ParserState state);
    void ParseByte(uint8_t byte);
    void DisplayByte(uint8_t byte);
    void GroundByte(uint8_t byte);
    void ExecuteControl(uint8_t byte);
    void EscapeByte(uint8_t byte);
    void ControlSequenceByte(uint8_t byte);
    void StringByte(uint8_t byte);
    void IgnoredStringByte(uint8_t byte);
    void StartIgnoredString(uint8_t introducer);
    void TransferStartByte(uint8_t byte);
    void PrinterControllerByte(uint8_t byte);
    void DispatchEscape(uint8_t final);
    void DispatchControlSequence(uint8_t final);
    void Designate(int setIndex);
    void DesignateNational(int nrc);
    void CompleteString();
    size_t WritePrintableRun(const uint8_t* data, size_t length);
    void CaptureDebugByte(uint8_t byte);
    bool ByteHooksActive() const;
    bool IsGroundControl(uint8_t byte) const;
    size_t GroundRun(const uint8_t* data, size_t length);
    size_t ControlSequenceRun(const uint8_t* data, size_t length);

    // --- characters and cursor (VtCommands.cpp) ---
    struct CellCode {
        uint16_t code;
        uint16_t cls; // character class bits of the attribute word
    };
    CellCode Classify(uint16_t code) const;
    void WriteCharacter(uint16_t code);
    void WrapIfPending();
    void CaptureCharacter(uint16_t code);
    void LineFeed(bool formFeed);
    void Index();
    void NextLine();
    void ReverseIndex();
    void CarriageReturn();
    void CursorLeftOne();
    void ForwardIndex();
    void HorizontalTab();
    void SaveCursor();
    void RestoreCursor();
    void ScreenAlignment();
    void SetLineSizeAtCursor(uint16_t size);
    void CursorHome();
    void ShiftLines(int first, int last, int by);
    void ScrollRegionUp(int count);
    void ScrollRegionDown(int count);
    int RightLimit() const;
    int LeftLimit() const;
    int ScreenRight(int right) const; // 131 for the last column, so whole lines move as one
    void SetParameter(int param, int32_t value);

    // --- control sequences (VtCommands.cpp) ---
    int Param(int i, int defaultValue) const { return collector_.Parameter(i, defaultValue); }
    void CsiInsertCharacters();
    void CsiCursorUp();
    void CsiCursorDown();
    void CsiCursorForward();
    void CsiCursorBackward();
    void CsiCursorPosition();
    void CsiEraseInDisplay();
    void CsiSelectiveEraseInDisplay();
    void CsiEraseInLine();
    void CsiSelectiveEraseInLine();
    void CsiInsertLines();
    void CsiDeleteLines();
    void CsiDeleteCharacters();
    void CsiPagePositionAbsolute();
    void CsiPagePositionRelative();
    void CsiPagePositionBackward();
    void CsiNextPage();
    void CsiPrecedingPage();
    void CsiEraseCharacters();
    void CsiPrimaryDeviceAttributes();
    void CsiTabClear();
    void CsiSetMode();
    void CsiResetMode();
    void CsiMediaCopy();
    void CsiSelectGraphicRendition();
    void CsiDeviceStatusReport();
    void CsiSoftReset();
    void CsiSelectCharacterAttribute();
    void CsiSetTopBottomMargins();
    void CsiSetLeftRightMargins();
    void CsiSetLinesPerPage();
    void CsiSetColumnsPerPage();
    void CsiSelectAttributeChangeExtent();
    void CsiSelectActiveStatusDisplay();
    void CsiSelectStatusDisplayType();
    void CsiInsertColumns();
    void CsiDeleteColumns();

    void EraseInDisplay(int mode, bool selective);
    void EraseInLine(int mode, bool selective);
    void EraseCells(int row, int left, int right, bool selective);
    void EraseLines(int firstRow, int count, bool selective);
    void ShiftCells(int firstRow, int rows, int count, bool insert);
    void SetModes(bool set);
    void SetMode(int mode, bool dec, bool set);
    static uint16_t ApplySgr(uint16_t attribute, int parameter);
    void SetPageArrangement(int columns, int lines);
    void DisplayPage(int page);
    void StepPage(int delta, bool home);
    void ResetMargins();
    void SetTopBottomMargins(int top, int bottom);
    void SetLeftRightMargins(int left, int right);

    // --- rectangles (VtRectangles.cpp) ---
    bool RectangleParameters(int first, Rect& rect, bool stream = false) const;
    void ForEachAffectedSpan(const Rect& rect, void (VtEmulator::*span)(int, int, int, uint16_t),
                             uint16_t value);
    void ReplaceAttributesInSpan(int row, int left, int right, uint16_t attribute);
    void XorAttributesInSpan(int row, int left, int right, uint16_t mask);
    void CsiChangeAttributesInRectangle();
    void CsiReverseAttributesInRectangle();
    void CsiCopyRectangle();
    void CsiFillRectangle();
    void CsiEraseRectangle();
    void CsiSelectiveEraseRectangle();

    // --- reports and hand-offs (VtReports.cpp) ---
    void Send(std::string_view bytes);
    void PrimaryDeviceAttributes();
    void SecondaryDeviceAttributes();
    void TertiaryDeviceAttributes();
    void CursorPositionReport();
    void Answerback();
    void DefineUserKeys(std::string_view data);
    void DownloadSoftFont(std::string_view data);
    void RunHostScript(std::string_view data, bool isFileName);
    void RestoreTabStops(std::string_view data);

    void LoadGeometry();
    void ResetState();

    EmulatorHost* host_;
    SessionSettings settings_;
    ScreenBuffer screen_;
    CodePageService codePages_;
    CharsetTranslator charsets_;
    SoftFont softFont_;
    UserDefinedKeys userKeys_;
    PrinterControllerFilter printerFilter_;
    std::string printerBytes_;

    // Parser
    ParserState state_ = ParserState::Ground;
    SequenceCollector collector_;
    uint8_t matchCount_ = 0;
    uint8_t stringFinal_ = 0;
    uint8_t stringSubState_ = 0;
    bool stringOverflow_ = false;
    std::string stringData_;
    bool captureOpen_ = false;
    bool scriptWatch_ = false;
    bool hooksSwitched_ = false;

    // Geometry, from the settings.
    int columns_ = 80;
    int lines_ = 24;

    // Cursor and modes
    int cursorRow_ = 0;
    int cursorColumn_ = 0;
    bool pendingWrap_ = false;
    uint16_t attribute_ = Attr::Normal;
    bool insertMode_ = false;
    bool rectangleExtent_ = true;
    bool autoPrint_ = false;
    int top_ = 0;
    int bottom_ = 23;
    int left_ = 0;
    int right_ = 79;
    bool absolute_ = true;
    SavedCursor saved_;

    bool statusActive_ = false;
    int savedMainRow_ = 0;
    int savedMainColumn_ = 0;
    int statusColumn_ = 0;
};

} // namespace tamsivane

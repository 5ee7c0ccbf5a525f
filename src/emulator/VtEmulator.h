// The terminal: host bytes in, the VT420 screen out.  Owns the session's
// settings, screen buffer, character sets and soft font; its parser reports
// the units of the byte stream, and the emulator carries out the commands
// they stand for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/SessionSettings.h"
#include "emulator/CharsetTranslator.h"
#include "emulator/HostInputModes.h"
#include "emulator/ScreenBuffer.h"
#include "emulator/SequenceCollector.h"
#include "emulator/SoftFont.h"
#include "emulator/UserDefinedKeys.h"
#include "emulator/VtParser.h"
#include "platform/CodePage.h"

namespace tamsivane {

class EmulatorHost;

struct CursorPosition {
    int row = 0;
    int column = 0;
};

class VtEmulator {
public:
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
        parser_.Interrupt();
    }
    // Scripts wait for host text: every received byte is offered to them first.
    void SetScriptWatch(bool on) {
        scriptWatch_ = on;
        parser_.Interrupt();
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
    CellAttribute CurrentAttribute() const { return attribute_; }
    const HostInputModes& InputModes() const { return inputModes_; }

    // Pasted text as the host receives it: each character in the host's
    // character set, line feeds left out unless NewLine (so CR LF line ends
    // arrive as CR), and, when the host asked for bracketed paste, between
    // its brackets with any end bracket in the text taken out.  Empty when
    // nothing of the text can be sent.
    std::string PasteBytes(std::u16string_view text);

private:
    struct SavedCursor {
        int row = 0;
        int column = 0;
        int32_t cursorVisible = 1;
        int32_t cursorType = 0;
        CellAttribute attribute;
        CharsetTranslator::State charsets;
    };
    struct Rect {
        int top, left, bottom, right; // 0-based, inclusive
    };
    // An area of the page as a rectangular command gives it, 1-based;
    // nothing where the host left a value out.
    struct AreaArgument {
        std::optional<int> top, left, bottom, right;
    };
    // Where DECCRA copies to, 1-based; nothing where the host left a value out.
    struct CopyTarget {
        std::optional<int> sourcePage, top, left, page;
    };

    // --- the parser's handler (VtDispatch.cpp) ---
    friend class VtParser<VtEmulator>;
    void Print(const uint8_t* bytes, size_t length);
    void Execute(uint8_t control);
    void Escape(const SequenceCollector& sequence, uint8_t final);
    void ControlSequence(const SequenceCollector& sequence, uint8_t final);
    void DeviceControlString(const SequenceCollector& sequence, uint8_t final, std::string_view data);
    void PrinterData(std::string_view bytes);
    void PrinterControllerEnded();
    void TransferStart();
    bool C1IsGraphic() const { return charsets_.GrIsGraphic(); }
    bool DetectsTransferStart() const;

    void DisplayByte(uint8_t byte);
    void CaptureDebugByte(uint8_t byte);
    bool ByteHooksActive() const;
    // One byte through the hooks and the parser (ReceiveByte without the
    // hand-over to a transfer).
    void TakeByte(uint8_t byte);
    // data[i, end) until a transfer starts; where it stopped.
    size_t TakeUntilTransferStart(const uint8_t* data, size_t i, size_t end);
    void Designate(const SequenceCollector& sequence, int setIndex);
    void DesignateNational(const SequenceCollector& sequence, int nrc);
    void DesignateSoftFont(const SequenceCollector& sequence);

    // --- characters and cursor (VtCommands.cpp) ---
    struct CellCode {
        uint16_t code;
        CharClass cls;
    };
    CellCode Classify(uint16_t code) const;
    void WriteCharacter(uint16_t code);
    void WriteCharacters(const uint16_t* codes, size_t count);
    size_t WriteOnCursorRow(const uint16_t* codes, size_t count);
    size_t WritePrintableRun(const uint8_t* data, size_t length);
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

    // --- control-sequence commands (VtCommands.cpp) ---
    void InsertCharacters(int count);
    void CursorUp(int count);
    void CursorDown(int count);
    void CursorForward(int count);
    void CursorBackward(int count);
    void SetCursorPosition(int row, int column);
    void InsertLines(int count);
    void DeleteLines(int count);
    void DeleteCharacters(int count);
    void PagePositionRelative(int count);
    void PagePositionBackward(int count);
    void NextPage(int count);
    void PrecedingPage(int count);
    void EraseCharacters(int count);
    void TabClear(int mode);
    void MediaCopy(int mode, bool dec);
    void SelectGraphicRendition(const SequenceCollector& sequence);
    void SoftResetState();
    void SelectCharacterProtection(bool on);
    void SetScrollingRegion(std::optional<int> top, std::optional<int> bottom);
    void SetHorizontalMargins(int left, int right);
    void SetLinesPerPage(std::optional<int> lines);
    void SetColumnsPerPage(std::optional<int> columns);
    void SelectAttributeChangeExtent(int extent);
    void SelectActiveStatusDisplay(int display);
    void SelectStatusDisplayType(int type);
    void InsertColumns(int count);
    void DeleteColumns(int count);

    void EraseInDisplay(int mode, bool selective);
    void EraseInLine(int mode, bool selective);
    void EraseCells(int row, int left, int right, bool selective);
    void EraseLines(int firstRow, int count, bool selective);
    void ShiftCells(int firstRow, int rows, int count, bool insert);
    void SetMode(int mode, bool dec, bool set);
    void ReportDecMode(int mode); // DECRQM for the modes of HostInputModes
    static CellAttribute ApplySgr(CellAttribute attribute, int parameter);
    static CellAttribute WithColour(CellAttribute attribute, int colour, bool foreground);
    CellAttribute ApplyRenditions(CellAttribute attribute, const SequenceCollector& sequence, int first) const;
    void SetPageArrangement(int columns, int lines);
    void DisplayPage(int page);
    void StepPage(int delta, bool home);
    void ResetMargins();
    void SetTopBottomMargins(int top, int bottom);
    void SetLeftRightMargins(int left, int right);

    // --- rectangles (VtRectangles.cpp) ---
    bool ResolveArea(const AreaArgument& area, Rect& rect, bool stream = false) const;
    template <typename Value>
    void ForEachAffectedSpan(const Rect& rect, void (VtEmulator::*span)(int, int, int, Value),
                             Value value);
    void ReplaceAttributesInSpan(int row, int left, int right, CellAttribute attribute);
    void ToggleFlagsInSpan(int row, int left, int right, uint16_t flags);
    // The renditions are the sequence's parameters from `first` on.
    void ChangeAttributesInRectangle(const AreaArgument& area, const SequenceCollector& rendition, int first);
    void ReverseAttributesInRectangle(const AreaArgument& area, const SequenceCollector& rendition, int first);
    void CopyRectangle(const AreaArgument& area, const CopyTarget& target);
    void FillRectangle(int character, const AreaArgument& area);
    void EraseRectangle(const AreaArgument& area);
    void SelectiveEraseRectangle(const AreaArgument& area);

    // --- reports and hand-offs (VtReports.cpp) ---
    void Send(std::string_view bytes);
    void PrimaryDeviceAttributes();
    void SecondaryDeviceAttributes();
    void TertiaryDeviceAttributes();
    void CursorPositionReport();
    void Answerback();
    void DefineUserKeys(std::string_view data);
    void DownloadSoftFont(const SoftFont::LoadParameters& parameters, std::string_view data);
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

    VtParser<VtEmulator> parser_{*this};
    bool captureOpen_ = false;
    bool scriptWatch_ = false;
    bool transferStarting_ = false; // the parser saw a transfer start

    // Geometry, from the settings.
    int columns_ = 80;
    int lines_ = 24;

    // Cursor and modes
    int cursorRow_ = 0;
    int cursorColumn_ = 0;
    bool pendingWrap_ = false;
    CellAttribute attribute_;
    bool insertMode_ = false;
    bool rectangleExtent_ = true;
    bool autoPrint_ = false;
    int top_ = 0;
    int bottom_ = 23;
    int left_ = 0;
    int right_ = 79;
    bool absolute_ = true;
    SavedCursor saved_;

    HostInputModes inputModes_;

    bool statusActive_ = false;
    int savedMainRow_ = 0;
    int savedMainColumn_ = 0;
    int statusColumn_ = 0;
};

// The character class of a translated code, and the code the cell holds:
// line-drawing glyphs, soft-font characters (stored as their own code) and,
// in a double-byte session, double-width characters.  Asked for every
// character that is not plain ASCII, so it is inline and settles the codes
// below the line-drawing ones at once.
inline VtEmulator::CellCode VtEmulator::Classify(uint16_t code) const {
    if (code < kFirstLineDrawingCode) return {code, CharClass::Ordinary};
    if (LineDrawingShape(code) >= 0) return {code, CharClass::LineDrawing};
    if (code >= kSoftFontBase && code <= kSoftFontBase + 0xFF)
        return {static_cast<uint16_t>(code - kSoftFontBase), CharClass::SoftFont};
    if (code >= 0x3000 && settings_.GetNumber(P::DBCS)) return {code, CharClass::DoubleWidth};
    return {code, CharClass::Ordinary};
}

} // namespace tamsivane

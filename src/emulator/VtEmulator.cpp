#include "emulator/VtEmulator.h"

#include <algorithm>

#include "emulator/EmulatorHost.h"

namespace tamsivane {

namespace {
EmulatorHost& NullHost() {
    static EmulatorHost host;
    return host;
}
} // namespace

VtEmulator::VtEmulator(EmulatorHost* host)
    : host_(host ? host : &NullHost()), charsets_(settings_, &codePages_) {}

VtEmulator::~VtEmulator() = default;

bool VtEmulator::Start() {
    if (!screen_.Create(settings_.GetNumber(P::SaveLines))) return false;
    LoadGeometry();
    ResetState();
    saved_ = SavedCursor{};
    autoPrint_ = false;
    host_->UpdateKeyboardLights();
    return true;
}

// Page size from the settings; the screen buffer keeps the pages inside its store.
void VtEmulator::LoadGeometry() {
    columns_ = settings_.GetNumber(P::Columns) == kStride ? kStride : 80;
    lines_ = std::clamp<int>(settings_.GetNumber(P::Lines), 1, kPageStoreLines);
    screen_.SetGeometry(settings_.GetNumber(P::Pages), lines_);
    lines_ = screen_.Lines();
}

// The state every session starts in (the parts that a soft reset shares).
void VtEmulator::ResetState() {
    charsets_.Reset();
    parser_.Reset();
    pendingWrap_ = false;
    attribute_ = CellAttribute();
    insertMode_ = false;
    rectangleExtent_ = true;
    absolute_ = true;
    statusActive_ = false;
    statusColumn_ = 0;
    ResetMargins();
    cursorRow_ = 0;
    cursorColumn_ = 0;
    inputModes_ = HostInputModes{};
}

void VtEmulator::UpdateViews() {
    int first = -1;
    int last = -1;
    screen_.TakeChangedRange(first, last);
    const bool historyChanged = screen_.TakeHistoryChanged();
    host_->ScreenChanged(first, last, historyChanged);
}

void VtEmulator::ClearScreen() {
    screen_.ResetPageStore();
    cursorRow_ = statusActive_ ? lines_ : 0;
    cursorColumn_ = 0;
    pendingWrap_ = false;
    UpdateViews();
}

std::string VtEmulator::PasteBytes(std::u16string_view text) {
    static constexpr std::string_view kStart = "\x1b[200~";
    static constexpr std::string_view kEnd = "\x1b[201~";
    const bool newLine = settings_.GetNumber(P::NewLine) != 0;
    const bool bracketed = inputModes_.bracketedPaste;
    std::string bytes(bracketed ? kStart : std::string_view());
    const size_t start = bytes.size();
    for (const char16_t c : text) {
        if (c == u'\n' && !newLine) continue;
        // Halves of characters beyond one UTF-16 unit have no place in the
        // host's sets.
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        bytes += charsets_.Encode(c);
        // An end bracket inside would end the paste early and run the rest
        // as typed commands; taking it out as it completes also catches
        // one that only the removal of another brings together.
        if (bracketed && bytes.size() - start >= kEnd.size() && bytes.ends_with(kEnd)) {
            bytes.resize(bytes.size() - kEnd.size());
        }
    }
    if (bytes.size() == start) return {};
    if (bracketed) bytes += kEnd;
    return bytes;
}

void VtEmulator::ApplySettings(const SettingsStore& source) {
    ChangeSet changes;
    settings_.CompareAndApply(source, &changes);
    ApplyChangeSet(changes);
}

// Sets a parameter that a host command changes and acts on what it affects.
void VtEmulator::SetParameter(int param, int32_t value) {
    if (settings_.GetNumber(param) == value) return;
    if (!settings_.SetNumber(param, value)) return;
    ChangeSet changes;
    RecordChange(changes, param);
    ApplyChangeSet(changes);
}

void VtEmulator::ApplyChangeSet(ChangeSet& c) {
    if (c.historySize) {
        screen_.ResizeHistory(settings_.GetNumber(P::SaveLines));
        c.relayout = c.repaint = true;
    }
    if (c.historyClear) {
        screen_.ClearHistory();
        c.relayout = c.repaint = true;
    }
    if (c.pageGeometry) {
        LoadGeometry();
        if (settings_.GetNumber(P::SetHostSize)) host_->PageSizeChanged(columns_, lines_);
        c.screenReset = true;
    }
    if (c.screenReset) {
        screen_.ResetPageStore();
        statusActive_ = false;
        cursorRow_ = 0;
        cursorColumn_ = 0;
        pendingWrap_ = false;
        c.repaint = c.cursor = true;
    }
    if (c.fonts || c.relayout) host_->LayoutChanged();
    if (c.repaint) screen_.MarkAllChanged();
    if (c.margins) ResetMargins();
    if (c.printModeOff) {
        if (c.printModeOff == 1) {
            autoPrint_ = false;
            host_->SetAutoPrint(false);
        } else if (parser_.State() == ParserState::PrinterController) {
            parser_.EndPrinterController();
            host_->PrinterControllerEnded();
        }
    }
    if (c.printModeOn) {
        if (c.printModeOn == 1) {
            autoPrint_ = true;
            host_->SetAutoPrint(true);
        } else {
            parser_.StartPrinterController();
            host_->PrinterControllerStarted();
        }
    }
    if (c.keyboardLights) host_->UpdateKeyboardLights();
    if (c.communication) host_->CommunicationChanged();
}

} // namespace tamsivane

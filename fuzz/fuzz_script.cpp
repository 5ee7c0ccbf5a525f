// Runs arbitrary text as a script started by the host with HostScript 0, so
// that it can reach the language, waits, the screen and the date but no file,
// command or dialog.  The host's bytes end with the input: waits and sleeps
// return at once, and a step budget ends endless loops.
#include <cstddef>
#include <cstdint>
#include <string>

#include "emulator/VtEmulator.h"
#include "script/CScript.h"
#include "script/ScreenText.h"
#include "script/ScriptHost.h"

namespace {

using namespace tamsivane;

constexpr uint64_t kStepBudget = 20000;
constexpr size_t kMaxHostBytes = 256;

class FuzzHost final : public ScriptHost {
public:
    FuzzHost() { emulator_.Start(); }

    bool Send(std::string_view, const std::function<bool()>&) override { return true; }
    std::string ScreenText(int top, int left, int bottom, int right) override {
        return ScreenRectangleText(emulator_, top, left, bottom, right);
    }
    int CursorRow() override { return emulator_.Cursor().row; }
    int CursorColumn() override { return emulator_.Cursor().column; }
    bool Connected() override { return true; }
    bool GetParameter(std::string_view key, int index, SettingValue& value) override {
        return (index < 0 ? emulator_.Settings().GetByName(key, value)
                          : emulator_.Settings().GetElementByName(key, index, value)) == 1;
    }
    // Restricted: nothing below is reached by a host script with HostScript 0.
    bool SetParameter(std::string_view, int, const SettingValue&) override { return false; }
    bool DoMenu(std::string_view) override { return false; }
    void MapKey(int, int, int, std::string_view) override {}
    void ClearTerminal() override {}
    void SendLocal(std::string_view) override {}
    void SendBreak() override {}
    void Capture(std::string_view, std::string_view) override {}
    void Disconnect() override {}
    void SendZModem(std::string_view) override {}
    void LoadSession(std::string_view) override {}
    int MessageBox(std::string_view, std::string_view, int style,
                   const std::function<bool()>&) override {
        return DefaultMessageBoxResult(style);
    }
    std::optional<std::string> InputBox(std::string_view, std::string_view initial, InputStyle,
                                        const std::function<bool()>&) override {
        return std::string(initial);
    }
    void ShowMessage(std::string_view) override {}

private:
    VtEmulator emulator_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The text up to the first NUL is the script; what follows, the host's bytes.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    // Nothing a script does here changes the host, so one serves every input
    // (a new screen per input cost more than running most scripts).
    static FuzzHost host;
    CScript script(input.substr(0, nul), kNoScriptName, ScriptOrigin::Host, host);
    if (nul != std::string::npos) {
        const std::string bytes = input.substr(nul + 1, kMaxHostBytes);
        for (char byte : bytes) script.Input().Push(static_cast<uint8_t>(byte));
    }
    script.Input().EndOfInput();
    script.SetStepBudget(kStepBudget);
    script.Run();
    return 0;
}

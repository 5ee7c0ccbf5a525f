// A session for script tests without a transport: a real emulator for the
// screen and the parameters, what the script sends and the messages it shows
// recorded, scripted answers for the user's boxes.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "emulator/VtEmulator.h"
#include "script/ScreenText.h"
#include "script/ScriptHost.h"

namespace tamsivane {

class ScriptTestHost final : public ScriptHost {
public:
    ScriptTestHost() { emulator.Start(); }

    bool Send(std::string_view bytes, const std::function<bool()>&) override {
        std::lock_guard lock(mutex);
        sent.append(bytes);
        return true;
    }
    std::string ScreenText(int top, int left, int bottom, int right) override {
        return ScreenRectangleText(emulator, top, left, bottom, right);
    }
    int CursorRow() override { return emulator.Cursor().row; }
    int CursorColumn() override { return emulator.Cursor().column; }
    bool Connected() override { return connected; }
    bool GetParameter(std::string_view key, int index, SettingValue& value) override {
        return index < 0 ? emulator.Settings().GetByName(key, value) == 1
                         : emulator.Settings().GetElementByName(key, index, value) == 1;
    }
    bool SetParameter(std::string_view key, int index, const SettingValue& value) override {
        return index < 0 ? emulator.Settings().SetByName(key, value) == 1
                         : emulator.Settings().SetElementByName(key, index, value) == 1;
    }
    bool DoMenu(std::string_view path) override {
        calls.push_back("DoMenu " + std::string(path));
        return path == "File:Exit";
    }
    void MapKey(int key, int modifiers, int action, std::string_view text) override {
        calls.push_back("MapKey " + std::to_string(key) + " " + std::to_string(modifiers) + " " +
                        std::to_string(action) + " " + std::string(text));
    }
    void ClearTerminal() override { calls.push_back("Clear"); }
    void SendLocal(std::string_view bytes) override { emulator.ReceiveBlock(bytes); }
    void SendBreak() override { calls.push_back("SendBreak"); }
    void Capture(std::string_view path, std::string_view mode) override {
        calls.push_back("Capture " + std::string(path) + " " + std::string(mode));
    }
    void Disconnect() override { calls.push_back("Disconnect"); }
    void SendZModem(std::string_view path) override {
        calls.push_back("SendZModem " + std::string(path));
    }
    void LoadSession(std::string_view path) override {
        calls.push_back("LoadSession " + std::string(path));
    }
    int MessageBox(std::string_view text, std::string_view caption, int style,
                   const std::function<bool()>&) override {
        calls.push_back("MessageBox " + std::string(caption) + ": " + std::string(text));
        return DefaultMessageBoxResult(style);
    }
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view initial,
                                        InputStyle, const std::function<bool()>&) override {
        calls.push_back("InputBox " + std::string(prompt));
        return std::string(initial) + "!";
    }
    void ShowMessage(std::string_view text) override {
        std::lock_guard lock(mutex);
        messages.emplace_back(text);
    }

    std::mutex mutex;
    VtEmulator emulator;
    bool connected = true;
    std::string sent;
    std::vector<std::string> calls;
    std::vector<std::string> messages;
};

} // namespace tamsivane

// Application-wide state that is not a session's: window placement, bars,
// recent files and hosts, the modem list.  The desktop program keeps it in
// QSettings; tests and the headless program use MemoryProfile.  Section and
// value names are the program's stored names and stay as they are.
//
// Threads: the GUI thread only.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace tamsivane {

class AppProfile {
public:
    virtual ~AppProfile() = default;

    virtual int GetInt(std::string_view section, std::string_view name, int fallback) const = 0;
    virtual void SetInt(std::string_view section, std::string_view name, int value) = 0;
    virtual std::string GetString(std::string_view section, std::string_view name,
                                  std::string_view fallback) const = 0;
    virtual void SetString(std::string_view section, std::string_view name,
                           std::string_view value) = 0;
    // Removes a value; nothing happens when it is not there.
    virtual void Remove(std::string_view section, std::string_view name) = 0;
};

// A profile held in memory, for tests and for programs without stored state.
class MemoryProfile final : public AppProfile {
public:
    int GetInt(std::string_view section, std::string_view name, int fallback) const override {
        const auto it = values_.find(Key(section, name));
        if (it == values_.end()) return fallback;
        try {
            return std::stoi(it->second);
        } catch (...) {
            return fallback;
        }
    }
    void SetInt(std::string_view section, std::string_view name, int value) override {
        values_[Key(section, name)] = std::to_string(value);
    }
    std::string GetString(std::string_view section, std::string_view name,
                          std::string_view fallback) const override {
        const auto it = values_.find(Key(section, name));
        return it == values_.end() ? std::string(fallback) : it->second;
    }
    void SetString(std::string_view section, std::string_view name,
                   std::string_view value) override {
        values_[Key(section, name)] = std::string(value);
    }
    void Remove(std::string_view section, std::string_view name) override {
        values_.erase(Key(section, name));
    }

private:
    using KeyPair = std::pair<std::string, std::string>;
    static KeyPair Key(std::string_view section, std::string_view name) {
        return {std::string(section), std::string(name)};
    }
    std::map<KeyPair, std::string> values_;
};

} // namespace tamsivane

// Session parameters in words for the user of the headless program: a value
// as the command line writes it, and the values a parameter accepts with
// what each means.
#pragma once

#include <string>

namespace tamsivane {

class SettingsStore;

// The value of param: numbers in decimal, texts quoted in the user-string
// notation, number lists as "V0,V1,...", text lists up to the last text
// ("none" when all are empty), tab stops as their columns, colours as
// #rrggbb, other byte blocks as their bytes ("zeros" when all are 0).
std::string ValueText(const SettingsStore& settings, int param);

// What param accepts: "0 VT420, 1 VT320, ...", "80 or 132", "0-100000",
// "0 off, 1 on", "any number", "text" ...
std::string AcceptedValues(int param);

} // namespace tamsivane

#include "config/SessionSettings.h"

namespace tamsivane {
namespace {

// Which flag a change of the parameters first..last raises.
struct ChangeEffect {
    int first;
    int last;
    bool ChangeSet::*flag;
};

// DisplayAttr decides how a mapped combination is drawn, so it repaints like the rest of
// the colour map.
constexpr ChangeEffect kChangeEffects[] = {
    {P::Columns, P::Columns, &ChangeSet::historyClear},
    {P::History, P::History, &ChangeSet::historyClear},
    {P::Columns, P::Columns, &ChangeSet::screenReset},
    {P::Columns, P::Pages, &ChangeSet::pageGeometry},
    {P::StatusLine, P::StatusLine, &ChangeSet::relayout},
    {P::Columns, P::Pages, &ChangeSet::relayout},
    {P::FitFont, P::FitFont, &ChangeSet::relayout},
    {P::DarkScreen, P::DarkScreen, &ChangeSet::repaint},
    {P::BlinkText, P::BlinkText, &ChangeSet::repaint},
    {P::DBCS, P::DBCS, &ChangeSet::repaint},
    {P::Palette, P::DisplayAttr, &ChangeSet::repaint},
    {P::Title, P::Title, &ChangeSet::title},
    {P::FontName, P::FontBold132, &ChangeSet::fonts},
    {P::Columns, P::Columns, &ChangeSet::fonts},
    {P::CursorType, P::CursorVisible, &ChangeSet::cursor},
    {P::CursorBlink, P::CursorBlink, &ChangeSet::cursor},
    {P::Columns, P::Pages, &ChangeSet::margins},
    {P::SaveLines, P::SaveLines, &ChangeSet::historySize},
    {P::ButtonCaption, P::ButtonCaption, &ChangeSet::buttons},
    {P::NumericKeypad, P::NumericKeypad, &ChangeSet::keyboardLights},
    {P::NumLock, P::NumLock, &ChangeSet::keyboardLights},
    {P::HostName, P::SshPassword, &ChangeSet::communication},
};

} // namespace

bool ChangeSet::Any() const {
    return historySize || historyClear || pageGeometry || screenReset || fonts || relayout ||
           repaint || cursor || margins || printModeOff != 0 || printModeOn != 0 ||
           keyboardLights || communication || title || buttons;
}

void RecordChange(ChangeSet& set, int param) {
    for (const ChangeEffect& effect : kChangeEffects) {
        if (param >= effect.first && param <= effect.last) {
            set.*effect.flag = true;
        }
    }
}

bool SessionSettings::OnChange(ChangeSet* changes, int param, std::optional<int>) {
    if (changes != nullptr) RecordChange(*changes, param);
    return true;
}

} // namespace tamsivane

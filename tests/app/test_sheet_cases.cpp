// The settings sheet's cases, tests/app/sheets/*.sheet (directives in
// ControlCases.h), and the sheet's own:
//
//   open [nosession]     opens the sheet (again) over the settings as they are
//   reopen               takes what the sheet accepted as the settings, opens again
//   page Title           shows that page (leaving the current one saves it)
//   message text         the last message shown to the user
#include "ControlCases.h"
#include "SheetFixture.h"

namespace tamsivane::testing {
namespace {

class SheetCase : public SheetTest,
                  public ControlCases,
                  public ::testing::WithParamInterface<casefile::Case> {
protected:
    QWidget* Root() override { return Current(); }
    std::string Ok() override {
        const std::string message = ClickOk();
        EXPECT_EQ(sheet->isVisible(), !message.empty());
        return message;
    }
    SettingsStore& Before() override { return settings; }
    const SettingsStore& After() override { return Result(); }
    bool Own(const casefile::Directive& d) override {
        if (d.keyword == "open") {
            Open(d.argument != "nosession");
        } else if (d.keyword == "reopen") {
            settings.CopyFrom(Result());
            Open();
        } else if (d.keyword == "page") {
            Show(d.argument.c_str());
        } else if (d.keyword == "message") {
            EXPECT_EQ(LastMessage(), Text(d.argument).toStdString());
        } else {
            return false;
        }
        return true;
    }
};

TEST_P(SheetCase, Runs) { RunCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Sheets, SheetCase,
                         ::testing::ValuesIn(casefile::LoadCases("sheets", ".sheet")),
                         casefile::TestName);

} // namespace
} // namespace tamsivane::testing

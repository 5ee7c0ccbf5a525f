#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QtTest/QTest>

#include <filesystem>
#include <memory>
#include <optional>

#include "ControlCases.h"
#include "GuiApplication.h"
#include "ScopedVariable.h"
#include "app/CModemListDlg.h"
#include "app/CNewConnectionDlg.h"
#include "app/QSettingsProfile.h"
#include "config/ResourceStrings.h"
#include "session/CVT420Doc.h"

namespace tamsivane {
namespace {

using testing::EnsureApplication;

class NewConnectionDialogTest : public ::testing::Test {
protected:
    NewConnectionDialogTest() {
        EnsureApplication();
        dataHome_.emplace("XDG_DATA_HOME", folder_.Path());
        Restart();
    }

    // A new profile object on the same file, as after a restart of the program.
    void Restart() {
        dialog_.reset();
        if (profile_) profile_->Sync();
        profile_ =
            std::make_unique<QSettingsProfile>(QString::fromStdString(folder_.File("p.conf")));
    }
    CNewConnectionDlg& Open() {
        dialog_ = std::make_unique<CNewConnectionDlg>(doc_, templates_, *profile_, user_);
        dialog_->show();
        return *dialog_;
    }
    template <typename T = QComboBox>
    T* Find(const char* name) {
        T* widget = dialog_->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void ChooseType(const char* type) {
        QComboBox* list = Find("type");
        list->setCurrentIndex(list->findText(type));
    }
    static void Type(QComboBox* box, const QString& text) {
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), text);
    }
    // Clicks OK; the message shown, "" when none.
    std::string ClickOk() {
        const size_t before = user_.Messages().size();
        auto* buttons = dialog_->findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        const auto messages = user_.Messages();
        return messages.size() > before ? messages.back() : std::string();
    }
    bool Accepted() const {
        return dialog_->result() == QDialog::Accepted && !dialog_->isVisible();
    }
    int32_t Setting(int param) {
        const SessionLock locked = doc_.Locked();
        return locked.Settings().GetNumber(param);
    }
    std::string Text(int param) {
        const SessionLock locked = doc_.Locked();
        return locked.Settings().GetString(param);
    }

    testing::TempFolder folder_;
    std::optional<testing::ScopedVariable> dataHome_; // the user's files
    testing::ScriptedUser user_;
    CVT420Doc doc_{user_};
    Templates templates_{
        TemplateFolders{{TAMSIVANE_TEST_DATA "/../../resources/templates"}, folder_.Path()}};
    std::unique_ptr<QSettingsProfile> profile_;
    std::unique_ptr<CNewConnectionDlg> dialog_;
};

// The dialog's cases, tests/app/dialogs/*.connect: the directives of
// ControlCases.h, "open", and "restart" (as after a restart of the program).
class NewConnectionCase : public NewConnectionDialogTest,
                          public testing::ControlCases,
                          public ::testing::WithParamInterface<casefile::Case> {
protected:
    QWidget* Root() override { return dialog_.get(); }
    std::string Ok() override {
        const std::string message = ClickOk();
        EXPECT_EQ(Accepted(), message.empty());
        return message;
    }
    // The dialog is not connected: nothing else uses the settings.
    SettingsStore& Before() override { return doc_.Locked().Settings(); }
    const SettingsStore& After() override { return doc_.Locked().Settings(); }
    bool Own(const casefile::Directive& d) override {
        if (d.keyword == "open") {
            Open();
        } else if (d.keyword == "restart") {
            Restart();
        } else {
            return false;
        }
        return true;
    }
};

TEST_P(NewConnectionCase, Runs) { RunCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Dialogs, NewConnectionCase,
                         ::testing::ValuesIn(casefile::LoadCases("dialogs", ".connect")),
                         casefile::TestName);

TEST_F(NewConnectionDialogTest, AStoredTypeThatIsNoListEntryOffersTelnet) {
    profile_->SetInt("Transport", "Type", 99);
    Open();
    EXPECT_EQ(Find("type")->currentText(), "Telnet");
}

TEST_F(NewConnectionDialogTest, TheTwentyFirstHostDropsTheOldest) {
    for (int i = 0; i <= 20; ++i) {
        Restart();
        Open();
        ChooseType("Telnet");
        Type(Find("host"), QString("host%1").arg(i));
        ASSERT_EQ(ClickOk(), "") << i;
    }
    Restart();
    Open();
    QComboBox* host = Find("host");
    ASSERT_EQ(host->count(), 20);
    EXPECT_EQ(host->itemText(0), "host20");
    EXPECT_EQ(host->itemText(19), "host1");
    EXPECT_EQ(host->findText("host0"), -1);
}

TEST_F(NewConnectionDialogTest, ModemPageWithoutModemsThenConfigured) {
    Open();
    ChooseType("Modem");
    EXPECT_TRUE(Find<QLabel>("noModem")->isVisible());
    EXPECT_EQ(Find<QLabel>("noModem")->text().toStdString(), ResourceString(Msg::NoModem));
    EXPECT_FALSE(Find("modem")->isVisible());
    EXPECT_TRUE(Find<QPushButton>("phoneBook")->isEnabled());
    QPushButton* configure = Find<QPushButton>("configure");
    ASSERT_TRUE(configure->isEnabled());

    // The modem list dialog is modal: it is driven once it is up.
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* list = qobject_cast<CModemListDlg*>(QApplication::activeModalWidget());
        if (list == nullptr) return;
        QTest::mouseClick(list->findChild<QPushButton*>("add"), Qt::LeftButton);
        list->accept();
        driven = true;
    });
    QTest::mouseClick(configure, Qt::LeftButton);
    ASSERT_TRUE(driven);
    EXPECT_FALSE(Find<QLabel>("noModem")->isVisible());
    EXPECT_TRUE(Find("modem")->isVisible());
    EXPECT_EQ(Find("modem")->count(), 1);
    EXPECT_TRUE(std::filesystem::exists(folder_.File("tamsivane/Modems.txt")));

    Type(Find("phoneNumber"), "555-1234#");
    EXPECT_EQ(ClickOk(), ResourceString(Msg::BadPhoneNumber));
    Type(Find("phoneNumber"), "9,(555) 123-4567");
    EXPECT_EQ(ClickOk(), "");
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(Setting(P::HostType), 3);
    EXPECT_EQ(Text(P::HostName), "9,(555) 123-4567");

    Restart();
    Open();
    EXPECT_EQ(Find("phoneNumber")->itemText(0), "9,(555) 123-4567");
    EXPECT_EQ(Find("modem")->currentText(), "Modem 1");
}

TEST_F(NewConnectionDialogTest, ModemListRefusesASpeedThatIsNoBaudRate) {
    CModemListDlg list({{"Desk", "/dev/ttyUSB0", "", 57600}}, user_);
    list.show();
    auto* table = list.findChild<QTableWidget*>("modems");
    table->item(0, 3)->setText("fast");
    list.accept();
    EXPECT_EQ(user_.Messages().back(), ResourceString(Msg::BadBaudRate));
    EXPECT_TRUE(list.isVisible());
    table->item(0, 3)->setText("38400");
    list.accept();
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(list.Modems().at(0).speed, 38400);
}

TEST_F(NewConnectionDialogTest, ATemplateThatCannotBeLoadedIsReported) {
    Open();
    QComboBox* list = Find("template");
    list->addItem("missing");
    list->setCurrentText("missing");
    emit list->textActivated("missing");
    EXPECT_EQ(user_.Messages().back(), ResourceString(Msg::CannotLoadTemplate));
    emit list->textActivated("default");
    EXPECT_EQ(user_.Messages().size(), 1u);
}

TEST(QSettingsProfileTest, SectionsMatchWithoutRegardToCaseAndValuesPersist) {
    EnsureApplication();
    testing::TempFolder folder;
    const QString file = QString::fromStdString(folder.File("p.conf"));
    {
        QSettingsProfile profile(file);
        profile.SetInt("window", "maximized", 1);
        profile.SetString("Window", "Title", "Ünïcode");
        EXPECT_EQ(profile.GetInt("WINDOW", "maximized", 0), 1);
        profile.Remove("Window", "Title");
        EXPECT_EQ(profile.GetString("window", "Title", "gone"), "gone");
        profile.SetString("Window", "Title", "Ünïcode");
        profile.SetString("HostMRU", "HostMRU0", "a/b");
    }
    QSettingsProfile again(file);
    EXPECT_EQ(again.GetInt("Window", "maximized", 0), 1);
    EXPECT_EQ(again.GetString("window", "Title", ""), "Ünïcode");
    EXPECT_EQ(again.GetString("HostMRU", "HostMRU0", ""), "a/b");
    EXPECT_EQ(again.GetInt("Window", "Title", -7), -7);
}

} // namespace
} // namespace tamsivane

// The keyboard pictures and the windows built on them: the VT Keyboard tool
// window sending clicked keys to a session, the "Map to VT Key" dialog and
// the PC layout panel with a plug-in layout.
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "ViewFixture.h"
#include "keyboard/CommandIds.h"
#include "keyboard/KeyboardLayouts.h"
#include "view/CMapToVtKeyDlg.h"
#include "view/CVtKeyboardWnd.h"
#include "view/KeyPictureWidget.h"
#include "view/LayoutPanel.h"

namespace tamsivane::testing {
namespace {

constexpr int kF3 = 3;
constexpr int kA = 35;
constexpr int kB = 36;
constexpr int kReturn = 72;
constexpr int kCtrl = 73;
constexpr int kLeftShift = 74;
constexpr int kCapsLock = 75;
constexpr int kRightShift = 76;

QPoint Centre(const KeyPicture& picture, int key) {
    const auto r = picture.Position(static_cast<uint8_t>(key));
    EXPECT_TRUE(r) << key;
    return r ? QPoint(r->x + r->width / 2, r->y + r->height / 2) : QPoint();
}

QColor SurfaceColour(const KeyPicture& picture, int key) {
    return picture.Image().pixelColor(*picture.SurfacePoint(static_cast<uint8_t>(key)));
}

TEST(KeyPicture, KeysAreOutlinedFacesAndColouringFillsAWholeKey) {
    EnsureApplication();
    KeyPicture picture = KeyPicture::Vt();
    ASSERT_EQ(picture.Image().size(), QSize(480, 130));
    // F1 at (1, 1, 18, 18): its corner is outline, its surface light grey,
    // the gap beside it background.
    const QImage& image = picture.Image();
    EXPECT_NE(image.pixelColor(1, 1), KeyColour::Face);
    EXPECT_EQ(image.pixelColor(15, 15), KeyColour::Face);
    EXPECT_NE(image.pixelColor(20, 10), image.pixelColor(15, 15));
    // Return's two rectangles are one face: colouring reaches both parts,
    // and stops at its outline.
    picture.ColourKey(kReturn, KeyColour::Latched);
    EXPECT_EQ(image.pixelColor(300, 84), KeyColour::Latched); // lower part
    EXPECT_EQ(image.pixelColor(277, 66), KeyColour::Latched); // upper part, left of the lower
    EXPECT_EQ(image.pixelColor(270, 84), KeyColour::Face);    // the key beside it
    EXPECT_NE(image.pixelColor(274, 51), KeyColour::Latched); // its outline
    picture.ColourKey(kReturn, KeyColour::Face);
    EXPECT_EQ(image.pixelColor(277, 66), KeyColour::Face);
}

class VtKeyboardTest : public ViewTest {
protected:
    void SetUp() override {
        Open();
        window = new CVtKeyboardWnd(nullptr, [this] { return view.get(); });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override { delete window.data(); }

    void Click(int key) {
        QTest::mouseClick(window, Qt::LeftButton, {}, Centre(window->Picture(), key));
    }
    std::string Sent() { return SessionTest::view.Sent(); }
    QColor Colour(int key) { return SurfaceColour(window->Picture(), key); }
    void Move(QPoint to) {
        QMouseEvent move(QEvent::MouseMove, to, window->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &move);
    }

    QPointer<CVtKeyboardWnd> window;
};

TEST_F(VtKeyboardTest, LatchesApplyToTheNextKeyAndShiftAndCtrlLetGo) {
    EXPECT_EQ(window->size(), QSize(484, 150));
    EXPECT_EQ(window->windowTitle(), "VT Keyboard");
    for (int key : {kCtrl, kLeftShift, kRightShift, kCapsLock}) {
        EXPECT_EQ(Colour(key), KeyColour::Face) << key;
    }
    Click(kCapsLock);
    Click(kLeftShift);
    EXPECT_EQ(Colour(kCapsLock), KeyColour::Latched);
    EXPECT_EQ(Colour(kLeftShift), KeyColour::Latched);
    EXPECT_EQ(Sent(), "");

    // Shift with Caps Lock types the unshifted letter.
    Click(kA);
    ASSERT_TRUE(WaitFor([&] { return Sent() == "a"; })) << Sent();
    EXPECT_TRUE(window->CurrentLatches().capsLock);
    EXPECT_FALSE(window->CurrentLatches().leftShift);
    EXPECT_EQ(Colour(kLeftShift), KeyColour::Face);
    EXPECT_EQ(Colour(kCapsLock), KeyColour::Latched);
    EXPECT_EQ(Colour(kA), KeyColour::Face);

    // The Shift keys exclude each other; Ctrl makes a control character.
    Click(kLeftShift);
    Click(kRightShift);
    EXPECT_FALSE(window->CurrentLatches().leftShift);
    EXPECT_TRUE(window->CurrentLatches().rightShift);
    Click(kRightShift);
    Click(kCtrl);
    Click(kB);
    ASSERT_TRUE(WaitFor([&] { return Sent() == "a\x02"; }));
    EXPECT_FALSE(window->CurrentLatches().ctrl);
}

TEST_F(VtKeyboardTest, AKeyPressedAndReleasedElsewhereIsStillSent) {
    const QPoint onB = Centre(window->Picture(), kB);
    QTest::mousePress(window, Qt::LeftButton, {}, onB);
    EXPECT_EQ(window->PressedKey(), kB);
    EXPECT_EQ(Colour(kB), KeyColour::Pressed);
    Move(QPoint(470, 140));
    EXPECT_EQ(Colour(kB), KeyColour::Face);
    Move(onB);
    EXPECT_EQ(Colour(kB), KeyColour::Pressed);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(470, 140));
    ASSERT_TRUE(WaitFor([&] { return Sent() == "b"; })) << Sent();
    EXPECT_EQ(window->PressedKey(), 0);
    EXPECT_EQ(Colour(kB), KeyColour::Face);
    // A press outside every key does nothing.
    QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(470, 140));
    EXPECT_EQ(window->PressedKey(), 0);
}

TEST_F(VtKeyboardTest, LocalF3OpensTheSettingsAndSequencesGoUnconverted) {
    Configure([](SettingsStore& s) {
        s.SetArrayNumber(P::FKeys, 2, 0);
        s.SetArrayNumber(P::FKeys, 3, 1);
        s.SetNumber(P::EightBitChars, 1);
    });
    Click(kF3);
    ASSERT_TRUE(WaitFor([&] {
        QCoreApplication::processEvents();
        return !host.posted.empty();
    }));
    EXPECT_EQ(host.posted, std::vector<int>{Command::Settings});
    EXPECT_EQ(Sent(), "");
    // F4 as a sequence: ESC [ stays two bytes even in 8-bit mode.
    Click(4);
    ASSERT_TRUE(WaitFor([&] { return Sent() == "\x1b[14~"; })) << Sent();
}

class RecordingNotifier final : public UserNotifier {
public:
    void ShowMessage(int, std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

TEST(MapToVtKeyDialog, AClickSelectsAKeyAndOkNeedsAMappableOne) {
    EnsureApplication();
    RecordingNotifier user;
    CMapToVtKeyDlg dialog(user);
    dialog.show();
    auto* name = dialog.findChild<QLineEdit*>("selectedKey");
    auto* picture = dialog.findChild<KeyPictureWidget*>("vtKeys");
    ASSERT_TRUE(name && picture);
    EXPECT_EQ(picture->pos(), QPoint(20, 38));

    dialog.accept();
    EXPECT_EQ(user.messages,
              std::vector<std::string>{"Please select one VT key click left mouse button."});
    EXPECT_FALSE(dialog.isHidden() && dialog.result() == QDialog::Accepted);

    QTest::mouseClick(picture, Qt::LeftButton, {}, Centre(picture->Picture(), kLeftShift));
    EXPECT_EQ(name->text(), "Left Shift");
    dialog.accept();
    EXPECT_EQ(user.messages.back(), "Selected VT key cannot be mapped to.");
    EXPECT_TRUE(dialog.isVisible());

    QTest::mouseClick(picture, Qt::LeftButton, {}, Centre(picture->Picture(), 91));
    EXPECT_EQ(name->text(), "PF1");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedKey(), 91);
    EXPECT_EQ(user.messages.size(), 2u);
}

TEST(LayoutPanel, APluginLayoutIsOfferedUnderLayout) {
    EnsureApplication();
    const KeyboardLayouts builtIn;
    LayoutPanel alone(builtIn, 0);
    EXPECT_TRUE(alone.findChild<QComboBox*>("layout")->isHidden());

    const KeyboardLayouts partial(TAMSIVANE_PARTIAL_LAYOUT_PLUGIN);
    LayoutPanel ignored(partial, 1);
    EXPECT_TRUE(ignored.findChild<QComboBox*>("layout")->isHidden());
    EXPECT_EQ(ignored.Layout(), 0);

    const KeyboardLayouts layouts(TAMSIVANE_LAYOUT_PLUGIN);
    LayoutPanel panel(layouts, 0);
    panel.show();
    auto* list = panel.findChild<QComboBox*>("layout");
    ASSERT_FALSE(list->isHidden());
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), "U.S. 101 Key");
    EXPECT_EQ(list->itemText(1), "Test Layout");

    std::vector<int> clicked;
    QObject::connect(&panel, &LayoutPanel::keyClicked, [&](int key) { clicked.push_back(key); });
    KeyPictureWidget* picture = panel.Picture();
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(250, 75)); // Enter
    panel.SetLayout(1);
    // The plug-in's picture file is missing, so its keys are drawn.
    EXPECT_EQ(SurfaceColour(picture->Picture(), 0x57), KeyColour::Face);
    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(70, 20)); // W
    EXPECT_EQ(clicked, (std::vector<int>{0x0D, 0x57}));
    picture->ColourKey(0x57, Qt::blue);
    EXPECT_EQ(SurfaceColour(picture->Picture(), 0x57), QColor(Qt::blue));
}

} // namespace
} // namespace tamsivane::testing

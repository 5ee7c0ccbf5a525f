#include "SheetFixture.h"
#include "view/KeyPictureWidget.h"
#include "view/LayoutPanel.h"

namespace tamsivane::testing {
namespace {

class KeymapPageTest : public SheetTest {
protected:
    CPageKeymap* OpenKeymap() {
        Open();
        auto* page = static_cast<CPageKeymap*>(Show("Key Map"));
        picture = page->Panel()->Picture();
        return page;
    }
    KeyRect Rect(uint8_t key) const {
        const auto rect = KeyboardLayouts::Installed().KeyPosition(0, key);
        EXPECT_TRUE(rect.has_value()) << int(key);
        return rect.value_or(KeyRect{});
    }
    // The colour a key's face is painted in.
    QColor Face(uint8_t key) {
        const KeyRect rect = Rect(key);
        return picture->grab().toImage().pixelColor(rect.x + rect.width - 4,
                                                    rect.y + rect.height - 4);
    }
    void ClickKey(uint8_t key) {
        const KeyRect rect = Rect(key);
        QTest::mouseClick(picture, Qt::LeftButton, {},
                          QPoint(rect.x + rect.width / 2, rect.y + rect.height / 2));
    }

    KeyPictureWidget* picture = nullptr;
};

constexpr uint8_t kA = 0x41, kF1 = 0x70, kF12 = 0x7B;
const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kYellow(255, 255, 0), kGrey(192, 192, 192);

TEST_F(KeymapPageTest, KeysAreColouredByHowTheyAreMapped) {
    OpenKeymap();
    EXPECT_EQ(Face(kA), kGrey);
    EXPECT_EQ(Face(kF12), kRed);
    EXPECT_EQ(Face(kF1), kYellow);
    ClickKey(kA);
    EXPECT_EQ(Find<QLabel>("keyName")->text(), "A");
    Click("Ctrl");
    EXPECT_EQ(Find<QLabel>("keyName")->text(), "Ctrl+ A");
    Choose("mapping", "Send Sequence");
    Type("text", "\\x4");
    Click("Set");
    EXPECT_EQ(LastMessage(), ResourceString(Msg::InvalidSequence));
    EXPECT_EQ(Face(kA), kGrey);
    Type("text", "<ESC>a");
    Click("Set");
    EXPECT_EQ(Face(kA), kGreen);
    Choose("mapping", "Map to Menu Item");
    Click("Set");
    EXPECT_EQ(LastMessage(), ResourceString(Msg::SelectMenuItem));
    Choose("mapping", "Map to VT Key");
    Click("Set");
    EXPECT_EQ(LastMessage(), ResourceString(Msg::NoVtKeySelected));
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(sheet->Keys().LookUp(kA, Modifier::Ctrl).text,
              "\x1b"
              "a");
}

TEST_F(KeymapPageTest, TemplatesAndDefault) {
    OpenKeymap();
    Choose("keyTemplate", "Linux Console Keyboard");
    KeyMap linux;
    linux.ApplyTemplate(2);
    EXPECT_TRUE(sheet->Keys() == linux);
    ClickKey(kF1);
    EXPECT_EQ(Find<QComboBox>("mapping")->currentText(), "Send Sequence");
    EXPECT_EQ(Find<QLineEdit>("text")->text(), "<ESC>[[A");
    Click("Default");
    EXPECT_TRUE(sheet->Keys() == KeyMap());
    EXPECT_EQ(Find<QComboBox>("mapping")->currentText(), "Map to VT Key");
    EXPECT_EQ(Find<QLineEdit>("vtKey")->text(), "F1");
    EXPECT_EQ(ClickOk(), "");
    EXPECT_EQ(Result().GetNumber(P::KBLayout), 0);
}

} // namespace
} // namespace tamsivane::testing

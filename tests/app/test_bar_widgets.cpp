// The button bar's layout and the chat line's two ways of sending.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "GuiApplication.h"
#include "app/ButtonBar.h"
#include "app/ChatLine.h"

namespace tamsivane::testing {
namespace {

TEST(ButtonBarLayout, EightEqualButtonsBetweenTheArrowsAtLeast40Wide) {
    const ButtonBarGeometry wide = LayOutButtonBar(800, 24);
    EXPECT_EQ(wide.buttonWidth, (800 - 48 - 8) / 8 - 4);
    EXPECT_EQ(wide.leftArrowX, 4);
    EXPECT_EQ(wide.rightArrowX, 800 - 24 - 4);
    EXPECT_EQ(wide.buttonX[0], 24 + 8);
    EXPECT_EQ(wide.buttonX[7], 24 + 8 + 7 * (wide.buttonWidth + 4));
    EXPECT_LE(wide.buttonX[7] + wide.buttonWidth, wide.rightArrowX);

    EXPECT_EQ(LayOutButtonBar(200, 24).buttonWidth, 40);
}

class BarWidgetsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

TEST_F(BarWidgetsTest, ButtonBarLaysOutItsButtonsOnResize) {
    ButtonBar bar;
    bar.resize(800, bar.sizeHint().height());
    bar.show();
    const ButtonBarGeometry geometry = LayOutButtonBar(800, bar.PageDownButton()->width());
    EXPECT_EQ(bar.Button(3)->x(), geometry.buttonX[3]);
    EXPECT_EQ(bar.Button(3)->width(), geometry.buttonWidth);
    EXPECT_EQ(bar.PageUpButton()->x(), geometry.rightArrowX);
    // Nothing to press without a session.
    EXPECT_FALSE(bar.Button(0)->isEnabled());
    EXPECT_FALSE(bar.PageUpButton()->isEnabled());
}

TEST_F(BarWidgetsTest, ButtonBarArrowsFollowThePage) {
    ButtonBar bar;
    std::vector<int> commands;
    QObject::connect(&bar, &ButtonBar::command, [&](int id) { commands.push_back(id); });
    bar.Show(3, {"25", "26", "27", "28", "29", "30", "31", "32"});
    EXPECT_EQ(bar.Button(7)->text(), "32");
    EXPECT_FALSE(bar.PageUpButton()->isEnabled());
    EXPECT_TRUE(bar.PageDownButton()->isEnabled());
    bar.Show(0, {});
    EXPECT_FALSE(bar.PageDownButton()->isEnabled());
    EXPECT_TRUE(bar.PageUpButton()->isEnabled());

    bar.show();
    QTest::mouseClick(bar.Button(2), Qt::LeftButton);
    QTest::mouseClick(bar.PageUpButton(), Qt::LeftButton);
    EXPECT_EQ(commands, std::vector<int>({Command::FirstButton + 2, Command::ButtonPageUp}));
}

TEST_F(BarWidgetsTest, ChatLineEnterAddsTheLineEndAndSendDoesNot) {
    ChatLine chat;
    std::vector<std::pair<QString, bool>> sent;
    bool accept = true;
    chat.SetSender([&](const QString& text, bool lineEnd) {
        sent.emplace_back(text, lineEnd);
        return accept;
    });
    chat.show();
    chat.activateWindow();
    QTest::keyClicks(chat.Field(), "dir");
    QTest::keyClick(chat.Field(), Qt::Key_Return);
    EXPECT_TRUE(chat.Field()->text().isEmpty());

    QTest::keyClicks(chat.Field(), "<CR>");
    QTest::mouseClick(chat.SendButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return chat.Field()->hasFocus(); }, 5000));

    // Text that could not be sent stays.
    accept = false;
    QTest::keyClicks(chat.Field(), "kept");
    QTest::keyClick(chat.Field(), Qt::Key_Return);
    EXPECT_EQ(chat.Field()->text(), "kept");

    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], std::make_pair(QString("dir"), true));
    EXPECT_EQ(sent[1], std::make_pair(QString("<CR>"), false));
    EXPECT_EQ(sent[2], std::make_pair(QString("kept"), true));
}

} // namespace
} // namespace tamsivane::testing

// The text cursor rests after the quiet period and blinks again on input.
#include "kit/QuietCursor.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QStyleHints>
#include <QTest>

#include <gtest/gtest.h>

namespace zk::test {
namespace {

TEST(QuietCursor, RestsWhenQuietAndBlinksAgainOnTheNextInput)
{
    QStyleHints* hints = QGuiApplication::styleHints();
    const int platform = hints->cursorFlashTime();
    ASSERT_GT(platform, 0);
    QLineEdit entry;
    entry.show();
    {
        QuietCursor cursor(std::chrono::milliseconds(30));
        EXPECT_TRUE(cursor.blinking());
        EXPECT_EQ(hints->cursorFlashTime(), platform);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !cursor.blinking(); }, 5000));
        EXPECT_EQ(hints->cursorFlashTime(), 0); // every text field draws it solid

        // Events that are not input leave it resting.
        entry.update();
        QTest::qWait(60);
        EXPECT_FALSE(cursor.blinking());

        for (auto input : {+[](QLineEdit& e) { QTest::keyClick(&e, Qt::Key_A); },
                           +[](QLineEdit& e) { QTest::mouseClick(&e, Qt::LeftButton); }}) {
            input(entry);
            EXPECT_TRUE(cursor.blinking());
            EXPECT_EQ(hints->cursorFlashTime(), platform);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !cursor.blinking(); }, 5000));
        }
    }
    // Gone, it leaves the platform's blink as it found it.
    EXPECT_EQ(hints->cursorFlashTime(), platform);
}

} // namespace
} // namespace zk::test

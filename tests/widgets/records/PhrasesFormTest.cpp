// The phrase editor: its fields and limit, "Done" writing the phrases (or
// telling the player it could not), and closing by the frame.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "RecordsTestSupport.h"
#include "WidgetTestSupport.h"
#include "records/qt/DataPaths.h"
#include "records/IniFile.h"
#include "records/Settings.h"
#include "records/qt/Tphrases.h"

namespace zk::test {
namespace {

class PhraseEditor : public ::testing::Test {
protected:
    PhraseEditor()
    {
        file = dir / "quorlanlobby.ini";
        editor.setSettingsFile(file, "agame");
        QObject::connect(&editor, &Tphrases::notice, [this](const std::string& m) { messages.push_back(m); });
        QObject::connect(&editor, &Tphrases::phrasesChanged, [this](const PhraseList& p) {
            buttons = p;
            ++changes;
        });
    }
    QLineEdit* field(int n) { return editor.findChild<QLineEdit*>(QStringLiteral("edit_phrase%1").arg(n)); }
    void pressDone()
    {
        QTest::mouseClick(editor.findChild<QPushButton*>("button_done"), Qt::LeftButton);
        test::settle();
    }

    test::TempDir dir;
    std::filesystem::path file;
    Tphrases editor;
    PhraseList buttons = kBuiltInPhrases;
    int changes = 0;
    std::vector<std::string> messages;
};

TEST_F(PhraseEditor, ShowsNineLimitedFieldsWithTheCurrentPhrases)
{
    editor.openEditor(buttons);
    EXPECT_EQ(editor.windowTitle(), "Zonkards - Phrase Buttons ");
    EXPECT_TRUE(editor.isVisible());
    EXPECT_FALSE(editor.isModal());
    EXPECT_EQ(editor.minimumSize(), editor.maximumSize());
    const QStringList labels = test::labelTexts(&editor);
    for (int n = 1; n <= 9; ++n) {
        EXPECT_TRUE(labels.contains(QStringLiteral("Phrase Button %1:").arg(n))) << n;
        EXPECT_EQ(field(n)->text().toStdString(), kBuiltInPhrases[static_cast<std::size_t>(n - 1)]);
        EXPECT_EQ(field(n)->maxLength(), 50);
    }
    EXPECT_TRUE(labels.contains("Buttons can only be used once every 2 seconds"));

    field(1)->clear();
    QTest::keyClicks(field(1), QString(60, QLatin1Char('w')));
    EXPECT_EQ(field(1)->text(), QString(50, QLatin1Char('w')));

    // A longer phrase from the settings file is shown whole.
    PhraseList longer = kBuiltInPhrases;
    longer[6] = std::string(64, 'L');
    editor.openEditor(longer);
    EXPECT_EQ(field(7)->text(), QString(64, QLatin1Char('L')));
    EXPECT_EQ(editor.fieldTexts(), longer);
}

TEST_F(PhraseEditor, DoneGivesTheButtonsTheirTextsWritesThemAndCloses)
{
    test::writeBytes(file, "[agame]\r\nTop=8\r\n");
    editor.openEditor(buttons);
    field(4)->clear();
    // Qt Test types ASCII only; the accented letter goes in as typed text.
    QTest::keyClicks(field(4), QStringLiteral("Tr"));
    field(4)->insert(QString::fromUtf8("è"));
    QTest::keyClicks(field(4), QStringLiteral("s bien!"));
    field(6)->clear();
    pressDone();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(buttons[3], "Tr\xE8s bien!");
    EXPECT_EQ(buttons[5], "");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(ini::readKey(file, "agame", "Phrase4"), "Tr\xE8s bien!");
    EXPECT_EQ(ini::readKey(file, "agame", "Phrase6"), "");
    EXPECT_EQ(ini::readKey(file, "agame", "Top"), "8");
    EXPECT_TRUE(messages.empty());

    // After a restart the buttons start from the built-in phrases and the
    // settings bring the edited one back; the emptied one is built-in again.
    SettingsValues restart;
    loadSettings(file, "agame", restart);
    EXPECT_EQ(restart.phrases[3], "Tr\xE8s bien!");
    EXPECT_EQ(restart.phrases[5], "Wow, WTG!");
}

TEST_F(PhraseEditor, AnUnwritableFileIsReportedAndTheWindowStaysOpen)
{
    std::filesystem::create_directory(file); // a folder where the file should be
    editor.openEditor(buttons);
    field(2)->setText(QStringLiteral("Edited"));
    pressDone();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Unable to write to " + file.string());
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(buttons[1], "Edited"); // the buttons keep their new phrases anyway
}

TEST_F(PhraseEditor, ClosingByTheFrameDiscardsTheEdits)
{
    editor.openEditor(buttons);
    field(3)->setText(QStringLiteral("Never mind"));
    editor.close();
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(std::filesystem::exists(file));
    editor.openEditor(buttons);
    EXPECT_EQ(field(3)->text(), "Nice Try!");
}

TEST(PhraseEditorDefaults, WithoutASetFileItWritesToTheDataDirectory)
{
    test::TempDir dir;
    ASSERT_EQ(setenv(kDataDirVariable, dir.path().c_str(), 1), 0);
    Tphrases editor;
    editor.openEditor(kBuiltInPhrases);
    QTest::mouseClick(editor.findChild<QPushButton*>("button_done"), Qt::LeftButton);
    EXPECT_EQ(ini::readKey(dir / "quorlanlobby.ini", "agame", "Phrase9"), "Good Game Everyone!");
    unsetenv(kDataDirVariable);
}

} // namespace
} // namespace zk::test

// Tphrases: the phrase editor (View, "Phrase List").
//
// Shows the nine phrases of the phrase buttons in nine fields. "Done" gives
// the fields' texts to the buttons (phrasesChanged), writes Phrase1 to
// Phrase9 to the settings file and closes; when a key cannot be written the
// player is told "Unable to write to <path>" and the window stays open.
// Closing it by its frame discards the edits.
//
//     auto* editor = new Tphrases(mainWindow);
//     connect(editor, &Tphrases::phrasesChanged, table, &Table::setPhrases);
//     editor->openEditor(table->phrases());
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <QDialog>

#include "records/Phrases.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zk {

class Tphrases : public QDialog {
    Q_OBJECT
public:
    explicit Tphrases(QWidget* parent = nullptr);

    void setBackground(const QPixmap& picture);
    // The settings file and section "Done" writes to; until set, the data
    // directory's settings file (built afresh at each "Done") and "agame".
    void setSettingsFile(std::filesystem::path file, std::string section);

    // Field n gets phrase n, then the window shows without blocking the table.
    void openEditor(const PhraseList& current);
    // The fields' texts as phrases (Windows-1252).
    PhraseList fieldTexts() const;

signals:
    // "Done" was pressed: the phrase buttons take these texts, whether or not
    // the settings file could be written.
    void phrasesChanged(const zk::PhraseList& phrases);
    // The settings file could not be written. Unheard, a warning box says so.
    void notice(const std::string& message);

private:
    void doneClicked();

    std::array<QLineEdit*, kPhraseCount> fields_{};
    QPushButton* doneButton_ = nullptr;
    std::optional<std::filesystem::path> settingsFile_;
    std::string section_;
};

} // namespace zk

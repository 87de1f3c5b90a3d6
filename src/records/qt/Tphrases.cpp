#include "records/qt/Tphrases.h"

#include <algorithm>

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPushButton>
#include <QVBoxLayout>

#include "kit/QtText.h"
#include "records/qt/DataPaths.h"
#include "records/Settings.h"
#include "kit/WindowKit.h"

namespace zk {

Tphrases::Tphrases(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      section_(kGameKey)
{
    setObjectName(QStringLiteral("Tphrases"));
    setWindowTitle(QStringLiteral("Zonkards - Phrase Buttons "));
    setModal(false);

    auto* form = new QFormLayout;
    for (int n = 1; n <= kPhraseCount; ++n) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("edit_phrase%1").arg(n));
        field->setMaxLength(kPhraseMaxLength);
        field->setMinimumWidth(280);
        form->addRow(QStringLiteral("Phrase Button %1:").arg(n), field);
        fields_[static_cast<std::size_t>(n - 1)] = field;
    }
    auto* note = new QLabel(QStringLiteral("Buttons can only be used once every 2 seconds"), this);
    note->setObjectName(QStringLiteral("label_note"));
    doneButton_ = new QPushButton(QStringLiteral("Done"), this);
    doneButton_->setObjectName(QStringLiteral("button_done"));
    doneButton_->setAutoDefault(false);

    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(note);
    main->addWidget(doneButton_, 0, Qt::AlignRight);
    main->setSizeConstraint(QLayout::SetFixedSize); // a fixed dialog frame

    connect(doneButton_, &QPushButton::clicked, this, &Tphrases::doneClicked);
}

void Tphrases::setBackground(const QPixmap& picture)
{
    applyBackground(this, picture);
}

void Tphrases::setSettingsFile(std::filesystem::path file, std::string section)
{
    settingsFile_ = std::move(file);
    section_ = std::move(section);
}

void Tphrases::openEditor(const PhraseList& current)
{
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const QString text = toQt(current[i]);
        // A longer phrase from the settings file is shown whole, not cut to
        // the typing limit: pressing "Done" must not shorten what was not edited.
        fields_[i]->setMaxLength(std::max<int>(kPhraseMaxLength, static_cast<int>(text.size())));
        fields_[i]->setText(text);
    }
    show();
    raise();
    activateWindow();
}

PhraseList Tphrases::fieldTexts() const
{
    PhraseList phrases;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        phrases[i] = fromQt(fields_[i]->text());
    return phrases;
}

void Tphrases::doneClicked()
{
    const PhraseList phrases = fieldTexts();
    emit phrasesChanged(phrases);
    const std::filesystem::path file = settingsFile_ ? *settingsFile_ : settingsFilePath();
    if (const auto message = savePhrases(file, section_, phrases)) {
        if (isSignalConnected(QMetaMethod::fromSignal(&Tphrases::notice)))
            emit notice(*message);
        else
            QMessageBox::warning(this, QStringLiteral("Zonkards"), QString::fromStdString(*message));
        return; // stays open
    }
    close();
}

} // namespace zk

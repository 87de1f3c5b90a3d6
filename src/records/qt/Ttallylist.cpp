#include "records/qt/Ttallylist.h"

#include <algorithm>

#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "kit/QtText.h"
#include "kit/WindowKit.h"

namespace zk {
namespace {

constexpr int kValueWidth = 48; // the narrowest a value is shown

QLabel* valueLabel(QWidget* parent, const char* objectName)
{
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setMinimumWidth(kValueWidth);
    return label;
}

// Makes list show entries: same count, texts and ticks, without signals.
void syncList(QListWidget* list, const std::vector<Tally::Entry>& entries)
{
    const QSignalBlocker block(list);
    while (list->count() > static_cast<int>(entries.size()))
        delete list->takeItem(list->count() - 1);
    while (list->count() < static_cast<int>(entries.size())) {
        auto* item = new QListWidgetItem(list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked); // without a state there is no tick box
    }
    for (int i = 0; i < list->count(); ++i) {
        const Tally::Entry& e = entries[static_cast<std::size_t>(i)];
        QListWidgetItem* item = list->item(i);
        const QString text = toQt(e.name);
        if (item->text() != text)
            item->setText(text);
        const Qt::CheckState state = e.ticked ? Qt::Checked : Qt::Unchecked;
        if (item->checkState() != state)
            item->setCheckState(state);
    }
}

// The table exactly as large as its captions and values, laid out as the
// labels of the panel beside it are: captions right-aligned with a gap, value
// columns at least as wide as a value label. A longer name in "Ann Wins:"
// widens it, as a label would; it never scrolls.
void fitTable(QTableWidget* table)
{
    constexpr int kGap = 7;
    QHeaderView* rows = table->verticalHeader();
    QHeaderView* columns = table->horizontalHeader();
    const QFontMetrics plain(table->font());
    int captions = 0;
    for (int row = 0; row < table->rowCount(); ++row)
        captions = std::max(captions, plain.horizontalAdvance(table->verticalHeaderItem(row)->text()));
    rows->setFixedWidth(captions + kGap);
    int width = rows->width();
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem* head = table->horizontalHeaderItem(column);
        int wide =
            std::max(kValueWidth, QFontMetrics(head->font()).horizontalAdvance(head->text())) + kGap - 1;
        for (int row = 0; row < table->rowCount(); ++row)
            wide = std::max(wide, plain.horizontalAdvance(table->item(row, column)->text()) + kGap - 1);
        columns->resizeSection(column, wide);
        width += wide;
    }
    table->setFixedSize(width, columns->height() + rows->length());
}

std::optional<std::size_t> indexOf(const std::vector<Tally::Entry>& entries, const std::string& name)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].name == name)
            return i;
    }
    return std::nullopt;
}

} // namespace

Ttallylist::Ttallylist(TallyService& tally, QWidget* parent)
    : BuiltOnShow(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint),
      service_(tally), tally_(tally.tally())
{
    setObjectName(QStringLiteral("Ttallylist"));
    setWindowTitle(QStringLiteral("Zonkards - Tally List"));
    setModal(false);

    confirm_ = [this](const std::string& question) {
        return QMessageBox::question(this, QStringLiteral("Confirm"), toQt(question),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    service_.onChanged = [this] { refresh(); };
}

void Ttallylist::build()
{
    // Your Total Tally
    auto* ownPanel = new QGroupBox(QStringLiteral("Your Total Tally"), this);
    ownPanel->setObjectName(QStringLiteral("panel_total"));
    auto* ownGrid = new QGridLayout(ownPanel);
    const char* ownCaptions[] = {"Total Games:", "Your Wins:", "Highest Score:", "Zonkards:", "Bonus Modes:"};
    const char* ownNames[] = {"label_totalgames", "label_yourwins", "label_highscore", "label_zonkards",
                              "label_bonusmodes"};
    for (int i = 0; i < 5; ++i) {
        ownGrid->addWidget(new QLabel(QString::fromLatin1(ownCaptions[i]), ownPanel), i, 0, Qt::AlignRight);
        ownValues_[static_cast<std::size_t>(i)] = valueLabel(ownPanel, ownNames[i]);
        ownGrid->addWidget(ownValues_[static_cast<std::size_t>(i)], i, 1);
    }

    // The selected opponent: a table with headers (a screen reader names every
    // value by its row and column), drawn like the labels of the panel beside it.
    auto* oppPanel = new QGroupBox(this);
    oppPanel->setObjectName(QStringLiteral("panel_opponent"));
    auto* oppLayout = new QVBoxLayout(oppPanel);
    heading_ = new QLabel(oppPanel);
    heading_->setObjectName(QStringLiteral("label_oppheading"));
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    oppLayout->addWidget(heading_);
    oppTable_ = new QTableWidget(4, 2, oppPanel);
    oppTable_->setObjectName(QStringLiteral("table_opponent"));
    oppTable_->setHorizontalHeaderLabels({QStringLiteral("Total"), QStringLiteral("Session")});
    oppTable_->setVerticalHeaderLabels({QStringLiteral("Number of Games"), QString(),
                                        QStringLiteral("Your Wins:"), QStringLiteral("Neither Won:")});
    for (int column = 0; column < 2; ++column) {
        QTableWidgetItem* head = oppTable_->horizontalHeaderItem(column);
        head->setFont(bold);
        head->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        for (int row = 0; row < 4; ++row) {
            auto* value = new QTableWidgetItem(QStringLiteral("0"));
            value->setFlags(Qt::ItemIsEnabled); // read only, never selected
            oppTable_->setItem(row, column, value);
        }
    }
    oppTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    oppTable_->setSelectionMode(QAbstractItemView::NoSelection);
    oppTable_->setShowGrid(false);
    oppTable_->setFrameShape(QFrame::NoFrame);
    oppTable_->setWordWrap(false);
    oppTable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    oppTable_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    oppTable_->setStyleSheet(QStringLiteral("QTableWidget, QHeaderView, QHeaderView::section,"
                                            " QTableCornerButton::section"
                                            " { background: transparent; border: none; padding: 0px; }"
                                            "QHeaderView::section:vertical { padding-right: 7px; }"
                                            "QTableWidget::item { padding: 0px; }"));
    for (QHeaderView* header : {oppTable_->horizontalHeader(), oppTable_->verticalHeader()}) {
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
    }
    oppTable_->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    oppTable_->verticalHeader()->setDefaultSectionSize(oppTable_->fontMetrics().height() + 8);
    oppTable_->horizontalHeader()->setFixedHeight(QFontMetrics(bold).height() + 4);
    oppLayout->addWidget(oppTable_);

    // The two lists
    auto listBox = [this](const char* caption, const char* objectName, QListWidget*& list) {
        auto* box = new QGroupBox(QString::fromLatin1(caption), this);
        auto* layout = new QVBoxLayout(box);
        list = new QListWidget(box);
        list->setObjectName(QString::fromLatin1(objectName));
        list->setFixedSize(160, 120);
        layout->addWidget(list);
        return box;
    };
    QWidget* currentBox = listBox("Players In Current Game", "list_current", currentList_);
    QWidget* talliedBox = listBox("Players Being Tallied", "list_tallied", talliedList_);

    resetButton_ = new QPushButton(QStringLiteral("Reset Tally"), this);
    resetButton_->setObjectName(QStringLiteral("button_reset"));
    doneButton_ = new QPushButton(QStringLiteral("Done"), this);
    doneButton_->setObjectName(QStringLiteral("button_done"));

    auto* top = new QHBoxLayout;
    top->addWidget(ownPanel);
    top->addWidget(oppPanel);
    auto* lists = new QHBoxLayout;
    lists->addWidget(currentBox);
    lists->addWidget(talliedBox);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(resetButton_);
    buttons->addStretch();
    buttons->addWidget(doneButton_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(lists);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize); // a fixed dialog frame

    // A tick box click changes the item inside the list's own mouse handling;
    // the change is acted on once that handling is over, because acting may
    // remove the very item that was clicked (and may ask a question first).
    connect(currentList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (syncing_)
            return;
        const int row = currentList_->row(item);
        if (row < 0 || static_cast<std::size_t>(row) >= tally_.currentPlayers().size())
            return;
        const std::string name = tally_.currentPlayers()[static_cast<std::size_t>(row)].name;
        QTimer::singleShot(0, this, [this, name] { currentPlayerClicked(name); });
    });
    connect(talliedList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (syncing_)
            return;
        const int row = talliedList_->row(item);
        if (row < 0 || static_cast<std::size_t>(row) >= tally_.tallied().size())
            return;
        const std::string name = tally_.tallied()[static_cast<std::size_t>(row)].name;
        const bool ticked = item->checkState() == Qt::Checked;
        QTimer::singleShot(0, this, [this, name, ticked] { talliedClicked(name, ticked); });
    });
    connect(talliedList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (syncing_ || row < 0)
            return;
        tally_.select(static_cast<std::size_t>(row));
        refresh();
    });
    connect(resetButton_, &QPushButton::clicked, this, &Ttallylist::resetClicked);
    connect(doneButton_, &QPushButton::clicked, this, &QDialog::close);
    refresh();
}

Ttallylist::~Ttallylist()
{
    service_.onChanged = nullptr;
}

void Ttallylist::setBackground(const QPixmap& picture)
{
    applyBackground(this, picture);
}

void Ttallylist::setConfirm(Tally::Confirm confirm)
{
    confirm_ = std::move(confirm);
}

void Ttallylist::viewTally()
{
    tally_.rebuildCurrentPlayers(service_.seatedNames());
    refresh();
    show();
    raise();
    activateWindow();
}

void Ttallylist::currentPlayerClicked(const std::string& name)
{
    if (const auto index = indexOf(tally_.currentPlayers(), name))
        tally_.tickCurrentPlayer(*index);
    refresh();
}

void Ttallylist::talliedClicked(const std::string& name, bool nowTicked)
{
    // Setting a tick does nothing; only clearing one asks to delete.
    if (!nowTicked) {
        if (const auto index = indexOf(tally_.tallied(), name))
            tally_.untickTallied(*index, confirm_);
    }
    refresh();
}

void Ttallylist::resetClicked()
{
    if (tally_.reset(confirm_))
        refresh();
}

void Ttallylist::refresh()
{
    if (!isBuilt())
        return; // build() shows the tally as it then stands
    syncing_ = true;
    const int ownColumns[] = {Tally::kGames, Tally::kWins, Tally::kHighestScore, Tally::kZonkards,
                              Tally::kBonusModes};
    for (std::size_t i = 0; i < ownValues_.size(); ++i)
        ownValues_[i]->setText(toQt(tally_.own(ownColumns[i])));

    const OpponentPanel& panel = tally_.panel();
    heading_->setText(toQt(panel.heading));
    oppTable_->setAccessibleName(panel.heading.empty() ? QStringLiteral("Opponent's Tally")
                                                       : toQt(panel.heading));
    oppTable_->verticalHeaderItem(1)->setText(toQt(panel.winsCaption));
    for (int row = 0; row < 4; ++row) {
        const auto k = static_cast<std::size_t>(row);
        oppTable_->item(row, 0)->setText(toQt(panel.total[k]));
        oppTable_->item(row, 1)->setText(toQt(panel.session[k]));
    }
    fitTable(oppTable_);

    syncList(currentList_, tally_.currentPlayers());
    syncList(talliedList_, tally_.tallied());
    {
        const QSignalBlocker block(talliedList_);
        const int row = tally_.selected() ? static_cast<int>(*tally_.selected()) : -1;
        if (talliedList_->currentRow() != row)
            talliedList_->setCurrentRow(row);
    }
    syncing_ = false;
}

} // namespace zk

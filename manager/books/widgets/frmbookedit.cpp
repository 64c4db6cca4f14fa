#include "manager/books/widgets/frmbookedit.h"

#include <algorithm>
#include <numeric>

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/widgets/formtranslation.h"
#include "common/widgets/keymessage.h"
#include "common/widgets/prompter.h"
#include "common/widgets/tablefilters.h"

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// Whether text a comes before text b in an ascending sort: empty texts last, whole numbers by
// value (so that 2 comes before 10), other texts without regard to letter case.
int CompareCells(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return int(a.isEmpty()) - int(b.isEmpty());
    bool aNumber = false, bNumber = false;
    const qulonglong x = a.toULongLong(&aNumber), y = b.toULongLong(&bNumber);
    if (aNumber && bNumber && x != y) return x < y ? -1 : 1;
    return a.compare(b, Qt::CaseInsensitive);
}

}  // namespace

TFrmBookEdit::TFrmBookEdit(const TBookEditTexts& texts, TBookEditMode mode, std::string listPath,
                           IPrompter& prompter, QWidget* parent)
    : QDialog(parent),
      texts_(texts),
      mode_(mode),
      listPath_(std::move(listPath)),
      prompter_(prompter) {
    setWindowTitle(QString::fromUtf8(texts.caption));

    list_ = new QTreeWidget(this);
    list_->setObjectName(texts.listName);
    list_->setAccessibleName(QString::fromUtf8(texts.caption));
    list_->setColumnCount(static_cast<int>(texts.columns.size()));
    list_->setHeaderLabels(texts.columns);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setSectionsClickable(true);
    list_->header()->setSortIndicatorShown(false);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &TFrmBookEdit::SelectionChanged);
    connect(list_, &QTreeWidget::itemChanged, this, &TFrmBookEdit::TickChanged);
    connect(list_->header(), &QHeaderView::sectionClicked, this, &TFrmBookEdit::SortByColumn);

    btnAdd_ = NewButton(this, "btnAdd", texts.buttons.value(0));
    btnModify_ = NewButton(this, "btnModify", texts.buttons.value(1));
    btnDel_ = NewButton(this, "btnDel", texts.buttons.value(2));
    btnOk_ = NewButton(this, "btnOk", texts.buttons.value(3));
    btnClose_ = NewButton(this, "btnClose", texts.buttons.value(4));
    connect(btnAdd_, &QPushButton::clicked, this, &TFrmBookEdit::btnAddClick);
    connect(btnModify_, &QPushButton::clicked, this, &TFrmBookEdit::btnModifyClick);
    connect(btnDel_, &QPushButton::clicked, this, &TFrmBookEdit::btnDelClick);
    connect(btnOk_, &QPushButton::clicked, this, &TFrmBookEdit::btnOkClick);
    connect(btnClose_, &QPushButton::clicked, this, &QDialog::reject);
    btnImport_ = NewButton(this, "btnImport", QStringLiteral("导入(&I)…"));
    btnExport_ = NewButton(this, "btnExport", QStringLiteral("导出(&E)…"));
    connect(btnImport_, &QPushButton::clicked, this, &TFrmBookEdit::btnImportClick);
    connect(btnExport_, &QPushButton::clicked, this, &TFrmBookEdit::btnExportClick);

    panel_ = new QWidget(this);
    panel_->setObjectName(texts.panelName);
    auto* counterCaption = new QLabel(QString::fromUtf8(texts.counterCaption), panel_);
    counterCaption->setObjectName(texts.counterCaptionName);
    counter_ = new QLabel(panel_);
    counter_->setObjectName(texts.counterName);
    auto* panelLayout = new QHBoxLayout(panel_);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(counterCaption);
    panelLayout->addWidget(counter_);
    panelLayout->addStretch();

    hint_ = new QLabel(this);
    hint_->setObjectName(texts.hintName);
    hint_->setStyleSheet("color: red");

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {btnAdd_, btnModify_, btnDel_})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(btnImport_);
    buttons->addWidget(btnExport_);
    buttons->addWidget(btnOk_);
    buttons->addWidget(btnClose_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(panel_);
    inputsPlace_ = new QVBoxLayout;
    layout->addLayout(inputsPlace_);
    layout->addWidget(hint_);
    layout->addLayout(buttons);
    resize(560, 480);
}

void TFrmBookEdit::SetInputs(QLayout* inputs) {
    inputsPlace_->addLayout(inputs);
}

void TFrmBookEdit::showEvent(QShowEvent* event) {
    if (!opened_) {
        opened_ = true;
        Open();
    }
    QDialog::showEvent(event);
}

void TFrmBookEdit::Open() {
    TranslateForm(this);
    ClearInputs();
    rows_.clear();
    std::string error;
    LoadListFile(rows_, listPath_, &error);
    if (!error.empty()) {
        loadFailed_ = true;
        prompter_.Message(this, IPrompter::Kind::Error, windowTitle(),
                          QDir::toNativeSeparators(Q(listPath_)) + "\n" + Q(error));
    }
    ListLoaded();
    SetUpMode();
}

void TFrmBookEdit::SetUpMode() {
    const bool select = mode_ == TBookEditMode::kSelect;
    std::vector<bool> ticks(rows_.size(), false);
    if (select) {
        // Rows first to last; matching stops once as many rows are ticked as texts were given.
        QStringList keys;
        for (const QString& text : preselection_)
            keys << PreselectionKey(text);
        int ticked = 0;
        for (std::size_t i = 0; i < rows_.size() && ticked < preselection_.size(); ++i)
            if (keys.contains(RowKey(rows_[i]), Qt::CaseInsensitive)) {
                ticks[i] = true;
                ++ticked;
            }
    }
    Fill(ticks, std::nullopt);
    panel_->setVisible(select);
    const std::string hintKey = std::string("Pelmora/") + texts_.formKey + "/" + texts_.hintName +
                                (select ? ".Caption0" : ".Caption");
    if (mode_ == TBookEditMode::kManage)
        hint_->clear();
    else
        hint_->setText(
            TrText(hintKey, QString::fromUtf8(select ? texts_.selectHint : texts_.pickHint)));
    hint_->setVisible(mode_ != TBookEditMode::kManage);
    btnOk_->setVisible(mode_ != TBookEditMode::kManage);
    btnOk_->setEnabled(mode_ != TBookEditMode::kManage);
    btnImport_->setVisible(mode_ == TBookEditMode::kManage);
    btnExport_->setVisible(mode_ == TBookEditMode::kManage);
    UpdateButtons();
}

void TFrmBookEdit::Fill(const std::vector<bool>& ticks, std::optional<std::size_t> selected) {
    filling_ = true;
    list_->clear();
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        QStringList cells{Q(rows_[i].number)};
        for (int c = 1; c < list_->columnCount(); ++c)
            cells << Q(rows_[i].Column(static_cast<std::size_t>(c - 1)));
        auto* item = new QTreeWidgetItem(cells);
        if (mode_ == TBookEditMode::kSelect)
            item->setCheckState(0, i < ticks.size() && ticks[i] ? Qt::Checked : Qt::Unchecked);
        items << item;
    }
    list_->addTopLevelItems(items);
    if (selected && *selected < rows_.size()) {
        list_->setCurrentItem(items[static_cast<int>(*selected)]);
    } else {
        list_->setCurrentItem(nullptr);
        list_->clearSelection();
    }
    filling_ = false;
    UpdateCounter();
    UpdateButtons();
}

std::vector<bool> TFrmBookEdit::Ticks() const {
    std::vector<bool> ticks;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        ticks.push_back(list_->topLevelItem(i)->checkState(0) == Qt::Checked);
    return ticks;
}

std::optional<std::size_t> TFrmBookEdit::SelectedIndex() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return static_cast<std::size_t>(list_->indexOfTopLevelItem(selected.front()));
}

TListRows TFrmBookEdit::TickedRows() const {
    TListRows ticked;
    const std::vector<bool> ticks = Ticks();
    for (std::size_t i = 0; i < rows_.size() && i < ticks.size(); ++i)
        if (ticks[i]) ticked.push_back(rows_[i]);
    return ticked;
}

int TFrmBookEdit::TickCount() const {
    const std::vector<bool> ticks = Ticks();
    return static_cast<int>(std::count(ticks.begin(), ticks.end(), true));
}

void TFrmBookEdit::UpdateCounter() {
    counter_->setText(QString("%1/%2").arg(TickCount()).arg(rows_.size()));
}

void TFrmBookEdit::UpdateButtons() {
    const bool selected = SelectedIndex().has_value();
    btnAdd_->setEnabled(!loadFailed_);
    btnModify_->setEnabled(!loadFailed_ && selected);
    btnDel_->setEnabled(!loadFailed_ && selected);
    btnImport_->setEnabled(!loadFailed_);
}

void TFrmBookEdit::SelectionChanged() {
    if (filling_) return;
    if (const std::optional<std::size_t> row = SelectedIndex())
        FillInputs(rows_[*row]);
    else
        ClearInputsOnDeselect();
    UpdateButtons();
}

void TFrmBookEdit::TickChanged() {
    if (!filling_) UpdateCounter();
}

void TFrmBookEdit::SortByColumn(int column) {
    sortDescending_ = column == sortColumn_ && !sortDescending_;
    sortColumn_ = column;
    auto cell = [&](std::size_t row) {
        return column == 0 ? Q(rows_[row].number)
                           : Q(rows_[row].Column(static_cast<std::size_t>(column - 1)));
    };
    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const QString x = cell(a), y = cell(b);
        // Empty texts stay last in both directions.
        if (x.isEmpty() != y.isEmpty()) return y.isEmpty();
        const int c = CompareCells(x, y);
        return sortDescending_ ? c > 0 : c < 0;
    });
    const std::vector<bool> ticks = Ticks();
    const std::optional<std::size_t> selected = SelectedIndex();
    TListRows sorted;
    std::vector<bool> sortedTicks;
    std::optional<std::size_t> newSelected;
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(rows_[order[i]]);
        sortedTicks.push_back(order[i] < ticks.size() && ticks[order[i]]);
        if (selected == order[i]) newSelected = i;
    }
    rows_ = std::move(sorted);
    Fill(sortedTicks, newSelected);
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSortIndicator(column,
                                      sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

bool TFrmBookEdit::Save(const TListRows& next) {
    std::string error;
    if (SaveListFile(next, listPath_, &error)) return true;
    prompter_.Message(this, IPrompter::Kind::Error, windowTitle(),
                      QDir::toNativeSeparators(Q(listPath_)) + "\n" + Q(error));
    return false;
}

void TFrmBookEdit::Store(std::optional<std::size_t> row) {
    const std::optional<std::vector<std::string>> columns = CheckedColumns(row);
    if (!columns) return;
    TListRows next = rows_;
    std::vector<bool> ticks = Ticks();
    if (row) {
        std::vector<std::string>& stored = next[*row].columns;
        if (stored.size() < columns->size()) stored.resize(columns->size());
        std::copy(columns->begin(), columns->end(), stored.begin());
    } else {
        AppendListRow(next, *columns);
        ticks.push_back(false);
    }
    // A failed save changes nothing: the list keeps what the file holds, the inputs stay.
    if (!Save(next)) return;
    rows_ = std::move(next);
    Fill(ticks, SelectedIndex());
    AfterStore(!row, *columns);
}

void TFrmBookEdit::btnAddClick() {
    if (!loadFailed_) Store(std::nullopt);
}

void TFrmBookEdit::btnModifyClick() {
    if (const std::optional<std::size_t> row = SelectedIndex(); row && !loadFailed_) Store(row);
}

void TFrmBookEdit::btnDelClick() {
    const std::optional<std::size_t> row = SelectedIndex();
    if (!row || loadFailed_) return;
    if (!prompter_.Message(this, IPrompter::Kind::Confirmation, windowTitle(),
                           DeleteQuestion(rows_[*row])))
        return;
    TListRows next = rows_;
    DeleteListRow(next, *row);
    if (!Save(next)) return;
    std::vector<bool> ticks = Ticks();
    ticks.erase(ticks.begin() + static_cast<std::ptrdiff_t>(*row));
    rows_ = std::move(next);
    Fill(ticks, std::nullopt);
    ClearInputsOnDeselect();
}

void TFrmBookEdit::btnOkClick() {
    if (mode_ == TBookEditMode::kManage) return;
    if (OkAllowed()) accept();
}

void TFrmBookEdit::btnImportClick() {
    if (mode_ != TBookEditMode::kManage || loadFailed_) return;
    const QString path = prompter_.OpenFileName(this, btnImport_->text(), ListFolder(),
                                                QString::fromUtf8(kTableOpenFilter));
    if (path.isEmpty()) return;
    TListRows next = rows_;
    std::vector<TBookRefusal> refused;
    std::string error;
    if (!AddBookFile(texts_.kind, path.toStdString(), next, refused, &error)) {
        ShowMessage(10, QStringLiteral("文件[%s]无法导入，列表未作任何更改：\n%s"),
                    {QDir::toNativeSeparators(path), Q(error)});
        return;
    }
    const std::size_t added = next.size() - rows_.size();
    if (added > 0) {
        if (!Save(next)) return;
        std::vector<bool> ticks = Ticks();
        ticks.resize(next.size(), false);
        rows_ = std::move(next);
        Fill(ticks, SelectedIndex());
        ListLoaded();
    }
    QString text = MessageText(11, QStringLiteral("已导入%s行。"), {QString::number(added)});
    if (!refused.empty()) {
        QStringList lines;
        for (const TBookRefusal& refusal : refused)
            lines << Q(BookRefusalText(refusal));
        text += "\n" + MessageText(12, QStringLiteral("以下%s行未导入：\n%s"),
                                   {QString::number(refused.size()), lines.join('\n')});
    }
    prompter_.Message(this,
                      refused.empty() ? IPrompter::Kind::Information : IPrompter::Kind::Warning,
                      windowTitle(), text);
}

void TFrmBookEdit::btnExportClick() {
    if (mode_ != TBookEditMode::kManage) return;
    const QString path = prompter_.SaveFileName(this, btnExport_->text(), ListFolder(),
                                                QString::fromUtf8(kTableSaveFilter), "csv");
    if (path.isEmpty()) return;
    std::string error;
    if (!WriteBookFile(texts_.kind, rows_, path.toStdString(), &error))
        ShowMessage(13, QStringLiteral("文件[%s]保存失败：%s"),
                    {QDir::toNativeSeparators(path), Q(error)});
}

QString TFrmBookEdit::ListFolder() const {
    return QFileInfo(Q(listPath_)).absolutePath();
}

QString TFrmBookEdit::MessageText(int keyWord, const QString& defaultText,
                                  const QStringList& args) const {
    return KeyMessageText(texts_.messageKey, keyWord, defaultText, args);
}

void TFrmBookEdit::ShowMessage(int keyWord, const QString& defaultText, const QStringList& args) {
    ShowKeyMessage(prompter_, this, IPrompter::Kind::Error, texts_.messageKey, keyWord, defaultText,
                   args, windowTitle());
}

void TFrmBookEdit::Refuse(int keyWord, const QString& defaultText, QWidget* field,
                          const QStringList& args) {
    ShowMessage(keyWord, defaultText, args);
    field->setFocus();
}

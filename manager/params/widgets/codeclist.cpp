#include "manager/params/widgets/codeclist.h"

#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>
#include <vector>

#include "manager/params/pagevalues.h"

namespace {

QString Name(int code) {
    const std::string_view name = CodecName(code);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

bool Enabled(const QListWidgetItem* item) {
    return (item->flags() & Qt::ItemIsEnabled) != 0;
}

QListWidgetItem* NewItem(const QString& text, bool ticked) {
    auto* item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    return item;
}

}  // namespace

QListWidget* NewCodecCheckList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    for (int code : {kCodecPcma, kCodecPcmu, kCodecG722})
        list->addItem(NewItem(Name(code), false));
    QObject::connect(list, &QListWidget::itemChanged, list, [list](QListWidgetItem* changed) {
        if (changed->checkState() == Qt::Checked) return;
        for (int i = 0; i < list->count(); ++i) {
            const QListWidgetItem* other = list->item(i);
            if (other != changed && Enabled(other) && other->checkState() == Qt::Checked) return;
        }
        const QSignalBlocker blocker(list);
        changed->setCheckState(Qt::Checked);
    });
    return list;
}

void MoveCodecItem(QListWidget* list, int step) {
    const int row = list->currentRow();
    const int neighbour = row + step;
    if (row < 0 || neighbour < 0 || neighbour >= list->count()) return;
    if (!Enabled(list->item(row)) || !Enabled(list->item(neighbour))) return;
    const QSignalBlocker blocker(list);
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(neighbour, item);
    list->setCurrentRow(neighbour);
}

void LoadCodecList(QListWidget* list, const TParamBlock& block, const TParamField& field) {
    QStringList found;
    for (int code : GetCodecs(block, field)) {
        const QString name = Name(code);
        if (!list->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty())
            found << name;
    }
    if (found.isEmpty()) return;
    QStringList items = found;
    for (int i = 0; i < list->count(); ++i)
        if (!items.contains(list->item(i)->text())) items << list->item(i)->text();
    const QSignalBlocker blocker(list);
    list->clear();
    for (qsizetype i = 0; i < items.size(); ++i)
        list->addItem(NewItem(items[i], i < found.size()));
}

void SaveCodecList(const QListWidget* list, TParamBlock& block, const TParamField& field) {
    std::vector<int> codes;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        if (item->checkState() != Qt::Checked || !Enabled(item)) continue;
        if (const std::optional<int> code = CodecOfName(item->text().toStdString()))
            codes.push_back(*code);
    }
    SetCodecs(block, field, codes);
}

void LoadCodecChoice(QComboBox* box, const TParamBlock& block, const TParamField& field) {
    for (int code : GetCodecs(block, field)) {
        const int index = box->findText(Name(code), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0) {
            box->setCurrentIndex(index);
            return;
        }
    }
}

void SaveCodecChoice(const QComboBox* box, TParamBlock& block, const TParamField& field) {
    const std::optional<int> code = CodecOfName(box->currentText().trimmed().toStdString());
    std::vector<int> codes;
    if (code) codes.push_back(*code);
    SetCodecs(block, field, codes);
}

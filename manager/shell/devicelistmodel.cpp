#include "manager/shell/devicelistmodel.h"

#include "manager/shell/shellicons.h"

const std::array<int, TDeviceListModel::kViewColumns> TDeviceListModel::kInitialWidths = {
    65, 120, 130, 108, 130, 80, 90, 105, 95};

TDeviceListModel::TDeviceListModel(TDeviceList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list), headings_{QStringLiteral("状态"),
                                                          QStringLiteral("用户账号"),
                                                          QStringLiteral("显示名称"),
                                                          QStringLiteral("IP 地址"),
                                                          QStringLiteral("MAC地址"),
                                                          QStringLiteral("设备型号"),
                                                          QStringLiteral("固件版本"),
                                                          QStringLiteral("网络接口"),
                                                          QStringLiteral("所在位置")} {
    list_.SetObserver(this);
}

TDeviceListModel::~TDeviceListModel() {
    list_.SetObserver(nullptr);
}

int TDeviceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.RowCount());
}

int TDeviceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kViewColumns;
}

QVariant TDeviceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= list_.RowCount()) return {};
    const TDeviceRow& row = list_.Row(static_cast<std::size_t>(index.row()));
    if (role == Qt::DisplayRole)
        return QString::fromStdString(row.Text(ListColumn(index.column())));
    if (role == Qt::DecorationRole && index.column() == 0) return StatusIcon(row.icon);
    return {};
}

QVariant TDeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= headings_.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    return headings_[section];
}

bool TDeviceListModel::setHeaderData(int section, Qt::Orientation orientation,
                                     const QVariant& value, int role) {
    if (orientation != Qt::Horizontal || (role != Qt::EditRole && role != Qt::DisplayRole) ||
        section < 0 || section >= headings_.size())
        return false;
    headings_[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void TDeviceListModel::BeginInsertRows(std::size_t first, std::size_t last) {
    beginInsertRows(QModelIndex(), static_cast<int>(first), static_cast<int>(last));
}
void TDeviceListModel::EndInsertRows() {
    endInsertRows();
}
void TDeviceListModel::BeginRemoveRows(std::size_t first, std::size_t last) {
    beginRemoveRows(QModelIndex(), static_cast<int>(first), static_cast<int>(last));
}
void TDeviceListModel::EndRemoveRows() {
    endRemoveRows();
}
void TDeviceListModel::RowChanged(std::size_t row) {
    const int r = static_cast<int>(row);
    emit dataChanged(index(r, 0), index(r, kViewColumns - 1));
}
void TDeviceListModel::BeginReorder() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}
void TDeviceListModel::EndReorder(const std::vector<std::size_t>& newIndex) {
    // Selection and current row are persistent indexes: they follow their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        const auto row = static_cast<std::size_t>(old.row());
        after << (row < newIndex.size() ? index(static_cast<int>(newIndex[row]), old.column())
                                        : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// The Qt item model over the Qt-free device list: view column 0 is the state text with the status
// icon, view columns 1 to 8 are the list's columns 0 to 7.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include "manager/shell/devicelist.h"

class TDeviceListModel : public QAbstractTableModel, public TListObserver {
    Q_OBJECT
  public:
    static constexpr int kViewColumns = kColumnCount + 1;
    // Initial widths in pixels, per view column.
    static const std::array<int, kViewColumns> kInitialWidths;

    explicit TDeviceListModel(TDeviceList& list, QObject* parent = nullptr);
    ~TDeviceListModel() override;

    // The list column shown in a view column (kStateColumn for view column 0).
    static int ListColumn(int viewColumn) { return viewColumn - 1; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Headings are translated like every caption.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

    // TListObserver
    void BeginInsertRows(std::size_t first, std::size_t last) override;
    void EndInsertRows() override;
    void BeginRemoveRows(std::size_t first, std::size_t last) override;
    void EndRemoveRows() override;
    void RowChanged(std::size_t row) override;
    void BeginReorder() override;
    void EndReorder(const std::vector<std::size_t>& newIndex) override;

  private:
    TDeviceList& list_;
    QStringList headings_;
};

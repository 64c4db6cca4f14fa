// The rows of the main window's device list, without any widget.
//
// A row carries a state text ("Online"/"Offline"), eight column texts, a status icon index, a
// "seen" mark used during one search, and the network record of the terminal when known. The MAC
// text (column 3) is the row's identity: search results and device texts are merged by it.
//
// A widget adapter watches the list through TListObserver, whose calls mirror the begin/end pairs
// of Qt's item models, and shows the texts as they stand.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "manager/access/addresstext.h"

// Column indexes of TDeviceRow::columns; the state text is a column of its own before them.
enum TDeviceColumn : int {
    kColAccount = 0,
    kColDisplayName = 1,
    kColIp = 2,
    kColMac = 3,
    kColModel = 4,
    kColFirmware = 5,
    kColInterface = 6,
    kColLocation = 7,
};
constexpr int kColumnCount = 8;
// Sort key of the state column (SortByColumn), the view's first column.
constexpr int kStateColumn = -1;

// Fixed words, never translated: they are data as well as captions.
inline constexpr std::string_view kStateOnline = "Online";
inline constexpr std::string_view kStateOffline = "Offline";
inline constexpr std::string_view kLocationLocal = "LocalNetwork";
inline constexpr std::string_view kLocationBooks = "Books";

// Status icon indexes.
constexpr int kIconUnreachable = 0;
constexpr int kIconLocalComplete = 1;  // local subnet, account and display name set
constexpr int kIconLocalPartial = 3;   // local subnet, account or display name empty
constexpr int kIconRemote = 6;         // not on any local subnet

// Running mask, gateway and DNS servers of a terminal, network order.
struct TRowNetInfo {
    TIpBytes mask{};
    TIpBytes gateway{};
    TIpBytes dns1{};
    TIpBytes dns2{};
    bool operator==(const TRowNetInfo&) const = default;
};

struct TDeviceRow {
    std::string state;
    std::array<std::string, kColumnCount> columns;
    int icon = kIconUnreachable;
    bool seen = false;
    std::optional<TRowNetInfo> netInfo;
    // For a text whose file bytes do not decode in the device code page: those bytes (up to the
    // field's zero byte), so the text goes back to a file unchanged while nobody edits it.
    std::array<std::string, kColumnCount> undecodedBytes;
    // Stable identity while the row lives, given by TDeviceList when the row is added (0 before).
    // Lets a result computed off the window thread find its row again after the list changed.
    std::uint64_t id = 0;

    // The state text for kStateColumn, the column text otherwise.
    const std::string& Text(int column) const;
    bool IsBooks() const { return columns[kColLocation] == kLocationBooks; }
};

// The seven fields of a device text, in their order in the text.
struct TDeviceText {
    std::string account;
    std::string displayName;
    std::string ip;
    std::string mac;
    std::string model;
    std::string firmware;
    std::string interfaceAddress;
};

// How model names become the texts of the model column. The lookup is the catalogue's
// CatalogueDisplayName (empty answer: unknown model); without a lookup every model is unknown.
struct TModelNaming {
    std::function<std::string(const std::string&)> lookup;
    bool showUnknownDeviceType = false;  // the setting ShowUnknowDeviceType
};

// 6 when the address is not on a local subnet; else 1 when account and display name are both
// non-empty; else 3.
int ChooseStatusIcon(std::string_view ip, std::string_view account, std::string_view displayName);

// Empty for an empty model; the catalogue's name when it knows the trimmed model; otherwise
// "undefined", or the trimmed model itself when showUnknownDeviceType is on. A blank model is not
// empty: it is an unknown one.
std::string ModelDisplayName(std::string_view model, const TModelNaming& naming);

// Sort order of two cell texts: both trimmed; two whole numbers (optional sign, digits, any
// length) compare by value, anything else by the texts' bytes in the device code page, ignoring
// the case of ASCII letters.
// Returns <0, 0 or >0.
int CompareCellTexts(std::string_view a, std::string_view b);

// Width of the last column so that the list is filled: listWidth minus (width + 1) of every other
// column, minus a margin for the border and, when shown, the vertical scroll bar. widths holds
// every column's width, the last one included. Never below 0.
int FitLastColumnWidth(int listWidth, const std::vector<int>& widths, bool verticalScrollBar);

// Receives every change of a TDeviceList. The calls mirror QAbstractItemModel's begin/end pairs,
// so an adapter forwards them one to one. Between a Begin and its End the list already holds the
// old rows; after the End, the new ones. There is no reset: a view keeps its selection, current
// row and scroll position across a search and a sort.
class TListObserver {
  public:
    virtual ~TListObserver() = default;
    virtual void BeginInsertRows(std::size_t /*first*/, std::size_t /*last*/) {}
    virtual void EndInsertRows() {}
    virtual void BeginRemoveRows(std::size_t /*first*/, std::size_t /*last*/) {}
    virtual void EndRemoveRows() {}
    virtual void RowChanged(std::size_t /*row*/) {}
    // The rows were put in another order (sorting); newIndex[old index] is each row's new index.
    virtual void BeginReorder() {}
    virtual void EndReorder(const std::vector<std::size_t>& /*newIndex*/) {}
};

class TDeviceList {
  public:
    TDeviceList() = default;
    TDeviceList(const TDeviceList&) = delete;
    TDeviceList& operator=(const TDeviceList&) = delete;

    void SetObserver(TListObserver* observer) { observer_ = observer; }
    void SetModelNaming(TModelNaming naming) { naming_ = std::move(naming); }
    const TModelNaming& ModelNaming() const { return naming_; }
    std::string ModelDisplayName(std::string_view model) const;

    std::size_t RowCount() const { return rows_.size(); }
    const TDeviceRow& Row(std::size_t index) const { return rows_.at(index); }
    const std::vector<TDeviceRow>& Rows() const { return rows_; }

    // Appends rows (ids are assigned here); returns the index of the first one.
    std::size_t AppendRow(TDeviceRow row);
    std::size_t AppendRows(std::vector<TDeviceRow> rows);
    void RemoveRow(std::size_t index);
    void Clear();
    // Changes one row in place; keeps the MAC index in step and reports the change.
    void EditRow(std::size_t index, const std::function<void(TDeviceRow&)>& edit);
    // Drops the network record of every row (before a device-list file is opened).
    void ReleaseNetInfo();

    // Indexes of every row whose MAC text equals mac, in list order.
    std::vector<std::size_t> RowsWithMac(std::string_view mac) const;
    // The row with this id: hint is tried first (its index when the id was taken).
    std::optional<std::size_t> FindRow(std::uint64_t id, std::size_t hint) const;

    // Applies a device text: every row with its MAC takes account, display name, IP, model and
    // firmware (network interface, location and state stay) and a new icon; without such a row an
    // "Online" "LocalNetwork" row is appended. Returns the last updated or the new row's index.
    // The model field is shown as it stands, not through the catalogue.
    std::size_t MergeDeviceText(const TDeviceText& text);

    // Sorts ascending by the column (kStateColumn for the state text) with CompareCellTexts. The
    // sort is stable, so sorting again by the same column keeps the order.
    void SortByColumn(int column);

    // Used by the search (networksearch.h): sets the seen mark without a change report, and
    // removes every unseen non-Books row (clearing the mark of the others), last to first.
    void MarkSeen(std::size_t index);
    void RemoveUnseen();

  private:
    void Changed(std::size_t index);
    void IndexMac(std::size_t index);
    void InvalidateMacIndex() { macIndexValid_ = false; }
    // Removes rows [first, last] with one report.
    void RemoveRange(std::size_t first, std::size_t last);

    std::vector<TDeviceRow> rows_;
    TModelNaming naming_;
    TListObserver* observer_ = nullptr;
    std::uint64_t nextId_ = 1;
    mutable std::unordered_map<std::string, std::vector<std::size_t>> macIndex_;
    mutable bool macIndexValid_ = true;
};

#include "manager/shell/devicelist.h"

#include <algorithm>
#include <utility>

#include "common/textcodec.h"
#include "common/textutil.h"
#include "manager/access/localinterfaces.h"

namespace {

// Optional sign, then at least one digit.
bool IsWholeNumber(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Compares two whole numbers of any length by value, without converting them to a machine
// integer, so long digit strings cannot overflow.
int CompareWholeNumbers(std::string_view a, std::string_view b) {
    auto split = [](std::string_view t) {
        bool negative = t.front() == '-';
        if (t.front() == '+' || t.front() == '-') t.remove_prefix(1);
        while (t.size() > 1 && t.front() == '0')
            t.remove_prefix(1);
        if (t == "0") negative = false;
        return std::pair{negative, t};
    };
    auto [negA, digitsA] = split(a);
    auto [negB, digitsB] = split(b);
    if (negA != negB) return negA ? -1 : 1;
    int magnitude = digitsA.size() != digitsB.size() ? (digitsA.size() < digitsB.size() ? -1 : 1)
                                                     : digitsA.compare(digitsB);
    magnitude = (magnitude > 0) - (magnitude < 0);
    return negA ? -magnitude : magnitude;
}

// The key a cell sorts by: its trimmed text as the device code page's bytes, so that Chinese
// texts come in the code page's order (pinyin for the common characters of GBK).
std::string CellSortKey(std::string_view text) {
    return ToDeviceBytes(TrimBlanks(text));
}

int CompareIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u + 32 : u;
    };
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int d = lower(a[i]) - lower(b[i]);
        if (d != 0) return d < 0 ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

const std::string& TDeviceRow::Text(int column) const {
    return column == kStateColumn ? state : columns.at(static_cast<std::size_t>(column));
}

int ChooseStatusIcon(std::string_view ip, std::string_view account, std::string_view displayName) {
    if (!IsLocalSubnet(ip)) return kIconRemote;
    return !account.empty() && !displayName.empty() ? kIconLocalComplete : kIconLocalPartial;
}

std::string ModelDisplayName(std::string_view model, const TModelNaming& naming) {
    if (model.empty()) return {};
    std::string trimmed(TrimBlanks(model));
    if (naming.lookup) {
        std::string name = naming.lookup(trimmed);
        if (!name.empty()) return name;
    }
    return naming.showUnknownDeviceType ? trimmed : std::string("undefined");
}

namespace {

int CompareSortKeys(std::string_view a, std::string_view b) {
    if (IsWholeNumber(a) && IsWholeNumber(b)) return CompareWholeNumbers(a, b);
    return CompareIgnoringAsciiCase(a, b);
}

}  // namespace

int CompareCellTexts(std::string_view a, std::string_view b) {
    return CompareSortKeys(CellSortKey(a), CellSortKey(b));
}

int FitLastColumnWidth(int listWidth, const std::vector<int>& widths, bool verticalScrollBar) {
    const int n = static_cast<int>(widths.size());
    if (n == 0) return 0;
    int width = listWidth;
    for (int i = 0; i + 1 < n; ++i)
        width -= widths[static_cast<std::size_t>(i)] + 1;
    int margin = (n + 1) / 2;
    if (verticalScrollBar) margin = n < 6 ? (n + 1) / 2 + 18 : (n + 1) / 10 + 15;
    return std::max(0, width - margin);
}

std::string TDeviceList::ModelDisplayName(std::string_view model) const {
    return ::ModelDisplayName(model, naming_);
}

std::size_t TDeviceList::AppendRow(TDeviceRow row) {
    std::vector<TDeviceRow> rows;
    rows.push_back(std::move(row));
    return AppendRows(std::move(rows));
}

std::size_t TDeviceList::AppendRows(std::vector<TDeviceRow> rows) {
    const std::size_t first = rows_.size();
    if (rows.empty()) return first;
    if (observer_) observer_->BeginInsertRows(first, first + rows.size() - 1);
    for (auto& row : rows) {
        row.id = nextId_++;
        rows_.push_back(std::move(row));
        IndexMac(rows_.size() - 1);
    }
    if (observer_) observer_->EndInsertRows();
    return first;
}

void TDeviceList::RemoveRow(std::size_t index) {
    if (index < rows_.size()) RemoveRange(index, index);
}

void TDeviceList::RemoveRange(std::size_t first, std::size_t last) {
    if (observer_) observer_->BeginRemoveRows(first, last);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(first),
                rows_.begin() + static_cast<std::ptrdiff_t>(last + 1));
    InvalidateMacIndex();
    if (observer_) observer_->EndRemoveRows();
}

void TDeviceList::Clear() {
    if (!rows_.empty()) RemoveRange(0, rows_.size() - 1);
}

void TDeviceList::EditRow(std::size_t index, const std::function<void(TDeviceRow&)>& edit) {
    TDeviceRow& row = rows_.at(index);
    const std::uint64_t id = row.id;
    const std::string mac = row.columns[kColMac];
    edit(row);
    row.id = id;
    if (row.columns[kColMac] != mac) InvalidateMacIndex();
    Changed(index);
}

void TDeviceList::ReleaseNetInfo() {
    for (auto& row : rows_)
        row.netInfo.reset();
}

std::vector<std::size_t> TDeviceList::RowsWithMac(std::string_view mac) const {
    if (!macIndexValid_) {
        macIndex_.clear();
        for (std::size_t i = 0; i < rows_.size(); ++i)
            macIndex_[rows_[i].columns[kColMac]].push_back(i);
        macIndexValid_ = true;
    }
    auto it = macIndex_.find(std::string(mac));
    return it == macIndex_.end() ? std::vector<std::size_t>{} : it->second;
}

std::optional<std::size_t> TDeviceList::FindRow(std::uint64_t id, std::size_t hint) const {
    if (hint < rows_.size() && rows_[hint].id == id) return hint;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].id == id) return i;
    return std::nullopt;
}

std::size_t TDeviceList::MergeDeviceText(const TDeviceText& text) {
    const int icon = ChooseStatusIcon(text.ip, text.account, text.displayName);
    const std::vector<std::size_t> matches = RowsWithMac(text.mac);
    for (std::size_t index : matches) {
        EditRow(index, [&](TDeviceRow& row) {
            row.columns[kColAccount] = text.account;
            row.columns[kColDisplayName] = text.displayName;
            row.columns[kColIp] = text.ip;
            row.columns[kColModel] = text.model;
            row.columns[kColFirmware] = text.firmware;
            row.icon = icon;
        });
    }
    if (!matches.empty()) return matches.back();

    TDeviceRow row;
    row.state = kStateOnline;
    row.columns = {text.account,
                   text.displayName,
                   text.ip,
                   text.mac,
                   text.model,
                   text.firmware,
                   text.interfaceAddress,
                   std::string(kLocationLocal)};
    row.icon = icon;
    return AppendRow(std::move(row));
}

void TDeviceList::SortByColumn(int column) {
    if (column < kStateColumn || column >= kColumnCount) return;
    const std::size_t n = rows_.size();
    // A merge sort of our own: texts that mix numbers and words need not form a consistent order
    // (9 < 10 by value, 10 < 1a and 1a < 9 by text), and std::sort's behaviour is undefined then.
    std::vector<std::size_t> order(n), scratch(n);
    std::vector<std::string> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
        order[i] = i;
        keys[i] = CellSortKey(rows_[i].Text(column));
    }
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            std::size_t l = lo, r = mid, out = lo;
            while (l < mid && r < hi) {
                bool takeRight = CompareSortKeys(keys[order[r]], keys[order[l]]) < 0;
                scratch[out++] = takeRight ? order[r++] : order[l++];
            }
            while (l < mid)
                scratch[out++] = order[l++];
            while (r < hi)
                scratch[out++] = order[r++];
        }
        order.swap(scratch);
    }
    if (observer_) observer_->BeginReorder();
    std::vector<TDeviceRow> sorted;
    sorted.reserve(n);
    std::vector<std::size_t> newIndex(n);
    for (std::size_t i : order) {
        newIndex[i] = sorted.size();
        sorted.push_back(std::move(rows_[i]));
    }
    rows_ = std::move(sorted);
    InvalidateMacIndex();
    if (observer_) observer_->EndReorder(newIndex);
}

void TDeviceList::MarkSeen(std::size_t index) {
    rows_.at(index).seen = true;
}

void TDeviceList::RemoveUnseen() {
    auto goes = [](const TDeviceRow& row) { return !row.seen && !row.IsBooks(); };
    // Each run of neighbouring rows that go is one removal.
    for (std::size_t end = rows_.size(); end > 0;) {
        if (!goes(rows_[end - 1])) {
            rows_[--end].seen = false;
            continue;
        }
        std::size_t first = end - 1;
        while (first > 0 && goes(rows_[first - 1]))
            --first;
        RemoveRange(first, end - 1);
        end = first;
    }
}

void TDeviceList::Changed(std::size_t index) {
    if (observer_) observer_->RowChanged(index);
}

void TDeviceList::IndexMac(std::size_t index) {
    if (macIndexValid_) macIndex_[rows_[index].columns[kColMac]].push_back(index);
}

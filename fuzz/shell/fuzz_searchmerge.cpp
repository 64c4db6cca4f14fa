// Arbitrary bytes as the records of a search (360 bytes each, the last one zero-padded) merged
// into a list that holds one Books row, then one record as the answer of the Books check.
// The list keeps one row per terminal found, with that terminal's last record, keeps its Books
// row, shows only valid UTF-8, and merging the same search again changes nothing.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/textcodec.h"
#include "fuzz/support/fuzzsupport.h"
#include "manager/access/devicerecord.h"
#include "manager/shell/networksearch.h"

using fuzzsupport::Check;

namespace {

constexpr std::size_t kMaxRecords = 64;

std::vector<std::array<std::string, kColumnCount>> Columns(const TDeviceList& list) {
    std::vector<std::array<std::string, kColumnCount>> out;
    for (const TDeviceRow& row : list.Rows())
        out.push_back(row.columns);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    TSearchAllResult search;
    search.result = 1;
    for (std::size_t at = 0; at < size && search.records.size() < kMaxRecords;
         at += devrec::kSize) {
        TDeviceRecord record{};
        std::memcpy(record.bytes, data + at, std::min(devrec::kSize, size - at));
        search.records.push_back(record);
    }
    const TDeviceRecord& first = search.records.front();
    const TDeviceRecord& last = search.records.back();

    TDeviceList list;
    TModelNaming naming;
    naming.lookup = [](const std::string& model) {
        return model == "SIP310" ? std::string("Door station") : std::string();
    };
    naming.showUnknownDeviceType = size & 1;
    list.SetModelNaming(naming);
    TDeviceRow books;
    books.state = std::string(kStateOffline);
    books.columns[kColIp] = IpToText(first.bytes + devrec::kIp);
    books.columns[kColMac] = MacToText(first.bytes + devrec::kMac);
    books.columns[kColLocation] = std::string(kLocationBooks);
    list.AppendRow(books);

    ApplySearchAll(list, search);

    // The last SIP record of each MAC decides its row's address.
    std::map<std::string, std::string> ipOfMac;
    for (const TDeviceRecord& r : search.records)
        if (IsSipModel(r.bytes + devrec::kModel))
            ipOfMac[MacToText(r.bytes + devrec::kMac)] = IpToText(r.bytes + devrec::kIp);
    std::size_t booksRows = 0, localRows = 0;
    std::set<std::string> localMacs;
    for (const TDeviceRow& row : list.Rows()) {
        for (const std::string& text : row.columns)
            Check(SanitizeUtf8(text) == text);
        const auto known = ipOfMac.find(row.columns[kColMac]);
        if (row.IsBooks()) {
            ++booksRows;
            continue;
        }
        ++localRows;
        Check(known != ipOfMac.end() && row.columns[kColIp] == known->second);
        Check(row.state == kStateOnline && localMacs.insert(row.columns[kColMac]).second);
    }
    Check(booksRows == 1);
    Check(localRows == ipOfMac.size() - ipOfMac.count(books.columns[kColMac]));

    const auto once = Columns(list);
    ApplySearchAll(list, search);
    Check(Columns(list) == once);

    // The Books check answers with the last record.
    const auto queries = PlanBooksQueries(list);
    Check(queries.size() == 1);
    TBooksQuery query = queries.front();
    Check(RefreshQuery(list, query));
    const auto changed = ApplyBooksAnswer(list, query, TBooksAnswer{1, last});
    const TDeviceRow& row = list.Row(query.rowIndex);
    const bool sip = IsSipModel(last.bytes + devrec::kModel);
    Check(changed.has_value() == sip);
    if (sip) {
        Check(row.state == kStateOnline &&
              row.columns[kColMac] == MacToText(last.bytes + devrec::kMac));
        Check(row.columns[kColIp] == query.ip);
    }
    for (const std::string& text : row.columns)
        Check(SanitizeUtf8(text) == text);
    return 0;
}

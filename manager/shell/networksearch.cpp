#include "manager/shell/networksearch.h"

#include <algorithm>
#include <cstring>

#include "manager/access/devicerecord.h"

namespace {

// The texts of a search record as the list shows them.
struct TRecordTexts {
    std::string account, displayName, ip, mac, model, firmware, interfaceAddress;
    TRowNetInfo netInfo;
};

TIpBytes AddressAt(const TDeviceRecord& record, std::size_t offset) {
    TIpBytes bytes;
    std::memcpy(bytes.data(), record.bytes + offset, bytes.size());
    return bytes;
}

TRecordTexts ReadRecord(const TDeviceRecord& record, const TDeviceList& list) {
    const std::uint8_t* b = record.bytes;
    TRecordTexts t;
    t.account = FixedToStr(b + devrec::kAccount, devrec::kAccountWidth);
    t.displayName = FixedToStr(b + devrec::kDisplayName, devrec::kDisplayNameWidth);
    t.ip = IpToText(b + devrec::kIp);
    t.mac = MacToText(b + devrec::kMac);
    t.model = list.ModelDisplayName(FixedToStr(b + devrec::kModel, devrec::kModelWidth));
    t.firmware = FixedToStr(b + devrec::kFirmware, devrec::kFirmwareWidth);
    t.interfaceAddress = IpToText(b + devrec::kInterface);
    t.netInfo = {AddressAt(record, devrec::kMask), AddressAt(record, devrec::kGateway),
                 AddressAt(record, devrec::kDns1), AddressAt(record, devrec::kDns2)};
    return t;
}

bool IsSipRecord(const TDeviceRecord& record) {
    return IsSipModel(record.bytes + devrec::kModel);
}

// The columns both procedures take from a record; IP, MAC, state and location are the callers'.
void TakeRecordTexts(TDeviceRow& row, const TRecordTexts& t) {
    row.columns[kColAccount] = t.account;
    row.columns[kColDisplayName] = t.displayName;
    row.columns[kColModel] = t.model;
    row.columns[kColFirmware] = t.firmware;
    row.columns[kColInterface] = t.interfaceAddress;
    row.netInfo = t.netInfo;
}

void MergeRecord(TDeviceList& list, const TRecordTexts& t) {
    const int icon = ChooseStatusIcon(t.ip, t.account, t.displayName);
    const std::vector<std::size_t> matches = list.RowsWithMac(t.mac);
    for (std::size_t index : matches) {
        list.EditRow(index, [&](TDeviceRow& row) {
            TakeRecordTexts(row, t);
            row.columns[kColIp] = t.ip;
            row.icon = icon;
        });
        list.MarkSeen(index);
    }
    if (!matches.empty()) return;
    TDeviceRow row;
    row.state = kStateOnline;
    TakeRecordTexts(row, t);
    row.columns[kColIp] = t.ip;
    row.columns[kColMac] = t.mac;
    row.columns[kColLocation] = kLocationLocal;
    row.icon = icon;
    row.seen = true;
    list.AppendRow(std::move(row));
}

}  // namespace

TSearchAllResult RunSearchAll(IDeviceAccess& access) {
    TSearchAllResult search;
    search.records.assign(kSearchCapacity, TDeviceRecord{});
    std::int32_t count = kSearchCapacity;
    search.result = access.SearchAll(search.records.data(), &count);
    if (search.result != kvresult::kOk) count = 0;
    search.records.resize(static_cast<std::size_t>(std::clamp(count, 0, kSearchCapacity)));
    return search;
}

void ApplySearchAll(TDeviceList& list, const TSearchAllResult& search) {
    if (search.result != kvresult::kOk) return;
    for (const TDeviceRecord& record : search.records) {
        if (IsSipRecord(record)) MergeRecord(list, ReadRecord(record, list));
    }
    list.RemoveUnseen();
}

std::vector<TBooksQuery> PlanBooksQueries(const TDeviceList& list) {
    std::vector<TBooksQuery> queries;
    for (std::size_t i = 0; i < list.RowCount(); ++i) {
        const TDeviceRow& row = list.Row(i);
        if (row.IsBooks()) queries.push_back({row.id, i, row.columns[kColIp]});
    }
    return queries;
}

bool RefreshQuery(const TDeviceList& list, TBooksQuery& query) {
    const std::optional<std::size_t> index = list.FindRow(query.rowId, query.rowIndex);
    if (!index || !list.Row(*index).IsBooks()) return false;
    query.rowIndex = *index;
    query.ip = list.Row(*index).columns[kColIp];
    return true;
}

TBooksAnswer LookUpBooksRow(IDeviceAccess& access, const TBooksQuery& query) {
    TBooksAnswer answer;
    answer.result = access.SearchOne(query.ip, &answer.record);
    return answer;
}

std::optional<std::size_t> ApplyBooksAnswer(TDeviceList& list, const TBooksQuery& query,
                                            const TBooksAnswer& answer) {
    const std::optional<std::size_t> index = list.FindRow(query.rowId, query.rowIndex);
    if (!index) return std::nullopt;
    const TDeviceRow& current = list.Row(*index);
    if (!current.IsBooks() || current.columns[kColIp] != query.ip) return std::nullopt;

    if (answer.result != kvresult::kOk) {
        list.EditRow(*index, [](TDeviceRow& row) {
            row.state = kStateOffline;
            row.icon = kIconUnreachable;
        });
        return index;
    }
    if (!IsSipRecord(answer.record)) return std::nullopt;
    const TRecordTexts t = ReadRecord(answer.record, list);
    list.EditRow(*index, [&](TDeviceRow& row) {
        row.state = kStateOnline;
        TakeRecordTexts(row, t);
        row.columns[kColMac] = t.mac;
        row.icon = ChooseStatusIcon(row.columns[kColIp], t.account, t.displayName);
    });
    return index;
}

std::int32_t SearchNetwork(TDeviceList& list, IDeviceAccess& access, TSearchObserver& observer) {
    const TSearchAllResult search = RunSearchAll(access);
    observer.PumpEvents();
    ApplySearchAll(list, search);
    return search.result;
}

void RefreshBooks(TDeviceList& list, IDeviceAccess& access, TSearchObserver& observer) {
    for (TBooksQuery& query : PlanBooksQueries(list)) {
        if (RefreshQuery(list, query)) ApplyBooksAnswer(list, query, LookUpBooksRow(access, query));
        observer.Advance();
        observer.PumpEvents();
    }
}

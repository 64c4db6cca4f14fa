// The search: the full network search merged into the list, then the per-address check of the
// Books rows.
//
// Each step is split into the library call (blocking, touches no list, may run on a worker
// thread) and the application of its result to the list (window thread). SearchNetwork and
// RefreshBooks chain both for callers that may block (the command-line program, tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "manager/access/deviceaccess.h"
#include "manager/shell/devicelist.h"

// Capacity of the full search, in records.
constexpr std::int32_t kSearchCapacity = 1024;

// Points where a window lets pending events run, and the progress of the Books check.
class TSearchObserver {
  public:
    virtual ~TSearchObserver() = default;
    virtual void PumpEvents() {}
    virtual void Advance() {}  // one Books row checked
};

struct TSearchAllResult {
    std::int32_t result = 0;
    std::vector<TDeviceRecord> records;  // the filled records (none unless result is 1)
};

// kv_search_all into a zeroed buffer of 1024 records. A count outside 0..1024 from the library is
// bounded to that range.
TSearchAllResult RunSearchAll(IDeviceAccess& access);

// Merges the records into the list by MAC text and removes the rows the search did not find
// (except Books rows). A result other than 1 changes nothing. The observer sees each row
// changed, appended or removed, never a reset.
void ApplySearchAll(TDeviceList& list, const TSearchAllResult& search);

// One Books row to check: its id, its index and its IP text when the check was planned.
struct TBooksQuery {
    std::uint64_t rowId = 0;
    std::size_t rowIndex = 0;
    std::string ip;
};

struct TBooksAnswer {
    std::int32_t result = 0;
    TDeviceRecord record{};
};

// The Books rows of the list, in list order.
std::vector<TBooksQuery> PlanBooksQueries(const TDeviceList& list);

// Brings a query up to date just before its call (the list may have changed while earlier rows
// were checked): its row's current index and IP text. False when the row is gone or no longer a
// Books row; such a query is skipped.
bool RefreshQuery(const TDeviceList& list, TBooksQuery& query);

// kv_search_one on the query's address.
TBooksAnswer LookUpBooksRow(IDeviceAccess& access, const TBooksQuery& query);

// Applies one answer to its row: "Offline"/icon 0 when nothing answered (texts kept), the record's
// texts and "Online" for a SIP terminal, nothing for another terminal. An answer whose row has
// gone, left the Books or changed its IP text meanwhile is dropped. Returns the row's index when
// the row was changed.
std::optional<std::size_t> ApplyBooksAnswer(TDeviceList& list, const TBooksQuery& query,
                                            const TBooksAnswer& answer);

// The whole search step: RunSearchAll, then (after letting events run) ApplySearchAll. Returns
// the library's result.
std::int32_t SearchNetwork(TDeviceList& list, IDeviceAccess& access, TSearchObserver& observer);

// Every Books row checked in list order, each with its IP text at the time of its call; after
// each row the observer advances and pumps events.
void RefreshBooks(TDeviceList& list, IDeviceAccess& access, TSearchObserver& observer);

#include "manager/plans/planrun.h"

#include <map>

#include "common/textutil.h"
#include "manager/access/devicerecord.h"
#include "manager/params/pagesave.h"
#include "manager/shell/networksearch.h"

namespace {

std::string WithResult(std::string text, std::int32_t result) {
    return text + " (result " + ResultNumberText(result) + ")";
}

TMacBytes RecordMac(const TDeviceRecord& record) {
    TMacBytes mac;
    std::copy_n(record.bytes + devrec::kMac, mac.size(), mac.begin());
    return mac;
}

std::string RecordIp(const TDeviceRecord& record) {
    return IpToText(record.bytes + devrec::kIp);
}

class TPlanApplier {
  public:
    TPlanApplier(IDeviceAccess& access, const TPlanRunOptions& options)
        : access_(access), options_(options) {}

    // The search that finds terminals planned by MAC, once for the whole plan.
    void SearchLocalNetwork() {
        for (const TDeviceRecord& record : RunSearchAll(access_).records)
            found_.emplace(RecordMac(record), RecordIp(record));
    }

    TPlanResult Apply(const TPlanRow& row, TPlanKey key);

  private:
    // Finds the terminal: its access address (empty: reached by MAC) and MAC.
    bool Find(const TPlanRow& row, TPlanKey key, TPlanResult& result, std::string& access,
              TMacBytes& mac);
    // After an address change: the terminal asked for at its new address.
    void FindAgain(const TMacBytes& mac, const std::string& newIp, TPlanResult& result);

    IDeviceAccess& access_;
    const TPlanRunOptions& options_;
    std::map<TMacBytes, std::string> found_;
};

bool TPlanApplier::Find(const TPlanRow& row, TPlanKey key, TPlanResult& result, std::string& access,
                        TMacBytes& mac) {
    if (key == TPlanKey::kMac) {
        const auto it = found_.find(row.mac);
        if (it == found_.end()) {
            result.detail = "not found by the search on the local network";
            return false;
        }
        mac = row.mac;
        access.clear();
        result.address = it->second;
    } else {
        const std::int32_t answer = FindTerminalAt(access_, row.ip, mac);
        if (answer != kvresult::kOk) {
            result.detail = WithResult("no terminal answers at this address", answer);
            return false;
        }
        access = row.ip;
        result.address = row.ip;
    }
    result.mac = MacToText(mac.data());
    return true;
}

void TPlanApplier::FindAgain(const TMacBytes& mac, const std::string& newIp, TPlanResult& result) {
    TMacBytes answered{};
    const std::int32_t answer = FindTerminalAt(access_, newIp, answered);
    if (answer == kvresult::kOk && answered == mac) {
        result.address = newIp;
    } else {
        result.detail = WithResult("written, but not found again at " + newIp, answer);
    }
}

TPlanResult TPlanApplier::Apply(const TPlanRow& row, TPlanKey key) {
    TPlanResult result;
    result.line = row.line;
    result.terminal = row.terminal;
    std::string access;
    TMacBytes mac{};
    if (!Find(row, key, result, access, mac)) {
        result.outcome = TPlanOutcome::kNotFound;
        return result;
    }
    result.outcome = TPlanOutcome::kRefused;
    TParamBlock before;
    const std::int32_t read = ReadParamBlock(access_, access, mac, before);
    if (read != kvresult::kOk) {
        result.detail =
            WithResult("reading failed after " + std::to_string(kReadAttempts) + " attempts", read);
        return result;
    }
    result.detail = WriteRefusal(before);
    if (!result.detail.empty()) return result;
    TParamBlock after;
    result.detail = SaveAssignedValues(before, row.values, after);
    if (!result.detail.empty()) return result;
    // Planned values count as changed against what the pages show of the terminal: a value the
    // save only writes back as shown is not worth a write.
    const TParamBlock shown = SaveShownPages(before, before);
    for (const TFieldAssignment& value : row.values) {
        std::string current = FormatNamedValue(shown, value.Named());
        std::string next = FormatNamedValue(after, value.Named());
        if (current != next) result.changes.push_back({std::string(value.Name()), current, next});
    }
    // Only the planned fields count: the copies that a write refreshes alone are not worth one.
    if (result.changes.empty()) {
        result.outcome = TPlanOutcome::kUnchanged;
        return result;
    }
    if (options_.dryRun) {
        result.outcome = TPlanOutcome::kWouldChange;
        return result;
    }
    const std::string movedTo = MovedAddress(before, after);
    const TWriteBackOutcome written =
        WriteBackBlock(access_, access, mac, after, options_.askCredentials, movedTo);
    if (written.kind != TWriteBackOutcome::TKind::kWritten) {
        result.detail = written.text;
        result.wantedCredentials = written.kind == TWriteBackOutcome::TKind::kLoginDeclined;
        return result;
    }
    result.outcome = TPlanOutcome::kChanged;
    result.written = after;
    // The terminal now answers at its new address: the report names it there.
    if (!movedTo.empty()) FindAgain(mac, movedTo, result);
    return result;
}

}  // namespace

std::string_view PlanOutcomeText(TPlanOutcome outcome) {
    switch (outcome) {
        case TPlanOutcome::kChanged:
            return "changed";
        case TPlanOutcome::kUnchanged:
            return "unchanged";
        case TPlanOutcome::kWouldChange:
            return "would change";
        case TPlanOutcome::kNotFound:
            return "not found";
        case TPlanOutcome::kRefused:
            return "refused";
        case TPlanOutcome::kNotApplied:
            break;
    }
    return "not applied";
}

std::vector<TPlanResult> RunPlan(IDeviceAccess& access, const TPlan& plan,
                                 const TPlanRunOptions& options) {
    std::vector<TPlanResult> results;
    for (const TPlanRow& row : plan.rows) {
        TPlanResult result;
        result.line = row.line;
        result.terminal = row.terminal;
        results.push_back(result);
    }
    TPlanApplier applier(access, options);
    bool searched = false;
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        if (options.stopRequested && options.stopRequested()) break;
        if (plan.key == TPlanKey::kMac && !searched) {
            applier.SearchLocalNetwork();
            searched = true;
        }
        results[i] = applier.Apply(plan.rows[i], plan.key);
        if (options.progress) options.progress(i, results[i]);
    }
    return results;
}

bool PlanSucceeded(const std::vector<TPlanResult>& results) {
    for (const TPlanResult& result : results)
        if (result.outcome != TPlanOutcome::kChanged &&
            result.outcome != TPlanOutcome::kUnchanged &&
            result.outcome != TPlanOutcome::kWouldChange)
            return false;
    return true;
}

std::string ChangesText(const std::vector<TFieldChange>& changes) {
    std::string text;
    for (const TFieldChange& change : changes) {
        if (!text.empty()) text += "; ";
        text += change.field + ": " + change.current + " → " + change.next;
    }
    return text;
}

TTableCells PlanReportTable(const std::vector<TPlanResult>& results) {
    TTableCells table{{"Line", "Terminal", "MAC", "Address", "Result", "Detail", "Changes"}, {}};
    for (const TPlanResult& result : results)
        table.rows.push_back({std::to_string(result.line), result.terminal, result.mac,
                              result.address, std::string(PlanOutcomeText(result.outcome)),
                              result.detail, ChangesText(result.changes)});
    return table;
}

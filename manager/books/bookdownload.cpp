#include "manager/books/bookdownload.h"

#include "manager/access/addresstext.h"

TDownloadEntries BuildSelectionEntries(EDownloadKind kind, const TListRows& rows) {
    if (kind == EDownloadKind::Zones) {
        std::vector<TZoneRow> zones;
        zones.reserve(rows.size());
        for (const TListRow& row : rows)
            zones.push_back({row.number, row.Column(multicastcol::kZoneName),
                             row.Column(multicastcol::kAddress), row.Column(multicastcol::kPort)});
        return BuildZoneEntries(zones);
    }
    std::vector<TContactRow> contacts;
    contacts.reserve(rows.size());
    for (const TListRow& row : rows)
        contacts.push_back({row.Column(contactcol::kSipAccount),
                            row.Column(contactcol::kDisplayName),
                            row.Column(contactcol::kGroupName)});
    return BuildContactEntries(contacts);
}

bool IsTerminalOnline(const std::string& address, const TSearchOne& searchOne) {
    if (!IsValidIPStrict(address)) return false;
    TDeviceRecord record{};
    return searchOne(address, &record) == 1 && IsSipModel(record.bytes + devrec::kModel);
}

TBookDownloadOutcome RunBookDownload(EDownloadKind kind, const TListRows& rows,
                                     const std::string& address, const TBookDownloadSteps& steps) {
    if (rows.empty()) return TBookDownloadOutcome::kEmpty;
    if (!steps.login()) return TBookDownloadOutcome::kLoginFailed;
    if (steps.save) steps.save();
    TBookDownloadOutcome outcome = TBookDownloadOutcome::kOffline;
    {
        // The entry lists live until the job has ended.
        const TDownloadEntries entries = BuildSelectionEntries(kind, rows);
        if (!IsTerminalOnline(address, steps.searchOne))
            steps.offline();
        else
            outcome = steps.runJob(address, entries) ? TBookDownloadOutcome::kDone
                                                     : TBookDownloadOutcome::kFailed;
    }
    steps.logout();
    return outcome;
}

// The updater hand-off file "~devlist.lst": one line per terminal, six fields joined by ";",
// lines ending CR LF, in the device code page. The manager writes it, Vellup reads it; both
// go through this one pair of functions so they always agree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One terminal as the manager's device list shows it (UTF-8 texts, unchanged).
struct TDevListRow {
    std::string mac;      // field 0
    std::string ip;       // field 1
    std::string name;     // field 2, display name
    std::string version;  // field 3, firmware version
    std::string netif;    // field 4, network interface
    std::string model;    // field 5, device model

    bool operator==(const TDevListRow&) const = default;
};

// The whole file content in device bytes: every row as one line ending CR LF.
std::string FormatDevList(const std::vector<TDevListRow>& rows);

// Parses file content in device bytes. Lines may end CR LF or LF; missing fields are empty.
// A line with more than six fields had a ";" inside a field: the surplus is put back into the
// display name (the only free text), so the later columns still show the right texts.
std::vector<TDevListRow> ParseDevList(std::string_view bytes);

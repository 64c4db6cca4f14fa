// Settings plans: a spreadsheet (a CSV or text file as spreadsheets save it, or an .xlsx
// workbook; common/tablefile.h) with a header line that names terminals in its first
// column, by MAC ("mac") or by address ("ip"), and gives values in the other columns, named as on
// the command line (paramassign.h): page values in their pages' forms, other fields in their own.
// An empty cell leaves the value as the terminal has it.
//
// A plan is checked as a whole before any terminal is touched: an unknown column, a terminal
// named twice, a bad MAC or address, a value that does not fit its form; every finding carries
// its line and column, and a plan with findings is not applied. What depends on a terminal (its
// model's pages, the checks across boxes) is checked on its block before it is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/tablefile.h"
#include "manager/access/addresstext.h"
#include "manager/params/paramassign.h"
#include "manager/params/paramblock.h"

enum class TPlanKey { kMac, kIp };

// One terminal of a plan: the non-empty cells of its line, in column order.
struct TPlanRow {
    int line = 0;          // line of the file, from 1 (the header is line 1)
    std::string terminal;  // the first cell as written, trimmed
    TMacBytes mac{};       // plans keyed by MAC
    std::string ip;        // plans keyed by address: the dotted text
    std::vector<TFieldAssignment> values;
};

struct TPlan {
    TPlanKey key = TPlanKey::kMac;
    std::vector<TParamName> columns;  // the value columns, after the first one
    std::vector<TPlanRow> rows;
};

// A finding of the plan check; column from 1 (0: the line as a whole).
struct TPlanError {
    int line = 0;
    int column = 0;
    std::string text;
};
// "line 3, column 2: ..." (or "line 3: ...").
std::string PlanErrorText(const TPlanError& error);

// A MAC in any usual form: six hexadecimal pairs separated by ":" or "-" or not at all, three
// groups of four hexadecimal digits separated by ".", or the system's own MAC text (six decimal
// numbers up to 255 joined by "."). Letter case does not matter; nothing else is accepted.
std::optional<TMacBytes> ParsePlanMac(std::string_view text);

// Parses and checks a plan from the bytes of its file. Returns true when it has no finding;
// otherwise errors holds every finding (in line order) and plan must not be applied.
bool ParsePlan(std::string_view bytes, TPlan& plan, std::vector<TPlanError>& errors);

// Reads and parses a plan file. A file that cannot be read is one finding at line 0 with the
// system's error text.
bool LoadPlanFile(const std::string& path, TPlan& plan, std::vector<TPlanError>& errors);

// A plan as a starting point: the header (key column, then the names) and one line per terminal
// with its values as its pages show them; values of pages the terminal lacks are left empty.
struct TPlanExportRow {
    std::string terminal;  // MAC text or IP text, as the key column wants
    TParamBlock block;
};
TTableCells PlanTable(TPlanKey key, const std::vector<TParamName>& names,
                      const std::vector<TPlanExportRow>& rows);

// The address books on the PC: the contact list, the multicast zone list and the two download
// selections taken from them. All four are ordered lists of rows of text columns, kept in one
// line-oriented file format, the list file.
//
// A list file holds, for each row in order: the row number on a line of its own, "@" and the
// image index, then one line per column made of a TAB and the column text. Every line ends with
// CR LF; an empty list is an empty file. Texts are in the device code page (common/textcodec.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One row of a list. In memory texts are UTF-8.
struct TListRow {
    std::string number;  // the row's 1-based position as decimal text ("1", "2", ...)
    int imageIndex = 0;  // 0 for every row these lists create
    std::vector<std::string> columns;
    // The device bytes each column was read from. A column whose text is still what its bytes
    // decode to is written back as those bytes, so bytes that do not decode survive a save of
    // other rows instead of becoming "?".
    std::vector<std::string> readBytes = {};

    // The text of column i, empty when the row has fewer columns.
    const std::string& Column(std::size_t i) const;
    // Rows are equal by what they show: number, image index and column texts.
    bool operator==(const TListRow& other) const {
        return number == other.number && imageIndex == other.imageIndex && columns == other.columns;
    }
};

using TListRows = std::vector<TListRow>;

// The columns of the two kinds of list.
namespace contactcol {
constexpr std::size_t kSipAccount = 0, kDisplayName = 1, kGroupName = 2;
}
namespace multicastcol {
constexpr std::size_t kZoneName = 0, kAddress = 1, kPort = 2;
}

// The four files, in the data folder "Data" of the program folder. No setting changes them.
inline constexpr const char* kDataFolderName = "Data";
inline constexpr const char* kContactsFile = "Contacts.dat";
inline constexpr const char* kMulticastsFile = "Multicasts.dat";
inline constexpr const char* kDlContactsFile = "DlContacts.dat";
inline constexpr const char* kDlMulticastsFile = "DlMulticasts.dat";

// programFolder + "Data" (without a trailing separator).
std::string DataFolderOf(const std::string& programFolder);
// The path of fileName (one of the four above) in the data folder of programFolder.
std::string ListFilePath(const std::string& programFolder, const char* fileName);

// The file's bytes for rows. CR and LF inside a text are written as blanks, so that every row
// reads back as one row.
std::string FormatListFile(const TListRows& rows);

// Replaces rows with the rows of a list file's bytes and returns their count. Lines may end with
// CR LF, CR or LF. A TAB line adds a column (trimmed of characters of code 32 or less), a line
// "@d" sets the image index to the digit d (0 for anything else), any other line starts a row
// whose number is the line. Empty lines, and TAB and "@" lines before the first row, are skipped.
std::size_t ParseListFile(std::string_view bytes, TListRows& rows);

// Reads the list file at path into rows and returns the row count. A missing file leaves rows
// unchanged and gives 0. A file that exists but cannot be read also leaves rows unchanged, gives
// 0 and sets *error (when given) to the system's error text; *error is cleared otherwise.
std::size_t LoadListFile(TListRows& rows, const std::string& path, std::string* error = nullptr);

// Writes every row to path, creating the folder (with its parents) when missing. The file is
// replaced atomically: a failed write leaves the old file as it was. Returns false and sets
// *error (when given) to the system's error text when the folder or the file cannot be written.
bool SaveListFile(const TListRows& rows, const std::string& path, std::string* error = nullptr);

// Sets every row's number to its 1-based position.
void RenumberRows(TListRows& rows);

// Appends a row with the given (trimmed) texts; its number is the new row count.
void AppendListRow(TListRows& rows, std::vector<std::string> columns);

// Removes row index (when it exists) and renumbers the rest.
void DeleteListRow(TListRows& rows, std::size_t index);

// Exchanges the contents of rows from and to; both keep their numbers, and when keepColumn names
// a column both keep their text of that column too (the zone selection keeps its zone names in
// place and moves only address and port). Does nothing when from equals to or either is not a
// row. The caller then selects row to.
void MoveListRow(TListRows& rows, int from, int to, std::optional<std::size_t> keepColumn);

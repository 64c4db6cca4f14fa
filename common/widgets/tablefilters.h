// File dialog filters for tables (common/tablefile.h), the same in every window.
#pragma once

// Opening: CSV and text files as spreadsheets save them, and workbooks.
inline constexpr const char* kTableOpenFilter =
    "CSV, text or Excel workbook (*.csv *.txt *.xlsx);;All files (*)";
// Saving: the chosen filter gives a name typed without extension its extension.
inline constexpr const char* kTableSaveFilter = "CSV file (*.csv);;Excel workbook (*.xlsx)";

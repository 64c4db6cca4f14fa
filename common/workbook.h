// .xlsx workbooks, the parts the table file needs: reading the first worksheet's cells as texts
// and writing one worksheet of string cells. Built on a zip library and RapidXML for reading and
// on libxlsxwriter for writing; a build without them refuses workbooks with a plain message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/tablefile.h"

// Whether this build reads and writes workbooks (PELMORA_WORKBOOKS); one without refuses them
// with a plain message.
bool WorkbooksBuilt();

// Reads the first worksheet of a workbook (the bytes of an .xlsx file).
bool ParseWorkbook(std::string_view bytes, TTable& table, TTableError* error);

// The shared string table of a workbook ("xl/sharedStrings.xml"): one text per item, rich text
// runs joined, phonetic runs left out.
bool ParseSharedStrings(std::string xml, std::vector<std::string>& strings, TTableError* error);

// One worksheet's XML: its rows of cells as texts, empty rows left out. Numbers come back as
// a spreadsheet shows them in a general cell (8001, not 8001.0).
bool ParseSheetXml(std::string xml, const std::vector<std::string>& sharedStrings, TTable& table,
                   TTableError* error);

// The bytes of an .xlsx file with one worksheet holding header and rows as string cells.
bool WorkbookBytes(const std::vector<std::string>& header,
                   const std::vector<std::vector<std::string>>& rows, std::string& bytes,
                   std::string* error);

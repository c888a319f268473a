// CSV of records for a spreadsheet: the searched columns and the key values of each record's
// document, RFC 4180 quoting, UTF-8 with a byte order mark, and any text cell that starts with
// "=", "+", "-" or "@" neutralised with a leading apostrophe (a spreadsheet would run it). The
// rows are read page by page, so a large export takes little memory.
#pragma once

#include <QString>

#include "records/RecordStore.h"

namespace tarvello::records {

// One cell as written: quoted where needed, neutralised where it would be a formula.
QString CsvCell(const QString& text);

// Writes every record the filter matches, newest first; the number written, or -1 with error.
int ExportCsv(RecordSource& store, const RecordFilter& filter, const QString& path, QString* error);

} // namespace tarvello::records

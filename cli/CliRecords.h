// Calibration records on the command line: adjust, read and check store a record of their run
// (unless --no-record), and the records command lists, shows, exports and tidies them.
#pragma once

#include <QString>

#include "cli/CliReport.h"
#include "cli/CliRequest.h"
#include "records/Record.h"

class QCommandLineParser;

namespace tarvello::cli {

void DeclareRecordOptions(QCommandLineParser& parser);
// The record options of the command line; the sentence for the error, or an empty text.
QString TakeRecordOptions(const QCommandLineParser& parser, CliRequest& request);

// Stores the record of a finished run of adjust, read or check (calibrate stores the record of
// its flow itself, through the two functions below).
void StoreRunRecord(const CliRequest& request, const QDateTime& started, CliReport& report);

// The record of a finished run as every command makes it: station, login name unless
// --operator, the document {schema, program_version, command, sensor, port, supply, exit_code,
// error, result} and the line trace of --trace (its file written to the end first).
records::RecordRow RunRecordRow(const CliRequest& request, const QDateTime& started,
                                const CliReport& report);
// Stores a run's record unless --no-record or a usage error: "record_id" and "record_stored"
// in the report; a record that could not be stored anywhere is printed whole ("record"); exit 8
// where no earlier code applies.
void StoreRecordRow(const CliRequest& request, const records::RecordRow& row, CliReport& report);

// records list | show ID | export --csv FILE | overdue --days N | prune --sent --older-than DAYS
// | move-aside.
void RunRecords(const CliRequest& request, CliReport& report);

// The records file of the request: --records, else the shared data folder's.
QString RecordsPath(const CliRequest& request);

} // namespace tarvello::cli

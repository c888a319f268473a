// The window's calibration records: a sensor page's adjustment, single reading and paper check,
// and the guided calibration, each kept as one record when it ends.
//
// The records are stored by a worker thread of the keeper's own, one after another, never on the
// UI thread: a records file that is locked, slow or on a network share never freezes the window.
// (The window's background runs are not used for this: they block input and count as a running
// step, which a store must never do.) A record that the file does not take goes to the file's
// side file (RecordStore); where even that fails it is kept in memory and tried again with every
// later record, and the line that showed the action's end says so. A page action taken by the
// guided calibration is a step of the guided record, not a record of its own.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "records/Record.h"
#include "records/RecordStore.h"
#include "sensor/AdjustCurve.h"
#include "sensor/Verdict.h"

class CSensorPage;
class CGuidedCalibration;
class QLabel;

namespace tarvello::ui {

// The records file of the window: --records for this run, else the setting "records/path", else
// "records.sqlite" in the data folder it shares with tarvello-cli.
QString RecordsFilePath();
void SetRecordsFileOverride(const QString& path);
// Saves the setting "records/path" (an empty path: the data folder's file again).
void SaveRecordsFileSetting(const QString& path);

// The parts of a record's document, as pure functions.
// Each criterion with its code, value, limits and outcome (its sentence is made when shown).
QJsonArray CriteriaJson(const verdict::Result& result);
// The points of an adjustment run, with its band and how it ended.
QJsonObject CurveJson(const CurveRun& run);
// A record of the window: id, station, operator (the login name), started and finished, the
// document's common keys (schema, program_version, command, sensor) and the verdict, if judged.
records::RecordRow WindowRecord(const QString& kind, const QString& printerId,
                                const QString& operatorName, const verdict::Result* verdict);
// The connection as the window holds it now: the device, its speed and its framing.
QJsonObject ConnectionJson();
// The sentence of what became of a record: "Record stored", or why not and where it waits.
QString RecordNote(const records::StoreOutcome& outcome, const QString& sideFile);

class CRecordKeeper : public QObject {
    Q_OBJECT
  public:
    // The keeper of the process (made on the UI thread at its first use).
    static CRecordKeeper* Instance();
    // Stores what is still in flight and ends the worker; the program calls it before it ends.
    static void Finish();
    ~CRecordKeeper() override;

    // Stores row on the keeper's worker; note runs afterwards on the UI thread with the
    // sentence of what became of it, unless context has gone by then.
    void Keep(const records::RecordRow& row, QObject* context,
              std::function<void(const QString&)> note);
    // Waits until every record given so far has been dealt with (for tests and the end).
    void WaitIdle();
    // The records neither the file nor its side file took, kept here meanwhile.
    QList<records::RecordRow> Unstored() const;

    // The pages' hooks: a page's readings and checks are kept when they end; an adjustment
    // started by a page is followed to the end of its worker.
    void WatchPage(CSensorPage* page);
    // A page's reading or check begins (its record's start).
    void ActionStarted(CSensorPage* page);
    void AdjustmentStarted(CSensorPage* page);
    // The guided calibration reached its result (the note goes into line), or closed before it.
    void GuidedEnded(const CGuidedCalibration* wizard, bool reachedResult, QLabel* line);
    // The record of the guided calibration that ended last (for its report), if any.
    std::optional<records::RecordRow> LastGuided() const { return m_lastGuided; }

  private:
    CRecordKeeper();
    struct Worker;
    std::unique_ptr<Worker> m_worker;
    std::optional<records::RecordRow> m_lastGuided;
};

// Shows a record's note on a page's verdict line: after the verdict when one is shown, alone
// otherwise.
void ShowRecordNote(QLabel* line, const QString& note);

} // namespace tarvello::ui

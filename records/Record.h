// One calibration record as it is kept: made once, when its run ends, and never changed. The
// columns that are searched (printer ID, time, verdict, operator, station, profile) stand on
// their own; everything else is one JSON document. What happens to a record later (sent to the
// plant, corrected by a later record) is kept beside it, never in it.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace tarvello::records {

struct RecordRow {
    QString id;           // a UUID without braces, made where the record is made (NewRecordId)
    QString kind;         // what ran: "guided", "calibrate", "adjust", "reading", "check"
    QString printerId;    // as typed or scanned; may be empty for a page action
    QString operatorName; // the login name unless changed
    QString station;      // the host name of the machine that ran it
    QString profile;      // the media profile's name
    int profileVersion = 0;
    QString verdict;    // "pass", "marginal", "fail", or empty when nothing was judged
    QDateTime started;  // UTC
    QDateTime finished; // UTC
    QJsonObject doc;    // the rest: settings, steps, curves, criteria, saves, how it ended
    QByteArray trace;   // the run's line trace, compressed (qCompress); empty when none
};

// A new record's UUID, without braces ("1b4e28ba-2fa1-11d2-883f-0016d3cca427").
QString NewRecordId();

} // namespace tarvello::records

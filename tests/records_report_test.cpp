// A record's report and drift: the report reads records of every shape (a calibration keeps a
// criteria list per step and one per sensor; only the sensor's is shown), writes a PDF whose
// text holds the printer ID as typed, and refuses a path it cannot write; drift is flagged
// exactly past the profile's limits.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

#include "records/RecordDrift.h"
#include "records/RecordReport.h"

using namespace tarvello::records;

namespace {

QJsonObject Criterion(const char* code, double value) {
    return {{"code", code}, {"value", value}, {"pass_limit", 0.3}, {"outcome", "pass"}};
}

// A calibration's shape: sensors → steps, each step judged, the sensor judged as a whole.
RecordRow Calibration(int level, int intensity, double contrast) {
    const QJsonArray history{QJsonObject{{"pass", 1}, {"volts", 4.1}},
                             QJsonObject{{"pass", 2}, {"volts", 2.5}}};
    const QJsonArray stepCriteria{Criterion("band", 2.5), Criterion("headroom", 100)};
    const QJsonObject sensor{
        {"criteria", QJsonArray{Criterion("band", 2.5), Criterion("contrast_check", contrast)}},
        {"steps", QJsonArray{QJsonObject{{"step", "adjust"},
                                         {"level", level},
                                         {"intensity", intensity},
                                         {"history", history},
                                         {"criteria", stepCriteria}}}}};
    RecordRow row;
    row.id = NewRecordId();
    row.printerId = QStringLiteral("x'); DROP TABLE records;-- <b>");
    row.verdict = QStringLiteral("pass");
    row.doc = {{"result", QJsonObject{{"sensors", QJsonObject{{"transmissive", sensor}}}}}};
    return row;
}

} // namespace

TEST(RecordDrift, FlaggedExactlyPastTheProfilesLimits) {
    const DriftLimits limits; // 1 level, 32 intensity steps, a third of the contrast
    const SensorSnapshot before{3, 120, 0.60};
    EXPECT_TRUE(SensorDrift("reflective", before, {4, 152, 0.41}, limits).isEmpty());
    const QList<DriftFinding> found = SensorDrift("reflective", before, {5, 153, 0.39}, limits);
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].what, "level");
    EXPECT_EQ(found[1].what, "intensity");
    EXPECT_EQ(found[2].what, "contrast");
    EXPECT_DOUBLE_EQ(found[2].after, 0.39);
    // A value one of the two records lacks is not compared.
    EXPECT_TRUE(SensorDrift("reflective", {3, std::nullopt, {}}, {9, 200, 0.1}, limits).size() ==
                1);

    // Read from whole records: a calibration's last step, and a single adjustment's result.
    const QList<DriftFinding> records =
        RecordDrift(Calibration(3, 120, 0.6), Calibration(3, 200, 0.6), limits);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].sensor, "transmissive");
    RecordRow single;
    single.doc = {{"sensor", "transmissive"},
                  {"result", QJsonObject{{"level", 3}, {"intensity", 110}}}};
    EXPECT_EQ(RecordDrift(single, Calibration(3, 200, 0.6), limits).size(), 1);
}

TEST(RecordReport, ShowsEachSensorsVerdictTheCurveAndThePrinterIdAsTyped) {
    const RecordRow row = Calibration(3, 120, 0.6);
    const QList<ReportCriterion> criteria = RecordCriteria(row);
    ASSERT_EQ(criteria.size(), 2); // the sensor's list, not the step's as well
    EXPECT_EQ(criteria[1].sensor, "transmissive");
    EXPECT_EQ(criteria[1].value, "0.6");
    const QList<ReportCurve> curves = RecordCurves(row);
    ASSERT_EQ(curves.size(), 1);
    EXPECT_EQ(curves[0].points.size(), 2);
    EXPECT_TRUE(RecordValues(row).contains("transmissive.adjust.intensity: 120"));

    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "records_report_test";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    QString error;
    const QString pdf = dir.filePath("report.pdf");
    ASSERT_TRUE(WriteRecordReport(row, pdf, &error)) << error.toStdString();
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(20000)) << "pdftotext (poppler-utils) is needed";
    const QString shown = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(shown.contains("x'); DROP TABLE records;-- <b>")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("合格"))); // the verdict, untranslated here

    EXPECT_FALSE(WriteRecordReport(row, dir.filePath("no/such/folder/r.pdf"), &error));
    EXPECT_TRUE(error.contains("no/such/folder")) << error.toStdString();
}

// test-labels: threaded e2e
// The window's records: the keeper stores on its worker and tells the UI thread afterwards; a
// record that neither the file nor its side file takes is kept in memory and stored with the
// next one; a page's reading, paper check and adjustment on the virtual printer each leave one
// record with the main window's printer ID, and the page's line says it was stored.
#include "SensorPageE2E.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>

#include "pages/GuidedCalibration.h"
#include "pages/RecordKeeper.h"
#include "pages/VerdictLine.h"
#include "records/RecordStore.h"

using namespace uitest;
using tarvello::records::RecordRow;
using tarvello::records::RecordStore;
using tarvello::ui::CRecordKeeper;

namespace {

QList<RecordRow> Stored(const QString& path) {
    RecordStore store(path);
    QString error;
    EXPECT_TRUE(store.Open(&error)) << error.toStdString();
    QList<RecordRow> rows = store.Page({}, tarvello::records::PageFrom::kOldest, {}, 100, &error);
    std::sort(rows.begin(), rows.end(),
              [](const RecordRow& a, const RecordRow& b) { return a.finished < b.finished; });
    return rows;
}

TEST(RecordKeeper, KeepsWhatNoFileTakesInMemoryAndStoresItWithTheNextRecord) {
    App();
    QTemporaryDir dir;
    CRecordKeeper* keeper = CRecordKeeper::Instance();
    tarvello::ui::SetRecordsFileOverride("/proc/none/records.sqlite"); // no file, no side file
    const RecordRow first = tarvello::ui::WindowRecord("reading", "P-1", "li", nullptr);
    QString note;
    QObject context;
    keeper->Keep(first, &context, [&note](const QString& s) { note = s; });
    keeper->WaitIdle();
    EXPECT_TRUE(note.isEmpty()); // told on the UI thread, never from the worker
    QCoreApplication::processEvents();
    EXPECT_TRUE(note.startsWith(QStringLiteral("记录没有保存"))) << note.toStdString();
    EXPECT_TRUE(note.contains(QStringLiteral("1 条记录只保留在内存中"))) << note.toStdString();
    ASSERT_EQ(keeper->Unstored().size(), 1);

    const QString path = dir.filePath("records.sqlite");
    tarvello::ui::SetRecordsFileOverride(path);
    const RecordRow second = tarvello::ui::WindowRecord("check", "P-1", "li", nullptr);
    keeper->Keep(second, &context, [&note](const QString& s) { note = s; });
    keeper->WaitIdle();
    QCoreApplication::processEvents();
    EXPECT_EQ(note, QStringLiteral("记录已保存"));
    EXPECT_TRUE(keeper->Unstored().isEmpty());
    QStringList ids;
    for (const RecordRow& r : Stored(path))
        ids << r.id;
    QStringList expected{first.id, second.id};
    ids.sort();
    expected.sort();
    EXPECT_EQ(ids, expected); // both, whichever was made first
}

class RecordKeeperE2E : public SensorE2E {};

TEST_F(RecordKeeperE2E, APagesReadingCheckAndAdjustmentEachLeaveARecordWithThePrinterId) {
    const QString path = QDir::currentPath() + "/records.sqlite"; // the test's own folder
    tarvello::ui::SetRecordsFileOverride(path);
    SetCurrentPrinterId(QStringLiteral("P-0042"));
    Activate(1);
    p2->OnGetMarkVoltage();
    ExpectRunThenWait();
    Button(p2, 1059)->click(); // the paper check
    ExpectRunThenWait();
    Type(p2, 1031, QStringLiteral("2.5"));
    Button(p2, 1025)->click(); // the adjustment
    ASSERT_TRUE(WaitFor([] { return !IsAdjustmentRunning(); }, 20000));
    ASSERT_TRUE(WaitFor([&] { return Stored(path).size() == 3; }, 5000));
    const QList<RecordRow> rows = Stored(path);
    QStringList kinds;
    for (const RecordRow& r : rows) {
        kinds << r.kind;
        EXPECT_EQ(r.printerId, "P-0042");
        EXPECT_EQ(r.doc["sensor"], "reflective");
    }
    EXPECT_EQ(kinds, QStringList({"reading", "check", "adjust"}));
    EXPECT_LT(rows[1].started, rows[1].finished); // the check's paper feed takes its time
    EXPECT_EQ(rows[1].doc["connection"]["baud"], 38400);
    EXPECT_EQ(rows[0].doc["result"]["what"], "mark");
    EXPECT_EQ(rows[0].doc["result"]["volts"], Text(p2, 1057).toDouble());
    EXPECT_EQ(rows[2].verdict, verdict::OutcomeName(p2->Verdict()->Last().verdict));
    EXPECT_FALSE(rows[2].verdict.isEmpty());
    EXPECT_EQ(rows[2].doc["saved"]["RBase"], "2.5");
    EXPECT_FALSE(rows[2].doc["curves"]["reflective"]["points"].toArray().isEmpty());
    EXPECT_EQ(rows[2].doc["criteria"].toArray().size(),
              static_cast<int>(p2->Verdict()->Last().criteria.size()));
    // The verdict line keeps the verdict and says the record is stored.
    ASSERT_TRUE(WaitFor(
        [&] { return p2->Verdict()->Label()->text().endsWith(QStringLiteral("记录已保存")); }));
    EXPECT_TRUE(p2->Verdict()->Label()->text().startsWith(QStringLiteral("判定：")));
}

} // namespace

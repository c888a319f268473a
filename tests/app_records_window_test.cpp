// The history view: rows read by page land on their own places whichever way they are reached
// (from the top, scrolling on from a row read, a jump to the end, a jump into the middle), and a
// printer's drift since its previous pass is flagged in the detail pane.
#include "UiTestSupport.h"

#include <QJsonArray>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "app/RecordsModel.h"
#include "app/RecordsWindow.h"
#include "records/RecordStore.h"

using tarvello::records::RecordRow;

namespace {

const QDateTime kBase(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC);

RecordRow At(int minute, const QString& printer, int intensity) {
    RecordRow r;
    r.id = tarvello::records::NewRecordId();
    r.kind = QStringLiteral("calibrate");
    r.printerId = printer;
    r.verdict = QStringLiteral("pass");
    r.started = r.finished = kBase.addSecs(60 * minute);
    const QJsonObject adjust{{"step", "adjust"}, {"level", 3}, {"intensity", intensity}};
    r.doc = {
        {"sensors", QJsonObject{{"transmissive", QJsonObject{{"steps", QJsonArray{adjust}}}}}}};
    return r;
}

// The started time shown in row, once its page has arrived.
QString Shown(CRecordsModel& model, int row) {
    const QModelIndex index = model.index(row, 0);
    uitest::WaitFor([&] { return model.data(index, Qt::DisplayRole).toString() != "…"; });
    return model.data(index, Qt::DisplayRole).toString();
}

QString Expected(int minute) {
    return kBase.addSecs(60 * minute).toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
}

} // namespace

TEST(RecordsWindow, PagesLandOnTheirRowsAndDriftIsFlagged) {
    uitest::App();
    QTemporaryDir dir;
    const QString path = dir.filePath("records.sqlite");
    constexpr int kRows = 450;
    {
        tarvello::records::RecordStore store(path);
        QString error;
        ASSERT_TRUE(store.Open(&error)) << error.toStdString();
        for (int i = 0; i < kRows; ++i) // minute i; the newest (row 0) is minute kRows - 1
            ASSERT_TRUE(store.Store(At(i, i % 2 ? "P-odd" : "P-even", 120)).stored);
        ASSERT_TRUE(store.Store(At(kRows, "P-drift", 120)).stored);
        ASSERT_TRUE(store.Store(At(kRows + 1, "P-drift", 200)).stored);
    }
    CRecordsWindow window(path);
    CRecordsModel& model = *window.Model();
    ASSERT_TRUE(uitest::WaitFor([&] { return model.rowCount() == kRows + 2; }));
    EXPECT_EQ(Shown(model, 2), Expected(kRows - 1));         // the newest page
    EXPECT_EQ(Shown(model, 150), Expected(kRows + 1 - 150)); // on from a row read
    EXPECT_EQ(Shown(model, kRows + 1), Expected(0));         // a jump to the end
    EXPECT_EQ(Shown(model, 300), Expected(kRows + 1 - 300)); // a jump between pages read

    // The printer's latest record against its previous pass: the intensity moved by 80 > 32.
    window.Table()->setCurrentIndex(model.index(0, 0));
    window.CompareWithPrevious();
    ASSERT_TRUE(uitest::WaitFor([&] { return window.Detail()->toPlainText().contains("200"); }));
    EXPECT_TRUE(window.Detail()->toPlainText().contains("120"))
        << window.Detail()->toPlainText().toStdString();
    EXPECT_TRUE(window.Detail()->toPlainText().contains(QStringLiteral("从 120 变为 200")));
}

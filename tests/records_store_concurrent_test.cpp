// Eight processes storing into one records file at the same moment: every record of every one of
// them is in the file, none went to the side file, and the file is whole.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <chrono>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "records/RecordStore.h"

using namespace tarvello::records;

namespace {

TEST(RecordStoreConcurrent, EightProcessesStoringAtOnceLoseNone) {
    constexpr int kWriters = 8, kEach = 25;
    QTemporaryDir dir;
    const QString path = dir.filePath("r.sqlite");
    // All of them begin together, each with a file it opens itself.
    const auto start = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t child = fork();
        if (child == 0) {
            // A few milliseconds apart, as processes come.
            std::this_thread::sleep_until(start + std::chrono::milliseconds(2 * w));
            RecordStore store(path);
            int lost = 0;
            for (int k = 0; k < kEach; ++k) {
                RecordRow r;
                r.id = NewRecordId();
                r.kind = "calibrate";
                r.printerId = QStringLiteral("W%1").arg(w);
                r.started = r.finished = QDateTime::currentDateTimeUtc();
                r.doc = QJsonObject{{"k", k}};
                const StoreOutcome out = store.Store(r);
                if (!out.stored)
                    fprintf(stderr, "W%d: %s\n", w, qPrintable(out.reason));
                lost += out.stored ? 0 : 1;
            }
            _exit(lost);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "records that went to the side file";
    }
    RecordStore store(path);
    QString error;
    ASSERT_TRUE(store.Open(&error)) << error.toStdString();
    EXPECT_EQ(store.Count({}, &error), kWriters * kEach);
    for (int w = 0; w < kWriters; ++w) {
        RecordFilter one;
        one.printerId = QStringLiteral("W%1").arg(w);
        EXPECT_EQ(store.Count(one, &error), kEach);
    }
    EXPECT_FALSE(QFile::exists(store.SideFilePath()));
}

// What a second writer finds while the first is making the file: WAL mode set, no tables yet. It
// is a new file, not an older one to keep a copy of (two copying at once made one fail).
TEST(RecordStoreConcurrent, AFileJustBegunByAnotherWriterIsTakenAsNew) {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "begun");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("PRAGMA journal_mode=WAL");
        db.close();
    }
    QSqlDatabase::removeDatabase("begun");
    ASSERT_GT(QFileInfo(path).size(), 0);
    RecordStore store(path);
    QString error;
    ASSERT_TRUE(store.Open(&error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path + ".v0.bak"));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The window's plant database line: its sender works on a thread of its own and the line says,
// posted back to the UI thread, how many records wait and why.
#include "UiTestSupport.h"

#include <QLabel>
#include <QSettings>

#include "pages/ToolSettings.h"
#include <QTemporaryDir>

#include "app/PlantStatus.h"
#include "app/TarvelloDlg.h"
#include "records/DataFolder.h"
#include "records/RecordStore.h"

using namespace tarvello;

namespace {

TEST(PlantStatus, SaysWhatWaitsAndWhyAndRefusesPasswords) {
    EXPECT_EQ(app::PlantStatusText(0, {}), "工厂数据库：记录已全部发送");
    EXPECT_EQ(app::PlantStatusText(2, "down\nmore"), "2 条记录等待发送到工厂数据库（down）");

    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    uitest::App();
    {
        records::RecordStore store(records::DataFilePath("records.sqlite"));
        QString error;
        ASSERT_TRUE(records::EnsureDataFolder(&error) && store.Open(&error));
        records::RecordRow r;
        r.id = records::NewRecordId();
        r.started = r.finished = QDateTime::currentDateTimeUtc();
        ASSERT_TRUE(store.Store(r).stored);
    }
    CTarvelloDlg dlg;
    QLabel* line = app::InstallPlantStatus(dlg, "host=127.0.0.1 port=1 user=st_x dbname=x");
    ASSERT_TRUE(line);
    EXPECT_TRUE(uitest::WaitFor([line] { return line->text().startsWith("1 条记录等待"); }, 10000))
        << line->text().toStdString();
    EXPECT_TRUE(line->toolTip().contains("st_x")) << line->toolTip().toStdString();

    QLabel* refused = app::InstallPlantStatus(dlg, "host=a password=secret");
    EXPECT_TRUE(refused->text().startsWith("工厂数据库未启用")) << refused->text().toStdString();
    EXPECT_FALSE(refused->text().contains("secret"));
    EXPECT_FALSE(tarvello::ui::ToolSettings().contains(app::kPlantSettingKey));
}

} // namespace

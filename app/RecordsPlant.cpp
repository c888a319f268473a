// The history view on the plant database: the user's own connection string (never with a
// password), read-only, in a window of its own.
#include <QCoreApplication>
#include <QInputDialog>
#include <QLabel>
#include <QSettings>

#include "app/RecordsWindow.h"
#include "app/RecordsWorker.h"
#include "pages/ToolSettings.h"
#include "records/PlantConnection.h"
#include "records/PlantRecords.h"

namespace {} // namespace

void CRecordsWindow::OpenPlant() {
    bool ok = false;
    const QString conninfo = QInputDialog::getText(
        this, QCoreApplication::translate("CRecordsWindow", "工厂数据库"),
        QCoreApplication::translate(
            "CRecordsWindow",
            "连接（例如 host=db.plant dbname=tarvello user=quality sslmode=require；"
            "密码请放在 ~/.pgpass 中，这里不接受）："),
        QLineEdit::Normal,
        tarvello::ui::ToolSettings().value(QStringLiteral("plant/conninfo")).toString(), &ok);
    if (!ok || conninfo.trimmed().isEmpty())
        return;
    tarvello::records::PlantConnection connection;
    QString error;
    if (!tarvello::records::ParsePlantConnection(conninfo, &connection, &error))
        return Status()->setText(
            QCoreApplication::translate("CRecordsWindow", "连接未使用：%1").arg(error));
    const QString name = connection.PlantName();
    auto worker = std::make_unique<CRecordsWorker>(name, [connection] {
        return std::make_unique<tarvello::records::PlantRecordSource>(connection);
    });
    auto* window = new CRecordsWindow(
        std::move(worker),
        QCoreApplication::translate("CRecordsWindow", "校准记录 — 工厂数据库（%1）").arg(name));
    window->setParent(this, Qt::Window); // owned, so that it takes input beside the modal tool
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

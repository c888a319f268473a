#include "app/PlantStatus.h"

#include <QAction>
#include <QCoreApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>

#include <memory>

#include "app/TarvelloDlg.h"
#include "pages/BackgroundRun.h"
#include "pages/ToolSettings.h"
#include "records/DataFolder.h"
#include "records/PlantSender.h"
#include "records/RecordStore.h"
#include "res/ControlIds.h"

namespace tarvello::app {

const char* const kPlantSettingKey = "plant/conninfo";

namespace {

// The sender of the window and the line it reports to; the sender ends before the line goes.
struct PlantLink {
    QPointer<QLabel> line;
    std::unique_ptr<records::PlantSender> sender;
};

// The count first: a long reason is cut short on the line and whole in its tip.
void Show(QLabel* line, const records::PlantSender::State& s) {
    const QString text = PlantStatusText(s.waiting, s.lastError);
    line->setText(line->fontMetrics().elidedText(text, Qt::ElideRight, line->width()));
    line->setToolTip(s.lastError.isEmpty() ? text : text + QLatin1Char('\n') + s.lastError);
    line->setVisible(true);
}

// (Re)starts the sender for conninfo; false with the reason when the string is refused.
bool Connect(PlantLink& link, const QString& conninfo, QString* error) {
    link.sender.reset(); // stops and joins the one before
    if (conninfo.isEmpty()) {
        link.line->setVisible(false);
        return true;
    }
    records::PlantConnection c;
    if (!records::ParsePlantConnection(conninfo, &c, error))
        return false;
    QPointer<QLabel> line = link.line;
    const QString file = records::DataFilePath(QStringLiteral("records.sqlite"));
    link.sender = std::make_unique<records::PlantSender>(
        c, [file] { return std::make_unique<records::RecordStore>(file); },
        [line](const records::PlantSender::State& s) {
            // On the sender's thread: only posted to the line, which may be gone by then.
            tarvello::ui::PostToUi(line.data(), [line, s] {
                if (line)
                    Show(line, s);
            });
        });
    link.sender->SetProfileFolder(records::DataFolder());
    link.line->setText(QCoreApplication::translate("PlantStatus", "正在连接工厂数据库…"));
    link.line->setToolTip(c.PlantName());
    link.line->setVisible(true);
    link.sender->Start();
    return true;
}

void AskForConnection(CTarvelloDlg& dlg, PlantLink& link) {
    bool ok = false;
    const QString now =
        tarvello::ui::ToolSettings().value(QLatin1String(kPlantSettingKey)).toString();
    const QString text = QInputDialog::getText(
        &dlg, QCoreApplication::translate("PlantStatus", "工厂数据库"),
        QCoreApplication::translate(
            "PlantStatus",
            "PostgreSQL 连接字符串（host、port、dbname、user、sslmode；不含密码，密码放在 "
            "~/.pgpass）。留空则不发送："),
        QLineEdit::Normal, now, &ok);
    if (!ok)
        return;
    QString error;
    if (!Connect(link, text.trimmed(), &error)) {
        QMessageBox::warning(&dlg, QCoreApplication::translate("PlantStatus", "工厂数据库"), error);
        return;
    }
    tarvello::ui::ToolSettings().setValue(QLatin1String(kPlantSettingKey),
                                          text.trimmed()); // never a password
}

} // namespace

QString PlantStatusText(int waiting, const QString& lastError) {
    if (waiting < 0)
        return QCoreApplication::translate("PlantStatus", "记录文件无法读取：%1").arg(lastError);
    QString text = waiting == 0 && lastError.isEmpty()
                       ? QCoreApplication::translate("PlantStatus", "工厂数据库：记录已全部发送")
                       : QCoreApplication::translate("PlantStatus", "%1 条记录等待发送到工厂数据库")
                             .arg(waiting);
    if (!lastError.isEmpty())
        text += QCoreApplication::translate("PlantStatus", "（%1）")
                    .arg(lastError.section(QLatin1Char('\n'), 0, 0));
    return text;
}

QLabel* InstallPlantStatus(CTarvelloDlg& dlg, const QString& commandLine) {
    auto link = std::make_shared<PlantLink>();
    auto* line = new QLabel(&dlg);
    line->setObjectName(QStringLiteral("plantStatus"));
    line->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (QWidget* header = dlg.Item(tarvello::res::ids::mainwindow::kHeader)) {
        const QRect h = header->geometry();
        line->setGeometry(h.left() + 96, h.bottom() - 22, h.width() - 100, 20);
    }
    line->setVisible(false);
    link->line = line;
    // The sender ends with the window, before the line does.
    QObject::connect(&dlg, &QObject::destroyed, [link] { link->sender.reset(); });
    QObject::connect(line, &QObject::destroyed, [link] { link->sender.reset(); });
    auto* action = new QAction(QCoreApplication::translate("PlantStatus", "工厂数据库…"), &dlg);
    action->setObjectName(QStringLiteral("plantDatabaseAction"));
    QObject::connect(action, &QAction::triggered, &dlg,
                     [&dlg, link] { AskForConnection(dlg, *link); });
    dlg.addAction(action);
    QString error;
    const QString conninfo =
        commandLine.isEmpty()
            ? tarvello::ui::ToolSettings().value(QLatin1String(kPlantSettingKey)).toString()
            : commandLine;
    if (!Connect(*link, conninfo, &error)) {
        line->setText(
            QCoreApplication::translate("PlantStatus", "工厂数据库未启用：%1").arg(error));
        line->setVisible(true);
    }
    return line;
}

} // namespace tarvello::app

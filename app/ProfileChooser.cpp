#include "app/ProfileChooser.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSaveFile>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <cmath>
#include <memory>

#include "app/TarvelloDlg.h"
#include "device/PortState.h"
#include "pages/NoteBox.h"
#include "pages/PageSensor.h"
#include "pages/ToolSettings.h"
#include "pages/VerdictLine.h"
#include "records/DataFolder.h"
#include "records/ProfileStore.h"
#include "res/ControlIds.h"
#include "sensor/GuidedSteps.h"

namespace {

using tarvello::records::Profile;
using tarvello::records::ProfileSource;
using tarvello::records::ProfileStore;

const char kSettingKey[] = "profile";

CSensorPage* SensorPage(CTarvelloDlg& dlg, int index) {
    return qobject_cast<CSensorPage*>(dlg.Sheet()->widget(index));
}

// The chooser's state: the store and the list.
struct Chooser {
    CTarvelloDlg* dlg = nullptr;
    QComboBox* list = nullptr;
    ProfileStore store{tarvello::records::DataFolder()};
    Profile current = tarvello::records::BuiltInProfile();
};

void ShowNoteOf(Chooser& c, const QString& text) {
    tarvello::ui::ShowNote(c.dlg, text);
}

void Fill(Chooser& c, const QString& select) {
    QSignalBlocker block(c.list);
    c.list->clear();
    for (const Profile& p : c.store.All()) {
        const QString shown =
            p.source == ProfileSource::kPlant
                ? QCoreApplication::translate("ProfileChooser", "%1（工厂）").arg(p.name)
                : p.name;
        c.list->addItem(shown, p.name);
    }
    const int at = c.list->findData(select);
    c.list->setCurrentIndex(at >= 0 ? at : 0);
}

// The chosen profile on both pages: its standards saved as an adjustment's start saves them,
// its criteria for their verdicts.
void Apply(Chooser& c, const QString& name, bool saveStandards = true) {
    QString error;
    const std::optional<Profile> found = c.store.Find(name, &error);
    c.current = found ? *found : tarvello::records::BuiltInProfile();
    tarvello::ui::ToolSettings().setValue(QLatin1String(kSettingKey), c.current.name);
    for (int index : {1, 2}) {
        CSensorPage* page = SensorPage(*c.dlg, index);
        if (!page)
            continue;
        page->Verdict()->SetCriteria(c.current.criteria);
        const std::optional<double> standard =
            index == 1 ? c.current.reflectiveStandard : c.current.transmissiveStandard;
        if (standard && saveStandards)
            page->ApplyStandard(QString::number(*standard).toStdString());
    }
}

QString AskName(QWidget* parent, const QString& proposed) {
    bool ok = false;
    const QString name = QInputDialog::getText(
        parent, QCoreApplication::translate("ProfileChooser", "另存为介质配置"),
        QCoreApplication::translate("ProfileChooser", "名称："), QLineEdit::Normal, proposed, &ok);
    return ok ? name.trimmed() : QString();
}

// Saves profile under a name the user gives; an existing name is replaced only after asking.
void SaveAs(Chooser& c, Profile profile) {
    const QString name =
        AskName(c.dlg, profile.source == ProfileSource::kLocal ? profile.name : QString());
    if (name.isEmpty())
        return;
    profile.name = name;
    profile.changed = QDateTime::currentDateTimeUtc();
    profile.changedBy = QString::fromLocal8Bit(LoginName().c_str());
    QString error;
    bool saved = c.store.Put(profile, false, &error);
    if (!saved && c.store.Find(name, nullptr) &&
        QMessageBox::question(
            c.dlg, QCoreApplication::translate("ProfileChooser", "介质配置"),
            QCoreApplication::translate("ProfileChooser", "已有名为“%1”的介质配置。替换它吗？")
                .arg(name)) == QMessageBox::Yes)
        saved = c.store.Put(profile, true, &error);
    if (!saved) {
        if (!error.isEmpty())
            QMessageBox::warning(c.dlg, QCoreApplication::translate("ProfileChooser", "介质配置"),
                                 error);
        return;
    }
    Fill(c, name);
    Apply(c, name);
}

// The current standards of both pages and the current criteria, as a new profile.
void SaveCurrent(Chooser& c) {
    Profile p = c.current;
    for (int index : {1, 2}) {
        CSensorPage* page = SensorPage(*c.dlg, index);
        if (!page)
            continue;
        // The standard the page holds, to the four decimals it is written with: 2.4, not the
        // float's 2.4000000953674316.
        (index == 1 ? p.reflectiveStandard : p.transmissiveStandard) =
            std::round(static_cast<double>(page->m_fVoltStandard) * 10000.0) / 10000.0;
    }
    SaveAs(c, p);
}

// A share of the supply with its volts for the supply in use beside it, kept up as it changes.
QWidget* WithVolts(QDoubleSpinBox* share, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* volts = new QLabel(box);
    layout->addWidget(share);
    layout->addWidget(volts, 1);
    const auto show = [volts](double percent) {
        const double supply = static_cast<double>(g_fSensorSupply.load());
        volts->setText(QCoreApplication::translate("ProfileChooser", "= %1 V（电源 %2 V）")
                           .arg(percent / 100.0 * supply, 0, 'f', 2)
                           .arg(supply, 0, 'f', 1));
    };
    QObject::connect(share, &QDoubleSpinBox::valueChanged, volts, show);
    show(share->value());
    return box;
}

// Built-in and plant profiles are read-only here: the editor says where the changes go.
void AddReadOnlyNote(QFormLayout* form, const Profile& profile, QWidget* parent) {
    if (profile.source == ProfileSource::kLocal)
        return;
    form->addRow(new QLabel(
        QCoreApplication::translate("ProfileChooser", "“%1”在此只读：修改将另存为新的介质配置。")
            .arg(profile.name),
        parent));
}

// The criteria editor: each limit with one line of meaning; a built-in or plant profile is
// saved as a copy under a new name.
void EditCriteria(Chooser& c) {
    QDialog dialog(c.dlg);
    dialog.setWindowTitle(QCoreApplication::translate("ProfileChooser", "判定限值"));
    auto* form = new QFormLayout(&dialog);
    AddReadOnlyNote(form, c.current, &dialog);
    auto* pass = new QDoubleSpinBox(&dialog);
    auto* marginal = new QDoubleSpinBox(&dialog);
    for (QDoubleSpinBox* box : {pass, marginal}) {
        box->setRange(0.0, 50.0);
        box->setDecimals(1);
        box->setSuffix(QStringLiteral(" %"));
    }
    pass->setValue(c.current.criteria.contrastPass * 100.0);
    marginal->setValue(c.current.criteria.contrastMarginal * 100.0);
    auto* headroom = new QSpinBox(&dialog);
    headroom->setRange(0, 1023);
    headroom->setValue(c.current.criteria.headroomSteps);
    const auto row = [&](const char* label, QWidget* field, const char* meaning) {
        QWidget* named = field->findChild<QDoubleSpinBox*>();
        (named ? named : field)
            ->setAccessibleName(QCoreApplication::translate("ProfileChooser", label));
        form->addRow(QCoreApplication::translate("ProfileChooser", label), field);
        auto* note = new QLabel(QCoreApplication::translate("ProfileChooser", meaning), &dialog);
        note->setWordWrap(true);
        form->addRow(QString(), note);
    };
    row(QT_TRANSLATE_NOOP("ProfileChooser", "对比度合格限值"), WithVolts(pass, &dialog),
        QT_TRANSLATE_NOOP(
            "ProfileChooser",
            "检纸两个采样之差至少为电源电压的这一比例才算合格（5.0 V 时 6 % 为 0.30 V）。"));
    row(QT_TRANSLATE_NOOP("ProfileChooser", "对比度勉强限值"), WithVolts(marginal, &dialog),
        QT_TRANSLATE_NOOP("ProfileChooser", "低于合格限值但不低于此比例为勉强，再低为不合格。"));
    row(QT_TRANSLATE_NOOP("ProfileChooser", "光强余量"), headroom,
        QT_TRANSLATE_NOOP("ProfileChooser",
                          "最终设定距光强用尽（灵敏度 00、发光强度 255）少于这么多级为勉强。"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    // A refused limit keeps the editor open with what was typed.
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (marginal->value() <= pass->value()) {
            dialog.accept();
            return;
        }
        QMessageBox::warning(
            &dialog, QCoreApplication::translate("ProfileChooser", "判定限值"),
            QCoreApplication::translate("ProfileChooser",
                                        "勉强限值不能高于合格限值：降低勉强限值或提高合格限值。"));
        marginal->setFocus();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Profile p = c.current;
    p.criteria.contrastPass = pass->value() / 100.0;
    p.criteria.contrastMarginal = marginal->value() / 100.0;
    p.criteria.headroomSteps = headroom->value();
    SaveAs(c, p);
}

QString Title() {
    return QCoreApplication::translate("ProfileChooser", "介质配置");
}

// Profiles from a JSON file (one profile or a list, as exported here or by tarvello-cli): all
// of them or none; a name that exists is replaced only after asking.
void ImportFile(Chooser& c) {
    const QString path = QFileDialog::getOpenFileName(
        c.dlg, QCoreApplication::translate("ProfileChooser", "导入介质配置"), QString(),
        QCoreApplication::translate("ProfileChooser", "介质配置 (*.json)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    QString error;
    QStringList imported;
    if (!file.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(c.dlg, Title(),
                             QCoreApplication::translate("ProfileChooser", "无法读取 %1：%2")
                                 .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    const QByteArray json = file.readAll();
    bool done = c.store.Import(json, false, &imported, &error);
    QList<Profile> incoming;
    QStringList clashes; // names of the user's own that the file would replace
    if (!done && tarvello::records::ParseProfiles(json, ProfileSource::kLocal, incoming, nullptr)) {
        for (const Profile& p : incoming) {
            const std::optional<Profile> existing = c.store.Find(p.name, nullptr);
            if (existing && existing->source == ProfileSource::kLocal)
                clashes << p.name;
        }
    }
    if (!clashes.isEmpty() &&
        QMessageBox::question(c.dlg, Title(),
                              QCoreApplication::translate(
                                  "ProfileChooser", "已有同名的介质配置：%1。用导入的替换吗？")
                                  .arg(clashes.join(QStringLiteral(", ")))) == QMessageBox::Yes) {
        imported.clear();
        done = c.store.Import(json, true, &imported, &error);
    }
    if (!done) {
        QMessageBox::warning(
            c.dlg, Title(),
            QCoreApplication::translate("ProfileChooser", "%1 没有导入：%2")
                .arg(QDir::toNativeSeparators(path), error.isEmpty() ? QString() : error));
        return;
    }
    Fill(c, c.current.name);
    if (imported.contains(c.current.name))
        Apply(c, c.current.name); // the profile in use was replaced: its new values apply
    ShowNoteOf(c, QCoreApplication::translate("ProfileChooser", "已导入：%1")
                      .arg(imported.join(QStringLiteral(", "))));
}

// The profile chosen (all=false; "Standard" is built in and has nothing to hand on: then all)
// or all of the user's own, as one JSON file written whole or not at all.
void ExportFile(Chooser& c, bool all) {
    const QStringList names = all || c.current.source == ProfileSource::kBuiltIn
                                  ? QStringList()
                                  : QStringList{c.current.name};
    bool own = false;
    for (const Profile& p : c.store.All())
        own = own || p.source == ProfileSource::kLocal;
    QString error;
    if (names.isEmpty() && !own)
        error = QCoreApplication::translate(
            "ProfileChooser", "还没有自己的介质配置可导出：先用“另存为介质配置…”保存一个。");
    const QByteArray json = error.isEmpty() ? c.store.Export(names, &error) : QByteArray();
    if (json.isEmpty()) {
        QMessageBox::warning(c.dlg, Title(), error);
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        c.dlg, QCoreApplication::translate("ProfileChooser", "导出介质配置"),
        (names.isEmpty() ? QStringLiteral("profiles") : names.first()) + QStringLiteral(".json"),
        QCoreApplication::translate("ProfileChooser", "介质配置 (*.json)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        QMessageBox::warning(c.dlg, Title(),
                             QCoreApplication::translate("ProfileChooser", "无法写入 %1：%2")
                                 .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    ShowNoteOf(c, QCoreApplication::translate("ProfileChooser", "已导出到 %1")
                      .arg(QDir::toNativeSeparators(path)));
}

QAction* AddCommand(CTarvelloDlg& dlg, const char* name, const char* text) {
    auto* action = new QAction(QCoreApplication::translate("ProfileChooser", text), &dlg);
    action->setObjectName(QLatin1String(name));
    dlg.addAction(action);
    return action;
}

} // namespace

QComboBox* InstallProfileChooser(CTarvelloDlg& dlg) {
    QWidget* header = dlg.Item(tarvello::res::ids::mainwindow::kHeader);
    if (!header)
        return nullptr;
    auto chooser = std::make_shared<Chooser>();
    chooser->dlg = &dlg;
    chooser->list = new QComboBox(&dlg);
    chooser->list->setObjectName(QStringLiteral("profileChooser"));
    chooser->list->setAccessibleName(QCoreApplication::translate("ProfileChooser", "介质配置"));
    chooser->list->setToolTip(QCoreApplication::translate("ProfileChooser", "介质配置"));
    const QRect h = header->geometry();
    chooser->list->setGeometry(h.left() + 3, h.bottom() - 23, 88, 21);
    QString error;
    if (!chooser->store.Load(&error)) // said once the window is there, without holding it up
        QTimer::singleShot(0, &dlg,
                           [&dlg, error] { tarvello::ui::ShowWarningWithoutWaiting(&dlg, error); });
    const QString last = tarvello::ui::ToolSettings().value(QLatin1String(kSettingKey)).toString();
    Fill(*chooser, last);
    // At the start the file already holds the last choice's standards: only the criteria.
    Apply(*chooser, chooser->list->currentData().toString(), false);
    QObject::connect(chooser->list, &QComboBox::currentIndexChanged, &dlg,
                     [chooser](int) { Apply(*chooser, chooser->list->currentData().toString()); });
    QObject::connect(AddCommand(dlg, "saveProfileAction",
                                QT_TRANSLATE_NOOP("ProfileChooser", "另存为介质配置…")),
                     &QAction::triggered, &dlg, [chooser] { SaveCurrent(*chooser); });
    QObject::connect(
        AddCommand(dlg, "editCriteriaAction", QT_TRANSLATE_NOOP("ProfileChooser", "判定限值…")),
        &QAction::triggered, &dlg, [chooser] { EditCriteria(*chooser); });
    QObject::connect(AddCommand(dlg, "importProfilesAction",
                                QT_TRANSLATE_NOOP("ProfileChooser", "导入介质配置…")),
                     &QAction::triggered, &dlg, [chooser] { ImportFile(*chooser); });
    QObject::connect(AddCommand(dlg, "exportProfileAction",
                                QT_TRANSLATE_NOOP("ProfileChooser", "导出当前介质配置…")),
                     &QAction::triggered, &dlg, [chooser] { ExportFile(*chooser, false); });
    QObject::connect(AddCommand(dlg, "exportProfilesAction",
                                QT_TRANSLATE_NOOP("ProfileChooser", "导出全部介质配置…")),
                     &QAction::triggered, &dlg, [chooser] { ExportFile(*chooser, true); });
    chooser->list->show();
    return chooser->list;
}

#include "app/ProfileChooser.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>

#include <memory>

#include "app/TarvelloDlg.h"
#include "pages/PageSensor.h"
#include "pages/VerdictLine.h"
#include "records/DataFolder.h"
#include "records/ProfileStore.h"
#include "res/ControlIds.h"

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
    QSettings().setValue(QLatin1String(kSettingKey), c.current.name);
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
    profile.changedBy = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
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
        (index == 1 ? p.reflectiveStandard : p.transmissiveStandard) =
            static_cast<double>(page->m_fVoltStandard);
    }
    SaveAs(c, p);
}

// The criteria editor: each limit with one line of meaning; a built-in or plant profile is
// saved as a copy under a new name.
void EditCriteria(Chooser& c) {
    QDialog dialog(c.dlg);
    dialog.setWindowTitle(QCoreApplication::translate("ProfileChooser", "判定限值"));
    auto* form = new QFormLayout(&dialog);
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
        field->setAccessibleName(QCoreApplication::translate("ProfileChooser", label));
        form->addRow(QCoreApplication::translate("ProfileChooser", label), field);
        auto* note = new QLabel(QCoreApplication::translate("ProfileChooser", meaning), &dialog);
        note->setWordWrap(true);
        form->addRow(QString(), note);
    };
    row(QT_TRANSLATE_NOOP("ProfileChooser", "对比度合格限值"), pass,
        QT_TRANSLATE_NOOP(
            "ProfileChooser",
            "检纸两个采样之差至少为电源电压的这一比例才算合格（5.0 V 时 6 % 为 0.30 V）。"));
    row(QT_TRANSLATE_NOOP("ProfileChooser", "对比度勉强限值"), marginal,
        QT_TRANSLATE_NOOP("ProfileChooser", "低于合格限值但不低于此比例为勉强，再低为不合格。"));
    row(QT_TRANSLATE_NOOP("ProfileChooser", "光强余量"), headroom,
        QT_TRANSLATE_NOOP("ProfileChooser",
                          "最终设定距光强用尽（灵敏度 00、发光强度 255）少于这么多级为勉强。"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (marginal->value() > pass->value()) {
        QMessageBox::warning(
            c.dlg, QCoreApplication::translate("ProfileChooser", "判定限值"),
            QCoreApplication::translate("ProfileChooser", "勉强限值不能高于合格限值。"));
        return;
    }
    Profile p = c.current;
    p.criteria.contrastPass = pass->value() / 100.0;
    p.criteria.contrastMarginal = marginal->value() / 100.0;
    p.criteria.headroomSteps = headroom->value();
    SaveAs(c, p);
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
    if (!chooser->store.Load(&error))
        QMessageBox::warning(&dlg, QCoreApplication::translate("ProfileChooser", "介质配置"),
                             error);
    const QString last = QSettings().value(QLatin1String(kSettingKey)).toString();
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
    chooser->list->show();
    return chooser->list;
}

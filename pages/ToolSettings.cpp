#include "pages/ToolSettings.h"

#include <mutex>

namespace tarvello::ui {

namespace {

const QString kName = QStringLiteral("Tarvello");

} // namespace

void MoveUnnamedOrganizationSettings() {
    QSettings old(QSettings::NativeFormat, QSettings::UserScope, QString(), kName);
    const QStringList keys = old.allKeys();
    if (keys.isEmpty())
        return;
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kName, kName);
    for (const QString& key : keys) {
        if (!store.contains(key))
            store.setValue(key, old.value(key));
    }
    store.sync();
    if (store.status() == QSettings::NoError)
        old.clear(); // only once the values are kept in the store
}

QSettings ToolSettings() {
    static std::once_flag moved;
    std::call_once(moved, MoveUnnamedOrganizationSettings);
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kName, kName);
}

} // namespace tarvello::ui

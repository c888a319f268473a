#include "records/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace tarvello::records {

namespace {

QString UserDataRoot() {
#ifdef Q_OS_WIN
    const QString roaming = qEnvironmentVariable("APPDATA");
    if (!roaming.isEmpty())
        return QDir::fromNativeSeparators(roaming);
#endif
    // Honours XDG_DATA_HOME on Linux; independent of the application's name.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

} // namespace

QString DataFolder() {
    return QDir::cleanPath(UserDataRoot() + QStringLiteral("/Tarvello"));
}

QString DataFilePath(const QString& fileName) {
    return DataFolder() + QLatin1Char('/') + fileName;
}

bool EnsureDataFolder(QString* error) {
    const QString folder = DataFolder();
    if (QDir().mkpath(folder))
        return true;
    if (error)
        *error = QCoreApplication::translate("DataFolder", "无法创建数据文件夹 %1")
                     .arg(QDir::toNativeSeparators(folder));
    return false;
}

} // namespace tarvello::records

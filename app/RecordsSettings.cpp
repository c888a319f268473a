#include "app/RecordsSettings.h"

#include <QSettings>

#include "records/DataFolder.h"

namespace {

QString& Override() {
    static QString path;
    return path;
}

} // namespace

QString WindowRecordsPath() {
    if (!Override().isEmpty())
        return Override();
    const QString saved = QSettings().value(QStringLiteral("records/path")).toString();
    return saved.isEmpty() ? tarvello::records::DataFilePath(QStringLiteral("records.sqlite"))
                           : saved;
}

void SetRecordsPathOverride(const QString& path) {
    Override() = path;
}

void SaveRecordsPathSetting(const QString& path) {
    QSettings settings;
    if (path.isEmpty())
        settings.remove(QStringLiteral("records/path"));
    else
        settings.setValue(QStringLiteral("records/path"), path);
}

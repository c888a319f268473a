#include "app/RecordsSettings.h"

#include <QSettings>

#include "pages/RecordKeeper.h"

QString WindowRecordsPath() {
    return tarvello::ui::RecordsFilePath();
}

void SaveRecordsPathSetting(const QString& path) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarvello"),
                       QStringLiteral("Tarvello"));
    if (path.isEmpty())
        settings.remove(QStringLiteral("records/path"));
    else
        settings.setValue(QStringLiteral("records/path"), path);
}

#include "records/Record.h"

#include <QUuid>

namespace tarvello::records {

QString NewRecordId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace tarvello::records

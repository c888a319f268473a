// What the records store's parts share: the failure helper and the sentences of its faults.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QList>
#include <QString>
#include <QVariantList>

#include "records/RecordSource.h"

class QSqlQuery;

namespace tarvello::records {

inline bool Fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

// The queries the station's file and the plant database share (their tables have the same
// columns; SQLite keeps times as ISO 8601 text, PostgreSQL as timestamptz, which both compare
// with the same text).
namespace sql {
extern const char kColumns[];
RecordRow RowOf(const QSqlQuery& q);
// " WHERE ..." for the filter, its values appended in order.
QString WhereOf(const RecordFilter& f, QVariantList& values);
bool Run(QSqlQuery& q, const QVariantList& values, QString* error);
// A page by key (newest first once turned round: kOldest and kAfter are read ascending).
QString PageSql(const RecordFilter& filter, PageFrom from, const RecordKey& key, int limit,
                QVariantList& values);
// The rows from place offset on, newest first (a jump into the middle of a long list).
QString PageAtSql(const RecordFilter& filter, int offset, int limit, QVariantList& values);
QList<RecordRow> Rows(QSqlQuery& q, const QString& text, const QVariantList& values, bool reversed,
                      QString* error);
} // namespace sql

namespace Text {

inline QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}
inline QString CannotOpen(const QString& path, const QString& why) {
    return QCoreApplication::translate("RecordStore", "无法打开校准记录文件 %1：%2")
        .arg(Native(path), why);
}
inline QString Damaged(const QString& path) {
    return QCoreApplication::translate(
               "RecordStore",
               "校准记录文件 %1 已损坏（完整性检查未通过）；文件保持原样，可将其移到一旁并新建")
        .arg(Native(path));
}
inline QString Newer(const QString& path, int version, int known) {
    return QCoreApplication::translate(
               "RecordStore",
               "校准记录文件 %1 来自更新的程序（格式 %2，本程序只认识到 %3）；文件未作任何改动")
        .arg(Native(path))
        .arg(version)
        .arg(known);
}
inline QString CannotKeepCopy(const QString& path, const QString& copy) {
    return QCoreApplication::translate("RecordStore", "升级 %1 之前无法保留副本 %2；文件未作改动")
        .arg(Native(path), Native(copy));
}
inline QString NotStored(const QString& path, const QString& why) {
    return QCoreApplication::translate("RecordStore", "记录未存入 %1：%2").arg(Native(path), why);
}
inline QString SideFailed(const QString& path, const QString& why) {
    return QCoreApplication::translate("RecordStore", "也无法写入备用文件 %1：%2")
        .arg(Native(path), why);
}
inline QString CannotMove(const QString& path, const QString& target) {
    return QCoreApplication::translate("RecordStore", "无法把 %1 移到 %2")
        .arg(Native(path), Native(target));
}

} // namespace Text

} // namespace tarvello::records

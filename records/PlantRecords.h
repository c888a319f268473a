// The plant database's records, read-only, with the reader's own connection (a quality
// engineer's role): the same filters and pages as the station's file. A role that may not read
// records (a station's) is told so in words, not by the server's code.
#pragma once

#include <QSqlError>
#include <QVariantList>

#include "records/PlantConnection.h"
#include "records/RecordSource.h"

namespace tarvello::records {

class PlantRecordSource : public RecordSource {
  public:
    explicit PlantRecordSource(PlantConnection connection);
    ~PlantRecordSource() override;
    PlantRecordSource(const PlantRecordSource&) = delete;
    PlantRecordSource& operator=(const PlantRecordSource&) = delete;

    int Count(const RecordFilter& filter, QString* error) override;
    QList<RecordRow> Page(const RecordFilter& filter, PageFrom from, const RecordKey& key,
                          int limit, QString* error) override;
    QList<RecordRow> PageAt(const RecordFilter& filter, int offset, int limit,
                            QString* error) override;
    std::optional<RecordRow> Get(const QString& id, QString* error) override;
    QList<OverdueRow> Overdue(int days, const QDateTime& now, QString* error) override;
    bool Writable() const override { return false; }

  private:
    bool Ready(QString* error);
    bool Read(const QString& text, const QVariantList& values, bool reversed,
              QList<RecordRow>* rows, QString* error);
    QString Why(const QSqlError& e) const;

    PlantConnection m_connection;
    QString m_name; // the Qt SQL connection's name, this object's own
};

} // namespace tarvello::records

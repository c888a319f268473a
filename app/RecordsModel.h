// The history view's table: it knows how many records match the filter and reads only the pages
// shown, by key from a row already read (scrolling) or by place (a jump into the middle), on the
// records thread. A million records scroll and jump without the window waiting: a row not read
// yet shows "…" until its page arrives.
#pragma once

#include <QAbstractTableModel>
#include <QHash>

#include <optional>

#include "records/Record.h"
#include "records/RecordStore.h"

class CRecordsWorker;

class CRecordsModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kPageRows = 100;

    CRecordsModel(CRecordsWorker& worker, QObject* parent);

    // Starts again with another filter: the count first, then the pages as they are shown.
    void SetFilter(const tarvello::records::RecordFilter& filter);
    const tarvello::records::RecordFilter& Filter() const { return m_filter; }
    // The row's searched columns (its document and trace are read when it is opened).
    std::optional<tarvello::records::RecordRow> RowAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  signals:
    void counted(int count);
    void failed(const QString& reason, bool damaged);

  private:
    struct Fetch {
        tarvello::records::PageFrom from;
        tarvello::records::RecordKey key;
        int first;     // the row of the first result (kAfter: of the key)
        bool byOffset; // a jump: first is the offset
    };
    Fetch FetchFor(int row) const;
    void Request(int row) const;
    void Arrived(unsigned generation, const Fetch& fetch,
                 const QList<tarvello::records::RecordRow>& rows, const QString& error);

    CRecordsWorker& m_worker;
    tarvello::records::RecordFilter m_filter;
    int m_count = 0;
    unsigned m_generation = 0;
    mutable QHash<int, tarvello::records::RecordRow> m_rows;
    mutable bool m_inFlight = false;
    mutable int m_wanted = -1; // a row asked for while a page was on its way
};

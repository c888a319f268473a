// The rows of the trace view: the entries of the line trace, pulled from its ring (from the
// oldest it still holds when the model is made), at most kMaxRows (the oldest go first).
// Columns: time, party, direction, hex, text.
#pragma once

#include <QAbstractTableModel>

#include <cstdint>
#include <deque>

#include "device/LineTrace.h"

class TraceModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kTime, kParty, kDirection, kHex, kText, kColumnCount };
    static constexpr int kMaxRows = 20000;

    explicit TraceModel(QObject* parent = nullptr);

    // Appends what the ring recorded since the last pull; the number of entries added.
    int Pull();
    // Forgets the rows (entries already pulled are not shown again).
    void Clear();
    // Entries the ring overwrote before this model took them, since it was made.
    uint64_t Dropped() const { return dropped_; }
    const TraceEntry& Entry(int row) const { return rows_[static_cast<size_t>(row)]; }

    // The party's name as the view shows it.
    static QString PartyText(TraceParty party);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::deque<TraceEntry> rows_;
    uint64_t last_ = 0;
    uint64_t dropped_ = 0;
};

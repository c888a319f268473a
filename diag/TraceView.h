// The trace view: the line trace as a table (time, party, direction, hex, text) that follows
// the line, pulled from the trace's ring every 150 ms; pause, clear, a filter by party, and a
// save in the trace file's line format. It never waits on the line or its threads.
#pragma once

#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTimer;
class TraceModel;

class TraceView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kPullIntervalMs = 150;

    explicit TraceView(QWidget* parent = nullptr);

    // Takes what the ring recorded since the last pull (the timer calls it while not paused).
    void PullNow();
    void SetPaused(bool paused);
    bool Paused() const { return paused_; }
    void Clear();
    // Shows only the party's entries (-1: every party).
    void SetPartyFilter(int party);
    // Writes the rows the view shows, in the trace file's line format. False when the file
    // cannot be written.
    bool SaveTo(const QString& path) const;

    TraceModel* Model() const { return model_; }
    QTableView* Table() const { return table_; }

  private:
    void OnSave();
    void UpdateDropped();

    TraceModel* model_;
    QSortFilterProxyModel* filtered_;
    QTableView* table_;
    QPushButton* pause_;
    QComboBox* party_;
    QLabel* dropped_;
    QTimer* timer_;
    bool paused_ = false;
};

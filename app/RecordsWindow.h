// "校准记录": the history view of the calibration records. Filters (printer ID, dates, verdict,
// operator, profile), a table that reads only what it shows, a detail pane (values, criteria,
// curves, trace), the printer's earlier records side by side with drift flagged, the printers
// whose last pass is overdue, CSV of the filter and a PDF of one record. Every query runs on the
// records thread; the window never waits for the database.
#pragma once

#include <QDialog>

#include <memory>

#include "records/Record.h"

class CRecordsModel;
class CRecordsWorker;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;
class QTextBrowser;

class CRecordsWindow : public QDialog {
    Q_OBJECT
  public:
    // path: the records file (tarvello::ui::RecordsFilePath() by default).
    explicit CRecordsWindow(const QString& path, QWidget* parent = nullptr);
    // Another source, read-only (the plant database); title names it.
    CRecordsWindow(std::unique_ptr<CRecordsWorker> worker, const QString& title,
                   QWidget* parent = nullptr);
    ~CRecordsWindow() override;

    CRecordsModel* Model() const { return m_model; }
    QTableView* Table() const { return m_table; }
    QTextBrowser* Detail() const { return m_detail; }
    QLabel* Status() const { return m_status; }

    void ApplyFilter();
    void ShowSelected();
    void CompareWithPrevious();
    void ShowOverdue();
    void ExportCsv(const QString& path);
    void ExportPdf(const QString& path);
    // Another records file for the window (the setting "records/path"); the view reopens on it.
    void ChooseFile();
    // Opens the plant database's records in a window of their own, with the user's connection.
    void OpenPlant();

  private:
    void Build(const QString& title);
    QWidget* BuildFilters();
    QWidget* BuildButtons();
    void OnFailed(const QString& reason, bool damaged);
    void OfferMoveAside(const QString& reason);
    std::optional<tarvello::records::RecordRow> Selected() const;

    std::unique_ptr<CRecordsWorker> m_worker;
    CRecordsModel* m_model = nullptr;
    QLineEdit* m_printer = nullptr;
    QLineEdit* m_operator = nullptr;
    QLineEdit* m_profile = nullptr;
    QComboBox* m_verdict = nullptr;
    QCheckBox* m_useFrom = nullptr;
    QCheckBox* m_useTo = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QSpinBox* m_days = nullptr;
    QTableView* m_table = nullptr;
    QTextBrowser* m_detail = nullptr;
    QLabel* m_status = nullptr;
    bool m_offeredMove = false;
    bool m_plant = false;
};

// Opens the history view over dlg (one at a time), on the window's records file.
CRecordsWindow* OpenRecordsWindow(QWidget* owner);

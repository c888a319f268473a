#include "app/RecordsWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include "app/RecordsModel.h"
#include "app/RecordsWorker.h"
#include "pages/BackgroundRun.h"
#include "pages/RecordKeeper.h"
#include "records/RecordCsv.h"
#include "records/RecordReport.h"
#include "records/RecordStore.h"

using tarvello::records::RecordRow;
using tarvello::records::RecordSource;
using tarvello::records::RecordStore;

namespace {

QPushButton* Button(QWidget* parent, const QString& text, const char* name) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

CRecordsWindow::CRecordsWindow(const QString& path, QWidget* parent)
    : QDialog(parent), m_worker(std::make_unique<CRecordsWorker>(path)) {
    Build(QCoreApplication::translate("CRecordsWindow", "校准记录"));
}

CRecordsWindow::CRecordsWindow(std::unique_ptr<CRecordsWorker> worker, const QString& title,
                               QWidget* parent)
    : QDialog(parent), m_worker(std::move(worker)), m_plant(true) {
    Build(title);
}

void CRecordsWindow::Build(const QString& title) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("recordsWindow"));
    m_model = new CRecordsModel(*m_worker, this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("recordsTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Widths from the texts they hold (sizing to contents would read every row).
    const QFontMetrics fm = m_table->fontMetrics();
    const int widths[] = {
        fm.horizontalAdvance(QStringLiteral("2026-12-31 23:59:59")),
        fm.horizontalAdvance(QStringLiteral("LINE00-000000")),
        std::max(fm.horizontalAdvance(QCoreApplication::translate("CRecordsWindow", "临界")),
                 fm.horizontalAdvance(
                     m_model->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString())) +
            12,
        fm.horizontalAdvance(QStringLiteral("calibrate")),
        fm.horizontalAdvance(QStringLiteral("Standard")),
        fm.horizontalAdvance(QStringLiteral("operator"))};
    for (int c = 0; c < 6; ++c)
        m_table->setColumnWidth(c, widths[c] + 16);
    m_table->setAccessibleName(QCoreApplication::translate("CRecordsWindow", "校准记录"));
    m_detail = new QTextBrowser(this);
    m_detail->setObjectName(QStringLiteral("recordDetail"));
    m_detail->setAccessibleName(QCoreApplication::translate("CRecordsWindow", "记录详情"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("recordsStatus"));
    m_status->setWordWrap(true);
    auto* split = new QSplitter(this);
    split->addWidget(m_table);
    split->addWidget(m_detail);
    split->setSizes({560, 440});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildFilters());
    layout->addWidget(split, 1);
    layout->addWidget(BuildButtons());
    layout->addWidget(m_status);
    m_status->setText(QCoreApplication::translate("CRecordsWindow", "正在读取 %1…")
                          .arg(QDir::toNativeSeparators(m_worker->Path())));
    connect(m_model, &CRecordsModel::counted, this, [this](int count) {
        m_status->setText(QCoreApplication::translate("CRecordsWindow", "共 %1 条记录（%2）")
                              .arg(count)
                              .arg(m_worker->Path()));
    });
    connect(m_model, &CRecordsModel::failed, this, &CRecordsWindow::OnFailed);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ShowSelected(); });
    resize(1000, 640);
    ApplyFilter();
}

CRecordsWindow::~CRecordsWindow() = default;

QWidget* CRecordsWindow::BuildFilters() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto edit = [&](const QString& label, const char* name) {
        auto* e = new QLineEdit(box);
        e->setObjectName(QLatin1String(name));
        e->setPlaceholderText(label);
        e->setAccessibleName(label);
        e->setClearButtonEnabled(true);
        connect(e, &QLineEdit::returnPressed, this, &CRecordsWindow::ApplyFilter);
        row->addWidget(e);
        return e;
    };
    m_printer = edit(QCoreApplication::translate("CRecordsWindow", "打印机编号"), "filterPrinter");
    m_operator = edit(QCoreApplication::translate("CRecordsWindow", "操作员"), "filterOperator");
    m_profile = edit(QCoreApplication::translate("CRecordsWindow", "介质配置"), "filterProfile");
    m_verdict = new QComboBox(box);
    m_verdict->setObjectName(QStringLiteral("filterVerdict"));
    m_verdict->setAccessibleName(QCoreApplication::translate("CRecordsWindow", "结论"));
    m_verdict->addItem(QCoreApplication::translate("CRecordsWindow", "全部结论"), QString());
    m_verdict->addItem(QCoreApplication::translate("CRecordsWindow", "合格"),
                       QStringLiteral("pass"));
    m_verdict->addItem(QCoreApplication::translate("CRecordsWindow", "临界"),
                       QStringLiteral("marginal"));
    m_verdict->addItem(QCoreApplication::translate("CRecordsWindow", "不合格"),
                       QStringLiteral("fail"));
    row->addWidget(m_verdict);
    auto date = [&](QCheckBox*& use, QDateEdit*& edit, const QString& label, QDate value) {
        use = new QCheckBox(label, box);
        edit = new QDateEdit(value, box);
        edit->setCalendarPopup(true);
        edit->setAccessibleName(label);
        row->addWidget(use);
        row->addWidget(edit);
    };
    date(m_useFrom, m_from, QCoreApplication::translate("CRecordsWindow", "从"),
         QDate::currentDate().addMonths(-1));
    date(m_useTo, m_to, QCoreApplication::translate("CRecordsWindow", "到"), QDate::currentDate());
    QPushButton* apply =
        Button(box, QCoreApplication::translate("CRecordsWindow", "查询"), "applyFilter");
    connect(apply, &QPushButton::clicked, this, &CRecordsWindow::ApplyFilter);
    row->addWidget(apply);
    return box;
}

QWidget* CRecordsWindow::BuildButtons() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    QPushButton* compare = Button(
        box, QCoreApplication::translate("CRecordsWindow", "与以前的记录比较"), "compareButton");
    connect(compare, &QPushButton::clicked, this, &CRecordsWindow::CompareWithPrevious);
    row->addWidget(compare);
    QPushButton* overdue =
        Button(box, QCoreApplication::translate("CRecordsWindow", "逾期"), "overdueButton");
    connect(overdue, &QPushButton::clicked, this, &CRecordsWindow::ShowOverdue);
    m_days = new QSpinBox(box);
    m_days->setRange(1, 3650);
    m_days->setValue(180);
    m_days->setSuffix(QCoreApplication::translate("CRecordsWindow", " 天"));
    m_days->setAccessibleName(QCoreApplication::translate("CRecordsWindow", "逾期天数"));
    row->addWidget(overdue);
    row->addWidget(m_days);
    row->addStretch(1);
    QPushButton* csv =
        Button(box, QCoreApplication::translate("CRecordsWindow", "导出 CSV…"), "exportCsv");
    connect(csv, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, QCoreApplication::translate("CRecordsWindow", "导出 CSV"), QString(),
            QCoreApplication::translate("CRecordsWindow", "CSV 文件 (*.csv)"));
        if (!path.isEmpty())
            ExportCsv(path);
    });
    QPushButton* pdf =
        Button(box, QCoreApplication::translate("CRecordsWindow", "导出报告 PDF…"), "exportPdf");
    connect(pdf, &QPushButton::clicked, this, [this] {
        if (!Selected())
            return m_status->setText(
                QCoreApplication::translate("CRecordsWindow", "请先选择一条记录。"));
        const QString path = QFileDialog::getSaveFileName(
            this, QCoreApplication::translate("CRecordsWindow", "导出报告"), QString(),
            QCoreApplication::translate("CRecordsWindow", "PDF 文件 (*.pdf)"));
        if (!path.isEmpty())
            ExportPdf(path);
    });
    row->addWidget(csv);
    row->addWidget(pdf);
    if (!m_plant) { // the plant's records are read, never chosen or moved
        QPushButton* file =
            Button(box, QCoreApplication::translate("CRecordsWindow", "记录文件…"), "recordsFile");
        connect(file, &QPushButton::clicked, this, &CRecordsWindow::ChooseFile);
        row->addWidget(file);
        QPushButton* plant = Button(
            box, QCoreApplication::translate("CRecordsWindow", "工厂数据库…"), "plantRecords");
        connect(plant, &QPushButton::clicked, this, &CRecordsWindow::OpenPlant);
        row->addWidget(plant);
    }
    return box;
}

void CRecordsWindow::ApplyFilter() {
    tarvello::records::RecordFilter f;
    f.printerId = m_printer->text().trimmed();
    f.operatorName = m_operator->text().trimmed();
    f.profile = m_profile->text().trimmed();
    f.verdict = m_verdict->currentData().toString();
    if (m_useFrom->isChecked())
        f.from = QDateTime(m_from->date(), QTime(0, 0)).toUTC();
    if (m_useTo->isChecked())
        f.to = QDateTime(m_to->date(), QTime(23, 59, 59, 999)).toUTC();
    m_status->setText(QCoreApplication::translate("CRecordsWindow", "正在读取记录…"));
    m_detail->clear();
    m_model->SetFilter(f);
}

std::optional<RecordRow> CRecordsWindow::Selected() const {
    const QModelIndex current = m_table->currentIndex();
    return current.isValid() ? m_model->RowAt(current.row()) : std::nullopt;
}

void CRecordsWindow::OnFailed(const QString& reason, bool damaged) {
    m_status->setText(
        QCoreApplication::translate("CRecordsWindow", "记录无法读取：%1").arg(reason));
    if (damaged && !m_offeredMove && !m_plant) {
        m_offeredMove = true; // once per window
        OfferMoveAside(reason);
    }
}

void CRecordsWindow::OfferMoveAside(const QString& reason) {
    const auto answer = QMessageBox::question(
        this, QCoreApplication::translate("CRecordsWindow", "校准记录"),
        QCoreApplication::translate(
            "CRecordsWindow",
            "记录文件已损坏（%1）。\n把它原样移到一边（保留，不覆盖），并新建一个记录文件吗？")
            .arg(reason));
    if (answer != QMessageBox::Yes)
        return;
    QPointer<CRecordsWindow> self(this);
    m_worker->Post([self](RecordSource& store) {
        QString movedTo, error;
        auto* file = dynamic_cast<RecordStore*>(&store); // the plant's copy is never moved
        const bool moved = file && file->MoveAside(&movedTo, &error);
        tarvello::ui::PostToUi(self, [self, moved, movedTo, error] {
            self->m_status->setText(
                moved ? QCoreApplication::translate("CRecordsWindow",
                                                    "损坏的文件已移到 %1；新的记录文件已建立。")
                            .arg(movedTo)
                      : QCoreApplication::translate("CRecordsWindow", "无法移开损坏的文件：%1")
                            .arg(error));
            if (moved)
                self->ApplyFilter();
        });
    });
}

void CRecordsWindow::ExportCsv(const QString& path) {
    const tarvello::records::RecordFilter filter = m_model->Filter();
    m_status->setText(QCoreApplication::translate("CRecordsWindow", "正在导出…"));
    QPointer<CRecordsWindow> self(this);
    m_worker->Post([self, filter, path](RecordSource& store) {
        QString error;
        const int written = tarvello::records::ExportCsv(store, filter, path, &error);
        tarvello::ui::PostToUi(self, [self, written, path, error] {
            self->m_status->setText(
                written < 0
                    ? QCoreApplication::translate("CRecordsWindow", "CSV 未写入：%1").arg(error)
                    : QCoreApplication::translate("CRecordsWindow", "%1 条记录已写入 %2")
                          .arg(written)
                          .arg(path));
        });
    });
}

void CRecordsWindow::ExportPdf(const QString& path) {
    const std::optional<RecordRow> row = Selected();
    if (!row)
        return;
    QPointer<CRecordsWindow> self(this);
    m_worker->Post([self, id = row->id, path](RecordSource& store) {
        QString error;
        const std::optional<RecordRow> whole = store.Get(id, &error);
        tarvello::ui::PostToUi(self, [self, whole, error, path] {
            QString why = error;
            // Drawn on the UI thread (fonts and the PDF writer are the GUI's); the record was read
            // on the records thread.
            if (whole && tarvello::records::WriteRecordReport(*whole, path, &why))
                return self->m_status->setText(
                    QCoreApplication::translate("CRecordsWindow", "报告已写入 %1").arg(path));
            self->m_status->setText(
                QCoreApplication::translate("CRecordsWindow", "报告未写入：%1").arg(why));
        });
    });
}

void CRecordsWindow::ChooseFile() {
    const QString path = QFileDialog::getSaveFileName(
        this, QCoreApplication::translate("CRecordsWindow", "记录文件"), m_worker->Path(),
        QCoreApplication::translate("CRecordsWindow", "记录文件 (*.sqlite)"), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return;
    tarvello::ui::SaveRecordsFileSetting(path);
    if (tarvello::ui::RecordsFilePath() != path) // --records of this run still rules
        return m_status->setText(QCoreApplication::translate(
            "CRecordsWindow", "已保存；本次运行仍使用 --records 指定的文件。"));
    // The window starts again on the chosen file, with a records thread of its own.
    QPointer<QWidget> owner(qobject_cast<QWidget*>(property("owner").value<QObject*>()));
    close();
    QTimer::singleShot(0, [owner] { OpenRecordsWindow(owner); });
}

CRecordsWindow* OpenRecordsWindow(QWidget* owner) {
    static QPointer<CRecordsWindow> s_open;
    if (s_open) {
        s_open->raise();
        s_open->activateWindow();
        return s_open;
    }
    // A window of its own owned by the main window: the main window runs modal, and only its
    // own windows take input beside it.
    auto* window = new CRecordsWindow(tarvello::ui::RecordsFilePath(), owner);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setProperty("owner", QVariant::fromValue<QObject*>(owner));
    window->show();
    s_open = window;
    return window;
}

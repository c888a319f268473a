#include "app/RecordsModel.h"

#include <QCoreApplication>

#include "app/RecordsWorker.h"
#include "pages/BackgroundRun.h"
#include "records/VerdictText.h"

using tarvello::records::PageFrom;
using tarvello::records::RecordRow;
using tarvello::records::RecordSource;
using tarvello::records::RecordStore;

namespace {

// Pages kept at most; further pages replace the cache (it is read again as needed).
constexpr int kMaxCachedRows = 50 * CRecordsModel::kPageRows;

QString VerdictShown(const QString& verdict) {
    const verdict::Outcome outcome = verdict::OutcomeFromName(verdict.toStdString());
    return outcome == verdict::Outcome::kNotJudged ? QStringLiteral("-")
                                                   : tarvello::records::OutcomeWord(outcome);
}

} // namespace

CRecordsModel::CRecordsModel(CRecordsWorker& worker, QObject* parent)
    : QAbstractTableModel(parent), m_worker(worker) {}

void CRecordsModel::SetFilter(const tarvello::records::RecordFilter& filter) {
    beginResetModel();
    m_filter = filter;
    m_count = 0;
    m_rows.clear();
    m_inFlight = false;
    m_wanted = -1;
    const unsigned generation = ++m_generation;
    endResetModel();
    m_worker.Post([this, filter, generation](RecordSource& store) {
        QString error;
        const int count = store.Count(filter, &error);
        const bool damaged = store.Damaged();
        tarvello::ui::PostToUi(this, [this, generation, count, error, damaged] {
            if (generation != m_generation)
                return;
            if (count < 0 || !error.isEmpty())
                return emit failed(error, damaged);
            beginResetModel();
            m_count = count;
            endResetModel();
            emit counted(count);
        });
    });
}

std::optional<RecordRow> CRecordsModel::RowAt(int row) const {
    const auto it = m_rows.constFind(row);
    return it == m_rows.constEnd() ? std::nullopt : std::optional<RecordRow>(*it);
}

int CRecordsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

int CRecordsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 7;
}

QVariant CRecordsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const auto it = m_rows.constFind(index.row());
    if (it == m_rows.constEnd()) {
        Request(index.row());
        return index.column() == 0 ? QStringLiteral("…") : QVariant();
    }
    const RecordRow& r = *it;
    switch (index.column()) {
    case 0:
        return r.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case 1:
        return r.printerId;
    case 2:
        return VerdictShown(r.verdict);
    case 3:
        return r.kind;
    case 4:
        return r.profile;
    case 5:
        return r.operatorName;
    default:
        return r.station;
    }
}

QVariant CRecordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const names[] = {QT_TRANSLATE_NOOP("CRecordsModel", "开始时间"),
                                        QT_TRANSLATE_NOOP("CRecordsModel", "打印机编号"),
                                        QT_TRANSLATE_NOOP("CRecordsModel", "结论"),
                                        QT_TRANSLATE_NOOP("CRecordsModel", "类型"),
                                        QT_TRANSLATE_NOOP("CRecordsModel", "介质配置"),
                                        QT_TRANSLATE_NOOP("CRecordsModel", "操作员"),
                                        QT_TRANSLATE_NOOP("CRecordsModel", "工位")};
    return QCoreApplication::translate("CRecordsModel", names[section]);
}

// From the nearest row already read when there is one within a page, else from an end, else by
// place.
CRecordsModel::Fetch CRecordsModel::FetchFor(int row) const {
    for (int d = 1; d <= kPageRows; ++d) {
        if (const auto above = m_rows.constFind(row - d); above != m_rows.constEnd())
            return {PageFrom::kBefore, RecordStore::KeyOf(*above), row - d + 1, false};
        if (const auto below = m_rows.constFind(row + d); below != m_rows.constEnd())
            return {PageFrom::kAfter, RecordStore::KeyOf(*below), row + d, false};
    }
    if (row < kPageRows)
        return {PageFrom::kNewest, {}, 0, false};
    if (row >= m_count - kPageRows)
        return {PageFrom::kOldest, {}, m_count, false};
    return {PageFrom::kNewest, {}, std::max(0, row - kPageRows / 2), true};
}

void CRecordsModel::Request(int row) const {
    if (m_inFlight) {
        m_wanted = row;
        return;
    }
    m_inFlight = true;
    const Fetch fetch = FetchFor(row);
    const tarvello::records::RecordFilter filter = m_filter;
    const unsigned generation = m_generation;
    auto* self = const_cast<CRecordsModel*>(this);
    m_worker.Post([self, filter, fetch, generation](RecordSource& store) {
        QString error;
        QList<RecordRow> rows = fetch.byOffset
                                    ? store.PageAt(filter, fetch.first, kPageRows, &error)
                                    : store.Page(filter, fetch.from, fetch.key, kPageRows, &error);
        for (RecordRow& r : rows) { // the list needs the searched columns only
            r.doc = {};
            r.trace.clear();
        }
        tarvello::ui::PostToUi(self, [self, generation, fetch, rows, error] {
            self->Arrived(generation, fetch, rows, error);
        });
    });
}

void CRecordsModel::Arrived(unsigned generation, const Fetch& fetch, const QList<RecordRow>& rows,
                            const QString& error) {
    if (generation != m_generation)
        return;
    m_inFlight = false;
    if (!error.isEmpty())
        return emit failed(error, false);
    if (m_rows.size() + rows.size() > kMaxCachedRows)
        m_rows.clear();
    // Newer-than-key and oldest pages end just above their anchor; the others start at it.
    const bool endsAtFirst = fetch.from == PageFrom::kAfter || fetch.from == PageFrom::kOldest;
    const int first = endsAtFirst && !fetch.byOffset ? fetch.first - rows.size() : fetch.first;
    for (int i = 0; i < rows.size(); ++i)
        if (first + i >= 0 && first + i < m_count)
            m_rows.insert(first + i, rows[i]);
    if (!rows.isEmpty())
        emit dataChanged(index(std::max(0, first), 0),
                         index(std::min(m_count, first + int(rows.size())) - 1, columnCount() - 1));
    const int wanted = std::exchange(m_wanted, -1);
    if (wanted >= 0 && wanted < m_count && !m_rows.contains(wanted))
        Request(wanted);
}

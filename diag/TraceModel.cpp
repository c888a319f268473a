#include "diag/TraceModel.h"

#include <QCoreApplication>
#include <QFont>

#include <vector>

TraceModel::TraceModel(QObject* parent) : QAbstractTableModel(parent) {
    // The view starts with what the ring still holds, and counts nothing from before as dropped.
    const uint64_t latest = LatestTraceSequence();
    last_ = latest > kTraceRingEntries ? latest - kTraceRingEntries : 0;
}

int TraceModel::Pull() {
    std::vector<TraceEntry> fresh;
    uint64_t missed = 0;
    last_ = ReadTraceSince(last_, fresh, &missed);
    dropped_ += missed;
    if (fresh.empty()) {
        return 0;
    }
    // More than the cap in one pull: only the latest kMaxRows are kept.
    size_t skip = fresh.size() > static_cast<size_t>(kMaxRows) ? fresh.size() - kMaxRows : 0;
    const size_t adding = fresh.size() - skip;
    const size_t overflow = rows_.size() + adding > static_cast<size_t>(kMaxRows)
                                ? rows_.size() + adding - static_cast<size_t>(kMaxRows)
                                : 0;
    if (overflow > 0) {
        beginRemoveRows(QModelIndex(), 0, static_cast<int>(overflow) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<long>(overflow));
        endRemoveRows();
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(adding) - 1);
    for (; skip < fresh.size(); ++skip) {
        rows_.push_back(std::move(fresh[skip]));
    }
    endInsertRows();
    return static_cast<int>(adding);
}

void TraceModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

QString TraceModel::PartyText(TraceParty party) {
    switch (party) {
    case TraceParty::kPortOpen:
        return QCoreApplication::translate("TraceModel", "打开串口");
    case TraceParty::kMonitor:
        return QCoreApplication::translate("TraceModel", "状态监视");
    case TraceParty::kAdjustment:
        return QCoreApplication::translate("TraceModel", "自动调整");
    case TraceParty::kReading:
        return QCoreApplication::translate("TraceModel", "单次读取");
    case TraceParty::kPaperCheck:
        return QCoreApplication::translate("TraceModel", "纸张检测");
    case TraceParty::kCommandLine:
        return QCoreApplication::translate("TraceModel", "命令行");
    case TraceParty::kUntagged:
        break;
    }
    return QCoreApplication::translate("TraceModel", "未标记");
}

int TraceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TraceModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant TraceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return QVariant();
    }
    const TraceEntry& e = Entry(index.row());
    if (role == Qt::FontRole && (index.column() == kHex || index.column() == kText)) {
        return QFont(QStringLiteral("Monospace"));
    }
    if (role == Qt::UserRole && index.column() == kParty) {
        return static_cast<int>(e.party); // what the party filter matches
    }
    if (role != Qt::DisplayRole) {
        return QVariant();
    }
    switch (index.column()) {
    case kTime:
        return QString::number(static_cast<double>(e.micros) / 1e6, 'f', 3);
    case kParty:
        return PartyText(e.party);
    case kDirection:
        if (e.direction == TraceDirection::kDiscardedOutput) {
            return QCoreApplication::translate("TraceModel", "x (输出队列)");
        }
        return QString::fromLatin1(TraceDirectionMark(e.direction));
    case kHex:
        return QString::fromStdString(TraceHex(e.bytes));
    case kText:
        return QString::fromStdString(TraceText(e.bytes));
    default:
        return QVariant();
    }
}

QVariant TraceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case kTime:
        return QCoreApplication::translate("TraceModel", "时间 (秒)");
    case kParty:
        return QCoreApplication::translate("TraceModel", "来源");
    case kDirection:
        return QCoreApplication::translate("TraceModel", "方向");
    case kHex:
        return QCoreApplication::translate("TraceModel", "十六进制");
    case kText:
        return QCoreApplication::translate("TraceModel", "文本");
    default:
        return QVariant();
    }
}

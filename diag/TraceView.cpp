#include "diag/TraceView.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "device/LineTrace.h"
#include "diag/TraceModel.h"

TraceView::TraceView(QWidget* parent)
    : QWidget(parent), model_(new TraceModel(this)), filtered_(new QSortFilterProxyModel(this)),
      table_(new QTableView(this)), pause_(new QPushButton(tr("暂停"), this)),
      party_(new QComboBox(this)), dropped_(new QLabel(this)), timer_(new QTimer(this)) {
    filtered_->setSourceModel(model_);
    filtered_->setFilterKeyColumn(TraceModel::kParty);
    filtered_->setFilterRole(Qt::UserRole);
    table_->setModel(filtered_);
    table_->setObjectName(QStringLiteral("traceTable"));
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(TraceModel::kTime, 80);
    table_->setColumnWidth(TraceModel::kParty, 80);
    table_->setColumnWidth(TraceModel::kDirection, 64);
    table_->setColumnWidth(TraceModel::kHex, 300);

    party_->addItem(tr("全部来源"), -1);
    for (int p = 0; p < kTracePartyCount; ++p) {
        party_->addItem(TraceModel::PartyText(static_cast<TraceParty>(p)), p);
    }
    party_->setAccessibleName(tr("来源"));
    auto* clear = new QPushButton(tr("清除"), this);
    auto* save = new QPushButton(tr("保存..."), this);
    pause_->setObjectName(QStringLiteral("tracePause"));
    clear->setObjectName(QStringLiteral("traceClear"));
    save->setObjectName(QStringLiteral("traceSave"));
    party_->setObjectName(QStringLiteral("traceParty"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(pause_);
    bar->addWidget(clear);
    bar->addWidget(new QLabel(tr("来源:"), this));
    bar->addWidget(party_);
    bar->addWidget(save);
    bar->addStretch(1);
    bar->addWidget(dropped_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(table_, 1);

    connect(pause_, &QPushButton::clicked, this, [this] { SetPaused(!paused_); });
    connect(clear, &QPushButton::clicked, this, &TraceView::Clear);
    connect(save, &QPushButton::clicked, this, &TraceView::OnSave);
    connect(party_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int index) { SetPartyFilter(party_->itemData(index).toInt()); });
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!paused_) {
            PullNow();
        }
    });
    timer_->start(kPullIntervalMs);
    UpdateDropped();
}

void TraceView::PullNow() {
    QScrollBar* bar = table_->verticalScrollBar();
    const bool following = bar->value() >= bar->maximum() - 2;
    if (model_->Pull() > 0 && following) {
        table_->scrollToBottom();
    }
    UpdateDropped();
}

void TraceView::SetPaused(bool paused) {
    paused_ = paused;
    pause_->setText(paused ? tr("继续") : tr("暂停"));
    if (!paused) {
        PullNow();
    }
}

void TraceView::Clear() {
    model_->Clear();
}

void TraceView::SetPartyFilter(int party) {
    const int index = party_->findData(party);
    if (index >= 0 && index != party_->currentIndex()) {
        party_->setCurrentIndex(index); // comes back here through the signal
        return;
    }
    filtered_->setFilterRegularExpression(party < 0 ? QString()
                                                    : QStringLiteral("^%1$").arg(party));
}

bool TraceView::SaveTo(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    if (model_->Dropped() > 0) {
        file.write(FormatTraceDropped(model_->Dropped()).c_str());
        file.write("\n");
    }
    for (int row = 0; row < filtered_->rowCount(); ++row) {
        const int source = filtered_->mapToSource(filtered_->index(row, 0)).row();
        file.write(FormatTraceLine(model_->Entry(source)).c_str());
        file.write("\n");
    }
    return file.flush() && file.error() == QFileDevice::NoError;
}

void TraceView::OnSave() {
    const QString path =
        QFileDialog::getSaveFileName(this, tr("保存线路跟踪"), QStringLiteral("trace.txt"),
                                     tr("文本文件 (*.txt);;所有文件 (*)"));
    if (!path.isEmpty() && !SaveTo(path)) {
        QMessageBox::warning(this, tr("保存线路跟踪"), tr("无法写入文件 %1").arg(path));
    }
}

void TraceView::UpdateDropped() {
    dropped_->setText(model_->Dropped() > 0
                          ? tr("已丢失 %1 条记录").arg(static_cast<qulonglong>(model_->Dropped()))
                          : QString());
}

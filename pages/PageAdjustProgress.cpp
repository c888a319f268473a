#include "pages/PageAdjustProgress.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "device/PortState.h"
#include "device/Protocol.h"
#include "res/DialogLayout.h"
#include "res/Templates.h"
#include "sensor/AdjustState.h"
#include "sensor/AdjustWorker.h"

namespace {

// The row below the paper check button, in dialog units: the line across the page, or beside
// the stop control at its right end. No control of the templates lies there.
constexpr int kRowX = 15;
constexpr int kLineY = 163;
constexpr int kLineHeight = 10;
constexpr int kWideWidth = 180;
constexpr int kBesideWidth = 155;
constexpr int kStopX = 172;
constexpr int kStopY = 161;
constexpr int kStopWidth = 26;
constexpr int kStopHeight = 13;
constexpr int kPollMs = 250;
// The line's cell height: a little smaller than the controls' 16, like a status line.
constexpr int kLineFontHeight = 14;

QString LevelCode(int level) {
    return level >= 0 && level <= 3 ? QString::fromLatin1(SensitivityCode(level).c_str())
                                    : QStringLiteral("00");
}

QString RunningText(const AdjustRunState& run) {
    const QString head =
        QCoreApplication::translate("AdjustProgress", "自动调节中: 第 %1 次  ").arg(run.passes);
    if (run.passesNoReading > 0) {
        // Silence or a reply without a reading: the search goes on, sending the same frame.
        return head +
               (run.lastReplyEmpty
                    ? QCoreApplication::translate("AdjustProgress", "打印机无应答 (连续 %1 次)")
                    : QCoreApplication::translate("AdjustProgress", "应答无读数 (连续 %1 次)"))
                   .arg(run.passesNoReading);
    }
    if (run.allLevelsTried)
        return head + QCoreApplication::translate("AdjustProgress", "此介质可能达不到该电压标准");
    return head + QCoreApplication::translate("AdjustProgress", "灵敏度 %1  发光强度 %2")
                      .arg(LevelCode(g_nSensitivity.load()))
                      .arg(g_nIntensity.load());
}

QString EndText(const AdjustRunState& run, float volts) {
    const QString pass =
        QCoreApplication::translate("AdjustProgress", " (第 %1 次)").arg(run.passes);
    switch (run.end) {
    case AdjustEnd::kRunning:
    case AdjustEnd::kSuccess:
        break;
    case AdjustEnd::kStoppedByUser:
        return QCoreApplication::translate("AdjustProgress", "自动调节已停止: 按了“停止”") + pass;
    case AdjustEnd::kStoppedByPage:
        return QCoreApplication::translate("AdjustProgress", "自动调节已停止: 切换了页面") + pass;
    case AdjustEnd::kStopped:
        return QCoreApplication::translate("AdjustProgress", "自动调节已停止") + pass;
    case AdjustEnd::kPortClosed:
        return QCoreApplication::translate("AdjustProgress", "自动调节已停止: 串口已关闭") + pass;
    case AdjustEnd::kWriteFailed:
        return QCoreApplication::translate("AdjustProgress", "自动调节已停止: 命令无法写入串口") +
               pass;
    }
    return QCoreApplication::translate("AdjustProgress",
                                       "自动调节完成: 灵敏度 %1  发光强度 %2  %3 V")
        .arg(LevelCode(run.level))
        .arg(run.intensity)
        .arg(QString::asprintf("%.4f", static_cast<double>(volts)));
}

} // namespace

QString AdjustProgressText(const AdjustRunState& run, bool running, bool stopping, float volts) {
    if (running)
        return stopping ? QCoreApplication::translate("AdjustProgress", "正在停止自动调节…")
                        : RunningText(run);
    return EndText(run, volts);
}

QString WaitText(const QString& what, qint64 elapsedMs, qint64 totalMs) {
    const auto seconds = [](qint64 ms) { return QString::number(ms / 1000.0, 'f', 1); };
    if (totalMs > 0)
        return QCoreApplication::translate("AdjustProgress", "%1, %2 / %3 s…")
            .arg(what, seconds(std::min(elapsedMs, totalMs)), seconds(totalMs));
    return QCoreApplication::translate("AdjustProgress", "%1, %2 s…").arg(what, seconds(elapsedMs));
}

QString StoppedForCheckText(int passes) {
    return QCoreApplication::translate("AdjustProgress", "自动调节已因纸张检测停止 (第 %1 次)")
        .arg(passes);
}

CAdjustProgress::CAdjustProgress(QWidget* page, const tarvello::res::DialogTemplate* pageTemplate)
    : QObject(page) {
    m_font = tarvello::res::MakeFont("Tahoma", kLineFontHeight, 400);
    m_lblLine = new QLabel(page);
    m_lblLine->setObjectName(QStringLiteral("adjustProgress"));
    m_lblLine->setFont(m_font);
    // The line is what the technician reads while the page waits with its input blocked: it
    // keeps the enabled text's colour when the page is disabled.
    QPalette palette = m_lblLine->palette();
    palette.setColor(QPalette::Disabled, QPalette::WindowText,
                     palette.color(QPalette::Active, QPalette::WindowText));
    m_lblLine->setPalette(palette);
    m_btnStop = new QPushButton(QCoreApplication::translate("AdjustProgress", "停止"), page);
    m_btnStop->setObjectName(QStringLiteral("adjustStop"));
    m_btnStop->setAccessibleName(QCoreApplication::translate("AdjustProgress", "停止自动调节"));
    m_btnStop->setToolTip(QCoreApplication::translate("AdjustProgress", "停止自动调节"));
    m_btnStop->setFont(tarvello::res::MakeFont("Tahoma", 16, 400));
    if (pageTemplate) {
        const tarvello::res::BaseUnits base =
            tarvello::res::DialogBaseUnits(tarvello::res::DialogFont(*pageTemplate));
        m_lineWide = tarvello::res::MapDialogRect(kRowX, kLineY, kWideWidth, kLineHeight, base);
        m_lineBeside = tarvello::res::MapDialogRect(kRowX, kLineY, kBesideWidth, kLineHeight, base);
        m_btnStop->setGeometry(
            tarvello::res::MapDialogRect(kStopX, kStopY, kStopWidth, kStopHeight, base));
    }
    m_lblLine->setGeometry(m_lineWide);
    m_lblLine->hide();
    m_btnStop->hide();
    m_timer = new QTimer(this);
    m_timer->setInterval(kPollMs);
    connect(m_timer, &QTimer::timeout, this, &CAdjustProgress::Refresh);
    connect(m_btnStop, &QPushButton::clicked, this, &CAdjustProgress::stopClicked);
}

void CAdjustProgress::WrapOver(int lines) {
    // The label's own metrics: the font it resolved to may be taller than the one asked for.
    const int line = std::max(m_lineWide.height(), m_lblLine->fontMetrics().lineSpacing());
    const int height = line * lines;
    m_lineWide.setHeight(height);
    m_lineBeside.setHeight(height);
    m_lblLine->setWordWrap(lines > 1);
    m_lblLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblLine->setGeometry(m_lineWide);
    // The page grows to hold the lines, as it does for its verdict line.
    QWidget* page = m_lblLine->parentWidget();
    if (page->height() < m_lineWide.bottom() + line / 2)
        page->setFixedSize(page->width(), m_lineWide.bottom() + line / 2);
}

void CAdjustProgress::ShowStop(bool show) {
    m_lblLine->setGeometry(show ? m_lineBeside : m_lineWide);
    m_btnStop->setVisible(show);
}

void CAdjustProgress::Follow() {
    m_strWait.clear();
    m_bFollowing = true;
    m_bStopping = false;
    ShowStop(true);
    Refresh();
    m_lblLine->show();
    m_timer->start();
}

void CAdjustProgress::Stopping() {
    if (!m_bFollowing)
        return;
    m_bStopping = true;
    Refresh();
}

void CAdjustProgress::Succeeded(int level, int intensity, float volts) {
    m_bFollowing = false;
    m_timer->stop();
    ShowStop(false);
    AdjustRunState run = LatestAdjustRun();
    run.end = AdjustEnd::kSuccess;
    run.level = level;
    run.intensity = intensity;
    m_lblLine->setText(AdjustProgressText(run, false, false, volts));
    m_lblLine->show();
}

void CAdjustProgress::Wait(const QString& what) {
    m_bFollowing = false;
    m_strWait = what;
    m_nWaitStart = QDateTime::currentMSecsSinceEpoch();
    m_nWaitTotal = 0;
    ShowStop(false);
    m_lblLine->setText(WaitText(what, 0));
    m_lblLine->show();
    m_timer->start();
}

void CAdjustProgress::WaitFor(int totalMs) {
    if (m_strWait.isEmpty())
        return;
    m_nWaitStart = QDateTime::currentMSecsSinceEpoch();
    m_nWaitTotal = totalMs;
    Refresh();
}

void CAdjustProgress::ShowText(const QString& text) {
    Hide();
    m_lblLine->setText(text);
    m_lblLine->setVisible(!text.isEmpty());
}

void CAdjustProgress::Hide() {
    m_strWait.clear();
    m_bFollowing = false;
    m_timer->stop();
    ShowStop(false);
    m_lblLine->hide();
}

void CAdjustProgress::Refresh() {
    if (!m_strWait.isEmpty()) {
        m_lblLine->setText(
            WaitText(m_strWait, QDateTime::currentMSecsSinceEpoch() - m_nWaitStart, m_nWaitTotal));
        return;
    }
    if (!m_bFollowing)
        return;
    const AdjustRunState run = LatestAdjustRun();
    const bool running = IsAdjustmentRunning();
    if (running) {
        ShowStop(!m_bStopping);
        m_lblLine->setText(AdjustProgressText(run, true, m_bStopping, 0.0f));
        return;
    }
    // The worker has ended: the line says how, until the next run.
    m_bFollowing = false;
    m_timer->stop();
    ShowStop(false);
    m_lblLine->setText(AdjustProgressText(run, false, false, g_fAdjustResult.load()));
}

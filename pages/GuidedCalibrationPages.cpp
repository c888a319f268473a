#include "pages/GuidedCalibrationPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWizard>

#include <vector>

#include "device/PortState.h"
#include "pages/GuidedCalibration.h"
#include "pages/GuidedStepPage.h"
#include "pages/RecordKeeper.h"
#include "records/Profile.h"
#include "records/RecordReport.h"
#include "records/VerdictText.h"
#include "sensor/GuidedSteps.h"
#include "sensor/TextValidation.h"

CGuidedSetupPage::CGuidedSetupPage(const QString& reflectiveStandard,
                                   const QString& transmissiveStandard, QWidget* parent)
    : QWizardPage(parent) {
    setTitle(tr("引导校准"));
    setSubTitle(tr("选择介质配置，扫描或输入打印机编号，然后按“下一步”。"));
    auto* form = new QFormLayout(this);
    m_cbProfile = new QComboBox(this);
    m_cbProfile->addItem(QStringLiteral("Standard"));
    m_cbProfile->setAccessibleName(tr("介质配置"));
    form->addRow(tr("介质配置(&P):"), m_cbProfile);
    m_lblProfileNote = new QLabel(this);
    m_lblProfileNote->setWordWrap(true);
    m_lblProfileNote->setAccessibleName(tr("介质配置的说明"));
    m_lblProfileNote->hide();
    form->addRow(m_lblProfileNote);
    m_edPrinterId = new QLineEdit(CurrentPrinterId(), this);
    m_edPrinterId->setAccessibleName(tr("打印机编号"));
    m_edPrinterId->setPlaceholderText(tr("扫描条码或输入"));
    form->addRow(tr("打印机编号(&I):"), m_edPrinterId);
    m_edOperator = new QLineEdit(QString::fromLocal8Bit(LoginName().c_str()), this);
    m_edOperator->setAccessibleName(tr("操作员"));
    form->addRow(tr("操作员(&O):"), m_edOperator);
    const QString names[2] = {tr("反射式传感器"), tr("透射式传感器")};
    const QString standards[2] = {reflectiveStandard, transmissiveStandard};
    for (int i = 0; i < 2; ++i) {
        m_chkSensor[i] = new QCheckBox(names[i], this);
        m_chkSensor[i]->setChecked(true);
        m_chkSensor[i]->setAccessibleName(names[i]);
        m_edStandard[i] = new QLineEdit(standards[i], this);
        m_edStandard[i]->setAccessibleName(tr("%1的电压标准").arg(names[i]));
        auto* row = new QHBoxLayout;
        row->addWidget(m_chkSensor[i]);
        row->addWidget(new QLabel(tr("电压标准:"), this));
        row->addWidget(m_edStandard[i]);
        form->addRow(row);
        connect(m_chkSensor[i], &QCheckBox::toggled, this, &QWizardPage::completeChanged);
        connect(m_edStandard[i], &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
    }
    m_lblWhy = new QLabel(this);
    m_lblWhy->setWordWrap(true);
    m_lblWhy->setAccessibleName(tr("说明"));
    form->addRow(m_lblWhy);
    connect(m_edPrinterId, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
    connect(m_edOperator, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
    // What keeps Next disabled, said where the technician looks.
    connect(this, &QWizardPage::completeChanged, this,
            [this] { m_lblWhy->setText(WhyNotComplete()); });
    emit completeChanged();
}

void CGuidedSetupPage::SetProfiles(const QList<tarvello::records::Profile>& profiles,
                                   const QString& damage) {
    m_profiles = profiles;
    m_cbProfile->clear();
    for (const tarvello::records::Profile& p : profiles)
        m_cbProfile->addItem(p.source == tarvello::records::ProfileSource::kPlant
                                 ? tr("%1（工厂）").arg(p.name)
                                 : p.name,
                             p.name);
    if (!damage.isEmpty()) {
        m_lblProfileNote->setText(tr("%1；只能使用 Standard 和工厂的配置。").arg(damage));
        m_lblProfileNote->show();
    }
    // A profile with standards of its own types them in; one without leaves the file's.
    const QString fileStandards[2] = {StandardText(0), StandardText(1)};
    connect(m_cbProfile, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this, s0 = fileStandards[0], s1 = fileStandards[1]](int index) {
                if (index < 0 || index >= m_profiles.size())
                    return;
                const tarvello::records::Profile& p = m_profiles[index];
                m_edStandard[0]->setText(
                    p.reflectiveStandard ? QString::number(*p.reflectiveStandard) : s0);
                m_edStandard[1]->setText(
                    p.transmissiveStandard ? QString::number(*p.transmissiveStandard) : s1);
            });
}

QString CGuidedSetupPage::PrinterId() const {
    return m_edPrinterId->text();
}
QString CGuidedSetupPage::Operator() const {
    return m_edOperator->text();
}
QString CGuidedSetupPage::Profile() const {
    const QVariant name = m_cbProfile->currentData();
    return name.isValid() ? name.toString() : m_cbProfile->currentText();
}

void CGuidedSetupPage::SelectProfile(const QString& name) {
    const int at = m_cbProfile->findData(name);
    if (at >= 0)
        m_cbProfile->setCurrentIndex(at);
}
bool CGuidedSetupPage::SensorWanted(int sensor) const {
    return m_chkSensor[sensor]->isChecked();
}
QString CGuidedSetupPage::StandardText(int sensor) const {
    return m_edStandard[sensor]->text();
}

QString CGuidedSetupPage::WhyNotComplete() const {
    // Every step talks to the printer, and the port cannot be opened while the wizard is open.
    if (!g_bPortOpen)
        return tr("串口未打开：关闭此向导，在“端口配置”页打开串口后再开始。");
    if (!PrinterIdAcceptable(PrinterId().toStdString()))
        return tr("打印机编号不能为空，也不能含控制字符。");
    if (!PrinterIdAcceptable(Operator().toStdString()))
        return tr("操作员不能为空，也不能含控制字符。");
    if (!SensorWanted(0) && !SensorWanted(1))
        return tr("至少选择一个传感器。");
    for (int i = 0; i < 2; ++i) {
        const std::optional<float> v = ValidateVoltageText(StandardText(i).toStdString());
        if (SensorWanted(i) && (!v || *v <= 0.0f))
            return tr("%1的电压标准必须是 0.0 到 5.0 之间大于 0 的数。")
                .arg(m_chkSensor[i]->text());
    }
    return QString();
}

bool CGuidedSetupPage::isComplete() const {
    return WhyNotComplete().isEmpty();
}

void CGuidedSetupPage::initializePage() {
    // After the wizard has given the page's first control the focus.
    QTimer::singleShot(0, this, [this] {
        if (wizard() && wizard()->currentPage() == this) {
            m_edPrinterId->setFocus();
            m_edPrinterId->selectAll();
        }
    });
}

bool CGuidedSetupPage::validatePage() {
    SetCurrentPrinterId(PrinterId());
    return true;
}

CGuidedFinishPage::CGuidedFinishPage(CGuidedCalibration* wizard)
    : QWizardPage(wizard), m_wizard(wizard) {
    setTitle(tr("结果"));
    setSubTitle(tr("每一步的结果，以及保存到 parameterset.ini 的值。"));
    // The results in a scrolling area: a flow with failing criteria says more than any fixed
    // height holds, and nothing of it may be cut off.
    auto* outer = new QVBoxLayout(this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* results = new QWidget(scroll);
    auto* layout = new QVBoxLayout(results);
    layout->setContentsMargins(0, 0, 0, 0);
    m_lblVerdict = new QLabel(results);
    m_lblVerdict->setAccessibleName(tr("结论"));
    m_lblVerdict->setTextFormat(Qt::RichText);
    m_lblVerdict->setWordWrap(true);
    layout->addWidget(m_lblVerdict);
    m_lblSteps = new QLabel(results);
    m_lblSteps->setAccessibleName(tr("各步结果"));
    m_lblSteps->setTextFormat(Qt::RichText);
    m_lblSteps->setWordWrap(true);
    layout->addWidget(m_lblSteps);
    m_lblSaved = new QLabel(results);
    m_lblSaved->setAccessibleName(tr("保存的值"));
    m_lblSaved->setWordWrap(true);
    layout->addWidget(m_lblSaved);
    m_lblRecord = new QLabel(results);
    m_lblRecord->setAccessibleName(tr("校准记录"));
    m_lblRecord->setWordWrap(true);
    layout->addWidget(m_lblRecord);
    layout->addStretch();
    scroll->setWidget(results);
    outer->addWidget(scroll, 1);
    auto* row = new QHBoxLayout;
    m_cbRepeat = new QComboBox(this);
    m_cbRepeat->setAccessibleName(tr("要重做的步骤"));
    m_btnRepeat = new QPushButton(tr("重做步骤(&R)"), this);
    m_btnRepeat->setAccessibleName(tr("重做步骤"));
    row->addWidget(m_cbRepeat, 1);
    row->addWidget(m_btnRepeat);
    m_btnReport = new QPushButton(tr("保存报告(&S)…"), this);
    m_btnReport->setAccessibleName(tr("保存报告"));
    row->addWidget(m_btnReport);
    connect(m_btnReport, &QPushButton::clicked, this, &CGuidedFinishPage::OnSaveReport);
    outer->addLayout(row);
    connect(m_btnRepeat, &QPushButton::clicked, this, [this] {
        if (m_cbRepeat->currentIndex() >= 0)
            m_wizard->ReturnToStep(m_cbRepeat->currentData().toInt());
    });
}

namespace {

// The outcome as its word in its colour (never the colour alone).
QString OutcomeHtml(verdict::Outcome outcome) {
    const char* colour = outcome == verdict::Outcome::kPass       ? "#1a7f1a"
                         : outcome == verdict::Outcome::kMarginal ? "#a06000"
                         : outcome == verdict::Outcome::kFail     ? "#b00000"
                                                                  : "#606060";
    return QStringLiteral("<span style=\"color:%1\"><b>%2</b></span>")
        .arg(QLatin1String(colour), tarvello::records::OutcomeWord(outcome).toHtmlEscaped());
}

} // namespace

QString CGuidedFinishPage::VerdictText() const {
    using verdict::Outcome;
    QString text;
    QStringList all; // every criterion's sentence, for the tooltip and the screen reader
    std::vector<verdict::Result> results;
    for (Sensor sensor : {Sensor::Reflective, Sensor::Transmissive}) {
        if (!m_wizard->Setup()->SensorWanted(sensor == Sensor::Reflective ? 0 : 1))
            continue;
        const verdict::Result result = verdict::Judge(m_wizard->VerdictInput(sensor));
        results.push_back(result);
        const QString name = sensor == Sensor::Reflective ? tr("反射式传感器") : tr("透射式传感器");
        text += tr("%1: %2%3")
                    .arg(name, OutcomeHtml(result.verdict),
                         result.complete ? QString() : tr(" (部分)"));
        // The sentences of what did not pass, the worst first; then the names of the criteria
        // that passed and of those that could not be judged.
        for (Outcome outcome : {Outcome::kFail, Outcome::kMarginal}) {
            for (const verdict::Criterion& c : result.criteria) {
                if (c.outcome == outcome)
                    text += QStringLiteral("<br>&nbsp;&nbsp;• ") +
                            tarvello::records::CriterionSentence(c, sensor).toHtmlEscaped();
            }
        }
        for (Outcome outcome : {Outcome::kPass, Outcome::kNotJudged}) {
            QStringList names;
            for (const verdict::Criterion& c : result.criteria) {
                if (c.outcome == outcome)
                    names << tarvello::records::CriterionName(c.code);
            }
            if (!names.isEmpty())
                text += QStringLiteral("<br>&nbsp;&nbsp;") +
                        tr("%1: %2").arg(tarvello::records::OutcomeWord(outcome),
                                         names.join(tr("、")).toHtmlEscaped());
        }
        text += QStringLiteral("<br>");
        for (const verdict::Criterion& c : result.criteria)
            all << name + QStringLiteral(": ") + tarvello::records::CriterionSentence(c, sensor);
    }
    m_lblVerdict->setToolTip(all.join(QLatin1Char('\n')));
    m_lblVerdict->setAccessibleDescription(all.join(QLatin1Char('\n')));
    const verdict::Result whole = verdict::Combine(results);
    return tr("整体结论: %1%2")
               .arg(OutcomeHtml(whole.verdict), whole.complete ? QString() : tr(" (部分)")) +
           QStringLiteral("<br>") + text;
}

void CGuidedFinishPage::initializePage() {
    m_lblVerdict->setText(VerdictText());
    QString steps;
    m_cbRepeat->clear();
    for (CGuidedStepPage* step : m_wizard->Steps()) {
        if (!m_wizard->StepWanted(step))
            continue; // a sensor not chosen
        const QString title = CGuidedStepPage::StepTitle(step->Def());
        QString line;
        switch (step->StepState()) {
        case CGuidedStepPage::State::Done:
            line = tr("%1: %2").arg(title, step->ResultText().toHtmlEscaped());
            break;
        case CGuidedStepPage::State::Failed:
            line = tr("%1: <span style=\"color:#b00000\">没有完成 (%2)</span>")
                       .arg(title, step->ResultText().toHtmlEscaped());
            break;
        default:
            line = tr("%1: 没有进行").arg(title);
            break;
        }
        steps += line + QStringLiteral("<br>");
        m_cbRepeat->addItem(title, step->property("pageId"));
    }
    m_lblSteps->setText(steps);
    QString saved;
    const auto now = m_wizard->SavedValues();
    for (const std::string& key : m_wizard->KeysSaved()) {
        const auto it = now.find(key);
        if (it != now.end())
            saved += QStringLiteral("%1=%2  ").arg(QString::fromStdString(key),
                                                   QString::fromStdString(it->second));
    }
    m_lblSaved->setText(saved.isEmpty() ? tr("parameterset.ini 没有改变。")
                                        : tr("保存到 parameterset.ini: %1").arg(saved.trimmed()));
    m_btnRepeat->setEnabled(m_cbRepeat->count() > 0);
}

bool CGuidedFinishPage::SaveReport(const QString& path, QString* error) {
    const std::optional<tarvello::records::RecordRow> row =
        tarvello::ui::CRecordKeeper::Instance()->LastGuided();
    if (!row) {
        *error = tr("还没有这次校准的记录。");
        return false;
    }
    return tarvello::records::WriteRecordReport(*row, path, error);
}

void CGuidedFinishPage::OnSaveReport() {
    const QString path =
        QFileDialog::getSaveFileName(this, tr("保存报告"), QString(), tr("PDF 文件 (*.pdf)"));
    QString error;
    if (path.isEmpty())
        return;
    m_lblRecord->setText(SaveReport(path, &error) ? tr("报告已保存到 %1").arg(path)
                                                  : tr("报告未保存：%1").arg(error));
}

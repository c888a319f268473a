#include "pages/VerdictLine.h"

#include <QCoreApplication>
#include <QLabel>

#include "records/VerdictText.h"
#include "res/DialogLayout.h"
#include "res/Templates.h"

namespace {

// Below the progress line, across the page (dialog units); the page grows to hold it.
constexpr int kRowX = 15;
constexpr int kLineY = 175;
constexpr int kLineWidth = 180;
constexpr int kLineHeight = 26; // three lines: the word and the reason of the verdict

// Background and text colours of each outcome; the word says it too.
const char* StyleOf(verdict::Outcome outcome) {
    switch (outcome) {
    case verdict::Outcome::kPass:
        return "background:#d8f0d8; color:#145214;";
    case verdict::Outcome::kMarginal:
        return "background:#fbe6b8; color:#6b4700;";
    case verdict::Outcome::kFail:
        return "background:#f6d0d0; color:#7a1010;";
    case verdict::Outcome::kNotJudged:
        break;
    }
    return "";
}

} // namespace

CVerdictLine::CVerdictLine(QWidget* page, const tarvello::res::DialogTemplate* pageTemplate,
                           Sensor sensor)
    : QObject(page) {
    m_input.sensor = sensor;
    m_label = new QLabel(page);
    m_label->setObjectName(QStringLiteral("verdictLine"));
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setFont(tarvello::res::MakeFont("Tahoma", 14, 400));
    m_label->setAccessibleName(QCoreApplication::translate("VerdictLine", "判定"));
    if (pageTemplate) {
        const tarvello::res::BaseUnits base =
            tarvello::res::DialogBaseUnits(tarvello::res::DialogFont(*pageTemplate));
        m_label->setGeometry(
            tarvello::res::MapDialogRect(kRowX, kLineY, kLineWidth, kLineHeight, base));
        const int bottom = m_label->geometry().bottom() + m_label->height() / 2;
        if (page->height() < bottom)
            page->setFixedSize(page->width(), bottom);
    }
    m_label->hide();
}

void CVerdictLine::NoteAdjustment(const AdjustRunState& run, float volts) {
    verdict::AdjustResult& a = m_input.adjust;
    a.outcome = verdict::AdjustOutcomeOf(run.end);
    a.level = run.level;
    a.intensity = run.intensity;
    a.passes = static_cast<int>(run.passes);
    a.raw = run.raw;
    a.volts = a.outcome == verdict::AdjustOutcome::kReached ? volts : 0.0;
}

void CVerdictLine::SetCriteria(const verdict::Criteria& criteria) {
    m_input.criteria = criteria;
    if (!m_label->isHidden())
        Judge(static_cast<float>(m_input.supply));
}

void CVerdictLine::NoteReading(SensorValue measured, float volts) {
    switch (measured) {
    case SensorValue::Mark:
        m_input.mark = volts;
        break;
    case SensorValue::NoPaper:
        m_input.noPaper = volts;
        break;
    case SensorValue::Paper:
        m_input.paper = volts;
        break;
    default:
        break;
    }
}

void CVerdictLine::NoteCheck(float first, float second) {
    m_input.check = verdict::CheckSamples{0, 0, first, second}; // raw values at Judge
}

void CVerdictLine::Judge(float supply) {
    m_input.supply = supply;
    if (m_input.check)
        m_input.check = verdict::CheckSamplesFromVolts(m_input.sensor, m_input.check->first,
                                                       m_input.check->second, supply);
    m_last = verdict::Judge(m_input);
    if (m_last.verdict == verdict::Outcome::kNotJudged) {
        Hide();
        return;
    }
    const QStringList reasons = tarvello::records::FailingSentences(m_last, m_input.sensor);
    QString text = QCoreApplication::translate("VerdictLine", "判定：%1")
                       .arg(tarvello::records::OutcomeWord(m_last.verdict));
    if (!m_last.complete)
        text += QCoreApplication::translate("VerdictLine", "（部分）");
    if (!reasons.isEmpty())
        text += QStringLiteral("  ") + reasons.first();
    m_label->setText(text);
    m_label->setStyleSheet(QString::fromLatin1(StyleOf(m_last.verdict)));
    const QString all = reasons.isEmpty() ? text : reasons.join(QLatin1Char('\n'));
    m_label->setToolTip(all);
    m_label->setAccessibleDescription(all);
    m_label->show();
}

void CVerdictLine::Hide() {
    m_label->hide();
}

#include "records/VerdictText.h"

#include <QCoreApplication>

namespace tarvello::records {

namespace {

QString V(const std::optional<double>& volts) {
    return QString::number(volts.value_or(0.0), 'f', 2);
}

// The sentence of one contrast: the measured gap, the limit it missed, the likely cause.
QString ContrastSentence(const verdict::Criterion& c, Sensor sensor, const QString& what) {
    using verdict::Outcome;
    if (c.outcome == Outcome::kNotJudged)
        return QCoreApplication::translate("VerdictText", "%1：尚未测量，未判定。").arg(what);
    if (c.outcome == Outcome::kPass)
        return QCoreApplication::translate("VerdictText", "%1相差 %2 V，不低于 %3 V。")
            .arg(what, V(c.value), V(c.passLimit));
    return QCoreApplication::translate("VerdictText",
                                       "%1相差 %2 V；此介质至少需要 %3 V：请检查%4是否适合此介质。")
        .arg(what, V(c.value), V(c.passLimit), SensorName(sensor));
}

QString BandSentence(const verdict::Criterion& c) {
    using verdict::Outcome;
    if (c.outcome == Outcome::kNotJudged)
        return QCoreApplication::translate("VerdictText", "未进行自动调整。");
    if (c.outcome == Outcome::kPass)
        return QCoreApplication::translate("VerdictText", "自动调整达到了目标范围。");
    return QCoreApplication::translate(
        "VerdictText",
        "自动调整未达到目标范围：请清洁传感器，检查介质是否放在传感器下，或检查标准电压。");
}

QString HeadroomSentence(const verdict::Criterion& c) {
    using verdict::Outcome;
    const QString steps = QString::number(static_cast<int>(c.value.value_or(0)));
    if (c.outcome == Outcome::kNotJudged)
        return QCoreApplication::translate("VerdictText", "调整未达到目标范围，余量未判定。");
    if (c.outcome == Outcome::kPass)
        return QCoreApplication::translate("VerdictText", "距光强用尽还有 %1 级。").arg(steps);
    return QCoreApplication::translate(
               "VerdictText", "距光强用尽只剩 %1 级：传感器可能脏污或老化，请清洁后重新校准。")
        .arg(steps);
}

QString ScaleSentence(const verdict::Criterion& c) {
    using verdict::Outcome;
    if (c.outcome == Outcome::kNotJudged)
        return QCoreApplication::translate("VerdictText", "没有可判定的读数。");
    if (c.outcome == Outcome::kPass)
        return QCoreApplication::translate("VerdictText", "所有读数都在量程之内。");
    return QCoreApplication::translate("VerdictText",
                                       "读数 %1 位于量程的端点或之外：传感器看不到光或已饱和。")
        .arg(static_cast<int>(c.value.value_or(0)));
}

} // namespace

QString SensorName(Sensor sensor) {
    return sensor == Sensor::Reflective
               ? QCoreApplication::translate("VerdictText", "反射式传感器")
               : QCoreApplication::translate("VerdictText", "透射式传感器");
}

QString SensorName(const QString& key) {
    if (key == QLatin1String("reflective"))
        return SensorName(Sensor::Reflective);
    if (key == QLatin1String("transmissive"))
        return SensorName(Sensor::Transmissive);
    return key;
}

QStringList FailingSentences(const verdict::Result& result, Sensor sensor) {
    // The fails first: the first sentence is the reason of the verdict.
    QStringList sentences;
    for (verdict::Outcome worst : {verdict::Outcome::kFail, verdict::Outcome::kMarginal})
        for (const verdict::Criterion& c : result.criteria)
            if (c.outcome == worst)
                sentences << CriterionSentence(c, sensor);
    return sentences;
}

QString OutcomeWord(verdict::Outcome outcome) {
    switch (outcome) {
    case verdict::Outcome::kPass:
        return QCoreApplication::translate("VerdictText", "合格");
    case verdict::Outcome::kMarginal:
        return QCoreApplication::translate("VerdictText", "勉强");
    case verdict::Outcome::kFail:
        return QCoreApplication::translate("VerdictText", "不合格");
    case verdict::Outcome::kNotJudged:
        break;
    }
    return QCoreApplication::translate("VerdictText", "未判定");
}

QString CriterionName(const std::string& code) {
    if (code == "band")
        return QCoreApplication::translate("VerdictText", "目标范围");
    if (code == "headroom")
        return QCoreApplication::translate("VerdictText", "光强余量");
    if (code == "contrast_check")
        return QCoreApplication::translate("VerdictText", "检纸对比度");
    if (code == "contrast_mark")
        return QCoreApplication::translate("VerdictText", "纸与黑标的对比度");
    if (code == "contrast_no_paper")
        return QCoreApplication::translate("VerdictText", "纸与无纸的对比度");
    if (code == "media_removed")
        return QCoreApplication::translate("VerdictText", "无纸读数");
    if (code == "scale")
        return QCoreApplication::translate("VerdictText", "量程");
    return QString::fromStdString(code);
}

QString CriterionSentence(const verdict::Criterion& c, Sensor sensor) {
    const std::string& code = c.code;
    if (code == "band")
        return BandSentence(c);
    if (code == "headroom")
        return HeadroomSentence(c);
    if (code == "contrast_check")
        return ContrastSentence(c, sensor,
                                QCoreApplication::translate("VerdictText", "检纸的两个采样"));
    if (code == "contrast_mark")
        return ContrastSentence(c, sensor, QCoreApplication::translate("VerdictText", "黑标与纸"));
    if (code == "contrast_no_paper")
        return ContrastSentence(c, sensor, QCoreApplication::translate("VerdictText", "纸与无纸"));
    if (code == "media_removed") {
        if (c.outcome == verdict::Outcome::kMarginal)
            return QCoreApplication::translate(
                       "VerdictText", "黑标读数与无纸读数只差 %1 V：读无纸时介质是否已取出？")
                .arg(V(c.value));
        return c.outcome == verdict::Outcome::kPass
                   ? QCoreApplication::translate("VerdictText", "黑标读数与无纸读数区分清楚。")
                   : QCoreApplication::translate("VerdictText", "黑标或无纸读数尚未测量，未判定。");
    }
    return ScaleSentence(c);
}

} // namespace tarvello::records

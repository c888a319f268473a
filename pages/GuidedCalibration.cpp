#include "pages/GuidedCalibration.h"

#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "device/PortState.h"
#include "pages/GuidedCalibrationPages.h"
#include "pages/GuidedStepPage.h"
#include "pages/PageSensor.h"
#include "pages/RecordKeeper.h"
#include "records/DataFolder.h"
#include "records/ProfileStore.h"
#include "sensor/GuidedSteps.h"
#include "store/ParameterSet.h"

namespace {

QString s_printerId; // UI thread only

// The keys a calibration of a sensor may write, by section.
struct SavedKey {
    const char* section;
    const char* key;
};
const SavedKey kSavedKeys[] = {
    {kSecRVoltage, kKeyRBase},  {kSecRVoltage, kKeyRMid},    {kSecRVoltage, kKeyRHeigh},
    {kSecRVoltage, kKeyRLow},   {kSecRConfig, kKeyRConfig1}, {kSecRConfig, kKeyRConfig2},
    {kSecTVoltage, kKeyTBase},  {kSecTVoltage, kKeyTMid},    {kSecTVoltage, kKeyTLow},
    {kSecTVoltage, kKeyTHeigh}, {kSecTConfig, kKeyTConfig1}, {kSecTConfig, kKeyTConfig2},
};

} // namespace

QString CurrentPrinterId() {
    return s_printerId;
}

void SetCurrentPrinterId(const QString& id) {
    s_printerId = id;
}

CGuidedCalibration::CGuidedCalibration(CSensorPage* reflective, CSensorPage* transmissive,
                                       QWidget* parent)
    : QWizard(parent), m_pages{reflective, transmissive} {
    setObjectName(QStringLiteral("guidedCalibration"));
    setWindowTitle(tr("引导校准"));
    setAccessibleName(tr("引导校准"));
    setProperty("startedUtc", QDateTime::currentDateTimeUtc()); // for the flow's record
    setWizardStyle(QWizard::ClassicStyle);
    // Back never resets a page: every result taken stays.
    setOption(QWizard::IndependentPages, true);
    setOption(QWizard::NoCancelButtonOnLastPage, true);
    setButtonText(QWizard::BackButton, tr("< 上一步(&B)"));
    setButtonText(QWizard::NextButton, tr("下一步(&N) >"));
    setButtonText(QWizard::FinishButton, tr("完成(&F)"));
    setButtonText(QWizard::CancelButton, tr("关闭"));
    for (QWizard::WizardButton b :
         {QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton, QWizard::CancelButton})
        button(b)->setAccessibleName(button(b)->text().remove(QLatin1Char('&')));
    // The saved standards and levels, as an activation of each page loads them.
    reflective->OnSetActive();
    transmissive->OnSetActive();

    m_setup = new CGuidedSetupPage(reflective->ValueText(SensorValue::Standard),
                                   transmissive->ValueText(SensorValue::Standard), this);
    setPage(kSetupPage, m_setup);
    // The media profiles of this user (a small file, read once as the wizard opens).
    tarvello::records::ProfileStore store(tarvello::records::DataFolder());
    QString damage;
    store.Load(&damage);
    m_profiles = store.All();
    if (m_profiles.isEmpty())
        m_profiles.push_back(tarvello::records::BuiltInProfile());
    m_setup->SetProfiles(m_profiles, damage);
    int id = kFirstStepPage;
    for (Sensor sensor : {Sensor::Reflective, Sensor::Transmissive}) {
        CSensorPage* page = sensor == Sensor::Reflective ? reflective : transmissive;
        for (const GuidedStepDef& def : GuidedStepsOf(sensor)) {
            auto* step = new CGuidedStepPage(def, page, this);
            step->setProperty("pageId", id);
            setPage(id++, step);
            m_steps.push_back(step);
            // No Back while the page's step runs: Stop (or Esc) first, so that no other step
            // can start beside it.
            connect(step, &CGuidedStepPage::busyChanged, this, [this, step] {
                if (currentPage() == step)
                    button(QWizard::BackButton)
                        ->setEnabled(step->StepState() != CGuidedStepPage::State::Running);
            });
        }
    }
    m_finish = new CGuidedFinishPage(this);
    setPage(kFinishPage, m_finish);
    connect(this, &QWizard::currentIdChanged, this, &CGuidedCalibration::OnCurrentIdChanged);
}

const tarvello::records::Profile& CGuidedCalibration::ChosenProfile() const {
    for (const tarvello::records::Profile& p : m_profiles) {
        if (p.name == m_setup->Profile())
            return p;
    }
    return m_profiles.front();
}

bool CGuidedCalibration::StepWanted(const CGuidedStepPage* step) const {
    // A sensor chosen on the first page, and a step the profile takes.
    const bool reflective = step->Def().sensor == Sensor::Reflective;
    const QStringList& steps =
        reflective ? ChosenProfile().reflectiveSteps : ChosenProfile().transmissiveSteps;
    return m_setup->SensorWanted(reflective ? 0 : 1) &&
           steps.contains(QLatin1String(GuidedStepName(step->Def().step)));
}

int CGuidedCalibration::nextId() const {
    const int current = currentId();
    if (current == kFinishPage)
        return -1;
    // The next step of a chosen sensor, else the result.
    for (CGuidedStepPage* step : m_steps) {
        const int id = step->property("pageId").toInt();
        if (id > current && StepWanted(step))
            return id;
    }
    return kFinishPage;
}

void CGuidedCalibration::OnCurrentIdChanged(int id) {
    for (CGuidedStepPage* step : m_steps) {
        // The adjustment steps take their standards from the first page.
        if (step->Def().step == GuidedStep::Adjust)
            step->SetStandardText(
                m_setup->StandardText(step->Def().sensor == Sensor::Reflective ? 0 : 1));
        // Only the page shown reads live; a page shown again starts its live reading again
        // (the wizard initialises each page only the first time).
        if (step->property("pageId").toInt() != id)
            step->cleanupPage();
        else
            step->initializePage();
    }
    if (id == kFinishPage) {
        m_finish->initializePage(); // the result again after a repeated step
        tarvello::ui::CRecordKeeper::Instance()->GuidedEnded(this, true, m_finish->RecordLine());
    }
    // Enter is Next on every page after the first (whose fields a scanner types into).
    // (after the wizard has given the page's first control the focus).
    if (id != kSetupPage)
        QTimer::singleShot(0, this, [this, id] {
            if (currentId() == id)
                button(id == kFinishPage ? QWizard::FinishButton : QWizard::NextButton)->setFocus();
        });
}

void CGuidedCalibration::reject() {
    // Esc stops a running step first; the wizard stays.
    bool running = false;
    for (CGuidedStepPage* step : m_steps)
        running = step->Stop() || running;
    if (running)
        return;
    const auto answer = QMessageBox::question(
        this, tr("引导校准"),
        tr("关闭引导校准？已经完成的步骤保存的值保留在 parameterset.ini 中。"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes && !visitedIds().contains(kFinishPage))
        tarvello::ui::CRecordKeeper::Instance()->GuidedEnded(this, false, nullptr); // stopped
    if (answer == QMessageBox::Yes)
        QWizard::reject();
    else if (CGuidedStepPage* step = qobject_cast<CGuidedStepPage*>(currentPage()))
        step->initializePage(); // the live reading again
}

std::map<std::string, std::string> CGuidedCalibration::SavedValues() const {
    std::map<std::string, std::string> values;
    CIniFile& ini = m_pages[0]->m_ini;
    for (const SavedKey& k : kSavedKeys) {
        const std::string value = ini.GetString(k.section, k.key, std::string(1, '\x01'));
        if (value != std::string(1, '\x01'))
            values[k.key] = value;
    }
    return values;
}

verdict::Input CGuidedCalibration::VerdictInput(Sensor sensor) const {
    verdict::Input input;
    input.sensor = sensor;
    input.criteria = ChosenProfile().criteria;
    input.supply = g_fSensorSupply.load();
    for (const CGuidedStepPage* step : m_steps) {
        if (step->Def().sensor != sensor)
            continue;
        if (step->Adjusted())
            input.adjust = *step->Adjusted();
        const bool done = step->StepState() == CGuidedStepPage::State::Done;
        switch (step->Def().step) {
        case GuidedStep::Mark:
            input.mark = done ? step->Reading() : std::nullopt;
            break;
        case GuidedStep::NoPaper:
            input.noPaper = done ? step->Reading() : std::nullopt;
            break;
        case GuidedStep::Paper:
            input.paper = done ? step->Reading() : std::nullopt;
            break;
        case GuidedStep::Check:
            if (done)
                input.check = verdict::CheckSamplesFromVolts(sensor, step->FirstSample(),
                                                             step->SecondSample(), input.supply);
            break;
        default:
            break;
        }
    }
    return input;
}

std::vector<std::string> CGuidedCalibration::KeysSaved() const {
    std::vector<std::string> keys;
    const auto add = [&keys](const char* key) {
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            keys.push_back(key);
    };
    for (const CGuidedStepPage* step : m_steps) {
        if (!StepWanted(step) || step->StepState() != CGuidedStepPage::State::Done)
            continue;
        const SensorParams& params = ParamsOf(step->Def().sensor);
        const std::optional<int> reading = ReadingIndexOf(params.sensor, step->Def().step);
        if (step->Def().step == GuidedStep::Adjust)
            add(params.keys->szBaseKey);
        if (reading) {
            for (const ReadingSaveText& save : params.readings[*reading].saves)
                add(save.key);
        }
        if (reading || step->Def().step == GuidedStep::Adjust) {
            add(params.keys->szSensitivityKey);
            add(params.keys->szIntensityKey);
        }
    }
    return keys;
}

void CGuidedCalibration::ReturnToStep(int id) {
    while (currentId() != id && currentId() != kSetupPage && !visitedIds().isEmpty()) {
        const int before = currentId();
        back();
        if (currentId() == before)
            break;
    }
}

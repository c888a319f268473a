#include "sensor/PaperCheck.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "device/LineTrace.h"
#include "device/PortState.h"
#include "device/Protocol.h"
#include "device/SerialPort.h"
#include "device/Sleep.h"
#include "device/StatusMonitor.h"
#include "sensor/AdjustCurve.h"
#include "sensor/AdjustWorker.h"

namespace {

constexpr size_t kBufferSize = 100;
constexpr unsigned kAfterStartWaitMs = 100;
constexpr unsigned kBeforeSecondSampleWaitMs = 50;

// One frame and its four-character value, through the check's one 100-byte buffer.
class CheckLine {
  public:
    bool Send(const std::vector<uint8_t>& frame) {
        return WritePort(frame.data(), frame.size()) == 0;
    }
    // Zeroes the buffer and reads the reply; false when the port is closed.
    bool Read() {
        std::memset(buffer_, 0, sizeof buffer_);
        count_ = 0;
        return ReadPort(buffer_, sizeof buffer_, count_) == 0;
    }
    std::optional<int> Value() const { return ParseFourHex(buffer_, count_); }

  private:
    uint8_t buffer_[kBufferSize] = {};
    uint32_t count_ = 0;
};

// STX "Ke" selector and its value.
PaperCheckEnd AskValue(CheckLine& line, const char* selector, int& value) {
    if (!line.Send(BuildKeFrame(selector)) || !line.Read()) {
        return PaperCheckEnd::PortFailed;
    }
    const std::optional<int> v = line.Value();
    if (!v) {
        return PaperCheckEnd::BadValue;
    }
    value = *v;
    return PaperCheckEnd::Completed;
}

float SampleVolts(const SensorParams& params, int value, float supply) {
    return params.checkSampleVolts == RawVolts::Inverted ? InvertedVoltsFromReading(value, supply)
                                                         : VoltsFromReading(value, supply);
}

// The check's voltage difference of its two samples and the derived voltage.
struct CheckResult {
    float difference;
    float derived;
};

CheckResult ResultOf(const SensorParams& params, float first, float second) {
    // Single-precision members, with the division and factor in double precision.
    if (params.checkDifference == CheckDifference::FirstMinusSecond) {
        const auto difference = static_cast<float>((first - second) / 2.0 * 5.0);
        return {difference, first - difference};
    }
    const auto difference = static_cast<float>((second - first) / 2.0 * 5.0);
    return {difference, first + difference};
}

PaperCheckEnd RunCheck(const SensorParams& params, float supply, PaperCheckSink& sink) {
    CheckLine line;
    (void)line.Read(); // whatever is waiting; neither the reply nor the result matters
    (void)line.Send(BuildCheckStartFrame(params.checkStartLetter));
    tarvello::Sleep(kAfterStartWaitMs);

    int k0f = 0;
    int k02 = 0;
    int k0e = 0;
    for (auto [selector, value] :
         {std::pair<const char*, int*>{"0f", &k0f}, {"02", &k02}, {"0e", &k0e}}) {
        const PaperCheckEnd end = AskValue(line, selector, *value);
        if (end != PaperCheckEnd::Completed) {
            return end;
        }
    }
    const std::optional<int> wait = CheckWaitMs(k0f, k02, k0e);
    if (!wait) {
        return PaperCheckEnd::BadWait;
    }
    sink.CheckWait(*wait);
    if (!line.Send(BuildCheckFrame())) {
        return PaperCheckEnd::PortFailed;
    }
    PurgeInput(&tarvello::WaitsStopped);
    tarvello::Sleep(static_cast<unsigned>(*wait));
    if (tarvello::WaitsStopped()) {
        return PaperCheckEnd::Stopped; // the program is ending: no further frame
    }

    int value = 0;
    PaperCheckEnd end = AskValue(line, "14", value);
    if (end != PaperCheckEnd::Completed) {
        return end;
    }
    const float first = SampleVolts(params, value, supply);
    if (params.firstSampleShowWaitMs > 0) {
        tarvello::Sleep(params.firstSampleShowWaitMs);
    }
    NoteSensorSample(params.sensor, SampleOrigin::kCheckFirst, params.checkFirst, first);
    sink.FirstSample(first);

    PurgeInput(&tarvello::WaitsStopped);
    tarvello::Sleep(kBeforeSecondSampleWaitMs);
    if (tarvello::WaitsStopped()) {
        return PaperCheckEnd::Stopped;
    }
    end = AskValue(line, "13", value);
    if (end != PaperCheckEnd::Completed) {
        return end;
    }
    const float second = SampleVolts(params, value, supply);
    NoteSensorSample(params.sensor, SampleOrigin::kCheckSecond, SensorValue::Paper, second);
    sink.SecondSample(second);

    const CheckResult result = ResultOf(params, first, second);
    NoteSensorSample(params.sensor, SampleOrigin::kCheckDerived, params.checkDerived,
                     result.derived);
    sink.Result(result.difference, result.derived);
    return PaperCheckEnd::Completed;
}

} // namespace

std::optional<int> CheckWaitMs(int k0f, int k02, int k0e) {
    if (k0e == 0) {
        return std::nullopt;
    }
    const double rate = (static_cast<double>(k0f) - 64.0) * 12.5;
    if (!(rate > 0.0)) {
        return std::nullopt;
    }
    // 32-bit integer division of the printer's values (wider here, so that no value overflows).
    const long long q = static_cast<long long>(k02) * 10 / k0e;
    const double wait = static_cast<double>(q) / rate * 1000.0 + 500.0;
    if (!(wait >= 1.0 && wait < 60001.0)) {
        return std::nullopt;
    }
    return static_cast<int>(wait); // truncated toward zero: 1..60000
}

PaperCheckEnd RunPaperCheck(Sensor sensor, float supply, PaperCheckSink& sink) {
    if (!g_bPortOpen.load()) {
        return PaperCheckEnd::PortNotOpen;
    }
    StopAdjustmentAndWait();
    ScopedTraceParty party(TraceParty::kPaperCheck);
    ScopedMonitorSuspend suspend; // resumed exactly once, on every return below
    return RunCheck(ParamsOf(sensor), supply, sink);
}

// A paper check's sink that keeps every value it is given, in order: the first sample, the
// second sample, the difference and the paper voltage.
#pragma once

#include <vector>

#include "sensor/PaperCheck.h"

struct RecordingCheckSink : PaperCheckSink {
    void FirstSample(float v) override { values.push_back(v); }
    void SecondSample(float v) override { values.push_back(v); }
    void Result(float d, float x) override {
        values.push_back(d);
        values.push_back(x);
    }
    std::vector<float> values;
};

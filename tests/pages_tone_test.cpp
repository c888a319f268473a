// The failed handshake's tone as the sound system receives it: 1000 Hz for 1 s in the
// formats an output may ask for (the device itself is not played here).
#include <gtest/gtest.h>

#include <QAudioFormat>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "pages/Tone.h"

namespace {

QAudioFormat Format(int rate, int channels, QAudioFormat::SampleFormat type) {
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setChannelCount(channels);
    f.setSampleFormat(type);
    return f;
}

// Channel 0 of the samples as -1..1.
std::vector<double> FirstChannel(const QByteArray& data, const QAudioFormat& f) {
    std::vector<double> out;
    for (qsizetype at = 0; at + f.bytesPerFrame() <= data.size(); at += f.bytesPerFrame()) {
        if (f.sampleFormat() == QAudioFormat::Int16) {
            int16_t s;
            std::memcpy(&s, data.constData() + at, sizeof s);
            out.push_back(s / 32767.0);
        } else {
            float s;
            std::memcpy(&s, data.constData() + at, sizeof s);
            out.push_back(s);
        }
    }
    return out;
}

TEST(Tone, IsOneThousandHertzForOneSecondInTheOutputsFormat) {
    for (const QAudioFormat& f :
         {Format(44100, 1, QAudioFormat::Int16), Format(48000, 2, QAudioFormat::Float)}) {
        SCOPED_TRACE(f.sampleRate());
        const QByteArray data = ToneSamples(1000, 1000, f);
        EXPECT_EQ(data.size(), f.sampleRate() * f.bytesPerFrame()); // 1 s of frames
        const std::vector<double> s = FirstChannel(data, f);
        int rising = 0;
        double peak = 0.0;
        for (size_t i = 1; i < s.size(); ++i) {
            rising += s[i - 1] < 0.0 && s[i] >= 0.0 ? 1 : 0;
            peak = std::max(peak, std::abs(s[i]));
        }
        // One rising zero crossing per period after the first: 1000 periods in the second.
        EXPECT_GE(rising, 999);
        EXPECT_LE(rising, 1000);
        EXPECT_NEAR(peak, 0.5, 0.01);
        EXPECT_NEAR(s[0], 0.0, 1e-6); // starts at phase 0, without a click
        if (f.channelCount() == 2) {  // every channel the same
            EXPECT_EQ(std::memcmp(data.constData(), data.constData() + 4, 4), 0);
        }
    }
    EXPECT_TRUE(ToneSamples(1000, 1000, QAudioFormat()).isEmpty());
}

} // namespace

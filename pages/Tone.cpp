#include "pages/Tone.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QTimer>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kAmplitude = 0.5;
constexpr int kPreferredRate = 44100;
// The player goes at the latest this long after the tone should have ended.
constexpr int kPlayerSpareMs = 3000;

// One sample of value v (-1..1) in the format's sample type, into out.
void PutSample(QAudioFormat::SampleFormat type, double v, char* out) {
    switch (type) {
    case QAudioFormat::UInt8: {
        const auto s = static_cast<uint8_t>(std::lround(128.0 + v * 127.0));
        std::memcpy(out, &s, sizeof s);
        break;
    }
    case QAudioFormat::Int16: {
        const auto s = static_cast<int16_t>(std::lround(v * 32767.0));
        std::memcpy(out, &s, sizeof s);
        break;
    }
    case QAudioFormat::Int32: {
        const auto s = static_cast<int32_t>(std::lround(v * 2147483647.0));
        std::memcpy(out, &s, sizeof s);
        break;
    }
    case QAudioFormat::Float: {
        const auto s = static_cast<float>(v);
        std::memcpy(out, &s, sizeof s);
        break;
    }
    default:
        break;
    }
}

// Plays its samples once on one output and then deletes itself.
class CTonePlayer : public QObject {
  public:
    CTonePlayer(const QAudioDevice& device, const QAudioFormat& format, const QByteArray& samples)
        : QObject(QCoreApplication::instance()),
          m_sink(std::make_unique<QAudioSink>(device, format)) {
        m_buffer.setData(samples);
    }
    // The sink reads the buffer until it stops: it stops and goes first (also when the
    // application ends while the tone plays and deletes the player with its other children).
    ~CTonePlayer() override {
        m_sink->disconnect(this);
        m_sink->stop();
    }
    bool Start() {
        if (!m_buffer.open(QIODevice::ReadOnly))
            return false;
        QObject::connect(m_sink.get(), &QAudioSink::stateChanged, this,
                         [this](QAudio::State state) {
                             // Idle: every sample has been played; Stopped: the output gave up.
                             if (state == QAudio::IdleState || state == QAudio::StoppedState) {
                                 m_sink->stop();
                                 deleteLater();
                             }
                         });
        m_sink->start(&m_buffer);
        return m_sink->error() == QAudio::NoError;
    }

  private:
    // In this order: members go in reverse, so the sink is destroyed before the buffer it reads.
    QBuffer m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
};

} // namespace

QByteArray ToneSamples(unsigned frequency, unsigned durationMs, const QAudioFormat& format) {
    const int rate = format.sampleRate();
    const int channels = format.channelCount();
    const int bytes = format.bytesPerSample();
    if (rate <= 0 || channels <= 0 || bytes <= 0)
        return QByteArray();
    const qint64 frames = static_cast<qint64>(rate) * durationMs / 1000;
    QByteArray data(static_cast<qsizetype>(frames * channels * bytes), Qt::Uninitialized);
    char* out = data.data();
    for (qint64 i = 0; i < frames; ++i) {
        const double v =
            kAmplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c, out += bytes)
            PutSample(format.sampleFormat(), v, out);
    }
    return data;
}

bool PlayTone(unsigned frequency, unsigned durationMs) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    QAudioFormat format;
    format.setSampleRate(kPreferredRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        format = device.preferredFormat();
    const QByteArray samples = ToneSamples(frequency, durationMs, format);
    if (samples.isEmpty())
        return false;
    auto* player = new CTonePlayer(device, format, samples);
    if (!player->Start()) {
        delete player;
        return false;
    }
    // However the output behaves, the player goes soon after the tone.
    QTimer::singleShot(static_cast<int>(durationMs) + kPlayerSpareMs, player,
                       [player] { player->deleteLater(); });
    return true;
}

// The virtual printer's sensor model: readings behave like the sensors (monotonic, media in the
// right order) and both automatic adjustments of the tool, replayed here step by step, converge
// on it for ordinary standards and keep cycling for unreachable ones.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "sim/PrinterCommands.h"
#include "sim/SensorModel.h"
#include "sim/VirtualPrinter.h"

using tarvello::sim::Media;
using tarvello::sim::Sensor;
using tarvello::sim::SensorModel;

namespace {

const Media kAllMedia[] = {Media::Paper, Media::Mark, Media::Liner, Media::NoPaper};

// Volts as the tool computes them: rounded to four decimals through "%6.4f", held as a float.
float ToVolts(double raw, double supply) {
    char text[32];
    std::snprintf(text, sizeof text, "%6.4f", raw / 255.0 * supply);
    return static_cast<float>(std::atof(text));
}

struct Outcome {
    int passes = 0;
    int level = 0;
    int intensity = 0;
    float volts = 0;
};

// The tool's automatic adjustment in brief: start at level 3, intensity 0; coarse steps of 32
// (16 high up), halving moves about the anchor once the reading has crossed the band, a fine
// step after five unchanged passes, and the level moving on when the intensity leaves 0..255.
std::optional<Outcome> Adjust(Sensor sensor, float target, double supply, Media media,
                              int maxPasses, const tarvello::sim::Conditions& conditions = {}) {
    const bool refl = sensor == Sensor::Reflective;
    int level = 3, intensity = 0;
    bool raised = false, lowered = false;
    int anchor = 0, last = 0, repeat = 0;
    float r = 0;
    const double low = static_cast<double>(target) - 0.1;
    const double high = refl ? target : static_cast<double>(target) + 0.1;
    for (int pass = 1; pass <= maxPasses; ++pass) {
        if (level < 0 || level > 3) {
            level = 0;
        }
        const int n = SensorModel::Reading(sensor, level, intensity, media, conditions);
        r = ToVolts(refl ? n : 255.0 - n, supply);
        if (low <= r && r <= high) {
            return Outcome{pass, level, intensity, r};
        }
        if (r > high) {
            if (lowered) {
                intensity += std::abs(anchor - intensity) / 2;
            } else if (refl) {
                anchor = intensity;
                intensity += intensity <= 143 ? 32 : 16;
            } else {
                intensity += intensity <= 143 ? 32 : 16;
                anchor = intensity;
            }
            raised = true;
        } else {
            if (raised) {
                intensity -= std::abs(anchor - intensity) / 2;
            } else {
                anchor = intensity;
                intensity -= intensity >= (refl ? 255 : 223) ? 32 : 16;
            }
            lowered = true;
        }
        if (intensity != last) {
            last = intensity;
            repeat = 0;
        } else if (++repeat == 5) {
            last = repeat = 0;
            if (r < low) {
                --intensity;
            } else if (r > target) {
                ++intensity;
            }
            if (intensity < 0) {
                intensity = 127;
            }
            if (intensity > 255) {
                intensity = 255;
            }
        }
        if (intensity > 255) {
            intensity = 255;
            if (--level < 0) {
                level = 3;
            }
        } else if (intensity < 0) {
            intensity = refl ? 127 : 96;
            if (++level > 4) {
                level = 3;
            }
        }
    }
    return std::nullopt;
}

TEST(SensorModel, ReadingsAreMonotonicInIntensityAndStayInRange) {
    for (int level = 0; level < 4; ++level) {
        for (Media media : kAllMedia) {
            int previousR = SensorModel::Reading(Sensor::Reflective, level, 0, media);
            int previousT = SensorModel::Reading(Sensor::Transmissive, level, 0, media);
            for (int i = 1; i <= 255; ++i) {
                const int r = SensorModel::Reading(Sensor::Reflective, level, i, media);
                const int t = SensorModel::Reading(Sensor::Transmissive, level, i, media);
                ASSERT_LE(r, previousR) << "level " << level << " intensity " << i;
                ASSERT_GE(t, previousT) << "level " << level << " intensity " << i;
                ASSERT_GE(r, 0);
                ASSERT_LE(r, SensorModel::kReflectiveTop);
                ASSERT_GE(t, SensorModel::kTransmissiveBottom);
                ASSERT_LE(t, 255);
                previousR = r;
                previousT = t;
            }
        }
    }
}

TEST(SensorModel, MediaAndLevelsActLikeTheSensors) {
    // Reflective: more light returned, lower output. Paper returns most, a mark little.
    auto refl = [](int level, Media m) {
        return SensorModel::Reading(Sensor::Reflective, level, 128, m);
    };
    auto trans = [](int level, Media m) {
        return SensorModel::Reading(Sensor::Transmissive, level, 128, m);
    };
    EXPECT_LT(refl(3, Media::Paper), refl(3, Media::Liner));
    EXPECT_LT(refl(3, Media::Liner), refl(3, Media::Mark));
    EXPECT_LT(refl(3, Media::Mark), refl(3, Media::NoPaper));
    // Transmissive: no paper lets most light through, then liner, a label, a mark.
    EXPECT_GT(trans(3, Media::NoPaper), trans(3, Media::Liner));
    EXPECT_GT(trans(3, Media::Liner), trans(3, Media::Paper));
    EXPECT_GT(trans(3, Media::Paper), trans(3, Media::Mark));
    // Level 3 is the least sensitive: lower levels move further from the rail.
    for (int level = 0; level < 3; ++level) {
        EXPECT_LT(refl(level, Media::Paper), refl(level + 1, Media::Paper));
        EXPECT_GT(trans(level, Media::Liner), trans(level + 1, Media::Liner));
    }
    // A level the printer does not know reads as level 0, an intensity beyond 255 as 255.
    EXPECT_EQ(refl(4, Media::Paper), refl(0, Media::Paper));
    EXPECT_EQ(SensorModel::Reading(Sensor::Reflective, 3, 999, Media::Paper),
              SensorModel::Reading(Sensor::Reflective, 3, 255, Media::Paper));
    EXPECT_EQ(SensorModel::Reading(Sensor::Transmissive, 3, -5, Media::Liner),
              SensorModel::kTransmissiveBottom);
}

TEST(SensorModel, OneIntensityStepIsSmallAgainstTheBand) {
    // At 5.0 V a 0.1 V band is about 5 counts; several neighbouring intensities must fall into
    // it, or the search could step over it for ever.
    for (int i = 1; i <= 255; ++i) {
        EXPECT_LE(SensorModel::Reading(Sensor::Reflective, 3, i - 1, Media::Paper) -
                      SensorModel::Reading(Sensor::Reflective, 3, i, Media::Paper),
                  1);
        EXPECT_LE(SensorModel::Reading(Sensor::Transmissive, 3, i, Media::Liner) -
                      SensorModel::Reading(Sensor::Transmissive, 3, i - 1, Media::Liner),
                  1);
    }
}

TEST(SensorModel, LevelCodes) {
    EXPECT_EQ(SensorModel::LevelFromCode('0', '0'), 0);
    EXPECT_EQ(SensorModel::LevelFromCode('0', '1'), 1);
    EXPECT_EQ(SensorModel::LevelFromCode('1', '0'), 2);
    EXPECT_EQ(SensorModel::LevelFromCode('1', '1'), 3);
    EXPECT_EQ(SensorModel::LevelFromCode('2', '0'), -1);
    EXPECT_EQ(SensorModel::LevelFromCode('1', 'x'), -1);
}

TEST(SensorModel, MediaNames) {
    Media m = Media::Paper;
    EXPECT_TRUE(tarvello::sim::ParseMedia("gap", m));
    EXPECT_EQ(m, Media::Liner);
    EXPECT_TRUE(tarvello::sim::ParseMedia("none", m));
    EXPECT_EQ(m, Media::NoPaper);
    EXPECT_TRUE(tarvello::sim::ParseMedia("mark", m));
    EXPECT_EQ(m, Media::Mark);
    EXPECT_FALSE(tarvello::sim::ParseMedia("Paper", m));
    EXPECT_EQ(m, Media::Mark);
    for (Media media : kAllMedia) {
        Media back = Media::Paper;
        ASSERT_TRUE(tarvello::sim::ParseMedia(tarvello::sim::MediaName(media), back));
        EXPECT_EQ(back, media);
    }
}

TEST(SensorModel, ReflectiveAdjustmentConvergesOverPaper) {
    for (float standard : {1.5f, 2.0f, 2.5f, 3.0f}) {
        auto out = Adjust(Sensor::Reflective, standard, 5.0, Media::Paper, 40);
        ASSERT_TRUE(out) << "standard " << standard;
        EXPECT_LE(out->volts, standard);
        EXPECT_GE(out->volts, standard - 0.1 - 1e-6);
    }
    // Other supplies, and standards below what level 3 reaches (the level moves on).
    EXPECT_TRUE(Adjust(Sensor::Reflective, 1.5f, 3.3, Media::Paper, 40));
    EXPECT_TRUE(Adjust(Sensor::Reflective, 1.2f, 2.5, Media::Paper, 40));
    auto low = Adjust(Sensor::Reflective, 0.5f, 5.0, Media::Paper, 80);
    ASSERT_TRUE(low);
    EXPECT_LT(low->level, 3);
}

TEST(SensorModel, TransmissiveAdjustmentConvergesThroughLiner) {
    for (float standard : {1.5f, 2.0f, 2.5f, 3.0f}) {
        auto out = Adjust(Sensor::Transmissive, standard, 5.0, Media::Liner, 40);
        ASSERT_TRUE(out) << "standard " << standard;
        EXPECT_NEAR(out->volts, standard, 0.1 + 1e-6);
    }
    EXPECT_TRUE(Adjust(Sensor::Transmissive, 2.0f, 3.3, Media::Liner, 40));
    EXPECT_TRUE(Adjust(Sensor::Transmissive, 1.0f, 2.5, Media::Liner, 40));
}

TEST(SensorModel, UnreachableStandardsKeepTheSearchCycling) {
    EXPECT_FALSE(Adjust(Sensor::Reflective, 5.0f, 5.0, Media::Paper, 1000));
    EXPECT_FALSE(Adjust(Sensor::Transmissive, 5.0f, 5.0, Media::Liner, 1000));
    // With nothing under the reflective sensor no usual paper standard is met.
    EXPECT_FALSE(Adjust(Sensor::Reflective, 2.5f, 5.0, Media::NoPaper, 1000));
}

TEST(SensorModel, DefaultCheckValuesGiveAShortPositiveWait) {
    // The tool's check wait: q = K02 * 10 / K0e (integer), R = (K0f - 64) * 12.5,
    // wait = q / R * 1000 + 500 ms.
    using tarvello::sim::VirtualPrinter;
    const int q = VirtualPrinter::kDefaultK02 * 10 / VirtualPrinter::kDefaultK0e;
    const double rate = (VirtualPrinter::kDefaultK0f - 64) * 12.5;
    const int wait = static_cast<int>(q / rate * 1000.0 + 500.0);
    EXPECT_GT(rate, 0);
    EXPECT_GE(wait, 600);
    EXPECT_LE(wait, 2000);
}

} // namespace

TEST(SensorModel, CheckSamplesLieAFewTenthsApartAndDirtAndStockShowInTheVerdictsInputs) {
    using tarvello::sim::Conditions;
    using tarvello::sim::Stock;
    const auto gapVolts = [](Sensor sensor, int level, int intensity, Conditions c) {
        const auto s = SensorModel::CheckSamples(sensor, level, intensity, c);
        return std::abs(s.first - s.second) / 255.0 * 5.0;
    };
    // At the default standards' settings (reflective 2.5 V: level 3, 144; transmissive 2.0 V
    // through liner: level 3, 172): a few tenths of a volt on the standard stock, less on a
    // faint mark, below 0.15 V on clear labels.
    for (const auto& [sensor, intensity] :
         {std::pair{Sensor::Reflective, 144}, std::pair{Sensor::Transmissive, 172}}) {
        const double standard = gapVolts(sensor, 3, intensity, {});
        EXPECT_GE(standard, 0.30);
        EXPECT_LE(standard, 0.70);
        EXPECT_LT(gapVolts(sensor, 3, intensity, {0, Stock::Clear}), 0.15);
    }
    const double faint = gapVolts(Sensor::Reflective, 3, 144, {0, Stock::FaintMark});
    EXPECT_GE(faint, 0.15);
    EXPECT_LT(faint, 0.30);
    // Dirt: from about 50 % the reflective search at 2.5 V ends near full light at level 0;
    // past about 80 % it cannot reach the band.
    for (int dirty : {50, 60, 75}) {
        auto out = Adjust(Sensor::Reflective, 2.5f, 5.0, Media::Paper, 200, {dirty});
        ASSERT_TRUE(out) << dirty;
        EXPECT_EQ(out->level, 0);
        EXPECT_GE(out->intensity, 224);
    }
    EXPECT_GE(Adjust(Sensor::Reflective, 2.5f, 5.0, Media::Paper, 200, {40})->level, 1);
    EXPECT_FALSE(Adjust(Sensor::Reflective, 2.5f, 5.0, Media::Paper, 400, {85}));
}

TEST(PrinterCommands, LinesAndScriptsChangeWhatTheSensorsSee) {
    using namespace tarvello::sim;
    VirtualPrinter printer;
    CommandFeed feed(printer);
    // Lines may come in pieces; a refused line is named and changes nothing.
    EXPECT_TRUE(feed.Feed("reflective ma").empty());
    EXPECT_TRUE(feed.Feed("rk\r\n# a note\n\ndirty 40\n").empty());
    const auto refused = feed.Feed("transmissive cardboard\ndirty 140\nstock clear extra\n");
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0].rfind("line 5: unknown media", 0), 0u) << refused[0];
    EXPECT_EQ(printer.GetMedia(Sensor::Reflective), Media::Mark);
    EXPECT_EQ(printer.GetMedia(Sensor::Transmissive), Media::Liner);
    EXPECT_EQ(printer.GetConditions().dirtyPercent, 40);
    EXPECT_EQ(printer.GetConditions().stock, Stock::Standard);

    // A script: each command at its time; a refused script applies nothing.
    const std::string path = testing::TempDir() + "printer_script.txt";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(file);
    std::fputs("stock faint-mark\nwait 500\nreflective none\nwait 250\ndirty 0\n", file);
    std::fclose(file);
    ASSERT_TRUE(feed.LoadScript(path, nullptr));
    feed.RunDue(0);
    EXPECT_EQ(printer.GetConditions().stock, Stock::FaintMark);
    EXPECT_EQ(printer.GetMedia(Sensor::Reflective), Media::Mark);
    feed.RunDue(700);
    EXPECT_EQ(printer.GetMedia(Sensor::Reflective), Media::NoPaper);
    EXPECT_EQ(printer.GetConditions().dirtyPercent, 40);
    feed.RunDue(750);
    EXPECT_EQ(printer.GetConditions().dirtyPercent, 0);
    EXPECT_TRUE(feed.ScriptDone());
    file = std::fopen(path.c_str(), "w");
    std::fputs("dirty 10\nwait soon\n", file);
    std::fclose(file);
    std::string why;
    EXPECT_FALSE(feed.LoadScript(path, &why));
    EXPECT_NE(why.find("line 2"), std::string::npos) << why;
    std::remove(path.c_str());
}

// The virtual printer's two media sensors: a deterministic model of the raw readings 0..255.
//
// Both sensors shine a light (intensity 0..255) on the media; the sensitivity level (0..3, sent
// as "00", "01", "10", "11") sets the gain of the receiver. The output voltage falls as more
// light reaches the receiver:
//   reflective   raw N is the output itself: it falls with the intensity and rises with the
//                level (level 3 is the least sensitive). Paper reflects most, a printed mark
//                little, liner somewhat less than paper, no paper (the platen) almost nothing.
//   transmissive raw N is the inverted output (the tool shows (255 - N) / 255 * supply): it
//                rises with the intensity and falls with the level. No paper lets all the light
//                through, liner (a gap between labels) much of it, a label on its liner less, a
//                mark almost none.
// Readings are monotonic in the intensity; near the middle of the range one intensity step moves
// the reading by less than one count at level 3, so a 0.1 V band at 5.0 V (about 5 counts) is
// met by several neighbouring intensities. The reflective reading never exceeds 240 counts and
// the transmissive one never falls below 15 counts, so a 5.0 V standard cannot be met by either.
#pragma once

#include <string>

namespace tarvello::sim {

enum class Sensor { Reflective, Transmissive };

// What lies under a sensor.
enum class Media { Paper, Mark, Liner, NoPaper };

// The media stock the readings and the paper check see: the standard stock; labels with a
// faint mark (its gap to the paper in the paper check about 0.2 V at 5.0 V: below a verdict's
// usual pass limit of 0.30 V); clear labels (the paper check's gap below 0.15 V).
enum class Stock { Standard, FaintMark, Clear };

// What the sensors work under besides the media: dirt on the sensor (percent; less light
// reaches the receiver: past about 50 % the reflective search ends near full light at its last
// level, past about 80 % it cannot reach a 2.5 V standard) and the stock.
struct Conditions {
    int dirtyPercent = 0;
    Stock stock = Stock::Standard;
};

const char* MediaName(Media media);
// "standard", "faint-mark", "clear"; false otherwise.
bool ParseStock(const std::string& text, Stock& stock);
const char* StockName(Stock stock);
// "paper", "mark", "liner" (also "gap"), "none" (also "nopaper", "no-paper"); false otherwise.
bool ParseMedia(const std::string& text, Media& media);

class SensorModel {
  public:
    // The highest reflective and lowest transmissive raw readings (the receiver's rails).
    static constexpr int kReflectiveTop = 240;
    static constexpr int kTransmissiveBottom = 15;

    // Raw reading for a sensor at a level (0..3; other values read as level 0, as the printer
    // takes an unknown code) and an intensity (clamped to 0..255) over the given media.
    static int Reading(Sensor sensor, int level, int intensity, Media media,
                       const Conditions& conditions = {});

    // The paper check's two samples at a sensor's settings, as a printer takes them while it
    // feeds: the first over a mark (reflective) or the liner (transmissive), the second over
    // the paper. The printer's check sees a fifth (reflective) or a third (transmissive) of the
    // contrast of a single reading, so the samples lie a few tenths of a volt apart (at the
    // default standards: 0.3 to 0.5 V), as a real printer's do.
    struct Samples {
        int first = 0;
        int second = 0;
    };
    static Samples CheckSamples(Sensor sensor, int level, int intensity,
                                const Conditions& conditions = {});

    // Level from a two-character code "00", "01", "10", "11"; -1 for any other text.
    static int LevelFromCode(char c1, char c2);
};

} // namespace tarvello::sim

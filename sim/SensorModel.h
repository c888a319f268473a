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

const char* MediaName(Media media);
// "paper", "mark", "liner" (also "gap"), "none" (also "nopaper", "no-paper"); false otherwise.
bool ParseMedia(const std::string& text, Media& media);

class SensorModel {
  public:
    // The highest reflective and lowest transmissive raw readings (the receiver's rails).
    static constexpr int kReflectiveTop = 240;
    static constexpr int kTransmissiveBottom = 15;

    // Raw reading for a sensor at a level (0..3; other values read as level 0, as the printer
    // takes an unknown code) and an intensity (clamped to 0..255) over the given media.
    static int Reading(Sensor sensor, int level, int intensity, Media media);

    // Level from a two-character code "00", "01", "10", "11"; -1 for any other text.
    static int LevelFromCode(char c1, char c2);
};

} // namespace tarvello::sim

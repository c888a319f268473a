// The voltage exchange: send some bytes, wait for the printer's decimal reading and return it
// in volts.
#pragma once

#include <cstddef>

// Flushes the input (255 bytes), writes the bytes in one write, reads the reply with up to 10
// attempts 50 ms apart and converts its decimal reading: n / 255.0 * scale, rounded to four
// decimals. 0.0 when the port is closed, the write fails or is short, no reply comes or the
// reply holds no reading (no '/', no digit directly before it, a value above 255).
float ExchangeVoltage(const void* bytes, size_t n, float scale);

// Feeds arbitrary printer replies to every reply parser, each at the size the tool reads it
// with: 255 bytes for the status scan and the decimal reading (the monitor, the exchange and
// the reflective adjustment), 30 for the transmissive adjustment's decimal reading, 100 for the
// paper check's four-character value. Every reply is copied into a block of exactly its size,
// so AddressSanitizer reports any look outside the received bytes.
//
// An input longer than any read (the 64 KiB case in tests/corpus/regression/replies/, run by
// scripts/fuzz.sh on its own) goes to every parser whole.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "device/Protocol.h"

namespace {

constexpr size_t kLongestRead = 255;

size_t ReadSize(size_t size, size_t read) {
    return size > kLongestRead ? size : std::min(size, read);
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void Decimal(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> reply(data, data + size);
    if (const auto reading = ParseDecimalReading(reply.data(), size)) {
        Check(*reading >= 0 && *reading <= 255);
    }
}

void FourHex(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> reply(data, data + size);
    if (const auto value = ParseFourHex(reply.data(), size)) {
        Check(size >= 4 && *value >= 0 && *value <= 0xFFFF);
    }
}

void Status(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> reply(data, data + size);
    // One of the supplies a printer can have, chosen by the reply, so that each input costs one
    // scan (whose work grows with the square of the length).
    const float supplies[] = {2.5f, 3.3f, 5.0f};
    const float supply = supplies[size % 3];
    for (const StatusText& text : ScanStatusReply(reply.data(), size, supply)) {
        // A reading of 0..255 at a supply of at most 5 V is "0.0000" to "5.0000".
        Check(text.text.size() == 6 && text.text[1] == '.' &&
              (text.controlId == kIdPresenceSensor || text.controlId == kIdMicroSwitch ||
               text.controlId == kIdRibbonSensor));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Decimal(data, ReadSize(size, 255));
    Decimal(data, ReadSize(size, 30));
    FourHex(data, ReadSize(size, 100));
    Status(data, ReadSize(size, 255));
    return 0;
}

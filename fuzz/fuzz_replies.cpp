// Feeds arbitrary printer replies to every reply parser. The input is copied into a block of
// exactly its size, so AddressSanitizer reports any look outside the received bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "device/Protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> reply(data, data + size);
    const uint8_t* bytes = reply.data();

    if (const auto reading = ParseDecimalReading(bytes, size)) {
        if (*reading < 0 || *reading > 255) {
            std::abort();
        }
    }
    if (const auto value = ParseFourHex(bytes, size)) {
        if (size < 4 || *value < 0 || *value > 0xFFFF) {
            std::abort();
        }
    }
    for (float supply : {2.5f, 3.3f, 5.0f}) {
        for (const StatusText& text : ScanStatusReply(bytes, size, supply)) {
            // A reading of 0..255 at a supply of at most 5 V is "0.0000" to "5.0000".
            if (text.text.size() != 6 || text.text[1] != '.' ||
                (text.controlId != kIdPresenceSensor && text.controlId != kIdMicroSwitch &&
                 text.controlId != kIdRibbonSensor)) {
                std::abort();
            }
        }
    }
    return 0;
}

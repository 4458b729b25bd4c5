// load_settings over arbitrary "config.cfg" contents and sizes: it never reads past
// the 32nd byte and shows A + 256 B + 65536 C + 16777216 D modulo 2^32.
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "settings/settings.h"
#include "support/headless_toolkit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrava;
    test::HeadlessToolkit ui;
    fuzz::NoNet net;
    fuzz::MemoryFiles files;
    files.content.emplace(data, data + size);
    Program program(ui, net, files);
    load_settings(program);
    if (!ui.field_value) {
        std::abort();
    }
    std::uint8_t padded[32] = {};
    std::memcpy(padded, data, size < 32 ? size : 32);
    unsigned __int128 sum = 0;
    for (int i = 0; i < 4; ++i) {
        std::int64_t number = 0;
        std::memcpy(&number, padded + 8 * i, 8);  // little-endian host
        sum += static_cast<unsigned __int128>(static_cast<__int128>(number) << (8 * i));
    }
    if (*ui.field_value != static_cast<std::uint32_t>(sum)) {
        std::abort();
    }
    return 0;
}

// The address text path: split_address_text and save_settings over texts of the form
// the IP field gives (four parts of 0 to 255 or blank), and split_address_text over any
// text at all without a fault.
#include <cstdlib>

#include "fuzz_support.h"
#include "settings/settings.h"
#include "support/headless_toolkit.h"
#include "ui/ipv4.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrava;
    // Any text: no fault, no endless loop, at most three characters in the last part.
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    if (split_address_text(raw)[3].size() > 3) {
        std::abort();
    }
    if (size < 8) {
        return 0;
    }
    // The field's form: two bytes per part, the first deciding whether it is blank.
    Ipv4Parts parts;
    for (std::size_t i = 0; i < 4; ++i) {
        if (data[2 * i] % 5 != 0) {
            parts[i] = data[2 * i + 1];
        }
    }
    test::HeadlessToolkit ui;
    fuzz::NoNet net;
    fuzz::MemoryFiles files;
    Program program(ui, net, files);
    ui.ip = ipv4_field_text(parts);
    save_settings(program, split_address_text(ui.ip));
    if (!files.content || files.content->size() != 32) {
        std::abort();
    }
    for (std::size_t i = 0; i < 4; ++i) {
        const auto expected = static_cast<std::uint64_t>(parts[i].value_or(0));
        std::uint64_t saved = 0;
        for (std::size_t b = 0; b < 8; ++b) {
            saved |= static_cast<std::uint64_t>((*files.content)[8 * i + b]) << (8 * b);
        }
        if (saved != expected) {
            std::abort();
        }
    }
    return 0;
}

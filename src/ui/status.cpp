#include "ui/status.h"

namespace kestrava {

void status_ticker(std::int64_t& ticker_count, Toolkit& toolkit, const WindowTexts& texts) {
    ticker_count += 4;
    if (ticker_count == 24) {
        toolkit.show_status_text(texts.credits_line);
        toolkit.pump_events();
    }
    if (ticker_count == 48) {
        toolkit.show_status_text(texts.web_line);
        toolkit.pump_events();
        ticker_count = 0;
    }
}

void on_updates(Toolkit& toolkit, std::string_view page_address) {
    toolkit.open_web_address(page_address);
    toolkit.pump_events();
}

}  // namespace kestrava

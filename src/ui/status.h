#pragma once

#include <cstdint>
#include <string_view>

#include "ui/toolkit.h"

namespace kestrava {

// One timer tick: advances `ticker_count` by 4; at 24 shows the credits line, at 48
// the web line and starts again from 0. Pumps after each change of text.
void status_ticker(std::int64_t& ticker_count, Toolkit& toolkit, const WindowTexts& texts);

// The Updates button: asks the shell to open the publisher's page, then pumps.
void on_updates(Toolkit& toolkit, std::string_view page_address);

}  // namespace kestrava

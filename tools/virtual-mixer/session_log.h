#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "mixer_state.h"

namespace kestrava::vmixer {

inline constexpr std::size_t kLoggedMalformedBytes = 64;

// One line per datagram, fields separated by one space, time in UTC to the microsecond:
//   2026-01-31T09:15:02.123456Z /ch/01/mix/fader 3f800000 1
//   2026-01-31T09:15:02.123460Z /other/address 3f800000 1 unknown_address
//   2026-01-31T09:15:02.123470Z malformed tag_not_float 24 2f2d73746174...
// A message gives its address, the value's bits as eight hex digits and the value; a
// malformed datagram gives the error, its size and its first kLoggedMalformedBytes
// bytes in hex, followed by "..." when there are more. No line holds any other text
// from the datagram, and every line ends with '\n'.
[[nodiscard]] std::string format_log_line(std::chrono::system_clock::time_point received,
                                          const Reception& reception, const std::uint8_t* data,
                                          std::size_t size);

// "2026-01-31T09:15:02.123456Z"
[[nodiscard]] std::string format_utc_time(std::chrono::system_clock::time_point time);

// The session log file. Lines are buffered; flush() writes them out.
class SessionLog {
  public:
    // Creates or truncates `path`; ok() is false when that failed.
    explicit SessionLog(const std::string& path);
    ~SessionLog();
    SessionLog(const SessionLog&) = delete;
    SessionLog& operator=(const SessionLog&) = delete;

    // False when the file could not be opened or a write failed.
    [[nodiscard]] bool ok() const { return file_ != nullptr && !failed_; }

    void write(std::chrono::system_clock::time_point received, const Reception& reception,
               const std::uint8_t* data, std::size_t size);
    void flush();

  private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

}  // namespace kestrava::vmixer

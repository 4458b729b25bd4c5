#include "session_log.h"

#include <charconv>

namespace kestrava::vmixer {

namespace {

void append_number(std::string& out, long long value, int width) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    for (auto n = end - digits; n < width; ++n) {
        out += '0';
    }
    out.append(digits, end);
}

void append_hex(std::string& out, std::uint64_t value, int digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out += kHex[(value >> shift) & 0xF];
    }
}

}  // namespace

std::string format_utc_time(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto micros = floor<microseconds>(time);
    const auto day = floor<days>(micros);
    const year_month_day date{day};
    const hh_mm_ss clock{micros - day};

    std::string out;
    out.reserve(28);
    append_number(out, static_cast<int>(date.year()), 4);
    out += '-';
    append_number(out, static_cast<unsigned>(date.month()), 2);
    out += '-';
    append_number(out, static_cast<unsigned>(date.day()), 2);
    out += 'T';
    append_number(out, clock.hours().count(), 2);
    out += ':';
    append_number(out, clock.minutes().count(), 2);
    out += ':';
    append_number(out, clock.seconds().count(), 2);
    out += '.';
    append_number(out, clock.subseconds().count(), 6);
    out += 'Z';
    return out;
}

std::string format_log_line(std::chrono::system_clock::time_point received,
                            const Reception& reception, const std::uint8_t* data,
                            std::size_t size) {
    std::string line = format_utc_time(received);
    line += ' ';
    if (!reception.decoded.ok()) {
        line += "malformed ";
        line += error_name(reception.decoded.error);
        line += ' ';
        line += std::to_string(size);
        const std::size_t shown = size < kLoggedMalformedBytes ? size : kLoggedMalformedBytes;
        if (shown > 0) {
            line += ' ';
        }
        for (std::size_t i = 0; i < shown; ++i) {
            append_hex(line, data[i], 2);
        }
        if (size > shown) {
            line += "...";
        }
        line += '\n';
        return line;
    }

    const FloatMessage& message = reception.decoded.message;
    line += message.address;
    line += ' ';
    append_hex(line, message.bits, 8);
    line += ' ';
    char value[32];
    const auto [end, ec] = std::to_chars(value, value + sizeof value, message.value());
    line.append(value, end);
    if (!reception.target) {
        line += " unknown_address";
    }
    line += '\n';
    return line;
}

SessionLog::SessionLog(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}

SessionLog::~SessionLog() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void SessionLog::write(std::chrono::system_clock::time_point received, const Reception& reception,
                       const std::uint8_t* data, std::size_t size) {
    if (file_ == nullptr) {
        return;
    }
    const std::string line = format_log_line(received, reception, data, size);
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size()) {
        failed_ = true;
    }
}

void SessionLog::flush() {
    if (file_ != nullptr && std::fflush(file_) != 0) {
        failed_ = true;
    }
}

}  // namespace kestrava::vmixer

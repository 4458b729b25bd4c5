#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace kestrava {

// The file operations behind "config.cfg". The system implementation uses the
// platform's file calls; tests substitute failing ones.
class SettingsFiles {
  public:
    virtual ~SettingsFiles() = default;

    // Opens an existing file for reading (unshared where the platform allows) and
    // returns at most `max_bytes` from its start; nothing when it cannot be opened.
    virtual std::optional<std::vector<std::uint8_t>> read_prefix(const std::filesystem::path& path,
                                                                 std::size_t max_bytes) = 0;

    // Replaces the file's content with `bytes` so that it is never left truncated:
    // the bytes go to a temporary file beside it, flushed, then renamed over it.
    // Where an existing file cannot be opened for writing (read-only, a directory,
    // held open elsewhere) nothing is written. Returns true when the file now holds
    // `bytes`.
    virtual bool replace(const std::filesystem::path& path,
                         std::span<const std::uint8_t> bytes) = 0;
};

std::unique_ptr<SettingsFiles> make_system_files();

}  // namespace kestrava

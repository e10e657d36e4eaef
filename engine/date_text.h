// The text form of a file's modification time in an index cache file.
//
// The general date form: "2026/12/11 4:09:48" (year, two-digit month and
// day, hour without a leading zero, two-digit minutes and seconds), and the
// date alone, "2026/12/11", at exactly midnight. Times are local, as the
// TZ environment variable sets them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qb {

// |seconds| since the epoch in the general date form.
std::string FormatGeneralDate(int64_t seconds);

// The 14-digit number YYYYMMDDHHMMSS of |seconds| in local time.
int64_t DateStamp(int64_t seconds);

// The 14-digit number of a general date text, or nothing when |text| is not
// a valid date (with or without a valid time) in that form.
std::optional<int64_t> ParseGeneralDate(std::string_view text);

}  // namespace qb

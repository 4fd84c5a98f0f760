// Helpers shared by the record readers and writers of the resource classes.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "runner/stream.h"

namespace vendrel::resources {

using runner::CStream;

// Reads a count of entries that each take at least [min_entry_bytes] bytes.
// A negative count reads as 0 entries. A count that the rest of the data
// cannot hold throws StreamError before anything is allocated for it, so a
// damaged count never asks for gigabytes.
inline int32_t ReadCount(CStream& stream, size_t min_entry_bytes) {
  int32_t count = stream.ReadInteger();
  if (count <= 0) return 0;
  if (min_entry_bytes > 0 && uint64_t(count) * min_entry_bytes > stream.Remaining())
    throw runner::StreamError("a count exceeds the data that follows it");
  return count;
}

// The integer form of a value that the record stores as an integer but that
// is a real in memory (layer positions, tile depths): the nearest integer,
// halves to even, saturated to the 32-bit range.
inline int32_t StoredInteger(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(std::nearbyint(value));
}

}  // namespace vendrel::resources

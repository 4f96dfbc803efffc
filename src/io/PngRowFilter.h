#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaform {

// Writes row's filter type byte and its filtered bytes (length + 1 bytes in
// all) to out. Of the five filters it takes the one whose bytes, read as
// signed, sum to the least magnitude (the first on a tie): a choice made from
// the row and the one above alone, so a file's bytes never depend on how its
// rows were shared out. previous is null for the top row.
void filterPngRow(const std::uint8_t* row, const std::uint8_t* previous, std::size_t length, std::size_t bytesPerPixel,
                  std::uint8_t* out);

}  // namespace tessaform

// Turns a parsed help source into the bytes of a help file for the system's help viewer
// (version 3.1 layout, text stored uncompressed).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/helpc/source.h"

namespace helpc {

// Layout facts shared with the tests that read the file back.
constexpr uint32_t kTopicBlockSize = 4096;  // |TOPIC is stored in blocks of this size
constexpr uint32_t kBlockHeaderSize = 12;
constexpr uint32_t kBlockData = kTopicBlockSize - kBlockHeaderSize;

// Fonts of the |FONT table, by number.
enum Font : uint16_t { kFontBody = 0, kFontTitle = 1, kFontHeading = 2 };

// Throws std::exception subclasses when the source does not fit the format (a B+ tree
// larger than a page, two context names with one hash).
std::vector<uint8_t> buildHelpFile(const HelpSource& src, uint32_t generatedAt);

}  // namespace helpc

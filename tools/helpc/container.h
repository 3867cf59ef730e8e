// The help file's outer layers: a little-endian byte sink, the numbers that the topic
// records store in their compressed forms, the context-name hash, single-page B+ trees and
// the internal file system with its directory.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace helpc {

struct Sink {
  std::vector<uint8_t> b;
  void u8(uint32_t v) { b.push_back(uint8_t(v)); }
  void u16(uint32_t v) { u8(v); u8(v >> 8); }
  void u32(uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
  void str(const std::string& s) { b.insert(b.end(), s.begin(), s.end()); u8(0); }
  void bytes(const std::vector<uint8_t>& v) { b.insert(b.end(), v.begin(), v.end()); }
  size_t size() const { return b.size(); }
  void put32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  }
};

// Compressed numbers of the paragraph records: the lowest bit of the first byte says
// whether the short (clear) or the long (set) form follows; the value is stored doubled,
// and the signed forms carry a bias.
void compressedUShort(Sink& s, uint32_t v);  // 1 or 2 bytes, v < 32768
void compressedShort(Sink& s, int32_t v);    // 1 or 2 bytes, -16384 <= v < 16384
void compressedLong(Sink& s, int32_t v);     // 2 or 4 bytes, signed

// The viewer's hash of a context name: case-blind, 43 symbols per character.
int32_t contextHash(const std::string& name);

// A B+ tree held in one leaf page: its header, then the page. `structure` is the tree's
// key and value description; the entries must already be in key order.
std::vector<uint8_t> singlePageBTree(const char* structure, uint16_t pageSize, bool isDirectory,
                                     const std::vector<std::vector<uint8_t>>& entries);

// The whole help file: the 16-byte header, each internal file behind its 9-byte file
// header, and the directory (a B+ tree of names and offsets) last. Names are sorted here.
std::vector<uint8_t> assemble(std::vector<std::pair<std::string, std::vector<uint8_t>>> files);

}  // namespace helpc

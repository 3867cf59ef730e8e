// Independent readers for the generated files, written from the file formats rather than
// from the generator, so a fault in the writer shows up as a mismatch here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace resgen_test {

using Bytes = std::vector<uint8_t>;

inline uint32_t le16(const Bytes& b, size_t at) { return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8; }
inline uint32_t le32(const Bytes& b, size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }
inline int32_t sle32(const Bytes& b, size_t at) { return int32_t(le32(b, at)); }
inline std::string fourcc(const Bytes& b, size_t at) {
  return std::string(reinterpret_cast<const char*>(&b.at(at)), 4);
}

// A RIFF chunk: id, where its data starts, its size, and for RIFF/LIST the form type.
struct Chunk {
  std::string id, form;
  size_t data = 0, size = 0;
};

// Lists the chunks between [begin, end), stepping over pad bytes. Fails (returns false)
// when a chunk runs past the end.
inline bool riffChildren(const Bytes& b, size_t begin, size_t end, std::vector<Chunk>& out) {
  size_t p = begin;
  while (p + 8 <= end) {
    Chunk c;
    c.id = fourcc(b, p);
    c.size = le32(b, p + 4);
    c.data = p + 8;
    if (c.data + c.size > end) return false;
    if (c.id == "RIFF" || c.id == "LIST") c.form = fourcc(b, c.data);
    out.push_back(c);
    p = c.data + c.size + (c.size & 1);
  }
  return p == end || p == end + 1;
}

inline const Chunk* findChunk(const std::vector<Chunk>& cs, const std::string& id,
                              const std::string& form = "") {
  for (const Chunk& c : cs)
    if (c.id == id && (form.empty() || c.form == form)) return &c;
  return nullptr;
}

// 24-bit BMP decoded to top-first RGB.
struct Bmp {
  int width = 0, height = 0, bits = 0;
  std::vector<uint8_t> rgb;
  uint8_t* px(int x, int y) { return &rgb[(size_t(y) * width + x) * 3]; }
};

}  // namespace resgen_test

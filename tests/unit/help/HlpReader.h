// An independent reader of the help viewer's file format, written from the format and not
// from tools/helpc, so that a fault in the compiler shows up as a mismatch here. It reads
// the internal file system and its directory, |SYSTEM, |TOPIC (records, topic headers,
// paragraphs with their text and jumps), |CONTEXT and |CTXOMAP.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace hlp_test {

using Bytes = std::vector<uint8_t>;

struct Format : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline uint32_t u16(const Bytes& b, size_t at) {
  if (at + 2 > b.size()) throw Format("read past the end");
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8;
}
inline uint32_t u32(const Bytes& b, size_t at) { return u16(b, at) | u16(b, at + 2) << 16; }

// The context-name hash as the viewer computes it: 43 symbols, letters without case.
inline int32_t nameHash(const std::string& name) {
  // Symbol values 1..42 by position; '#' marks the values no character has.
  static const std::string symbols = "1234567890!._###abcdefghijklmnopqrstuvwxyz";
  int64_t h = 0;
  for (char c : name) {
    char lower = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    size_t v = symbols.find(lower);
    if (v == std::string::npos || symbols[v] == '#') throw Format("unhashable " + name);
    h = (h * 43 + int64_t(v + 1)) & 0xFFFFFFFF;
  }
  return int32_t(uint32_t(h));
}

struct Paragraph {
  std::string text;
  std::vector<int32_t> jumps;  // context hashes of the jumps in it
  uint16_t firstFont = 0xFFFF;
};

struct Topic {
  std::string title;
  uint32_t offset = 0;  // block * 0x8000 + characters before it in the block
  std::vector<Paragraph> paragraphs;
};

struct HelpFile {
  std::map<std::string, Bytes> files;  // internal files by name, without their headers
  std::string title, mainCaption;  // the help title, the main window's caption
  uint32_t contents = 0;
  uint16_t fonts = 0;
  std::vector<Topic> topics;
  std::map<int32_t, uint32_t> context;  // hash -> topic offset
  std::map<uint32_t, uint32_t> map;     // context number -> topic offset
  std::vector<std::pair<std::string, std::vector<uint32_t>>> keywords;  // Index order, topic offsets
};

// Leaf entries of a B+ tree held in `file` (header first): descends through the first
// entries of index pages to the leftmost leaf, then follows the leaves' chain. `entry`
// reads one entry at a position and returns its size.
template <class Entry>
void btreeLeaves(const Bytes& file, Entry entry) {
  if (u16(file, 0) != 0x293B) throw Format("B+ tree magic");
  uint32_t pageSize = u16(file, 4), root = u16(file, 26), levels = u16(file, 32);
  auto page = [&](uint32_t n) { return size_t(38) + size_t(n) * pageSize; };
  uint32_t p = root;
  for (uint32_t l = 1; l < levels; ++l) p = u16(file, page(p) + 4);
  uint32_t total = 0;
  while (p != 0xFFFF) {
    size_t at = page(p) + 8;
    uint32_t n = u16(file, page(p) + 2);
    for (uint32_t i = 0; i < n; ++i) at += entry(at);
    total += n;
    p = u16(file, page(p) + 6);
  }
  if (total != u32(file, 34)) throw Format("B+ tree entry count");
}

inline std::string cstr(const Bytes& b, size_t& at) {
  std::string s;
  while (at < b.size() && b[at]) s += char(b[at++]);
  if (at >= b.size()) throw Format("unterminated text");
  ++at;
  return s;
}

// Compressed numbers: lowest bit of the first byte set means the long form.
inline uint32_t cUShort(const Bytes& b, size_t& at) {
  if (b.at(at) & 1) { uint32_t v = u16(b, at) >> 1; at += 2; return v; }
  return b.at(at++) >> 1;
}
inline int32_t cShort(const Bytes& b, size_t& at) {
  if (b.at(at) & 1) { int32_t v = int32_t(u16(b, at) >> 1) - 0x4000; at += 2; return v; }
  return int32_t(b.at(at++) >> 1) - 0x40;
}
inline int32_t cLong(const Bytes& b, size_t& at) {
  if (b.at(at) & 1) { int64_t v = int64_t(u32(b, at) >> 1) - 0x40000000; at += 4; return int32_t(v); }
  int32_t v = int32_t(u16(b, at) >> 1) - 0x4000;
  at += 2;
  return v;
}

inline HelpFile readHelpFile(const Bytes& b) {
  HelpFile h;
  if (u32(b, 0) != 0x00035F3F) throw Format("file magic");
  if (u32(b, 12) != b.size()) throw Format("file size field");
  auto body = [&](uint32_t at) {
    uint32_t reserved = u32(b, at), used = u32(b, at + 4);
    if (used + 9 > reserved || at + 9 + used > b.size()) throw Format("internal file header");
    return Bytes(b.begin() + at + 9, b.begin() + at + 9 + used);
  };
  Bytes dir = body(u32(b, 4));
  std::string last;
  btreeLeaves(dir, [&](size_t at) {
    size_t p = at;
    std::string name = cstr(dir, p);
    if (name <= last) throw Format("directory not sorted");
    last = name;
    h.files[name] = body(u32(dir, p));
    return p + 4 - at;
  });
  for (const char* need : {"|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT", "|CTXOMAP"})
    if (!h.files.count(need)) throw Format(std::string("no ") + need);

  const Bytes& sys = h.files["|SYSTEM"];
  if (u16(sys, 0) != 0x036C || u16(sys, 2) != 21 || u16(sys, 8) != 0) throw Format("|SYSTEM header");
  for (size_t at = 12; at + 4 <= sys.size();) {
    uint32_t type = u16(sys, at), size = u16(sys, at + 2);
    size_t p = at + 4;
    if (type == 1) h.title = cstr(sys, p);
    if (type == 3) h.contents = u32(sys, p);
    if (type == 6 && size == 90 && (u16(sys, p) & 0x06) == 0x06) {
      size_t name = p + 12, caption = p + 21;
      if (cstr(sys, name) == "main") h.mainCaption = cstr(sys, caption);
    }
    at += 4 + size;
  }
  h.fonts = uint16_t(u16(h.files["|FONT"], 2));

  // |TOPIC: 4 KB blocks of a 12-byte header and data; the data laid end to end.
  const Bytes& tp = h.files["|TOPIC"];
  if (tp.size() % 4096) throw Format("|TOPIC is not whole blocks");
  Bytes data;
  for (size_t blk = 0; blk < tp.size(); blk += 4096) data.insert(data.end(), tp.begin() + blk + 12, tp.begin() + blk + 4096);
  auto linear = [](uint32_t pos) { return size_t(pos >> 14) * 4084 + (pos & 0x3FFF) - 12; };
  uint32_t pos = u32(tp, 4), prev = 0xFFFFFFFF, block = 0xFFFFFFFF, counted = 0;
  while (pos != 0xFFFFFFFF) {
    size_t at = linear(pos);
    uint32_t size = u32(data, at), len2 = u32(data, at + 4), len1 = u32(data, at + 16);
    if (u32(data, at + 8) != prev) throw Format("record's previous link");
    if (len1 < 21 || len1 + len2 != size || at + size > data.size()) throw Format("record sizes");
    if (pos >> 14 != block) { block = pos >> 14; counted = 0; }
    uint8_t type = data[at + 20];
    Bytes d1(data.begin() + at + 21, data.begin() + at + len1), d2(data.begin() + at + len1, data.begin() + at + size);
    if (type == 0x02) {
      Topic t;
      size_t p = 0;
      t.title = cstr(d2, p);
      t.offset = block * 0x8000 + counted;
      h.topics.push_back(t);
    } else if (type == 0x20) {
      if (h.topics.empty()) throw Format("text before the first topic");
      Paragraph par;
      size_t f = 0, s = 0;
      cLong(d1, f);
      counted += cUShort(d1, f);
      f += 4;
      uint32_t bits = u16(d1, f);
      f += 2;
      if (bits & 0x0001) cLong(d1, f);
      for (uint32_t bit : {0x02u, 0x04u, 0x08u, 0x10u, 0x20u, 0x40u})
        if (bits & bit) cShort(d1, f);
      if (bits & 0x0300) throw Format("borders and tabs are not expected");
      bool inJump = false;
      for (;;) {
        par.text += cstr(d2, s);
        uint8_t cmd = d1.at(f++);
        if (cmd == 0xFF) break;
        switch (cmd) {
          case 0x80: if (par.firstFont == 0xFFFF) par.firstFont = uint16_t(u16(d1, f)); f += 2; break;
          case 0x81: par.text += "\n"; break;
          case 0x82: break;
          case 0x89: if (!inJump) throw Format("hotspot end without a start"); inJump = false; break;
          case 0xE3: par.jumps.push_back(int32_t(u32(d1, f))); f += 4; inJump = true; break;
          default: throw Format("unexpected text command");
        }
      }
      if (inJump || f != d1.size() || s != d2.size()) throw Format("paragraph data left over");
      h.topics.back().paragraphs.push_back(par);
    } else {
      throw Format("record type");
    }
    prev = pos;
    pos = u32(data, at + 12);
  }

  btreeLeaves(h.files["|CONTEXT"], [&](size_t at) {
    const Bytes& c = h.files["|CONTEXT"];
    h.context[int32_t(u32(c, at))] = u32(c, at + 4);
    return size_t(8);
  });
  const Bytes& m = h.files["|CTXOMAP"];
  for (uint32_t i = 0, n = u16(m, 0); i < n; ++i) h.map[u32(m, 2 + 8 * i)] = u32(m, 6 + 8 * i);
  if (h.files.count("|KWBTREE")) {
    const Bytes &kw = h.files["|KWBTREE"], &kd = h.files.at("|KWDATA");
    btreeLeaves(kw, [&](size_t at) {
      size_t p = at;
      std::string word = cstr(kw, p);
      std::vector<uint32_t> topics;
      for (uint32_t i = 0, n = u16(kw, p); i < n; ++i) topics.push_back(u32(kd, u32(kw, p + 2) + 4 * i));
      h.keywords.push_back({word, topics});
      return p + 6 - at;
    });
  }
  return h;
}

}  // namespace hlp_test

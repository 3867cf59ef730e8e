// The help file's outer layers; see container.h.
#include "tools/helpc/container.h"

#include <algorithm>
#include <stdexcept>

namespace helpc {

void compressedUShort(Sink& s, uint32_t v) {
  if (v < 0x80) s.u8(v * 2);
  else s.u16(v * 2 + 1);
}

void compressedShort(Sink& s, int32_t v) {
  if (v >= -0x40 && v < 0x40) s.u8(uint32_t(v + 0x40) * 2);
  else s.u16(uint32_t(v + 0x4000) * 2 + 1);
}

void compressedLong(Sink& s, int32_t v) {
  if (v >= -0x4000 && v < 0x4000) s.u16(uint32_t(v + 0x4000) * 2);
  else s.u32(uint32_t(v + 0x40000000) * 2 + 1);
}

int32_t contextHash(const std::string& name) {
  uint32_t h = 0;
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    uint32_t v;
    if (c >= '1' && c <= '9') v = c - '0';
    else if (c == '0') v = 10;
    else if (c == '!') v = 11;
    else if (c == '.') v = 12;
    else if (c == '_') v = 13;
    else if (c >= 'A' && c <= 'Z') v = c - 'A' + 17;
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 17;
    else throw std::invalid_argument("context name with a character the viewer cannot hash: " + name);
    h = h * 43 + v;
  }
  return int32_t(h);
}

std::vector<uint8_t> singlePageBTree(const char* structure, uint16_t pageSize, bool isDirectory,
                                     const std::vector<std::vector<uint8_t>>& entries) {
  Sink page;
  size_t used = 8;
  for (const auto& e : entries) used += e.size();
  if (used > pageSize) throw std::length_error(std::string("B+ tree ") + structure + " needs more than one page");
  page.u16(uint32_t(pageSize - used));  // free bytes at the page's end
  page.u16(uint32_t(entries.size()));
  page.u16(0xFFFF);  // no previous leaf
  page.u16(0xFFFF);  // no next leaf
  for (const auto& e : entries) page.bytes(e);
  page.b.resize(pageSize, 0);

  Sink t;
  t.u16(0x293B);
  t.u16(isDirectory ? 0x0402 : 0x0002);
  t.u16(pageSize);
  char st[16] = {};
  for (int i = 0; i < 15 && structure[i]; ++i) st[i] = structure[i];
  for (char c : st) t.u8(uint8_t(c));
  t.u16(0);       // must be zero
  t.u16(0);       // page splits
  t.u16(0);       // root page
  t.u16(0xFFFF);  // must be -1
  t.u16(1);       // pages
  t.u16(1);       // levels
  t.u32(uint32_t(entries.size()));
  t.bytes(page.b);
  return t.b;
}

namespace {

void fileWithHeader(Sink& out, const std::vector<uint8_t>& data) {
  out.u32(uint32_t(data.size() + 9));  // reserved space, header included
  out.u32(uint32_t(data.size()));      // used space
  out.u8(4);                           // file flags
  out.bytes(data);
}

}  // namespace

std::vector<uint8_t> assemble(std::vector<std::pair<std::string, std::vector<uint8_t>>> files) {
  std::sort(files.begin(), files.end());
  Sink out;
  out.u32(0x00035F3F);
  out.u32(0);           // directory offset, set below
  out.u32(0xFFFFFFFF);  // no free block
  out.u32(0);           // file size, set below
  std::vector<std::vector<uint8_t>> dir;
  for (const auto& [name, data] : files) {
    Sink e;
    e.str(name);
    e.u32(uint32_t(out.size()));
    dir.push_back(e.b);
    fileWithHeader(out, data);
  }
  out.put32(4, uint32_t(out.size()));
  fileWithHeader(out, singlePageBTree("z4", 0x400, true, dir));
  out.put32(12, uint32_t(out.size()));
  return out.b;
}

}  // namespace helpc

// The help file's internal files: |SYSTEM (title, copyright, contents topic), |FONT,
// |TOPIC (the text), |CONTEXT (context-name hash to topic), |CTXOMAP (context number to
// topic), |KWBTREE and |KWDATA (the Index: each keyword, how many topics it leads to and
// where their offsets start in |KWDATA).
//
// |TOPIC is a chain of records, laid end to end in the data of blocks of kTopicBlockSize
// bytes, each block behind a 12-byte header; a record may run on over a block's end into
// the next block's data. Records point at each other by their position: the number of
// the block they start in * 0x4000, plus 12, plus their offset in that block's data.
// Topics are keyed (in |CONTEXT, |CTXOMAP and |SYSTEM) by a topic offset: the block number
// * 0x8000 plus the character counts of the text records that start in the same block
// before the topic's header.
#include "tools/helpc/hlpwriter.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>

#include "tools/helpc/container.h"

namespace helpc {

namespace {

constexpr uint8_t kRecordTopicHeader = 0x02;
constexpr uint8_t kRecordText = 0x20;
constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr uint32_t kRecordHeaderSize = 21;

// Text commands inside a paragraph's format data.
constexpr uint8_t kCmdFont = 0x80, kCmdEndParagraph = 0x82, kCmdEndHotspot = 0x89, kCmdJump = 0xE3,
                  kCmdEnd = 0xFF;
// Paragraph settings present.
constexpr uint16_t kSpacingAbove = 0x0002, kSpacingBelow = 0x0004;

struct Record {
  uint8_t type = 0;
  std::vector<uint8_t> data1, data2;  // format data and text
  uint32_t at = 0;                    // offset in the block data laid end to end
  uint32_t characters = 0;            // what a text record adds to the topic offset
  uint32_t size() const { return kRecordHeaderSize + uint32_t(data1.size() + data2.size()); }
};

uint32_t recordPos(uint32_t at) { return at / kBlockData * 0x4000 + kBlockHeaderSize + at % kBlockData; }

uint16_t fontOf(Style s) {
  switch (s) {
    case Style::Title: return kFontTitle;
    case Style::Heading: return kFontHeading;
    default: return kFontBody;
  }
}

// One paragraph: the texts, each closed by a NUL, go to data2; the commands between them
// to data1. The viewer shows a text, runs the command after it, shows the next text, ...
Record paragraph(const Paragraph& p) {
  Record r;
  r.type = kRecordText;
  Sink fmt, text;
  std::string pending;
  size_t characters = 0;
  auto command = [&](std::initializer_list<uint8_t> bytes, int32_t arg32 = 0, bool withArg = false) {
    text.str(pending);
    characters += pending.size();
    pending.clear();
    for (uint8_t b : bytes) fmt.u8(b);
    if (withArg) fmt.u32(uint32_t(arg32));
  };
  uint16_t font = fontOf(p.style);
  command({kCmdFont, uint8_t(font), uint8_t(font >> 8)});
  if (p.style == Style::Bullet) pending = "\x95  ";
  for (const Span& s : p.spans) {
    if (s.target.empty()) {
      pending += s.text;
      continue;
    }
    command({kCmdJump}, contextHash(s.target), true);
    pending = s.text;
    command({kCmdEndHotspot});
  }
  command({kCmdEndParagraph});
  command({kCmdEnd});

  Sink d1;
  compressedLong(d1, int32_t(text.size()));
  r.characters = uint32_t(std::min<size_t>(characters + 1, 0x7FFF));
  compressedUShort(d1, r.characters);
  d1.u8(0x00);
  d1.u8(0x80);
  d1.u16(0);  // paragraph id
  uint16_t bits = kSpacingBelow;
  if (p.style == Style::Heading) bits |= kSpacingAbove;
  d1.u16(bits);
  if (bits & kSpacingAbove) compressedShort(d1, 10);
  compressedShort(d1, p.style == Style::Bullet ? 3 : 8);
  d1.bytes(fmt.b);
  r.data1 = d1.b;
  r.data2 = text.b;
  return r;
}

// The definition of the viewer's main window, so that its caption is the help title:
// flags (type, name and caption given), type, name and caption in fixed-size fields, then
// position, size, state and colours, which are left to the viewer.
std::vector<uint8_t> mainWindow(const std::string& caption) {
  Sink w;
  w.u16(0x0007);
  auto field = [&](const std::string& text, size_t size) {
    std::string f = text.substr(0, size - 1);
    f.resize(size, '\0');
    for (char c : f) w.u8(uint8_t(c));
  };
  field("primary", 10);
  field("main", 9);
  field(caption, 51);
  for (int i = 0; i < 5; ++i) w.u16(0);
  w.u32(0);
  w.u32(0);
  return w.b;
}

std::vector<uint8_t> systemFile(const HelpSource& src, uint32_t contentsOffset, uint32_t generatedAt) {
  Sink s;
  s.u16(0x036C);
  s.u16(21);  // minor version: 3.1
  s.u16(1);
  s.u32(generatedAt);
  s.u16(0);  // flags: topic text not compressed, 4 KB blocks
  auto record = [&](uint16_t type, const std::vector<uint8_t>& data) {
    s.u16(type);
    s.u16(uint32_t(data.size()));
    s.bytes(data);
  };
  Sink title, copyright, contents;
  title.str(src.title);
  copyright.str(src.copyright);
  contents.u32(contentsOffset);
  record(1, title.b);
  record(2, copyright.b);
  record(3, contents.b);
  record(6, mainWindow(src.title));
  return s.b;
}

std::vector<uint8_t> fontFile() {
  struct Face { uint8_t attributes, halfPoints, family; uint16_t face; uint8_t r, g, b; };
  const char* faces[] = {"Arial"};
  const Face fonts[] = {
      {0x00, 20, 3, 0, 0, 0, 0},       // body
      {0x01, 28, 3, 0, 0, 0, 0x80},    // title: bold, dark blue
      {0x01, 22, 3, 0, 0, 0x40, 0x80}, // heading: bold
  };
  constexpr uint16_t kFaceLength = 20;
  Sink s;
  s.u16(1);
  s.u16(3);
  s.u16(8);
  s.u16(8 + kFaceLength);
  for (const char* f : faces) {
    std::string name(f);
    name.resize(kFaceLength, '\0');
    for (char c : name) s.u8(uint8_t(c));
  }
  for (const Face& f : fonts) {
    s.u8(f.attributes);
    s.u8(f.halfPoints);
    s.u8(f.family);
    s.u16(f.face);
    s.u8(f.r); s.u8(f.g); s.u8(f.b);
    s.u8(0xFF); s.u8(0xFF); s.u8(0xFF);
  }
  return s.b;
}

// The Index lists keywords in the order the viewer compares them: case-blind.
struct CaseBlind {
  bool operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
  }
};

// |KWBTREE (keyword, count, offset into |KWDATA) and |KWDATA (topic offsets).
std::pair<std::vector<uint8_t>, std::vector<uint8_t>> keywordFiles(const HelpSource& src,
                                                                  const std::vector<uint32_t>& topicOffset) {
  std::map<std::string, std::vector<uint32_t>, CaseBlind> keywords;
  for (size_t i = 0; i < src.topics.size(); ++i)
    for (const std::string& k : src.topics[i].keywords) {
      std::vector<uint32_t>& topics = keywords[k];
      if (std::find(topics.begin(), topics.end(), topicOffset[i]) == topics.end()) topics.push_back(topicOffset[i]);
    }
  Sink data;
  std::vector<std::vector<uint8_t>> entries;
  for (const auto& [word, topics] : keywords) {
    Sink e;
    e.str(word);
    e.u16(uint32_t(topics.size()));
    e.u32(uint32_t(data.size()));
    entries.push_back(e.b);
    for (uint32_t t : topics) data.u32(t);
  }
  return {singlePageBTree("z24", 0x1000, false, entries), data.b};
}

}  // namespace

std::vector<uint8_t> buildHelpFile(const HelpSource& src, uint32_t generatedAt) {
  // Records per topic, laid end to end; each topic's offset.
  std::vector<std::vector<Record>> topics;
  std::vector<uint32_t> topicOffset;
  uint32_t at = 0, window = 0, counted = 0;  // window: the block a record starts in
  for (size_t i = 0; i < src.topics.size(); ++i) {
    const Topic& t = src.topics[i];
    std::vector<Record> rs(1);
    rs[0].type = kRecordTopicHeader;
    rs[0].data1.resize(28);
    Sink title;
    title.str(t.title);
    rs[0].data2 = title.b;
    for (const Paragraph& p : t.paragraphs) rs.push_back(paragraph(p));
    for (Record& r : rs) {
      r.at = at;
      at += r.size();
      if (r.at / kBlockData != window) {
        window = r.at / kBlockData;
        counted = 0;
      }
      if (r.type == kRecordTopicHeader) topicOffset.push_back(window * 0x8000 + counted);
      counted += r.characters;
    }
    topics.push_back(std::move(rs));
  }
  uint32_t blocks = std::max<uint32_t>(1, (at + kBlockData - 1) / kBlockData);

  // Chain the records and fill the topic headers.
  std::vector<Record*> all;
  for (auto& rs : topics)
    for (Record& r : rs) all.push_back(&r);
  std::vector<uint8_t> data(size_t(blocks) * kBlockData, 0);
  for (size_t i = 0; i < topics.size(); ++i) {
    Record& h = topics[i][0];
    uint32_t recordsSize = 0;
    for (const Record& r : topics[i]) recordsSize += r.size();
    Sink hd;
    hd.u32(recordsSize);
    hd.u32(kNone);  // no browse sequence
    hd.u32(kNone);
    hd.u32(uint32_t(i));
    hd.u32(kNone);  // no non-scrolling region
    hd.u32(topics[i].size() > 1 ? recordPos(topics[i][1].at) : kNone);
    hd.u32(i + 1 < topics.size() ? recordPos(topics[i + 1][0].at) : kNone);
    h.data1 = hd.b;
  }
  for (size_t i = 0; i < all.size(); ++i) {
    const Record& r = *all[i];
    Sink rec;
    rec.u32(r.size());
    rec.u32(uint32_t(r.data2.size()));
    rec.u32(i ? recordPos(all[i - 1]->at) : kNone);
    rec.u32(i + 1 < all.size() ? recordPos(all[i + 1]->at) : kNone);
    rec.u32(kRecordHeaderSize + uint32_t(r.data1.size()));
    rec.u8(r.type);
    rec.bytes(r.data1);
    rec.bytes(r.data2);
    std::copy(rec.b.begin(), rec.b.end(), data.begin() + r.at);
  }

  // Blocks with their headers: the last record starting before the block, the first
  // starting in it, and the last topic header starting before it.
  Sink topic;
  for (uint32_t b = 0; b < blocks; ++b) {
    uint32_t begin = b * kBlockData, end = begin + kBlockData;
    uint32_t lastLink = kNone, firstLink = kNone, lastHeader = kNone;
    for (const Record* r : all) {
      if (r->at < begin) {
        lastLink = recordPos(r->at);
        if (r->type == kRecordTopicHeader) lastHeader = recordPos(r->at);
      } else if (r->at < end && firstLink == kNone) {
        firstLink = recordPos(r->at);
      }
    }
    topic.u32(lastLink);
    topic.u32(firstLink);
    topic.u32(lastHeader);
    topic.b.insert(topic.b.end(), data.begin() + begin, data.begin() + end);
  }

  std::map<std::string, size_t> byId;
  for (size_t i = 0; i < src.topics.size(); ++i) byId[src.topics[i].id] = i;

  std::vector<std::pair<int32_t, uint32_t>> hashes;
  for (size_t i = 0; i < src.topics.size(); ++i) hashes.push_back({contextHash(src.topics[i].id), topicOffset[i]});
  std::sort(hashes.begin(), hashes.end());
  for (size_t i = 1; i < hashes.size(); ++i)
    if (hashes[i].first == hashes[i - 1].first) throw std::invalid_argument("two topic IDs share one hash");
  std::vector<std::vector<uint8_t>> contextEntries;
  for (auto [hash, offset] : hashes) {
    Sink e;
    e.u32(uint32_t(hash));
    e.u32(offset);
    contextEntries.push_back(e.b);
  }

  Sink ctxomap;
  std::vector<std::pair<uint32_t, uint32_t>> maps;
  for (size_t i = 0; i < src.topics.size(); ++i)
    for (uint32_t n : src.topics[i].maps) maps.push_back({n, topicOffset[i]});
  ctxomap.u16(uint32_t(maps.size()));
  for (auto [n, offset] : maps) {
    ctxomap.u32(n);
    ctxomap.u32(offset);
  }

  auto [kwbtree, kwdata] = keywordFiles(src, topicOffset);
  return assemble({
      {"|SYSTEM", systemFile(src, topicOffset[byId.at(src.contents)], generatedAt)},
      {"|FONT", fontFile()},
      {"|TOPIC", topic.b},
      {"|CONTEXT", singlePageBTree("L4", 0x800, false, contextEntries)},
      {"|CTXOMAP", ctxomap.b},
      {"|KWBTREE", kwbtree},
      {"|KWDATA", kwdata},
  });
}

}  // namespace helpc

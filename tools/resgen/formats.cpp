// Writers for BMP, ICO and AVI, and the palette reduction the AVI clips need.
#include "tools/resgen/formats.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_map>

namespace resgen {

namespace {

// Little-endian byte sink.
struct Bytes {
  std::vector<uint8_t> b;
  void u8(uint32_t v) { b.push_back(uint8_t(v)); }
  void u16(uint32_t v) { u8(v); u8(v >> 8); }
  void u32(uint32_t v) { u16(v); u16(v >> 16); }
  void fourcc(const char* s) { for (int i = 0; i < 4; ++i) u8(uint8_t(s[i])); }
  size_t pos() const { return b.size(); }
  void patch32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  }
  // Opens a RIFF/LIST-style chunk; returns the offset of its size field.
  size_t open(const char* id) { fourcc(id); u32(0); return pos() - 4; }
  void close(size_t sizeAt) {
    patch32(sizeAt, uint32_t(pos() - sizeAt - 4));
    if (pos() & 1) u8(0);  // chunks are word aligned; the pad is not counted
  }
};

int rowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

void bitmapInfoHeader(Bytes& o, int w, int h, int bits, uint32_t imageSize, uint32_t colours) {
  o.u32(40);
  o.u32(uint32_t(w));
  o.u32(uint32_t(h));
  o.u16(1);
  o.u16(uint32_t(bits));
  o.u32(0);  // BI_RGB
  o.u32(imageSize);
  o.u32(2835);  // 72 dpi
  o.u32(2835);
  o.u32(colours);
  o.u32(0);
}

uint32_t key(const uint8_t* p) { return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]; }

struct Box {
  std::vector<std::pair<uint32_t, uint32_t>> colours;  // packed rgb, count
  int channelRange(int ch) const {
    int lo = 255, hi = 0;
    for (auto& [c, n] : colours) {
      int v = (c >> (16 - 8 * ch)) & 0xff;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    return hi - lo;
  }
};

}  // namespace

std::vector<uint8_t> encodeBmp24(const Image& img) {
  int stride = rowBytes(img.width, 24);
  uint32_t imageSize = uint32_t(stride * img.height);
  Bytes o;
  o.u8('B');
  o.u8('M');
  o.u32(14 + 40 + imageSize);
  o.u32(0);
  o.u32(14 + 40);
  bitmapInfoHeader(o, img.width, img.height, 24, imageSize, 0);
  for (int y = img.height - 1; y >= 0; --y) {  // bottom-up
    const uint8_t* row = &img.rgb[size_t(y) * img.width * 3];
    for (int x = 0; x < img.width; ++x) {
      o.u8(row[x * 3 + 2]);
      o.u8(row[x * 3 + 1]);
      o.u8(row[x * 3]);
    }
    for (int p = img.width * 3; p < stride; ++p) o.u8(0);
  }
  return o.b;
}

std::vector<uint8_t> encodeIco(const std::vector<IconImage>& images) {
  std::vector<Bytes> bodies;
  for (const IconImage& im : images) {
    int n = im.size;
    int maskStride = rowBytes(n, 1);
    uint32_t xorSize = uint32_t(n * n * 4), andSize = uint32_t(maskStride * n);
    Bytes o;
    bitmapInfoHeader(o, n, n * 2, 32, xorSize + andSize, 0);  // height covers both masks
    for (int y = n - 1; y >= 0; --y) {
      for (int x = 0; x < n; ++x) {
        const uint8_t* p = &im.rgba[(size_t(y) * n + x) * 4];
        o.u8(p[2]);
        o.u8(p[1]);
        o.u8(p[0]);
        o.u8(p[3]);
      }
    }
    for (int y = n - 1; y >= 0; --y) {
      std::vector<uint8_t> row(size_t(maskStride), 0);
      for (int x = 0; x < n; ++x) {
        if (im.rgba[(size_t(y) * n + x) * 4 + 3] < 128) row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
      }
      o.b.insert(o.b.end(), row.begin(), row.end());
    }
    bodies.push_back(std::move(o));
  }
  Bytes f;
  f.u16(0);
  f.u16(1);  // icon
  f.u16(uint32_t(images.size()));
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    int n = images[i].size;
    f.u8(n >= 256 ? 0 : uint32_t(n));
    f.u8(n >= 256 ? 0 : uint32_t(n));
    f.u8(0);  // not palettised
    f.u8(0);
    f.u16(1);
    f.u16(32);
    f.u32(uint32_t(bodies[i].b.size()));
    f.u32(offset);
    offset += uint32_t(bodies[i].b.size());
  }
  for (auto& body : bodies) f.b.insert(f.b.end(), body.b.begin(), body.b.end());
  return f.b;
}

IndexedClip quantize(const std::vector<Image>& frames, PaletteEntry exact) {
  IndexedClip clip;
  clip.width = frames.at(0).width;
  clip.height = frames.at(0).height;
  uint32_t exactKey = key(exact.data());

  std::map<uint32_t, uint32_t> histogram;
  for (const Image& f : frames)
    for (size_t i = 0; i < f.rgb.size(); i += 3) ++histogram[key(&f.rgb[i])];
  histogram.erase(exactKey);

  clip.palette.push_back(exact);
  const size_t maxColours = 255;  // one slot already holds the exact colour
  if (histogram.size() <= maxColours) {
    for (auto& [c, n] : histogram)
      clip.palette.push_back({uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
  } else {
    std::vector<Box> boxes(1);
    boxes[0].colours.assign(histogram.begin(), histogram.end());
    while (boxes.size() < maxColours) {
      // Split the box with the widest channel spread, at its population median.
      int best = -1, bestRange = 0, bestCh = 0;
      for (size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].colours.size() < 2) continue;
        for (int ch = 0; ch < 3; ++ch) {
          int r = boxes[i].channelRange(ch);
          if (r > bestRange) { bestRange = r; best = int(i); bestCh = ch; }
        }
      }
      if (best < 0) break;
      auto& cs = boxes[size_t(best)].colours;
      int shift = 16 - 8 * bestCh;
      std::sort(cs.begin(), cs.end(), [shift](auto& a, auto& b) {
        return ((a.first >> shift) & 0xff) < ((b.first >> shift) & 0xff);
      });
      uint64_t total = 0, acc = 0;
      for (auto& c : cs) total += c.second;
      size_t cut = 1;
      for (size_t i = 0; i + 1 < cs.size(); ++i) {
        acc += cs[i].second;
        cut = i + 1;
        if (acc * 2 >= total) break;
      }
      Box other;
      other.colours.assign(cs.begin() + long(cut), cs.end());
      cs.resize(cut);
      boxes.push_back(std::move(other));
    }
    for (const Box& b : boxes) {
      uint64_t r = 0, g = 0, bl = 0, n = 0;
      for (auto& [c, cnt] : b.colours) {
        r += uint64_t((c >> 16) & 0xff) * cnt;
        g += uint64_t((c >> 8) & 0xff) * cnt;
        bl += uint64_t(c & 0xff) * cnt;
        n += cnt;
      }
      clip.palette.push_back({uint8_t((r + n / 2) / n), uint8_t((g + n / 2) / n), uint8_t((bl + n / 2) / n)});
    }
  }

  std::unordered_map<uint32_t, uint8_t> nearest;
  for (const Image& f : frames) {
    std::vector<uint8_t> idx;
    idx.reserve(f.rgb.size() / 3);
    for (size_t i = 0; i < f.rgb.size(); i += 3) {
      uint32_t k = key(&f.rgb[i]);
      auto it = nearest.find(k);
      if (it == nearest.end()) {
        int best = 0, bestD = 1 << 30;
        for (size_t p = 0; p < clip.palette.size(); ++p) {
          int dr = int(f.rgb[i]) - clip.palette[p][0];
          int dg = int(f.rgb[i + 1]) - clip.palette[p][1];
          int db = int(f.rgb[i + 2]) - clip.palette[p][2];
          int d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
          if (d < bestD) { bestD = d; best = int(p); }
        }
        it = nearest.emplace(k, uint8_t(best)).first;
      }
      idx.push_back(it->second);
    }
    clip.frames.push_back(std::move(idx));
  }
  return clip;
}

std::vector<uint8_t> encodeAvi(const IndexedClip& clip, int fps) {
  const int w = clip.width, h = clip.height;
  const int stride = rowBytes(w, 8);
  const uint32_t frameBytes = uint32_t(stride * h);
  const uint32_t frames = uint32_t(clip.frames.size());
  const uint32_t colours = uint32_t(clip.palette.size());

  Bytes o;
  size_t riff = o.open("RIFF");
  o.fourcc("AVI ");

  size_t hdrl = o.open("LIST");
  o.fourcc("hdrl");
  size_t avih = o.open("avih");
  o.u32(1000000u / uint32_t(fps));  // microseconds per frame
  o.u32(frameBytes * uint32_t(fps));  // max bytes per second
  o.u32(0);                           // padding granularity
  o.u32(0x10);                        // AVIF_HASINDEX
  o.u32(frames);
  o.u32(0);  // initial frames
  o.u32(1);  // streams
  o.u32(frameBytes);
  o.u32(uint32_t(w));
  o.u32(uint32_t(h));
  for (int i = 0; i < 4; ++i) o.u32(0);
  o.close(avih);

  size_t strl = o.open("LIST");
  o.fourcc("strl");
  size_t strh = o.open("strh");
  o.fourcc("vids");
  o.fourcc("DIB ");
  o.u32(0);  // flags
  o.u16(0);  // priority
  o.u16(0);  // language
  o.u32(0);  // initial frames
  o.u32(1);  // scale
  o.u32(uint32_t(fps));  // rate: rate / scale = frames per second
  o.u32(0);  // start
  o.u32(frames);
  o.u32(frameBytes);
  o.u32(0xffffffffu);  // quality: default
  o.u32(0);            // sample size: varies (video)
  o.u16(0);
  o.u16(0);
  o.u16(uint32_t(w));
  o.u16(uint32_t(h));
  o.close(strh);
  size_t strf = o.open("strf");
  bitmapInfoHeader(o, w, h, 8, frameBytes, colours);
  for (const PaletteEntry& p : clip.palette) {
    o.u8(p[2]);
    o.u8(p[1]);
    o.u8(p[0]);
    o.u8(0);
  }
  o.close(strf);
  o.close(strl);
  o.close(hdrl);

  size_t movi = o.open("LIST");
  size_t moviId = o.pos();
  o.fourcc("movi");
  std::vector<std::pair<uint32_t, uint32_t>> index;  // offset from 'movi', size
  for (const auto& f : clip.frames) {
    index.push_back({uint32_t(o.pos() - moviId), frameBytes});
    size_t chunk = o.open("00db");
    for (int y = h - 1; y >= 0; --y) {  // bottom-up like every DIB
      o.b.insert(o.b.end(), f.begin() + long(y) * w, f.begin() + long(y + 1) * w);
      for (int p = w; p < stride; ++p) o.u8(0);
    }
    o.close(chunk);
  }
  o.close(movi);

  size_t idx1 = o.open("idx1");
  for (auto& [offset, size] : index) {
    o.fourcc("00db");
    o.u32(0x10);  // AVIIF_KEYFRAME: every frame stands alone
    o.u32(offset);
    o.u32(size);
  }
  o.close(idx1);
  o.close(riff);
  return o.b;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace resgen

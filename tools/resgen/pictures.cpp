// Drawing of every picture the program shows: splash, tool-button glyphs, icons, the
// About box's logo and background, and the three progress animations.
// One palette throughout: deep blue and teal for the Internet, a warm orange for
// activity (signal, new mail), cream paper, dark navy outlines.
#include "tools/resgen/pictures.h"

#include <cmath>
#include <cstdio>

#include "tools/resgen/font.h"
#include "tools/resgen/raster.h"
#include "tools/resgen/sound.h"

namespace resgen {

namespace {

float rad(float deg) { return deg * kPi / 180; }

// Palette.
const Rgba kInk = C(18, 26, 56);
const Rgba kNavy = C(16, 38, 98);
const Rgba kBlue = C(36, 88, 184);
const Rgba kSky = C(122, 196, 250);
const Rgba kTeal = C(0, 128, 140);
const Rgba kLightTeal = C(96, 200, 204);
const Rgba kOrange = C(244, 140, 28);
const Rgba kGold = C(252, 204, 80);
const Rgba kCream = C(255, 252, 238);
const Rgba kPaperShade = C(214, 220, 234);
const Rgba kLand = C(64, 168, 88);
const Rgba kLandDark = C(24, 112, 56);
const Rgba kWhite = C(255, 255, 255);

Rgba face() { return C(kButtonFace[0], kButtonFace[1], kButtonFace[2]); }

Image toImage(const Canvas& c, Rgba background) {
  return {c.width(), c.height(), c.rgb(background)};
}

IconImage toIcon(const Canvas& c) {
  IconImage im;
  im.size = c.width();
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      const Rgba& p = c.at(x, y);
      auto ch = [&](float v) {
        float s = p.a > 0 ? v / p.a : 0;
        return uint8_t(std::lround(std::fmin(std::fmax(s, 0.0f), 1.0f) * 255));
      };
      im.rgba.push_back(ch(p.r));
      im.rgba.push_back(ch(p.g));
      im.rgba.push_back(ch(p.b));
      im.rgba.push_back(uint8_t(std::lround(std::fmin(p.a, 1.0f) * 255)));
    }
  }
  return im;
}

// Rim width that reads as a crisp outline at every size.
float rimFor(float size) { return size < 20 ? 0.9f : (size < 40 ? 1.0f : size / 40); }

// --- motifs -------------------------------------------------------------------------

// A blue sphere with green land, a faint grid and a highlight.
void drawGlobe(Canvas& c, float cx, float cy, float r, bool grid = true) {
  Sdf sphere = circle(cx, cy, r);
  c.outlined(sphere, radial(cx - r * 0.35f, cy - r * 0.4f, r * 1.55f, kSky, kNavy), kInk,
             rimFor(r * 2));
  Sdf inside = grow(sphere, -0.3f);
  Sdf land = unite(
      unite(ellipse(cx - r * 0.38f, cy - r * 0.30f, r * 0.36f, r * 0.26f),
            ellipse(cx - r * 0.20f, cy + r * 0.25f, r * 0.20f, r * 0.38f)),
      unite(ellipse(cx + r * 0.42f, cy - r * 0.12f, r * 0.34f, r * 0.22f),
            ellipse(cx + r * 0.52f, cy + r * 0.40f, r * 0.18f, r * 0.16f)));
  land = unite(land, ellipse(cx + r * 0.05f, cy - r * 0.62f, r * 0.22f, r * 0.12f));
  c.fill(intersect(land, inside),
         radial(cx - r * 0.3f, cy - r * 0.4f, r * 1.6f, shade(kLand, 0.25f), kLandDark));
  if (grid) {
    float hw = std::fmax(0.35f, r / 40);
    Rgba line = C(220, 240, 255);
    c.fill(intersect(ring(cx, cy - r * 1.9f, r * 2.1f, hw), inside), line, 0.35f);
    c.fill(intersect(ring(cx, cy + r * 1.9f, r * 2.1f, hw), inside), line, 0.35f);
    c.fill(intersect(capsule(cx - r, cy, cx + r, cy, hw), inside), line, 0.4f);
    c.fill(intersect(subtract(ellipse(cx, cy, r * 0.5f + hw, r + hw), ellipse(cx, cy, r * 0.5f - hw, r - hw)),
                     inside),
           line, 0.35f);
    c.fill(intersect(capsule(cx, cy - r, cx, cy + r, hw), inside), line, 0.35f);
  }
  // Shine on the upper left.
  c.fill(intersect(ellipse(cx - r * 0.35f, cy - r * 0.45f, r * 0.42f, r * 0.26f), inside),
         kWhite, 0.35f, std::fmax(1.0f, r / 6));
}

// The handset's drawing unit: the pads reach 0.6 units either side of the centre.
constexpr float kHandsetSpan = 1.2f;

// A telephone handset: a curved handle with ear and mouth pieces, centred on (cx, cy),
// `width` pixels wide, turned by `angle` degrees (clockwise).
Sdf handsetShape(float cx, float cy, float width, float angleDeg) {
  float s = width / kHandsetSpan;
  float oy = -0.18f;  // shifts the drawing so its visual centre sits on (cx, cy)
  auto X = [&](float u) { return cx + u * s; };
  auto Y = [&](float v) { return cy + (v + oy) * s; };
  Sdf handle = arc(X(0), Y(0.66f), 0.62f * s, 0.105f * s, rad(218), rad(322));
  Sdf ear = capsule(X(-0.44f), Y(0.22f), X(-0.36f), Y(0.40f), 0.165f * s);
  Sdf mouth = capsule(X(0.44f), Y(0.22f), X(0.36f), Y(0.40f), 0.165f * s);
  // Flatten the pads' undersides, like the real thing.
  Sdf cut = roundRect(X(-0.8f), Y(0.47f), X(0.8f), Y(1.2f), 0.0f);
  Sdf body = unite(handle, subtract(unite(ear, mouth), cut));
  return rotate(body, cx, cy, rad(angleDeg));
}

void drawHandset(Canvas& c, float cx, float cy, float width, float angleDeg, Rgba body) {
  Sdf shape = handsetShape(cx, cy, width, angleDeg);
  float s = width / kHandsetSpan;
  float a = rad(angleDeg);
  // Light from the upper left regardless of the turn.
  float dx = -std::sin(a) * s * 0.35f, dy = std::cos(a) * s * 0.35f;
  c.outlined(shape, linear(cx - dx, cy - dy, shade(body, 0.45f), cx + dx, cy + dy, shade(body, -0.25f)),
             kInk, rimFor(s));
  // A highlight along the top of the handle.
  float oy = -0.18f;
  Sdf shine = arc(cx, cy + (0.66f + oy) * s, 0.66f * s, std::fmax(0.4f, 0.03f * s), rad(235), rad(300));
  c.fill(intersect(rotate(shine, cx, cy, a), grow(shape, -0.6f)), kWhite, 0.55f);
}

// Signal arcs radiating from (cx, cy) towards `dirDeg`; `lit` of `count` drawn bright.
void drawSignal(Canvas& c, float cx, float cy, float r0, float step, float hw, float dirDeg,
                int count, int lit, Rgba on, Rgba off) {
  for (int i = 0; i < count; ++i) {
    float r = r0 + step * i;
    Sdf a = arc(cx, cy, r, hw, rad(dirDeg - 40), rad(dirDeg + 40));
    if (i < lit) {
      c.fill(grow(a, 0.8f), kInk, 0.8f);
      c.fill(a, on);
    } else if (off.a > 0) {
      c.fill(a, off);
    }
  }
}

// An envelope seen from the front, closed.
void drawEnvelope(Canvas& c, float x0, float y0, float x1, float y1, bool stamp = true) {
  float w = x1 - x0, h = y1 - y0;
  float rim = rimFor(w);
  Sdf body = roundRect(x0, y0, x1, y1, std::fmax(1.0f, w / 20));
  c.outlined(body, linear(x0, y0, kCream, x1, y1, kPaperShade), kInk, rim);
  Sdf inside = grow(body, -0.5f);
  float lw = std::fmax(0.45f, w / 50);
  float mx = (x0 + x1) / 2;
  // Bottom folds, faint.
  c.fill(intersect(polyline({{x0, y1}, {mx, y0 + h * 0.48f}, {x1, y1}}, lw), inside),
         C(120, 134, 170), 0.55f);
  // Flap: a shaded triangle with a crisp edge.
  Sdf flap = polygon({{x0, y0}, {x1, y0}, {mx, y0 + h * 0.58f}});
  c.fill(intersect(flap, inside), linear(mx, y0, C(236, 238, 246), mx, y0 + h * 0.58f, C(200, 208, 228)));
  c.fill(intersect(polyline({{x0, y0}, {mx, y0 + h * 0.58f}, {x1, y0}}, lw), inside), kInk, 0.85f);
  if (stamp) {
    float sw = w * 0.17f, sh = h * 0.26f;
    float sx = x1 - sw - w * 0.07f, sy = y0 + h * 0.55f;
    if (sy + sh > y1 - h * 0.1f) sy = y1 - h * 0.1f - sh;
    Sdf st = roundRect(sx, sy, sx + sw, sy + sh, 0.5f);
    c.outlined(st, linear(sx, sy, kGold, sx, sy + sh, kOrange), C(150, 70, 10), 0.6f);
  }
}

// A wall clock. Angles in degrees clockwise from twelve.
void drawClock(Canvas& c, float cx, float cy, float r, float hourDeg, float minuteDeg,
               float secondDeg = -1) {
  float rim = rimFor(r * 2);
  c.fill(circle(cx + r * 0.06f, cy + r * 0.08f, r), kInk, 0.25f, std::fmax(1.0f, r / 10));
  c.outlined(circle(cx, cy, r), linear(cx, cy - r, kSky, cx, cy + r, kNavy), kInk, rim);
  float fr = r * 0.80f;
  c.fill(circle(cx, cy, fr + 0.6f), kInk, 0.7f);
  c.fill(circle(cx, cy, fr), radial(cx - fr * 0.3f, cy - fr * 0.3f, fr * 1.6f, kWhite, C(208, 216, 232)));
  // Ticks: heavier at the quarters.
  for (int i = 0; i < 12; ++i) {
    float a = rad(i * 30.0f - 90);
    bool quarter = i % 3 == 0;
    float r0 = fr * (quarter ? 0.70f : 0.78f), r1 = fr * 0.90f;
    float hw = std::fmax(0.45f, fr * (quarter ? 0.065f : 0.035f));
    if (r < 9 && !quarter) continue;
    c.fill(capsule(cx + std::cos(a) * r0, cy + std::sin(a) * r0, cx + std::cos(a) * r1,
                   cy + std::sin(a) * r1, hw),
           kNavy);
  }
  auto hand = [&](float deg, float length, float hw, Rgba col) {
    float a = rad(deg - 90);
    float tail = fr * 0.12f;
    c.fill(capsule(cx - std::cos(a) * tail, cy - std::sin(a) * tail, cx + std::cos(a) * length,
                   cy + std::sin(a) * length, hw),
           col);
  };
  hand(hourDeg, fr * 0.50f, std::fmax(0.8f, fr * 0.085f), kInk);
  hand(minuteDeg, fr * 0.78f, std::fmax(0.6f, fr * 0.06f), kInk);
  if (secondDeg >= 0) hand(secondDeg, fr * 0.82f, std::fmax(0.4f, fr * 0.025f), C(220, 60, 30));
  c.fill(circle(cx, cy, std::fmax(1.0f, fr * 0.09f)), kOrange);
  // Glass reflection.
  c.fill(intersect(ellipse(cx - fr * 0.3f, cy - fr * 0.45f, fr * 0.5f, fr * 0.25f), circle(cx, cy, fr)),
         kWhite, 0.3f, std::fmax(1.0f, r / 8));
}

// A steel gear with `teeth` teeth.
Sdf gearShape(float cx, float cy, float r, int teeth, float turnDeg) {
  Sdf g = circle(cx, cy, r * 0.74f);
  float tw = r * 0.36f / (teeth / 8.0f);
  for (int i = 0; i < teeth; ++i) {
    Sdf tooth = roundRect(cx - tw / 2, cy - r, cx + tw / 2, cy - r * 0.6f, std::fmax(0.6f, r * 0.08f));
    g = unite(g, rotate(tooth, cx, cy, rad(turnDeg + i * 360.0f / teeth)));
  }
  return subtract(g, circle(cx, cy, r * 0.28f));
}

void drawGear(Canvas& c, float cx, float cy, float r, int teeth, float turnDeg) {
  Sdf g = gearShape(cx, cy, r, teeth, turnDeg);
  c.outlined(g, linear(cx - r, cy - r, C(236, 240, 248), cx + r, cy + r, C(96, 108, 132)), kInk,
             rimFor(r * 2));
  // A machined groove between hub and teeth.
  c.fill(intersect(ring(cx, cy, r * 0.52f, std::fmax(0.4f, r * 0.05f)), grow(g, -0.5f)), C(80, 90, 116), 0.6f);
}

// An open-ended wrench lying from (x0, y0) (head) to (x1, y1) (handle end).
void drawWrench(Canvas& c, float x0, float y0, float x1, float y1, float w) {
  float dx = x1 - x0, dy = y1 - y0, L = std::sqrt(dx * dx + dy * dy);
  float ux = dx / L, uy = dy / L;
  Sdf handle = capsule(x0 + ux * w * 0.6f, y0 + uy * w * 0.6f, x1, y1, w * 0.32f);
  Sdf head = circle(x0, y0, w * 0.78f);
  // The jaw: a slot cut into the head, opening away from the handle.
  float jx = x0 - ux * w * 0.55f, jy = y0 - uy * w * 0.55f;
  Sdf jaw = capsule(x0 - ux * w * 0.05f, y0 - uy * w * 0.05f, jx - ux * w, jy - uy * w, w * 0.30f);
  Sdf shape = subtract(unite(handle, head), jaw);
  c.outlined(shape, linear(x0 - uy * w, y0 + ux * w, C(255, 214, 120), x0 + uy * w, y0 - ux * w, C(210, 110, 20)),
             kInk, rimFor(L));
}

// A folder of favorites: a gold folder with a star on its front.
void drawFavoritesFolder(Canvas& c, float x0, float y0, float x1, float y1) {
  float h = y1 - y0, w = x1 - x0;
  Sdf back = unite(roundRect(x0, y0 + h * 0.12f, x1, y1, 1.5f),
                   roundRect(x0, y0, x0 + w * 0.42f, y0 + h * 0.3f, 1.5f));
  c.outlined(back, linear(x0, y0, C(230, 170, 50), x0, y1, C(190, 120, 20)), kInk, 0.9f);
  Sdf front = polygon({{x0 + w * 0.06f, y0 + h * 0.34f}, {x1, y0 + h * 0.34f}, {x1 - w * 0.04f, y1}, {x0, y1}});
  c.outlined(front, linear(x0, y0 + h * 0.34f, kGold, x0, y1, kOrange), kInk, 0.9f);
  float cx = x0 + w * 0.52f, cy = y0 + h * 0.66f, ro = h * 0.27f, ri = ro * 0.45f;
  std::vector<Vec> star;
  for (int i = 0; i < 10; ++i) {
    float a = rad(i * 36.0f - 90), r = i % 2 ? ri : ro;
    star.push_back({cx + std::cos(a) * r, cy + std::sin(a) * r});
  }
  c.outlined(polygon(star), linear(cx, cy - ro, kWhite, cx, cy + ro, kSky), kNavy, 0.7f);
}

// --- glyphs -------------------------------------------------------------------------

Image finishGlyph(Canvas& c) {
  Image img = toImage(c, face());
  // An inked pixel that happens to equal the button face would turn transparent; move
  // it one step so only background pixels carry the key colour.
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      uint8_t* p = &img.rgb[(size_t(y) * c.width() + x) * 3];
      if (c.at(x, y).a >= 0.5f && p[0] == kButtonFace[0] && p[1] == kButtonFace[1] &&
          p[2] == kButtonFace[2])
        p[2] = uint8_t(p[2] + 1);
    }
  }
  return img;
}

}  // namespace

Image glyph(Glyph which) {
  Canvas c(kGlyphSize, kGlyphSize);
  switch (which) {
    case Glyph::Phone:
      drawHandset(c, 14.5f, 17.5f, 26, -18, kBlue);
      drawSignal(c, 23.5f, 8.5f, 2.5f, 3.2f, 0.85f, -45, 2, 2, kOrange, {});
      break;
    case Glyph::HangUp:
      // The handset put down on its cradle, in red: the line is let go.
      c.outlined(roundRect(4.5f, 22.5f, 27.5f, 28.5f, 1.5f), linear(0, 22.5f, C(120, 126, 140), 0, 28.5f, kInk),
                 kInk, 0.8f);
      drawHandset(c, 16, 16.5f, 27, 0, C(200, 36, 36));
      break;
    case Glyph::Mail:
      drawEnvelope(c, 2.5f, 7.5f, 29.5f, 25.5f);
      break;
    case Glyph::Tool:
      drawGear(c, 12.5f, 12.5f, 10.5f, 8, 0);
      drawWrench(c, 24.0f, 11.0f, 9.0f, 27.0f, 5.2f);
      break;
    case Glyph::Web:
      drawGlobe(c, 16, 16, 13.5f);
      break;
    case Glyph::Adjust:
      drawClock(c, 16, 16, 13.5f, 300, 60);
      break;
    case Glyph::Favorites:
      drawFavoritesFolder(c, 3.5f, 5.5f, 28.5f, 27.5f);
      break;
  }
  return finishGlyph(c);
}

Image menuFolderIcon() {
  Canvas c(16, 16);
  Sdf back = unite(roundRect(1.5f, 3.5f, 14.5f, 13.5f, 1), roundRect(1.5f, 2.5f, 7, 5, 1));
  c.outlined(back, linear(0, 2, C(230, 170, 50), 0, 14, C(190, 120, 20)), kInk, 0.8f);
  Sdf front = polygon({{2.5f, 6.5f}, {14.5f, 6.5f}, {13.8f, 13.5f}, {1.5f, 13.5f}});
  c.outlined(front, linear(0, 6, kGold, 0, 14, kOrange), kInk, 0.8f);
  return finishGlyph(c);
}

// The sound-test button's picture: a loudspeaker sending out two waves.
Image speakerGlyph() {
  Canvas c(16, 16);
  Sdf body = unite(roundRect(1.5f, 5.5f, 5.5f, 10.5f, 0.5f), polygon({{4.5f, 5.5f}, {9.5f, 1.5f}, {9.5f, 14.5f}, {4.5f, 10.5f}}));
  c.outlined(body, linear(0, 2, kSky, 0, 14, kBlue), kInk, 0.8f);
  Sdf wedge = polygon({{10.5f, 8}, {16, 1}, {16, 15}});
  c.fill(intersect(ring(9.5f, 8, 3.2f, 0.6f), wedge), kInk);
  c.fill(intersect(ring(9.5f, 8, 5.6f, 0.6f), wedge), kInk);
  return finishGlyph(c);
}

Image menuUrlIcon() {
  Canvas c(16, 16);
  Sdf page = polygon({{3.5f, 1.5f}, {10, 1.5f}, {12.5f, 4}, {12.5f, 14.5f}, {3.5f, 14.5f}});
  c.outlined(page, linear(0, 1, kWhite, 0, 15, kPaperShade), kInk, 0.8f);
  drawGlobe(c, 10.5f, 10.5f, 4.6f, false);
  return finishGlyph(c);
}

Image splash() {
  const int W = kSplashWidth, H = kSplashHeight;
  Canvas c(W, H);
  c.clear(kInk);
  // Night-blue to teal sky.
  c.fill(roundRect(0, 0, W, H, 0), linear(0, 0, C(10, 24, 72), W * 0.6f, H * 1.1f, C(0, 104, 124)));
  // Faint carrier waves spreading from the globe.
  float gx = 220, gy = 104, gr = 42;
  for (int i = 0; i < 7; ++i)
    c.fill(ring(gx, gy, gr + 10 + i * 13.0f, 0.7f), kLightTeal, 0.14f - i * 0.015f);
  // Soft glow behind the globe.
  c.fill(circle(gx, gy, gr + 6), kLightTeal, 0.35f, 14);
  drawGlobe(c, gx, gy, gr);

  // The telephone line: from the modem, along a sagging wire, up to the globe.
  float mx0 = 22, my0 = 150, mx1 = 96, my1 = 172;
  std::vector<Vec> wire;
  for (int i = 0; i <= 40; ++i) {
    float t = i / 40.0f;
    // Quadratic curve from the modem's back to the globe's lower left.
    float ax = mx1 - 4, ay = my0 + 6, bx = 150, by = 186, ex = gx - gr * 0.72f, ey = gy + gr * 0.70f;
    float u = 1 - t;
    wire.push_back({u * u * ax + 2 * u * t * bx + t * t * ex, u * u * ay + 2 * u * t * by + t * t * ey});
  }
  c.fill(polyline(wire, 2.0f), kInk, 0.8f);
  c.fill(polyline(wire, 1.1f), C(150, 170, 200));
  // Data pulses travelling along the wire.
  for (int i : {8, 16, 24, 32}) {
    c.fill(circle(wire[size_t(i)].x, wire[size_t(i)].y, 5), kGold, 0.45f, 6);
    c.fill(circle(wire[size_t(i)].x, wire[size_t(i)].y, 2.2f), C(255, 236, 170));
  }

  // The modem: a low case with status lights.
  Sdf shadowBox = roundRect(mx0 + 3, my0 + 4, mx1 + 3, my1 + 4, 4);
  c.fill(shadowBox, kInk, 0.5f, 4);
  Sdf box = roundRect(mx0, my0, mx1, my1, 4);
  c.outlined(box, linear(0, my0, C(232, 236, 244), 0, my1, C(150, 160, 184)), kInk, 1.2f);
  c.fill(roundRect(mx0 + 4, my1 - 9, mx1 - 4, my1 - 4, 1.5f), C(44, 52, 76));
  const Rgba lights[] = {C(80, 230, 100), C(80, 230, 100), kOrange, C(80, 230, 100), kGold};
  for (int i = 0; i < 5; ++i) {
    float lx = mx0 + 10 + i * 8.0f, ly = my1 - 6.5f;
    c.fill(circle(lx, ly, 3.5f), lights[i], 0.35f, 3);
    c.fill(circle(lx, ly, 1.6f), lights[i]);
  }
  // Ventilation slots on the top.
  for (int i = 0; i < 6; ++i)
    c.fill(capsule(mx1 - 36 + i * 5.0f, my0 + 5, mx1 - 38 + i * 5.0f, my0 + 9, 0.7f), C(90, 100, 130));
  // The handset resting on the modem.
  drawHandset(c, mx0 + 22, my0 - 9, 48, 0, kBlue);
  drawSignal(c, mx0 + 22, my0 - 25, 8, 6, 1.3f, -90, 3, 3, kGold, {});

  // The name, with a shadow and a warm underline.
  float tx = 18, base = 58;
  Sdf title = strokeText("Velmora", tx, base, 23, 5.4f);
  c.fill(translate(title, 2.5f, 3), kInk, 0.6f, 2.5f);
  c.fill(grow(title, 1.0f), kInk);
  c.fill(title, linear(0, base - 40, kWhite, 0, base + 2, C(200, 226, 250)));
  c.fill(capsule(tx + 2, base + 11, tx + 132, base + 11, 1.2f), linear(tx, 0, kGold, tx + 132, 0, kOrange));
  drawPixelText(c, int(tx) + 2, int(base) + 19, "Dial-up Internet companion", C(170, 226, 236));

  // Bottom band with the version.
  c.fill(roundRect(0, H - 22, W, H, 0), kInk, 0.55f);
  c.fill(capsule(0, H - 22, W, H - 22, 0.5f), kLightTeal, 0.6f);
  const char* version = "version 1.2d";
  drawPixelText(c, W - 10 - pixelTextWidth(version), H - 15, version, C(226, 236, 248));

  // A raised border: the splash window has none of its own.
  c.fill(subtract(roundRect(0, 0, W, H, 0), roundRect(1, 1, W, H, 0)), C(150, 190, 230));
  c.fill(subtract(roundRect(0, 0, W, H, 0), roundRect(0, 0, W - 1, H - 1, 0)), C(4, 8, 24));
  return toImage(c, kInk);
}

Image aboutLogo() {
  const int S = kLogoSize;
  Canvas c(S, S);
  // Frame: dark outer line, a bevelled gold band, a dark inner line.
  c.fill(roundRect(0, 0, S, S, 0), kInk);
  c.fill(roundRect(1, 1, S - 1, S - 1, 0), linear(0, 0, C(255, 230, 150), S, S, C(176, 108, 20)));
  c.fill(roundRect(4, 4, S - 4, S - 4, 0), linear(0, 0, C(150, 90, 20), S, S, C(255, 226, 140)));
  c.fill(roundRect(6, 6, S - 6, S - 6, 0), kInk);
  c.fill(roundRect(7, 7, S - 7, S - 7, 0), linear(0, 7, C(12, 32, 88), 0, S - 7, C(0, 112, 128)));
  Sdf inner = roundRect(7, 7, S - 7, S - 7, 0);
  // Carrier rings, clipped to the picture area.
  for (int i = 0; i < 4; ++i)
    c.fill(intersect(ring(40, 40, 36 + i * 9.0f, 0.6f), inner), kLightTeal, 0.22f);
  c.fill(intersect(circle(40, 40, 31), inner), kLightTeal, 0.3f, 10);
  drawGlobe(c, 40, 40, 26);
  drawHandset(c, 60, 64, 44, -28, kOrange);
  drawSignal(c, 70, 30, 6, 5.5f, 1.4f, -40, 3, 3, kGold, {});
  return toImage(c, kInk);
}

Image aboutTile() {
  const int W = kTileWidth, H = kTileHeight;
  Canvas c(W, H);
  c.clear(C(236, 241, 248));
  // A diamond lattice whose cell divides the tile both ways, so tiles join seamlessly.
  const float cw = W / 7.0f, ch = H / 6.0f;
  const float scale = cw * ch / std::sqrt(cw * cw + ch * ch);
  auto lattice = [=](float x, float y) {
    float u = x / cw + y / ch, v = x / cw - y / ch;
    float du = std::fabs(u - std::round(u)), dv = std::fabs(v - std::round(v));
    return std::fmin(du, dv) * scale - 0.45f;
  };
  c.fill(lattice, C(170, 190, 220), 0.5f);
  // A small dot in the middle of each diamond.
  auto dots = [=](float x, float y) {
    float u = x / cw - 0.5f, v = y / ch;
    float du = (u - std::round(u)) * cw, dv = (v - std::round(v)) * ch;
    return std::sqrt(du * du + dv * dv) - 1.1f;
  };
  c.fill(dots, C(150, 200, 206), 0.6f);
  return toImage(c, kWhite);
}

std::vector<IconImage> programIcon() {
  std::vector<IconImage> out;
  for (int n : {16, 32, 48}) {
    Canvas c(n, n);
    float s = n / 32.0f;
    if (n == 16) {
      drawGlobe(c, 7.5f, 7.5f, 6.8f, false);
      drawHandset(c, 9.6f, 10.6f, 12.5f, -28, kOrange);
    } else {
      drawGlobe(c, 13.5f * s, 13.5f * s, 12.5f * s, n >= 48);
      drawHandset(c, 19.5f * s, 21.5f * s, 23.0f * s, -28, kOrange);
    }
    out.push_back(toIcon(c));
  }
  return out;
}

std::vector<IconImage> newMailIcon() {
  std::vector<IconImage> out;
  for (int n : {16, 32}) {
    Canvas c(n, n);
    float s = n / 32.0f;
    if (n == 16) {
      drawEnvelope(c, 0.5f, 3.5f, 15.5f, 13.5f, false);
      c.outlined(circle(12.5f, 3.5f, 2.8f), radial(11.5f, 2.5f, 4, kGold, kOrange), kInk, 0.8f);
    } else {
      drawEnvelope(c, 1.5f * s, 8.5f * s, 29.5f * s, 27.5f * s, false);
      c.outlined(circle(25, 7.5f, 5.5f), radial(23.5f, 6, 7, kGold, kOrange), kInk, 1.0f);
      c.fill(capsule(25, 5, 25, 8, 0.9f), kWhite);
      c.fill(circle(25, 10.4f, 0.95f), kWhite);
    }
    out.push_back(toIcon(c));
  }
  return out;
}

// --- animations ---------------------------------------------------------------------

std::vector<Image> dialingClip() {
  // The handset rings out: arcs light up one by one, then the handset shakes.
  std::vector<Image> frames;
  const int count = 12;
  for (int f = 0; f < count; ++f) {
    Canvas c(kClipSize, kClipSize);
    int step = f % 6;         // 0..5
    int lit = step < 4 ? step : 3;
    float shake = step == 4 ? -4.0f : (step == 5 ? 4.0f : 0.0f);
    drawHandset(c, 27, 38, 40, -18 + shake, kBlue);
    drawSignal(c, 40, 22, 5, 5.5f, 1.5f, -45, 3, lit, kOrange, C(160, 160, 168));
    // Dialled digits pulse along the bottom.
    for (int d = 0; d < 4; ++d) {
      bool on = d <= (f / 3) % 4;
      c.fill(circle(10 + d * 6.0f, 58, 1.6f), on ? kOrange : C(160, 160, 168));
    }
    frames.push_back(toImage(c, face()));
  }
  return frames;
}

std::vector<Image> mailCheckClip() {
  // A letter flies down in an arc and drops into the in-tray, whose light then blinks.
  std::vector<Image> frames;
  const int count = 12, flight = 8;
  const float tx0 = 24, tx1 = 60, ty0 = 42, ty1 = 58;  // the tray's front face
  for (int f = 0; f < count; ++f) {
    Canvas c(kClipSize, kClipSize);
    c.fill(roundRect(tx0 + 3, ty1 - 2, tx1 + 3, ty1 + 3, 2), kInk, 0.3f, 2);
    // The tray's opening, seen from above, drawn before the letter sinks into it.
    c.outlined(polygon({{tx0 + 4, ty0 - 6}, {tx1 - 4, ty0 - 6}, {tx1, ty0}, {tx0, ty0}}),
               linear(0, ty0 - 6, C(10, 30, 80), 0, ty0, C(30, 70, 150)), kInk, 1.0f);
    float t = std::fmin(1.0f, f / float(flight));
    float x = 4 + t * 27, y = 6 + t * t * 28;
    if (f == flight + 1) y += 1;  // settles with a small bounce
    float w = 22 - t * 1.5f, h = 14 - t * 1.0f;
    if (t < 1.0f) {
      for (int i = 0; i < 3; ++i)
        c.fill(capsule(x - 11 + i * 2.0f, y + 3 + i * 4.0f, x - 3, y + 3 + i * 4.0f, 0.7f), kNavy, 0.5f);
    }
    Canvas letter(kClipSize, kClipSize);
    drawEnvelope(letter, x, y, x + w, y + h, true);
    c.draw(letter, 0, 0);
    // The tray's front, in front of the letter.
    c.outlined(polygon({{tx0, ty0}, {tx1, ty0}, {tx1 - 3, ty1}, {tx0 + 3, ty1}}),
               linear(0, ty0, C(96, 160, 236), 0, ty1, C(24, 64, 150)), kInk, 1.0f);
    c.fill(capsule(tx0 + 4, ty0 + 3, tx1 - 4, ty0 + 3, 0.6f), kWhite, 0.45f);
    bool blink = f > flight && (f - flight) % 2 == 1;
    if (blink) c.fill(circle(tx1 - 9, ty0 + 9, 5), kGold, 0.6f, 4);
    c.outlined(circle(tx1 - 9, ty0 + 9, 2.4f), solid(blink ? kOrange : C(40, 60, 110)), kInk, 0.8f);
    frames.push_back(toImage(c, face()));
  }
  return frames;
}

std::vector<Image> clockClip() {
  // The minute hand sweeps a full turn while the second hand races; the hour hand
  // stays, so the loop joins without a jump.
  std::vector<Image> frames;
  const int count = 12;
  for (int f = 0; f < count; ++f) {
    Canvas c(kClipSize, kClipSize);
    float turn = 360.0f * f / count;
    const float cx = 32, cy = 32, r = 24.5f, ar = 28.3f;
    drawClock(c, cx, cy, r, 300, turn, std::fmod(turn * 3, 360.0f));
    // A turning arrow around the clock: the time is being set.
    float a0 = rad(turn - 90), a1 = a0 + rad(55);
    Sdf arrow = unite(arc(cx, cy, ar, 1.3f, a0, a1),
                      polygon({{cx + std::cos(a1) * (ar - 3.4f), cy + std::sin(a1) * (ar - 3.4f)},
                               {cx + std::cos(a1 + 0.2f) * ar, cy + std::sin(a1 + 0.2f) * ar},
                               {cx + std::cos(a1) * (ar + 3.4f), cy + std::sin(a1) * (ar + 3.4f)}}));
    c.fill(grow(arrow, 0.8f), kInk, 0.8f);
    c.fill(arrow, kOrange);
    frames.push_back(toImage(c, face()));
  }
  return frames;
}

// --- output -------------------------------------------------------------------------

std::vector<OutputFile> allOutputs() {
  std::vector<OutputFile> out;
  out.push_back({"velmora.ico", encodeIco(programIcon())});
  out.push_back({"bmail.ico", encodeIco(newMailIcon())});
  out.push_back({"splash.bmp", encodeBmp24(splash())});
  out.push_back({"phone.bmp", encodeBmp24(glyph(Glyph::Phone))});
  out.push_back({"hangup.bmp", encodeBmp24(glyph(Glyph::HangUp))});
  out.push_back({"mail.bmp", encodeBmp24(glyph(Glyph::Mail))});
  out.push_back({"tool.bmp", encodeBmp24(glyph(Glyph::Tool))});
  out.push_back({"web.bmp", encodeBmp24(glyph(Glyph::Web))});
  out.push_back({"adjust.bmp", encodeBmp24(glyph(Glyph::Adjust))});
  out.push_back({"favorites.bmp", encodeBmp24(glyph(Glyph::Favorites))});
  out.push_back({"favfolder.bmp", encodeBmp24(menuFolderIcon())});
  out.push_back({"speaker.bmp", encodeBmp24(speakerGlyph())});
  out.push_back({"favurl.bmp", encodeBmp24(menuUrlIcon())});
  out.push_back({"about_logo.bmp", encodeBmp24(aboutLogo())});
  out.push_back({"about_bg.bmp", encodeBmp24(aboutTile())});
  out.push_back({"phone_ani.avi", encodeAvi(quantize(dialingClip(), kButtonFace), kClipFps)});
  out.push_back({"checkemail_ani.avi", encodeAvi(quantize(mailCheckClip(), kButtonFace), kClipFps)});
  out.push_back({"time_ani.avi", encodeAvi(quantize(clockClip(), kButtonFace), kClipFps)});
  out.push_back({"man.wav", encodeWav(chime(), kChimeRate)});  // shipped beside the program
  return out;
}

std::vector<OutputFile> clipFramesForInspection() {
  std::vector<OutputFile> out;
  auto add = [&](const char* stem, const std::vector<Image>& frames) {
    for (size_t i = 0; i < frames.size(); ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "%s_%02zu.bmp", stem, i);
      out.push_back({name, encodeBmp24(frames[i])});
    }
  };
  add("phone_ani", dialingClip());
  add("checkemail_ani", mailCheckClip());
  add("time_ani", clockClip());
  // Icons composited over white, one file per size.
  auto addIcons = [&](const char* stem, const std::vector<IconImage>& icons) {
    for (const IconImage& ic : icons) {
      Image img{ic.size, ic.size, {}};
      for (size_t p = 0; p < ic.rgba.size(); p += 4) {
        for (int k = 0; k < 3; ++k)
          img.rgb.push_back(uint8_t((ic.rgba[p + k] * ic.rgba[p + 3] + 255 * (255 - ic.rgba[p + 3])) / 255));
      }
      char name[64];
      std::snprintf(name, sizeof name, "%s_%d.bmp", stem, ic.size);
      out.push_back({name, encodeBmp24(img)});
    }
  };
  addIcons("velmora_icon", programIcon());
  addIcons("bmail_icon", newMailIcon());
  return out;
}

}  // namespace resgen

// Anti-aliased drawing by signed distance: see raster.h.
#include "tools/resgen/raster.h"

#include <algorithm>
#include <cmath>

namespace resgen {

namespace {
constexpr float kTwoPi = 2 * kPi;

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
float len(float x, float y) { return std::sqrt(x * x + y * y); }

uint8_t to8(float v) { return uint8_t(std::lround(clamp01(v) * 255.0f)); }
}  // namespace

Rgba C(int r, int g, int b, int a) {
  float fa = a / 255.0f;
  return {r / 255.0f * fa, g / 255.0f * fa, b / 255.0f * fa, fa};
}

Rgba lerp(const Rgba& x, const Rgba& y, float t) {
  t = clamp01(t);
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
          x.a + (y.a - x.a) * t};
}

Rgba shade(const Rgba& c, float amount) {
  if (amount >= 0) {
    return {c.r + (c.a - c.r) * amount, c.g + (c.a - c.g) * amount,
            c.b + (c.a - c.b) * amount, c.a};
  }
  float k = 1 + amount;
  return {c.r * k, c.g * k, c.b * k, c.a};
}

// --- shapes -----------------------------------------------------------------------

Sdf circle(float cx, float cy, float r) {
  return [=](float x, float y) { return len(x - cx, y - cy) - r; };
}

Sdf ellipse(float cx, float cy, float rx, float ry) {
  // First-order distance estimate: exact on the axes, close enough elsewhere for
  // the one-pixel edge ramp.
  return [=](float x, float y) {
    float px = (x - cx) / rx, py = (y - cy) / ry;
    float k0 = len(px, py);
    float k1 = len(px / rx, py / ry);
    if (k1 < 1e-6f) return -std::min(rx, ry);
    return k0 * (k0 - 1.0f) / k1;
  };
}

Sdf roundRect(float x0, float y0, float x1, float y1, float radius) {
  float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  float hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  return [=](float x, float y) {
    float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    float outside = len(std::max(qx, 0.0f), std::max(qy, 0.0f));
    float inside = std::min(std::max(qx, qy), 0.0f);
    return outside + inside - radius;
  };
}

Sdf capsule(float x0, float y0, float x1, float y1, float hw) {
  float ex = x1 - x0, ey = y1 - y0;
  float ee = ex * ex + ey * ey;
  return [=](float x, float y) {
    float wx = x - x0, wy = y - y0;
    float t = ee > 0 ? clamp01((wx * ex + wy * ey) / ee) : 0.0f;
    return len(wx - ex * t, wy - ey * t) - hw;
  };
}

Sdf ring(float cx, float cy, float r, float hw) {
  return [=](float x, float y) { return std::fabs(len(x - cx, y - cy) - r) - hw; };
}

Sdf arc(float cx, float cy, float r, float hw, float a0, float a1) {
  float span = a1 - a0;
  float e0x = cx + r * std::cos(a0), e0y = cy + r * std::sin(a0);
  float e1x = cx + r * std::cos(a1), e1y = cy + r * std::sin(a1);
  return [=](float x, float y) {
    float t = std::atan2(y - cy, x - cx) - a0;
    t = std::fmod(t, kTwoPi);
    if (t < 0) t += kTwoPi;
    if (t <= span) return std::fabs(len(x - cx, y - cy) - r) - hw;
    return std::min(len(x - e0x, y - e0y), len(x - e1x, y - e1y)) - hw;
  };
}

Sdf polygon(std::vector<Vec> v) {
  return [v = std::move(v)](float x, float y) {
    size_t n = v.size();
    float d = (x - v[0].x) * (x - v[0].x) + (y - v[0].y) * (y - v[0].y);
    float s = 1;
    for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
      float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
      float wx = x - v[i].x, wy = y - v[i].y;
      float ee = ex * ex + ey * ey;
      float t = ee > 0 ? clamp01((wx * ex + wy * ey) / ee) : 0.0f;
      float bx = wx - ex * t, by = wy - ey * t;
      d = std::min(d, bx * bx + by * by);
      bool c1 = y >= v[i].y, c2 = y < v[j].y, c3 = ex * wy > ey * wx;
      if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
  };
}

Sdf polyline(const std::vector<Vec>& pts, float hw) {
  Sdf s = capsule(pts[0].x, pts[0].y, pts[1].x, pts[1].y, hw);
  for (size_t i = 2; i < pts.size(); ++i)
    s = unite(s, capsule(pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y, hw));
  return s;
}

Sdf unite(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Sdf intersect(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}
Sdf subtract(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Sdf grow(Sdf s, float d) {
  return [=](float x, float y) { return s(x, y) - d; };
}
Sdf rotate(Sdf s, float cx, float cy, float angle) {
  float c = std::cos(-angle), sn = std::sin(-angle);
  return [=](float x, float y) {
    float dx = x - cx, dy = y - cy;
    return s(cx + dx * c - dy * sn, cy + dx * sn + dy * c);
  };
}
Sdf translate(Sdf s, float dx, float dy) {
  return [=](float x, float y) { return s(x - dx, y - dy); };
}

// --- paints -----------------------------------------------------------------------

Paint solid(Rgba c) {
  return [=](float, float) { return c; };
}

Paint linear(float x0, float y0, Rgba c0, float x1, float y1, Rgba c1) {
  float ex = x1 - x0, ey = y1 - y0, ee = ex * ex + ey * ey;
  return [=](float x, float y) {
    float t = ee > 0 ? ((x - x0) * ex + (y - y0) * ey) / ee : 0.0f;
    return lerp(c0, c1, t);
  };
}

Paint radial(float cx, float cy, float r, Rgba c0, Rgba c1) {
  return [=](float x, float y) { return lerp(c0, c1, len(x - cx, y - cy) / r); };
}

// --- canvas -----------------------------------------------------------------------

Canvas::Canvas(int w, int h) : w_(w), h_(h), px_(size_t(w) * h) {}

void Canvas::clear(Rgba c) { std::fill(px_.begin(), px_.end(), c); }

void Canvas::fill(const Sdf& s, const Paint& p, float opacity, float softness) {
  for (int y = 0; y < h_; ++y) {
    for (int x = 0; x < w_; ++x) {
      float fx = x + 0.5f, fy = y + 0.5f;
      float d = s(fx, fy);
      float cov = clamp01(0.5f - d / softness) * opacity;
      if (cov <= 0) continue;
      Rgba c = p(fx, fy);
      Rgba& dst = at(x, y);
      float k = 1 - c.a * cov;
      dst.r = c.r * cov + dst.r * k;
      dst.g = c.g * cov + dst.g * k;
      dst.b = c.b * cov + dst.b * k;
      dst.a = c.a * cov + dst.a * k;
    }
  }
}

void Canvas::outlined(const Sdf& s, const Paint& p, Rgba rim, float rimWidth) {
  fill(grow(s, rimWidth), rim);
  fill(s, p);
}

void Canvas::draw(const Canvas& src, int dx, int dy) {
  for (int y = 0; y < src.h_; ++y) {
    for (int x = 0; x < src.w_; ++x) {
      int tx = x + dx, ty = y + dy;
      if (tx < 0 || ty < 0 || tx >= w_ || ty >= h_) continue;
      const Rgba& c = src.at(x, y);
      Rgba& d = at(tx, ty);
      float k = 1 - c.a;
      d = {c.r + d.r * k, c.g + d.g * k, c.b + d.b * k, c.a + d.a * k};
    }
  }
}

std::vector<uint8_t> Canvas::rgb(Rgba bg) const {
  std::vector<uint8_t> out;
  out.reserve(px_.size() * 3);
  for (const Rgba& c : px_) {
    float k = 1 - c.a;
    out.push_back(to8(c.r + bg.r * k));
    out.push_back(to8(c.g + bg.g * k));
    out.push_back(to8(c.b + bg.b * k));
  }
  return out;
}

}  // namespace resgen

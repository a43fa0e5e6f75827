#include "tools/art/raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace art {
namespace {

double Dot(Point a, Point b) {
  return a.x * b.x + a.y * b.y;
}
Point Minus(Point a, Point b) {
  return {a.x - b.x, a.y - b.y};
}
double Length(Point a) {
  return std::sqrt(Dot(a, a));
}
double Clamp01(double v) {
  return std::clamp(v, 0.0, 1.0);
}
std::uint8_t To8(double v) {
  return static_cast<std::uint8_t>(std::floor(Clamp01(v) * 255 + 0.5));
}

}  // namespace

Colour Rgb(std::uint32_t hex, double alpha) {
  return {(hex >> 16 & 0xFF) / 255.0, (hex >> 8 & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha};
}

Colour Mix(const Colour& from, const Colour& to, double t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
          from.a + (to.a - from.a) * t};
}

Shape Circle(Point centre, double radius) {
  return [=](Point p) { return Length(Minus(p, centre)) - radius; };
}

Shape Box(double left, double top, double right, double bottom, double radius) {
  const Point centre{(left + right) / 2, (top + bottom) / 2};
  const Point half{(right - left) / 2, (bottom - top) / 2};
  return [=](Point p) {
    const double qx = std::abs(p.x - centre.x) - half.x + radius;
    const double qy = std::abs(p.y - centre.y) - half.y + radius;
    const Point outside{std::max(qx, 0.0), std::max(qy, 0.0)};
    return Length(outside) + std::min(std::max(qx, qy), 0.0) - radius;
  };
}

Shape Segment(Point a, Point b, double halfWidth) {
  return [=](Point p) {
    const Point pa = Minus(p, a);
    const Point ba = Minus(b, a);
    const double h = Clamp01(Dot(pa, ba) / Dot(ba, ba));
    return Length({pa.x - ba.x * h, pa.y - ba.y * h}) - halfWidth;
  };
}

Shape Polyline(std::vector<Point> points, double halfWidth) {
  Shape shape = Segment(points[0], points[1], halfWidth);
  for (std::size_t i = 2; i < points.size(); ++i) {
    shape = Union(shape, Segment(points[i - 1], points[i], halfWidth));
  }
  return shape;
}

Shape Polygon(std::vector<Point> v) {
  return [v = std::move(v)](Point p) {
    double nearest = Dot(Minus(p, v[0]), Minus(p, v[0]));
    double sign = 1;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
      const Point e = Minus(v[j], v[i]);
      const Point w = Minus(p, v[i]);
      const double h = Clamp01(Dot(w, e) / Dot(e, e));
      const Point b{w.x - e.x * h, w.y - e.y * h};
      nearest = std::min(nearest, Dot(b, b));
      const bool above = p.y >= v[i].y;
      const bool below = p.y < v[j].y;
      const bool left = e.x * w.y > e.y * w.x;
      if (above == below && below == left) sign = -sign;
    }
    return sign * std::sqrt(nearest);
  };
}

Shape RightArc(Point centre, double radius, double halfWidth) {
  return [=](Point p) {
    const double ring = std::abs(Length(Minus(p, centre)) - radius) - halfWidth;
    return std::max(ring, centre.x - p.x);
  };
}

Shape Union(Shape a, Shape b) {
  return [=](Point p) { return std::min(a(p), b(p)); };
}
Shape Intersect(Shape a, Shape b) {
  return [=](Point p) { return std::max(a(p), b(p)); };
}
Shape Subtract(Shape a, Shape b) {
  return [=](Point p) { return std::max(a(p), -b(p)); };
}
Shape Offset(Shape shape, double dx, double dy) {
  return [=](Point p) { return shape({p.x - dx, p.y - dy}); };
}
Shape Grow(Shape shape, double d) {
  return [=](Point p) { return shape(p) - d; };
}
Shape Outline(Shape shape, double width) {
  return [=](Point p) { return std::abs(shape(p)) - width / 2; };
}

Paint Solid(Colour colour) {
  return [=](Point) { return colour; };
}

Paint Vertical(double y0, Colour top, double y1, Colour bottom) {
  return [=](Point p) { return Mix(top, bottom, Clamp01((p.y - y0) / (y1 - y0))); };
}

Canvas::Canvas(int size) : size_(size), pixels_(static_cast<std::size_t>(size) * size) {
  for (Colour& c : pixels_) c = {0, 0, 0, 0};
}

void Canvas::Fill(const Shape& shape, const Paint& paint, double softness) {
  const double unit = Unit();
  for (int y = 0; y < size_; ++y) {
    for (int x = 0; x < size_; ++x) {
      const Point p{(x + 0.5) * unit, (y + 0.5) * unit};
      const double coverage = Clamp01(0.5 - shape(p) / unit / softness);
      if (coverage <= 0) continue;
      const Colour c = paint(p);
      const double a = c.a * coverage;
      Colour& d = pixels_[static_cast<std::size_t>(y) * size_ + x];
      d = {c.r * a + d.r * (1 - a), c.g * a + d.g * (1 - a), c.b * a + d.b * (1 - a),
           a + d.a * (1 - a)};
    }
  }
}

void Canvas::HardenAlpha() {
  for (Colour& c : pixels_) {
    c = c.a >= 0.5 ? Colour{c.r / c.a, c.g / c.a, c.b / c.a, 1} : Colour{0, 0, 0, 0};
  }
}

Image Canvas::ToImage() const {
  Image image{size_, size_, {}};
  image.rgba.reserve(pixels_.size() * 4);
  for (const Colour& c : pixels_) {
    const std::uint8_t alpha = To8(c.a);
    if (alpha == 0) {
      image.rgba.insert(image.rgba.end(), {0, 0, 0, 0});
      continue;
    }
    image.rgba.insert(image.rgba.end(), {To8(c.r / c.a), To8(c.g / c.a), To8(c.b / c.a), alpha});
  }
  return image;
}

}  // namespace art

#pragma once
// A small antialiased rasteriser for the program's icons: shapes are signed distance
// functions in a 48 x 48 design space (negative inside), painted over a square canvas of any
// size. Only +, -, *, / and sqrt are used, so every machine computes the same pixels.

#include <cstdint>
#include <functional>
#include <vector>

namespace art {

inline constexpr double kDesign = 48;  // design units across the canvas

struct Point {
  double x;
  double y;
};

struct Colour {
  double r;
  double g;
  double b;
  double a = 1;
};
// 0xRRGGBB.
Colour Rgb(std::uint32_t hex, double alpha = 1);
Colour Mix(const Colour& from, const Colour& to, double t);

using Shape = std::function<double(Point)>;
using Paint = std::function<Colour(Point)>;

Shape Circle(Point centre, double radius);
Shape Box(double left, double top, double right, double bottom, double radius = 0);
// A segment with round ends, halfWidth either side of it.
Shape Segment(Point a, Point b, double halfWidth);
Shape Polyline(std::vector<Point> points, double halfWidth);
Shape Polygon(std::vector<Point> points);
// The right half (x >= centre.x) of a ring of the given radius and stroke.
Shape RightArc(Point centre, double radius, double halfWidth);
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
Shape Offset(Shape shape, double dx, double dy);
// Grows a shape by d design units (shrinks for negative d).
Shape Grow(Shape shape, double d);
// The band of width `width` centred on the shape's edge.
Shape Outline(Shape shape, double width);

Paint Solid(Colour colour);
// From `top` at y0 to `bottom` at y1, clamped beyond.
Paint Vertical(double y0, Colour top, double y1, Colour bottom);

// Straight (not premultiplied) 8-bit RGBA, rows top to bottom.
struct Image {
  int width;
  int height;
  std::vector<std::uint8_t> rgba;
};

class Canvas {
 public:
  explicit Canvas(int size);
  int Size() const { return size_; }
  // Design units per pixel.
  double Unit() const { return kDesign / size_; }
  // Paints over what is there where the shape covers the pixel; the coverage falls from 1 to 0
  // across `softness` pixels around the edge (1 is plain antialiasing, more blurs).
  void Fill(const Shape& shape, const Paint& paint, double softness = 1);
  void Fill(const Shape& shape, const Colour& colour, double softness = 1) {
    Fill(shape, Solid(colour), softness);
  }
  // Every pixel either opaque or clear, its colour kept: for art whose colours must survive
  // being drawn onto any background unchanged.
  void HardenAlpha();
  Image ToImage() const;

 private:
  int size_;
  std::vector<Colour> pixels_;  // premultiplied
};

}  // namespace art

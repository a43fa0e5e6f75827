#include "tools/art/pictures.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace art {
namespace {

const Colour kPaperTop = Rgb(0xFFFFFF);
const Colour kPaperBottom = Rgb(0xE6ECF2);
const Colour kPaperEdge = Rgb(0x71808F);
const Colour kFoldFace = Rgb(0xD3DCE5);
const Colour kInk = Rgb(0x8B9DB0);
const Colour kShadow = Rgb(0x000000, 0.32);
const Colour kWhite = Rgb(0xFFFFFF);

// A filled shape with a darker rim one pixel wide, the way every part of the art is drawn so
// that it stays apart from any background.
void Rimmed(Canvas& c, const Shape& shape, const Paint& fill, const Colour& rim) {
  c.Fill(shape, rim);
  c.Fill(Grow(shape, -c.Unit()), fill);
}

// Design coordinates moved onto the nearest pixel edge, or the nearest pixel centre, so that
// straight edges and one-pixel lines stay sharp at every size.
double Edge(const Canvas& c, double v) {
  return std::floor(v / c.Unit() + 0.5) * c.Unit();
}
double Centre(const Canvas& c, double v) {
  return (std::floor(v / c.Unit()) + 0.5) * c.Unit();
}
Shape SnappedBox(const Canvas& c, double left, double top, double right, double bottom,
                 double radius) {
  return Box(Edge(c, left), Edge(c, top), Edge(c, right), Edge(c, bottom), radius);
}

// Soft at large sizes; at small ones a blur would only smear the outline.
void DropShadow(Canvas& c, const Shape& shape) {
  if (c.Size() >= 32) {
    c.Fill(Offset(shape, 0.6, 1.4), kShadow, 2.5);
  } else {
    c.Fill(Offset(shape, 0, c.Unit()), Rgb(0x000000, 0.22));
  }
}

// A sheet of paper; with fold > 0 its top right corner is turned down.
void Page(Canvas& c, double left, double top, double right, double bottom, double fold) {
  left = Edge(c, left);
  top = Edge(c, top);
  right = Edge(c, right);
  bottom = Edge(c, bottom);
  Shape sheet = Box(left, top, right, bottom, 1.5);
  if (fold > 0) {
    sheet = Subtract(
        sheet,
        Polygon({{right - fold - 3, top - 3}, {right + 3, top - 3}, {right + 3, top + fold + 3}}));
  }
  DropShadow(c, sheet);
  Rimmed(c, sheet, Vertical(top, kPaperTop, bottom, kPaperBottom), kPaperEdge);
  if (fold > 0) {
    const Shape flap =
        Polygon({{right - fold, top}, {right - fold, top + fold}, {right, top + fold}});
    Rimmed(c, Intersect(Grow(flap, 0.5), Box(left, top, right, bottom)), Solid(kFoldFace),
           kPaperEdge);
  }
}

// Lines of writing, each a rounded stroke at least a pixel thick.
void Writing(Canvas& c, double left, const std::vector<std::pair<double, double>>& lines,
             const Colour& ink) {
  const double half = std::max(1.0, 0.5 * c.Unit());
  for (const auto& [y, right] : lines) {
    const double centre = c.Unit() > 1 ? Centre(c, y) : y;
    c.Fill(Segment({left, centre}, {right, centre}, half), ink);
  }
}

// A round badge with a white ring, for the small sign on a page.
void Badge(Canvas& c, Point centre, double radius, const Colour& light, const Colour& dark) {
  const Shape ring = Circle(centre, radius + 1.5);
  DropShadow(c, ring);
  c.Fill(ring, kWhite);
  Rimmed(c, Circle(centre, radius), Vertical(centre.y - radius, light, centre.y + radius, dark),
         Mix(dark, Rgb(0), 0.35));
}

// Letters for the report labels, as strokes between cap height and baseline.
struct Lettering {
  double top;
  double bottom;
  double half;  // half the stroke width
  Shape shape = [](Point) { return 1e9; };

  double Middle() const { return (top + bottom) / 2; }
  void Stroke(Point a, Point b) { shape = Union(shape, Segment(a, b, half)); }
  void P(double x) {
    const double bowl = top + (bottom - top) * 0.56;
    const double r = (bowl - top) / 2;
    Stroke({x, top}, {x, bottom});
    Stroke({x, top}, {x + 5.5 - r, top});
    Stroke({x, bowl}, {x + 5.5 - r, bowl});
    shape = Union(shape, RightArc({x + 5.5 - r, top + r}, r, half));
  }
  void D(double x) {
    const double r = (bottom - top) / 2;
    Stroke({x, top}, {x, bottom});
    Stroke({x, top}, {x + 6.5 - r, top});
    Stroke({x, bottom}, {x + 6.5 - r, bottom});
    shape = Union(shape, RightArc({x + 6.5 - r, Middle()}, r, half));
  }
  void F(double x) {
    Stroke({x, top}, {x, bottom});
    Stroke({x, top}, {x + 5.5, top});
    Stroke({x, Middle() - 0.3}, {x + 4.5, Middle() - 0.3});
  }
  void T(double x) {
    Stroke({x, top}, {x + 6, top});
    Stroke({x + 3, top}, {x + 3, bottom});
  }
  void X(double x) {
    Stroke({x, top}, {x + 6, bottom});
    Stroke({x + 6, top}, {x, bottom});
  }
  void AngleBrackets(double x) {  // "</>"
    shape =
        Union(shape, Polyline({{x + 5, top + 0.5}, {x, Middle()}, {x + 5, bottom - 0.5}}, half));
    Stroke({x + 10.5, top - 0.5}, {x + 7.5, bottom + 0.5});
    shape = Union(
        shape, Polyline({{x + 13, top + 0.5}, {x + 18, Middle()}, {x + 13, bottom - 0.5}}, half));
  }
};

// The report buttons: a page with writing and a coloured label across it.
Image ReportPage(const Colour& light, const Colour& dark, void (*letters)(Lettering&)) {
  Canvas c(48);
  Page(c, 8, 3, 40, 45, 9);
  Writing(c, 13, {{10, 26}, {15, 35}, {20, 35}, {41, 30}}, kInk);
  const Shape label = Box(4, 23.5, 44, 37.5, 2);
  DropShadow(c, label);
  Rimmed(c, label, Vertical(23.5, light, 37.5, dark), Mix(dark, Rgb(0), 0.3));
  Lettering text{26, 35, 1.35};
  letters(text);
  c.Fill(Offset(text.shape, 0, 0.8), Mix(dark, Rgb(0), 0.4));
  c.Fill(text.shape, kWhite);
  return c.ToImage();
}

Image Sort(bool ascending) {
  Canvas c(48);
  const double heights[3] = {13, 23, 33};
  for (int i = 0; i < 3; ++i) {
    const double left = 3 + i * 10.5;
    const double height = heights[ascending ? i : 2 - i];
    const Shape bar = Box(left, 45 - height, left + 8.5, 45, 1.5);
    DropShadow(c, bar);
    Rimmed(c, bar, Vertical(12, Rgb(0x7DB4F7), 45, Rgb(0x2A66C6)), Rgb(0x1B4483));
  }
  // The arrow points the way the values go.
  const double tip = ascending ? 3 : 45;
  const double base = ascending ? 17 : 31;
  const double tail = ascending ? 45 : 3;
  const Shape arrow = Union(Polygon({{41, tip}, {48 - 0.5, base}, {34.5, base}}),
                            Box(38.3, std::min(base, tail), 43.7, std::max(base, tail), 1));
  DropShadow(c, arrow);
  Rimmed(c, arrow, Vertical(3, Rgb(0xFFB347), 45, Rgb(0xE0650F)), Rgb(0x9A4206));
  return c.ToImage();
}

}  // namespace

Image NewTask() {
  Canvas c(48);
  Page(c, 8, 3, 35, 43, 8);
  Writing(c, 13.5, {{12.5, 25}, {18.5, 30}, {24.5, 30}, {30.5, 24}}, kInk);
  const Point centre{35, 35};
  Badge(c, centre, 10, Rgb(0x63D487), Rgb(0x1C9444));
  c.Fill(Union(Segment({centre.x, centre.y - 6}, {centre.x, centre.y + 6}, 2),
               Segment({centre.x - 6, centre.y}, {centre.x + 6, centre.y}, 2)),
         kWhite);
  return c.ToImage();
}

Image SortAscending() {
  return Sort(true);
}

Image SortDescending() {
  return Sort(false);
}

Image ProgramIcon(int size) {
  Canvas c(size);
  const bool small = size < 32;
  const Shape board = SnappedBox(c, 6, 4.5, 42, 46.5, small ? 2 : 4);
  DropShadow(c, board);
  Rimmed(c, board, Vertical(4, Rgb(0xDDA264), 46, Rgb(0xA4662F)), Rgb(0x6E4119));
  Rimmed(c, SnappedBox(c, 10.5, 10, 37.5, 42.5, small ? 0 : 1),
         Vertical(10, kPaperTop, 42, kPaperBottom), Rgb(0x9AA5B1));
  const Shape clip = SnappedBox(c, 16, 1, 32, small ? 12 : 10, small ? 1.5 : 2.5);
  Rimmed(c, clip, Vertical(1, Rgb(0xEEF2F5), 10, Rgb(0x8A96A3)), Rgb(0x4E5A66));
  if (!small) c.Fill(Box(21, 3.2, 27, 5.8, 1.3), Rgb(0x4E5A66));

  const Colour tickColour = Rgb(0x1E9A4A);
  if (size <= 16) {  // one large tick reads better than rows of two-pixel ones
    c.Fill(Polyline({{14.5, 26.5}, {20.5, 33}, {33, 19.5}}, 2.6), tickColour);
    return c.ToImage();
  }
  // Fewer, larger rows where pixels are few.
  const std::vector<double> rows =
      small ? std::vector<double>{20.5, 32.5} : std::vector<double>{18, 26, 34};
  const double s = small ? 1.6 : 1;
  const double half = std::max(1.2, 0.5 * c.Unit());
  for (double row : rows) {
    const double y = c.Unit() > 1 ? Centre(c, row) : row;
    c.Fill(Polyline({{14.5 - s, y - 0.5 * s}, {16.5, y + 2 * s}, {20.5 + s, y - 3 * s}},
                    std::max(1.4, 0.6 * c.Unit())),
           tickColour);
    c.Fill(Segment({small ? 26.0 : 24.0, y}, {small ? 32.0 : 33.5, y}, half), kInk);
  }
  return c.ToImage();
}

Image LogIcon(int size) {
  Canvas c(size);
  const bool small = size < 32;
  Page(c, 7, 2.5, 34, 44, small ? 0 : 8);
  if (small) {
    Writing(c, 12.5, {{12, 28}, {21, 28}}, kInk);
  } else {
    Writing(c, 12.5, {{11.5, 24}, {17.5, 29}, {23.5, 29}, {29.5, 20}}, kInk);
  }
  const Point centre{34, 34};
  const double radius = small ? 11.5 : 10.5;
  const Shape ring = Circle(centre, radius + 1.5);
  DropShadow(c, ring);
  c.Fill(ring, kWhite);
  Rimmed(c, Circle(centre, radius), Solid(Rgb(0x2F6FD6)), Rgb(0x1B4483));
  c.Fill(Circle(centre, radius - std::max(2.2, 1.4 * c.Unit())),
         Vertical(centre.y - radius, kWhite, centre.y + radius, Rgb(0xDCE6F2)));
  const double half = std::max(1.3, 0.6 * c.Unit());
  const Colour hands = Rgb(0x22324A);
  c.Fill(Union(Segment(centre, {centre.x, centre.y - radius * 0.62}, half),
               Segment(centre, {centre.x + radius * 0.5, centre.y}, half)),
         hands);
  return c.ToImage();
}

Image CheckIcon(int size) {
  Canvas c(size);
  // Every visible pixel is pure red, darker on the rim, and either opaque or clear: the rows
  // recolour only pixels that are still pure red once the icon is drawn onto the button, so
  // a half-transparent edge would keep a red fringe whatever the tint.
  const Shape tick = Polyline({{7, 25}, {18.5, 36.5}, {41, 11}}, 5.5);
  c.Fill(tick, Rgb(0x800000));
  c.Fill(Grow(tick, -std::max(1.5, c.Unit())), Vertical(12, Rgb(0xFF0000), 40, Rgb(0xC00000)));
  c.HardenAlpha();
  return c.ToImage();
}

Image CrossIcon(int size) {
  Canvas c(size);
  const Shape square = Box(3.5, 3.5, 44.5, 44.5, 7);
  DropShadow(c, square);
  Rimmed(c, square, Vertical(3.5, Rgb(0xF36B61), 44.5, Rgb(0xC1271E)), Rgb(0x7E1510));
  const double half = std::max(3.6, 1.1 * c.Unit());
  const Shape cross = Union(Segment({15, 15}, {33, 33}, half), Segment({33, 15}, {15, 33}, half));
  c.Fill(Offset(cross, 0, 1), Rgb(0x7E1510, 0.45), 1.5);
  c.Fill(cross, kWhite);
  return c.ToImage();
}

Image PdfDocument() {
  return ReportPage(Rgb(0xEC5A50), Rgb(0xB3231B), [](Lettering& t) {
    t.P(12.5);
    t.D(21.2);
    t.F(31.2);
  });
}

Image HtmlPage() {
  return ReportPage(Rgb(0x4C94EA), Rgb(0x1D57B3), [](Lettering& t) { t.AngleBrackets(15); });
}

Image TextFile() {
  return ReportPage(Rgb(0x7D8FA3), Rgb(0x465669), [](Lettering& t) {
    t.T(12.5);
    t.X(21);
    t.T(29.5);
  });
}

}  // namespace art

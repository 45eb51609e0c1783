#pragma once

#include <vector>

// Points, sizes and rectangles in points (double precision). Screen coordinates have their
// origin at the bottom-left of the main screen with y pointing up; views are not flipped.

namespace corkwallery::platform {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(Point o, Size s) : origin(o), size(s) {}
    Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width * 0.5; }
    double midY() const { return origin.y + size.height * 0.5; }
    double width() const { return size.width; }
    double height() const { return size.height; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// A closed outline through its corners, in order.
using Polygon = std::vector<Point>;

// Red, green, blue and alpha in the range 0 to 1.
struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static Color clear() { return {0, 0, 0, 0}; }
    static Color white(double alpha = 1) { return {1, 1, 1, alpha}; }
    static Color black(double alpha = 1) { return {0, 0, 0, alpha}; }
    friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace corkwallery::platform

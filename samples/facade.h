// The sample facade and the camera that photographed it: the ground truth
// behind the files in samples/ and the end-to-end tests that use them.
//
// Object plane: X to the right, Y upwards, metres. The facade is the
// rectangle 0..20 × 0..12 (plinth up to 0.8, cornice from 11.6), with three
// rows of five windows (the middle one of the ground floor is a door) and
// twelve numbered circular targets; beyond it the same plane shows the
// neighbouring walls (X < 0, X > 20), the sky (Y > 12) and the pavement (Y < 0).
//
// Image: x = pixel column from the left, y = pixel row from the top, of a
// SampleWidth × SampleHeight photograph. Integer coordinates are pixel
// centres: pixel (0, 0) covers -0.5..0.5 in both directions.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "analytic/u_proiettiva.h"

constexpr int SampleWidth = 2400;
constexpr int SampleHeight = 1600;
constexpr long double FacadeWidth = 20;
constexpr long double FacadeHeight = 12;

struct Rgb {
    double r = 0, g = 0, b = 0;  // 0..255, not rounded
};

// The painted plane at an object point: a continuous function, sharp only at
// the borders of the regions, windows, door, targets and their numbers.
Rgb FacadeColor(long double X, long double Y);

// True when (X, Y) lies within `margin` metres of a place where FacadeColor
// is not smooth (a region border, a window or the door with its sill, a
// target plate). Away from these the colour changes by a few levels per
// centimetre at most, so a rectification can be compared with it.
bool NearTextureEdge(long double X, long double Y, long double margin);

struct FacadeTarget {
    std::string name;  // "1" .. "12", as painted next to the disc
    long double X = 0, Y = 0;
};
constexpr int TargetCount = 12;
const std::array<FacadeTarget, TargetCount>& FacadeTargets();

// A straight facade edge between two object points, for the geometric method.
struct FacadeEdge {
    std::string name;  // "o1".."o3" horizontal, "v1".."v3" vertical
    PlanePoint from, to;
};
const std::array<FacadeEdge, 6>& FacadeEdges();

// The pinhole camera (no distortion) that took the photograph.
// ObjectToImage and ImageToObject are exact inverses of each other on the
// plane; both give nullopt for points behind the camera or on its horizon.
std::optional<PlanePoint> ObjectToImage(long double X, long double Y);
std::optional<PlanePoint> ImageToObject(long double x, long double y);

// The same mapping in the program's arrangement p1..p8:
// inverse (object -> image) and direct (image -> object).
Projective InverseHomography();
Projective DirectHomography();

// The photograph's pixel (col, row): the mean of n × n samples of
// FacadeColor spread evenly over the pixel's square (sky where a ray misses
// the plane), each channel rounded to the nearest integer.
std::array<unsigned char, 3> RenderPixel(int col, int row, int n);

// The world file of a rectified picture: six lines that place the bitmap in
// the object frame. Lines 1 and 4 are the object size of one pixel along X
// and Y (negative: rows run downwards), lines 2 and 3 the rotation terms, and
// lines 5 and 6 the object X and Y of the CENTRE of the upper-left pixel.
//
// The rectified window shows pixel (c, r) at X = X0 + c·s, Y = Y0 − r·s with
// (X0, Y0) the coordinates it shows for pixel (0, 0); a world file with
// s, 0, 0, −s, X0, Y0 therefore puts the centre of every pixel of the saved
// bitmap where the window reads it, with no half-pixel shift.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/filewrite.h"

// Line k of the file is lines[k - 1], the text exactly as the user left it.
using WorldFileLines = std::array<std::string, 6>;

// Analytic method: pixel size s = the scale dialog's Edit1; (X0, Y0) = the
// area's upper-left corner Xin, Yin (area window Edit1, Edit2).
WorldFileLines ProposeWorldFileAnalytic(const std::string& pixelSize, const std::string& xin,
                                        const std::string& yin);
// Geometric method: s = the ratio dialog's Edit6; the frame's origin is the
// lower-left corner, so (X0, Y0) = (0, H) with H the object height of the
// picture (the main window's Edit6), the upper-left corner of the report.
WorldFileLines ProposeWorldFileGeometric(const std::string& pixelSize, const std::string& height);

// The six texts, lines 1 to 5 followed by CR LF, line 6 without a line end.
std::string WorldFileText(const WorldFileLines& lines);

// Stores the text as Windows-1252 through WriteFileAtomic.
FileWriteResult SaveWorldFile(const std::string& path, const WorldFileLines& lines);

// The six numbers of a world file, in its line order: a = pixel size along
// X, d and b the rotation terms, e = pixel size along Y (negative), c and f
// the object X and Y of the centre of the upper-left pixel. Pixel (col, row)
// has its centre at X = a·col + b·row + c, Y = d·col + e·row + f.
struct WorldTransform {
    long double a = 0, d = 0, b = 0, e = 0, c = 0, f = 0;
};

// The lines read as typed numbers (a decimal comma is a point); nullopt when
// one is not a number. `badLine` then gives its number, 1 to 6.
std::optional<WorldTransform> ReadWorldFile(const WorldFileLines& lines, int* badLine = nullptr);

// The "Codice EPSG" of a georeferenced picture: blank means none (0); else a
// whole positive number, digits only with blanks around them, that a
// GeoTIFF key holds (at most 65535). nullopt for anything else.
std::optional<int> ParseEpsgCode(const std::string& text);

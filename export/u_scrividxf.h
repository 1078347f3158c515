// The DXF drawing of the DXF point table: an ENTITIES section only, with a
// POINT on layer L + "_punti" and a TEXT (the point's name) on layer
// L + "_nome" for every point. Lines end with CR LF except the last ("EOF");
// every real is fixed-point with 6 decimals in a 14-character field.
//
// The drawing is built in memory and put on disk in one go, so a failed or
// interrupted export never leaves a truncated drawing behind:
//
//     DxfDrawing drawing(TextToReal(scale), TextToReal(height), layer);
//     for each row: drawing.AddPoint(name, xCell, yCell, zCell);   // pause, progress
//     FileWriteResult r = SaveDxf(path, drawing.Finish());
#pragma once

#include <string>
#include <string_view>

#include "platform/filewrite.h"

// The record writers append their lines to `out`. DxfBegin writes the start
// of the section; DxfEnd closes it and ends the file without a line end.
void DxfBegin(std::string& out);
void DxfPoint(std::string& out, std::string_view layer, long double x, long double y,
              long double z);
// A label of the given height inserted at (x, y, z), rotation 0.
void DxfText(std::string& out, std::string_view layer, std::string_view text, long double x,
             long double y, long double z, long double height);
void DxfEnd(std::string& out);

// The label size d = h / 1000 · S in object units (metres): a height of h
// millimetres on paper at scale 1:S. d is the label's height and both of its
// offsets: the label sits d to the right of and d below its point.
long double DxfLabelSize(long double scale, long double heightMm);

class DxfDrawing {
public:
    // Starts the drawing (DxfBegin). `layer` is the layer name L.
    DxfDrawing(long double scale, long double heightMm, std::string layer);

    // Appends the point and its label. The coordinates are the table's cells
    // read as table fields (ParseReal; a missing Z is 0). False, and nothing
    // appended, when a coordinate, a label position or the label size is not
    // a finite number.
    bool AddPoint(std::string_view name, std::string_view x, std::string_view y,
                  std::string_view z);

    // Ends the section (DxfEnd) and gives the whole text; call once.
    std::string Finish();

private:
    std::string text_;
    std::string layer_;
    long double labelSize_;
};

// Stores the text as Windows-1252 through WriteFileAtomic.
FileWriteResult SaveDxf(const std::string& path, const std::string& text);

#include "export/u_scrividxf.h"

#include <cmath>
#include <utility>

#include "tables/u_stringhe.h"

namespace {

void Line(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

void Real(std::string& out, long double value) { Line(out, FormatFixedField(value, 14, 6)); }

// The records every entity starts with: its kind, layer and position.
void EntityStart(std::string& out, std::string_view kind, std::string_view layer, long double x,
                 long double y, long double z) {
    Line(out, "  0");
    Line(out, kind);
    Line(out, "  8");
    Line(out, layer);
    Line(out, " 10");
    Real(out, x);
    Line(out, " 20");
    Real(out, y);
    Line(out, " 30");
    Real(out, z);
}

}  // namespace

void DxfBegin(std::string& out) {
    Line(out, "0");
    Line(out, "SECTION");
    Line(out, "  2");
    Line(out, "ENTITIES");
}

void DxfPoint(std::string& out, std::string_view layer, long double x, long double y,
              long double z) {
    EntityStart(out, "POINT", layer, x, y, z);
}

void DxfText(std::string& out, std::string_view layer, std::string_view text, long double x,
             long double y, long double z, long double height) {
    EntityStart(out, "TEXT", layer, x, y, z);
    Line(out, " 40");
    Real(out, height);
    Line(out, "  1");
    Line(out, text);
    Line(out, " 50");
    Real(out, 0);
}

void DxfEnd(std::string& out) {
    Line(out, "   0");
    Line(out, "ENDSEC");
    Line(out, "   0");
    out += "EOF";
}

long double DxfLabelSize(long double scale, long double heightMm) {
    return heightMm / 1000 * scale;
}

DxfDrawing::DxfDrawing(long double scale, long double heightMm, std::string layer)
    : layer_(std::move(layer)), labelSize_(DxfLabelSize(scale, heightMm)) {
    DxfBegin(text_);
}

bool DxfDrawing::AddPoint(std::string_view name, std::string_view x, std::string_view y,
                          std::string_view z) {
    // A cell typed with a decimal comma reads as the other tables read it.
    auto real = [](std::string_view cell) { return ParseReal(NormalizeDecimalText(cell)); };
    const long double X = real(x), Y = real(y), Z = z.empty() ? 0 : real(z);
    const long double d = labelSize_;
    for (long double v : {X, Y, Z, d, X + d, Y - d})
        if (!std::isfinite(v)) return false;
    DxfPoint(text_, layer_ + "_punti", X, Y, Z);
    DxfText(text_, layer_ + "_nome", name, X + d, Y - d, Z, d);
    return true;
}

std::string DxfDrawing::Finish() {
    DxfEnd(text_);
    return std::move(text_);
}

FileWriteResult SaveDxf(const std::string& path, const std::string& text) {
    return WriteFileAtomic(path, EncodeFileText(text));
}

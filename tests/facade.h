// A facade 12 m wide and 9 m high photographed obliquely on a 1600 x 1200
// picture: twelve control points at window corners, with object coordinates
// in a local system whose origin lies 5000 m east and 1000 m north (as
// surveyors choose to avoid negative values), and their pixels.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "tables/u_stringhe.h"

struct FacadePoint {
    std::string name;
    double X, Y;  // metres, Y upwards
    double x, y;  // pixels, rows downwards
};

// Facade metres (u along, v up) to picture pixels.
inline void FacadeToPicture(double u, double v, double& x, double& y) {
    const double d = 0.03 * u + 0.004 * v + 1;
    x = (110 * u + 8 * v + 180) / d;
    y = (-5 * u - 105 * v + 1050) / d;
}

inline std::vector<FacadePoint> FacadePoints() {
    std::vector<FacadePoint> pts;
    int k = 0;
    for (double v : {1.2, 4.2, 7.2})
        for (double u : {1.5, 4.5, 7.5, 10.5}) {
            ++k;
            double x, y;
            FacadeToPicture(u, v, x, y);
            // Collimation is off by a fraction of a pixel, the survey by millimetres.
            x += 0.6 * std::sin(1.7 * k);
            y += 0.6 * std::cos(2.3 * k);
            pts.push_back({std::to_string(k), 5000 + u + 0.002 * std::sin(k),
                           1000 + v + 0.002 * std::cos(k), std::round(x), std::round(y)});
        }
    return pts;
}

// The object table as a surveyor's file: three decimals, two blanks, CR LF.
inline std::string FacadeObjectText(const std::string& sep = "  ") {
    std::string text;
    for (const FacadePoint& p : FacadePoints())
        text += p.name + sep + FormatFixed(p.X, 10, 3) + sep + FormatFixed(p.Y, 10, 3) + "\r\n";
    return text;
}

inline std::string FacadeImageText() {
    std::string text;
    for (const FacadePoint& p : FacadePoints())
        text += p.name + "  " + FormatFixed(p.x, 10, 0) + "  " + FormatFixed(p.y, 10, 0) + "\r\n";
    return text;
}

inline std::string FacadeUnionText() {
    std::string text;
    for (const FacadePoint& p : FacadePoints())
        text += p.name + "  " + FormatFixed(p.x, 10, 0) + "  " + FormatFixed(p.y, 10, 0) + "  " +
                FormatFixed(p.X, 10, 3) + "  " + FormatFixed(p.Y, 10, 3) + "\r\n";
    return text;
}

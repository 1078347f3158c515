// The header keywords of the table grids: each selects a table file layout
// and its display precision ("nxy", "nxy_1", "nxyz", "nxyxy", "nxyxyz") or
// only the column titles ("nxyrxry", "npar", "nrette").
#pragma once

namespace TableKey {
constexpr const char* Nxy = "nxy";          // name, x, y
constexpr const char* Nxy1 = "nxy_1";       // name, X, Y read with three decimals
constexpr const char* Nxyz = "nxyz";        // name, X, Y, Z
constexpr const char* Nxyxy = "nxyxy";      // name, x, y, X, Y (union, residuals)
constexpr const char* Nxyxyz = "nxyxyz";    // name, x, y, X, Y, Z
constexpr const char* Nxyrxry = "nxyrxry";  // residuals grid titles
constexpr const char* Npar = "npar";        // parameters grid titles
constexpr const char* Nrette = "nrette";    // parallel lines grid titles
}  // namespace TableKey

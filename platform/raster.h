// A 32-bit picture in memory and the pixel rules every reader and writer
// of a picture follows.
//
// Layout: rows top to bottom, pixel (0, 0) top-left; each stored pixel is
// the 32-bit value 0xFFRRGGBB (the layout of a 32-bit RGB bitmap), so in
// memory on a little-endian machine the bytes run blue, green, red, 0xFF.
// A colour handed to or returned by the rules below is 0x00RRGGBB.
// Rules:
//  - a read outside the picture gives kInvalidColor (all bits set);
//  - a write outside the picture is ignored;
//  - a write of a value whose top byte is not zero (kInvalidColor among
//    them) stores black, never the low bytes of that value.
// The buffer is malloc'd so that a window can adopt it without a copy
// (Release()).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

// What a read outside the picture gives; no real colour has this value.
constexpr uint32_t kInvalidColor = 0xFFFFFFFFu;

constexpr uint32_t RgbColor(uint32_t red, uint32_t green, uint32_t blue) {
    return ((red & 0xFFu) << 16) | ((green & 0xFFu) << 8) | (blue & 0xFFu);
}
constexpr uint32_t RedOf(uint32_t colour) { return (colour >> 16) & 0xFFu; }
constexpr uint32_t GreenOf(uint32_t colour) { return (colour >> 8) & 0xFFu; }
constexpr uint32_t BlueOf(uint32_t colour) { return colour & 0xFFu; }

// The stored pixel for a colour: opaque, and black when the colour is not a
// colour (its top byte is set).
constexpr uint32_t StoredPixel(uint32_t colour) {
    return (colour & 0xFF000000u) != 0 ? 0xFF000000u : 0xFF000000u | colour;
}
// The colour of a stored pixel.
constexpr uint32_t ColorOfPixel(uint32_t stored) { return stored & 0x00FFFFFFu; }

class Raster {
public:
    Raster() = default;
    ~Raster() { std::free(pixels_); }
    Raster(const Raster&) = delete;
    Raster& operator=(const Raster&) = delete;
    Raster(Raster&& o) noexcept { swap(o); }
    Raster& operator=(Raster&& o) noexcept {
        Raster tmp(std::move(o));
        swap(tmp);
        return *this;
    }

    // False when the size is not positive or memory is short; the raster
    // then stays empty.
    bool Allocate(int width, int height);
    bool Empty() const { return pixels_ == nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t* Row(int y) { return pixels_ + static_cast<std::size_t>(y) * width_; }
    const uint32_t* Row(int y) const { return pixels_ + static_cast<std::size_t>(y) * width_; }
    uint32_t* Data() { return pixels_; }
    const uint32_t* Data() const { return pixels_; }
    // Hands the buffer over; the new owner frees it with std::free.
    uint32_t* Release() {
        uint32_t* p = pixels_;
        pixels_ = nullptr;
        width_ = height_ = 0;
        return p;
    }

private:
    void swap(Raster& o) noexcept {
        std::swap(pixels_, o.pixels_);
        std::swap(width_, o.width_);
        std::swap(height_, o.height_);
    }
    uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

inline bool Raster::Allocate(int width, int height) {
    std::free(pixels_);
    pixels_ = nullptr;
    width_ = height_ = 0;
    if (width <= 0 || height <= 0) return false;
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    pixels_ = static_cast<uint32_t*>(std::malloc(n * sizeof(uint32_t)));
    if (!pixels_) return false;
    width_ = width;
    height_ = height;
    return true;
}

// A non-owning view of 0xFFRRGGBB pixels, rows top to bottom; lets a kernel
// read a picture (the photograph) without a copy. stride is in pixels.
struct RasterView {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    const uint32_t* Row(int y) const { return pixels + y * stride; }
};

inline RasterView ViewOf(const Raster& r) { return {r.Data(), r.Width(), r.Height(), r.Width()}; }

inline bool Inside(const RasterView& v, int x, int y) {
    return v.pixels && x >= 0 && y >= 0 && x < v.width && y < v.height;
}
// The colour at (x, y), or kInvalidColor outside the picture.
inline uint32_t ReadPixel(const RasterView& v, int x, int y) {
    return Inside(v, x, y) ? ColorOfPixel(v.Row(y)[x]) : kInvalidColor;
}
// Stores StoredPixel(colour) at (x, y); outside the picture nothing happens.
inline void WritePixel(Raster& r, int x, int y, uint32_t colour) {
    if (Inside(ViewOf(r), x, y)) r.Row(y)[x] = StoredPixel(colour);
}

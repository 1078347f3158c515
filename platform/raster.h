// A 32-bit picture in memory: rows top to bottom, pixel (0, 0) top-left,
// each pixel 0xFFRRGGBB (the layout of a 32-bit RGB bitmap). The buffer is
// malloc'd so that a window can adopt it without a copy (release()).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

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

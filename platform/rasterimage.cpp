#include "platform/rasterimage.h"

#include <cstdlib>

QImage AdoptRaster(Raster&& raster) {
    const int w = raster.Width(), h = raster.Height();
    uint32_t* pixels = raster.Release();
    if (!pixels) return QImage();
    QImage image(reinterpret_cast<uchar*>(pixels), w, h, qsizetype(w) * 4, QImage::Format_RGB32,
                 std::free, pixels);
    if (image.isNull()) std::free(pixels);  // refused by the toolkit: nobody owns it
    return image;
}

RasterView ViewOfImage(const QImage& image) {
    if (image.isNull()) return {};
    const QImage::Format f = image.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32) return {};
    return {reinterpret_cast<const uint32_t*>(image.constBits()), image.width(), image.height(),
            image.bytesPerLine() / 4};
}

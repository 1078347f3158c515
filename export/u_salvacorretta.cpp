#include "export/u_salvacorretta.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "export/u_scrivibmp.h"
#include "export/u_scrivipng.h"
#include "tables/u_stringhe.h"

namespace {

const char* const kCrLf = "\r\n";

std::string Corner(const char* label, const std::string& x, const std::string& y) {
    return std::string("coordinate spigolo ") + label + ":  " + x + " ; " + y;
}

}  // namespace

std::string RectifiedReportText(const RectifiedReportInputs& in) {
    std::string text = "Dati immagine raddrizzata:  " + in.bmpPath + kCrLf;
    std::string left, top, right, bottom;
    if (in.method == RectificationMethod::Analytic) {
        left = in.xin, top = in.yin, right = in.xfin, bottom = in.yfin;
    } else if (in.method == RectificationMethod::Geometric) {
        left = "0.000", top = in.height, right = in.width, bottom = "0.000";
    } else {
        return text;
    }
    text += Corner("alto sinistro", left, top) + kCrLf;
    text += Corner("alto destro", right, top) + kCrLf;
    text += Corner("basso destro", right, bottom) + kCrLf;
    text += Corner("basso sinistro", left, bottom) + kCrLf;
    text += "dimensione immagine raddrizzata (pixel):  " + in.sizePixels + kCrLf;
    text += "dimensione immagine raddrizzata (cm):  " + in.sizeCm + kCrLf;
    text += "risoluzione (dpi):  " + in.resolutionDpi + kCrLf;
    text += "dimensione pixel (m):  " + in.pixelSize;
    return text;
}

std::string ReportFileName(const std::string& bmpPath) {
    const std::size_t slash = bmpPath.find_last_of('/');
    const std::size_t nameLength =
        slash == std::string::npos ? bmpPath.size() : bmpPath.size() - slash - 1;
    if (nameLength <= 4) return bmpPath + ".txt";
    const std::string report = bmpPath.substr(0, bmpPath.size() - 4) + ".txt";
    return report == bmpPath ? bmpPath + ".txt" : report;
}

std::optional<std::string> EncodeRectifiedPicture(const Raster& picture, PictureFileFormat format,
                                                  const std::optional<GeoTiffPlacement>& place) {
    switch (format) {
        case PictureFileFormat::Bmp:
            return EncodeBmp24(picture);
        case PictureFileFormat::Png:
            return EncodePng(picture);
        case PictureFileFormat::Tiff:
            return EncodeTiff(picture);
        case PictureFileFormat::GeoTiff:
            if (!place)
                throw std::invalid_argument("EncodeRectifiedPicture: GeoTIFF without placement");
            return EncodeTiff(picture, place);
    }
    return std::nullopt;
}

RectifiedSaveResult SaveRectifiedImage(const std::string& path, const Raster& picture,
                                       const std::string& reportText, PictureFileFormat format,
                                       const std::optional<GeoTiffPlacement>& place) {
    const std::optional<std::string> encoded = EncodeRectifiedPicture(picture, format, place);
    if (!encoded) return {FileWriteResult{FileWriteStatus::WriteError, std::strerror(EFBIG)}, path};
    const std::string reportPath = ReportFileName(path);
    FileWriteResult written = WriteFileAtomic(reportPath, EncodeFileText(reportText));
    if (!written.Ok()) return {written, reportPath};
    written = WriteFileAtomic(path, *encoded);
    if (!written.Ok()) return {written, path};
    return {};
}

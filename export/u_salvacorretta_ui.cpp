#include "export/u_salvacorretta_ui.h"

#include <QPointer>
#include <cstring>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "export/u_georeferenzia.h"
#include "platform/dialogs.h"
#include "platform/fileio.h"
#include "platform/imagecontrol.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "view/u_limiti.h"

namespace {

QPointer<ImageControl> rectifiedImage;

// A copy of the picture in the layout the bitmap encoder reads; empty when
// memory is short.
Raster ToRaster(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    Raster raster;
    if (rgb.isNull() || !raster.Allocate(rgb.width(), rgb.height())) return raster;
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(raster.Row(y), rgb.constScanLine(y), sizeof(uint32_t) * rgb.width());
    return raster;
}

}  // namespace

void SetRectifiedImage(ImageControl* image) { rectifiedImage = image; }

ImageControl* RectifiedImage() { return rectifiedImage.data(); }

RectifiedReportInputs RectifiedReportFromWindows(const std::string& bmpPath) {
    RectifiedReportInputs in;
    in.bmpPath = bmpPath;
    if (FormPrincipale->rb_an->Checked()) {
        in.method = RectificationMethod::Analytic;
        in.xin = FieldText(FormLimiti->Edit1);
        in.yin = FieldText(FormLimiti->Edit2);
        in.xfin = FieldText(FormLimiti->Edit3);
        in.yfin = FieldText(FormLimiti->Edit4);
        in.sizePixels = FieldText(FormScala->Label6);
        in.sizeCm = FieldText(FormScala->Label7);
        in.resolutionDpi = FieldText(FormScala->Edit2);
        in.pixelSize = FieldText(FormScala->Edit1);
    } else if (FormPrincipale->rb_geom->Checked()) {
        in.method = RectificationMethod::Geometric;
        in.width = FieldText(FormPrincipale->Edit5);
        in.height = FieldText(FormPrincipale->Edit6);
        in.sizePixels = FieldText(FormRapporto->Label9);
        in.sizeCm = FieldText(FormRapporto->Label11);
        in.resolutionDpi = FieldText(FormRapporto->Edit7);
        in.pixelSize = FieldText(FormRapporto->Edit6);
    }
    return in;
}

PictureFileFormat PictureFormatOfFilter(int filterIndex) {
    switch (filterIndex) {
        case 2:
            return PictureFileFormat::Png;
        case 3:
            return PictureFileFormat::Tiff;
        case 4:
            return PictureFileFormat::GeoTiff;
        default:
            return PictureFileFormat::Bmp;
    }
}

bool SaveRectifiedPicture(FileDialog& dialog, const QImage& clean, ImageControl* shown,
                          QWidget* parent) {
    if (!dialog.Execute(parent)) return false;
    const QString name = dialog.FileName;
    if (name.isEmpty() || name == ".bmp") return false;
    const PictureFileFormat format = PictureFormatOfFilter(dialog.FilterIndex);
    std::optional<GeoTiffPlacement> place;
    if (format == PictureFileFormat::GeoTiff) {
        place = FormGeoreferenzia->PlacementForGeoTiff();
        if (!place) return false;
    }
    const std::string path = name.toStdString();
    const Raster picture = ToRaster(clean);
    const RectifiedSaveResult saved = SaveRectifiedImage(
        path, picture, RectifiedReportText(RectifiedReportFromWindows(path)), format, place);
    if (!saved.Ok()) {
        ShowFileWriteError(parent, saved.write, saved.failedPath);
        return false;
    }
    if (shown) shown->SetPicture(clean);
    return true;
}

#include "platform/fonts.h"

#include <fontconfig/fontconfig.h>

#include <QFontMetrics>

namespace {

// Strong aliases: the free font stands where the designed name is asked for.
constexpr const char* kAliases = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <alias binding="same">
    <family>MS Sans Serif</family>
    <prefer><family>Liberation Sans</family></prefer>
  </alias>
  <alias binding="same">
    <family>Times New Roman</family>
    <prefer><family>Liberation Serif</family></prefer>
  </alias>
</fontconfig>
)";

}  // namespace

void MapDesignFonts() {
    FcConfig* config = FcConfigGetCurrent();
    if (config)
        FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kAliases), FcFalse);
}

QFont DesignFont() {
    QFont f("MS Sans Serif");
    f.setPixelSize(11);
    return f;
}

QFont LabelFont(LabelWeight weight, int pixelSize) {
    QFont f("Times New Roman");
    f.setPixelSize(pixelSize);
    // A regular label leaves the weight unset, so that it is its window's.
    if (weight == LabelWeight::Bold) f.setBold(true);
    return f;
}

QIcon VekIcon() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(vek);  // the resources of a static library
        return true;
    }();
    (void)registered;
    return QIcon(":/vek.png");
}

int TitleFitWidth(const QString& caption) {
    // Window managers draw titles in a bold sans font of about 11 pixels,
    // between the window's icon and three buttons, with some padding.
    QFont title("Sans");
    title.setPixelSize(11);
    title.setBold(true);
    return QFontMetrics(title).horizontalAdvance(caption) + 120;
}

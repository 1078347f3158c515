#include "tools/u_rettifica.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cmath>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "analytic/u_analitico.h"
#include "analytic/u_proiettiva.h"
#include "export/u_filegeo.h"
#include "export/u_salvacorretta.h"
#include "platform/igrid.h"
#include "rectify/u_ricampiona.h"
#include "tables/u_chiavi.h"
#include "tables/u_omnia.h"
#include "tables/u_stringhe.h"
#include "view/u_decodifica.h"

namespace {

// A standardised residual beyond this flags its point as a likely outlier.
constexpr long double kOutlierLimit = 3;

// Bad input: thrown with the one line that says what is wrong.
struct BadInput : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Bad(const std::string& message) { throw BadInput(message); }

struct Options {
    std::string photo, unione, immagine, oggetto, output, pixel, epsg;
    std::optional<std::array<std::string, 4>> area;
    Interpolation kind = Interpolation::Bilinear;
    bool help = false;
};

Options ParseOptions(const std::vector<std::string>& args) {
    Options o;
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (std::find(seen.begin(), seen.end(), a) != seen.end()) Bad("opzione ripetuta: " + a);
        seen.push_back(a);
        const auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) Bad("manca il valore di " + a);
            return args[++i];
        };
        if (a == "--foto") {
            o.photo = value();
        } else if (a == "--unione") {
            o.unione = value();
        } else if (a == "--immagine") {
            o.immagine = value();
        } else if (a == "--oggetto") {
            o.oggetto = value();
        } else if (a == "-o") {
            o.output = value();
        } else if (a == "--pixel") {
            o.pixel = value();
        } else if (a == "--epsg") {
            o.epsg = value();
        } else if (a == "--interpolazione") {
            const std::string k = value();
            if (k == "lineare")
                o.kind = Interpolation::Nearest;
            else if (k == "bilineare")
                o.kind = Interpolation::Bilinear;
            else
                Bad("--interpolazione vuole lineare o bilineare, non " + k);
        } else if (a == "--area") {
            if (i + 4 >= args.size()) Bad("--area vuole quattro numeri: XIN YIN XFIN YFIN");
            o.area = {args[i + 1], args[i + 2], args[i + 3], args[i + 4]};
            i += 4;
        } else {
            Bad("opzione sconosciuta: " + a);
        }
    }
    return o;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

struct OutputKind {
    PictureFileFormat format;
    const char* worldExtension;  // the name GIS programs look for beside the picture
};

OutputKind OutputKindOf(const std::string& path) {
    const std::string ext = Lower(std::filesystem::path(path).extension().string());
    if (ext == ".bmp") return {PictureFileFormat::Bmp, ".bpw"};
    if (ext == ".png") return {PictureFileFormat::Png, ".pgw"};
    if (ext == ".tif" || ext == ".tiff") return {PictureFileFormat::GeoTiff, ".tfw"};
    Bad("l'uscita deve finire in .bmp, .png o .tif: " + path);
}

// What the rectification needs, each number with the text a window shows.
struct Plan {
    long double xin, yin, xfin, yfin, s;
    std::string xinText, yinText, xfinText, yfinText, pixelText;
    OutputSize size;
    OutputKind kind;
    int epsg = 0;
    std::string outputPath;  // full path, as a save dialog gives it
};

// An area limit as the area window shows it: three decimals, and the value
// that text holds.
void AreaLimit(const std::string& typed, const char* name, long double& value, std::string& text) {
    const std::optional<long double> v = ReadTypedNumber(typed);
    if (!v) Bad(std::string("--area: ") + name + " non è un numero: " + typed);
    text = FormatFixed(*v, PrecisionKeepingDecimals(*v, 10, 3), 3);
    value = *ReadTypedNumber(text);
}

Plan MakePlan(const Options& o) {
    if (o.photo.empty()) Bad("manca --foto FOTO");
    if (!o.unione.empty() && (!o.immagine.empty() || !o.oggetto.empty()))
        Bad("usare --unione oppure --immagine con --oggetto, non entrambe");
    if (o.unione.empty() && (o.immagine.empty() || o.oggetto.empty()))
        Bad("manca --unione TAB.fot (oppure --immagine TAB.imm con --oggetto TAB.ogg)");
    if (!o.area) Bad("manca --area XIN YIN XFIN YFIN");
    if (o.pixel.empty()) Bad("manca --pixel S");
    if (o.output.empty()) Bad("manca -o USCITA");
    Plan p;
    p.kind = OutputKindOf(o.output);
    const std::optional<int> epsg = ParseEpsgCode(o.epsg);
    if (!epsg) Bad("--epsg: il codice EPSG deve essere un numero intero positivo: " + o.epsg);
    if (*epsg && p.kind.format != PictureFileFormat::GeoTiff)
        Bad("--epsg vale solo per un'uscita .tif (GeoTIFF)");
    p.epsg = *epsg;
    p.pixelText = NormalizeDecimalText(o.pixel);
    const std::optional<long double> s = ReadTypedNumber(p.pixelText);
    if (!s || !(*s > 0) || !std::isfinite(2.54L / *s))
        Bad("--pixel: la dimensione del pixel non è un numero positivo: " + o.pixel);
    p.s = *s;
    const auto& a = *o.area;
    AreaLimit(a[0], "XIN", p.xin, p.xinText);
    AreaLimit(a[1], "YIN", p.yin, p.yinText);
    AreaLimit(a[2], "XFIN", p.xfin, p.xfinText);
    AreaLimit(a[3], "YFIN", p.yfin, p.yfinText);
    if (p.xin == p.xfin || p.yin == p.yfin) Bad("l'area ha dimensione nulla");
    p.size = ComputeOutputSize(p.xin, p.yin, p.xfin, p.yfin, p.s);
    if (p.size.W < 0 || p.size.H < 0 || p.size.W > INT_MAX || p.size.H > INT_MAX)
        Bad("l'immagine corretta sarebbe troppo grande");
    if (p.size.W == 0 || p.size.H == 0)
        Bad("l'immagine corretta avrebbe 0 pixel: il pixel è più grande dell'area");
    const long double bytes = static_cast<long double>(p.size.W) * p.size.H * 4;
    const long double memory =
        static_cast<long double>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE);
    if (bytes > memory) Bad("memoria insufficiente per l'immagine corretta");
    p.outputPath = std::filesystem::absolute(o.output).string();
    return p;
}

// A table file into a grid, as "Carica" of its window loads it.
void LoadTable(const std::string& path, const char* keyword, IGrid& grid, std::ostream& err) {
    TableRead read;
    if (ReadTableFile(path, keyword, read) != TableIo::Ok)
        Bad("impossibile leggere la tabella " + path);
    SetTableHeader(grid, keyword);
    FillTableGrid(grid, read.points, keyword);
    FitRowCount(grid);
    NormalizeGridDecimals(grid);
    if (!read.issues.empty())
        err << "vek-rettifica: attenzione: " << path << ": " << read.issues.size()
            << " righe lette in parte (la prima è la " << read.issues.front().line << ")\n";
}

void LoadUnion(const Options& o, GridCells& uni, std::ostream& err) {
    SetTableHeader(uni, TableKey::Nxyxy);
    if (!o.unione.empty()) {
        LoadTable(o.unione, TableKey::Nxyxy, uni, err);
    } else {
        GridCells image(3, MaxTablePoints + 1), object(3, MaxTablePoints + 1);
        LoadTable(o.immagine, TableKey::Nxy, image, err);
        LoadTable(o.oggetto, TableKey::Nxy1, object, err);
        BuildUnionTable(image, object, uni);
    }
    if (const auto cell = FirstUnreadableCell(uni, {1, 2, 3, 4}))
        Bad("tabella di unione: il punto " + uni.Cell(0, cell->row) + " ha nella colonna " +
            std::to_string(cell->col) + " un valore che non è un numero");
    const int n = CountPoints(uni);
    if (n < 4)
        Bad("la tabella di unione ha " + std::to_string(n) + " punti: ne servono almeno quattro");
}

std::string EstimationFailure(EstimationStatus status) {
    switch (status) {
        case EstimationStatus::TooFewPoints:
            return "i punti non determinano la trasformazione: servono almeno quattro punti non "
                   "esclusi";
        case EstimationStatus::Singular:
            return "i punti non determinano la trasformazione: tre di essi sono allineati";
        default:
            return "calcolo dei parametri interrotto: divisione per zero, operazione non valida "
                   "o overflow";
    }
}

void PrintResiduals(const IGrid& res, const ProjectiveFit& fit, std::ostream& out) {
    out << "punto  x calcolato  y calcolato  res x  res y  res stand x  res stand y\n";
    const int n = CountPoints(res);
    for (int k = 1; k <= n; ++k) {
        const long double rx = fit.standardised.at(2 * k - 2), ry = fit.standardised.at(2 * k - 1);
        out << res.Cell(0, k);
        for (int c = 1; c <= 6; ++c) out << "  " << res.Cell(c, k);
        if (std::max(std::fabs(rx), std::fabs(ry)) > kOutlierLimit) out << "  anomalo";
        out << "\n";
    }
}

class Stages {
public:
    Stages(std::ostream& err, bool on) : err_(err), on_(on) {}
    void Done(const char* stage) {
        const auto now = std::chrono::steady_clock::now();
        if (on_)
            err_ << "tempo " << stage << ": "
                 << std::chrono::duration<double, std::milli>(now - last_).count() << " ms\n";
        last_ = now;
    }

private:
    std::ostream& err_;
    bool on_;
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

// "apertura 45%" on one line of the terminal, rewritten as it grows.
std::function<void(int)> ProgressLine(std::ostream& err, bool on, const char* what) {
    if (!on) return {};
    return
        [&err, what](int percent) { err << "\r" << what << " " << percent << "%" << std::flush; };
}

int Run(const Options& o, std::ostream& out, std::ostream& err, bool showProgress,
        bool stageTimes) {
    const Plan p = MakePlan(o);
    Stages stages(err, stageTimes);
    GridCells uni(6, MaxTablePoints + 1);
    LoadUnion(o, uni, err);
    DecodeResult photo = DecodePicture(o.photo, ProgressLine(err, showProgress, "apertura"));
    if (showProgress) err << "\n";
    if (!photo.Ok()) Bad("impossibile aprire la foto " + o.photo + ": " + photo.reason);
    if (photo.damaged)
        err << "vek-rettifica: attenzione: " << o.photo << ": " << photo.warning << "\n";
    stages.Done("apertura");

    GridCells res(7, 151), par(3, 9);
    SetTableHeader(res, TableKey::Nxyrxry);
    SetTableHeader(par, TableKey::Npar);
    const EstimationOutcome est = ComputeInverseParameters(uni, res, par);
    if (est.status != EstimationStatus::Ok) Bad(EstimationFailure(est.status));
    out << "sigma0² (sqm): " << est.unitVarianceText << "\n";
    PrintResiduals(res, est.fit, out);
    out << "dimensione immagine raddrizzata (pixel): " << p.size.W << " x " << p.size.H << "\n";
    stages.Done("stima");

    Raster picture;
    if (!picture.Allocate(static_cast<int>(p.size.W), static_cast<int>(p.size.H)))
        Bad("memoria insufficiente per l'immagine corretta");
    std::fill_n(picture.Data(), static_cast<std::size_t>(p.size.W) * p.size.H, 0xFF000000u);
    const ResampleGeometry g{est.fit.transform, p.s, 1, 1, p.xin, p.yin, p.xfin, p.yfin};
    const auto shown = ProgressLine(err, showProgress, "raddrizzamento");
    Resample(ViewOf(photo.raster), picture, g, o.kind, 0, [&](int, int endRow) {
        if (shown) shown(static_cast<int>(100LL * endRow / p.size.H));
    });
    if (showProgress) err << "\n";
    stages.Done("raddrizzamento");

    RectifiedReportInputs report;
    report.method = RectificationMethod::Analytic;
    report.bmpPath = p.outputPath;
    report.xin = p.xinText, report.yin = p.yinText, report.xfin = p.xfinText,
    report.yfin = p.yfinText;
    report.sizePixels = std::to_string(p.size.W) + " x " + std::to_string(p.size.H);
    report.sizeCm = FormatFixed(std::fabs(p.xfin - p.xin), 10, 3) + " x " +
                    FormatFixed(std::fabs(p.yin - p.yfin), 10, 3);
    report.resolutionDpi = FormatFixed(2.54L / p.s, 10, 3);
    report.pixelSize = p.pixelText;
    const WorldFileLines world = ProposeWorldFileAnalytic(p.pixelText, p.xinText, p.yinText);
    std::optional<GeoTiffPlacement> place;
    if (p.kind.format == PictureFileFormat::GeoTiff)
        place = GeoTiffPlacement{*ReadWorldFile(world), p.epsg};
    const RectifiedSaveResult saved = SaveRectifiedImage(
        p.outputPath, picture, RectifiedReportText(report), p.kind.format, place);
    if (!saved.Ok()) {
        err << "vek-rettifica: impossibile scrivere " << saved.failedPath << ": "
            << saved.write.reason << "\n";
        return kRettificaWriteFailed;
    }
    const std::string worldPath =
        std::filesystem::path(p.outputPath).replace_extension(p.kind.worldExtension).string();
    const FileWriteResult written = SaveWorldFile(worldPath, world);
    if (!written.Ok()) {
        err << "vek-rettifica: impossibile scrivere " << worldPath << ": " << written.reason
            << "\n";
        return kRettificaWriteFailed;
    }
    stages.Done("scrittura");
    return kRettificaOk;
}

}  // namespace

std::string RettificaHelpText() {
    return R"(Uso: vek-rettifica --foto FOTO (--unione TAB.fot | --immagine TAB.imm --oggetto TAB.ogg)
                    --area XIN YIN XFIN YFIN --pixel S
                    [--interpolazione lineare|bilineare] [--epsg CODICE] -o USCITA

Raddrizza la fotografia di un oggetto piano con il metodo analitico, senza
finestre: stima i parametri inversi (oggetto -> immagine) dai punti d'appoggio,
ricampiona l'area scelta e scrive l'immagine raddrizzata, il suo rapporto e il
file di georeferenziazione, come fanno le finestre di Vek con gli stessi dati.

  --foto FOTO          la fotografia: JPEG, BMP, PNG o TIFF, riconosciuta dal
                       contenuto, non dall'estensione
  --unione TAB.fot     la tabella di unione: nome, x, y (pixel), X, Y (metri);
                       un "*" nell'ultima colonna esclude il punto
  --immagine TAB.imm   in alternativa a --unione, la tabella immagine (nome, x, y)
  --oggetto TAB.ogg    e la tabella oggetto (nome, X, Y), unite per nome
  --area XIN YIN XFIN YFIN
                       l'area da raddrizzare in coordinate oggetto (metri), come
                       la mostra la finestra dell'area: XIN, YIN lo spigolo alto
                       a sinistra, XFIN, YFIN quello basso a destra
  --pixel S            la dimensione di un pixel dell'immagine raddrizzata, in
                       metri, maggiore di 0
  --interpolazione lineare|bilineare
                       lineare: il pixel più vicino; bilineare (predefinita)
  --epsg CODICE        solo per un'uscita .tif: il codice EPSG del sistema di
                       riferimento delle coordinate oggetto, scritto nel GeoTIFF
  -o USCITA            l'immagine raddrizzata; il formato segue l'estensione:
                       .bmp (bitmap a 24 bit), .png, .tif (GeoTIFF, Deflate).
                       Accanto scrive il rapporto (stesso nome, .txt) e il file
                       di georeferenziazione (.bpw, .pgw o .tfw)
  --help               questo testo

I numeri si possono scrivere con la virgola decimale (0,01).

Stampa sigma0², i residui con i residui standardizzati (anomalo: oltre 3) e la
dimensione dell'immagine raddrizzata; i progressi vanno sullo standard error.

Esempio, sui dati di prova della cartella samples/:
  vek-rettifica --foto samples/facciata.jpg --immagine samples/facciata.imm \
      --oggetto samples/facciata.ogg --area 1 11 19 1 --pixel 0.01 \
      -o facciata_ric.png

Stato d'uscita: 0 fatto; 1 un file non si è potuto scrivere; 2 dati non validi
(una riga sullo standard error dice quale); in nessun caso resta un file scritto
a metà.
)";
}

int RunRettifica(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 bool showProgress, bool stageTimes) {
    try {
        const Options o = ParseOptions(args);
        if (o.help) {
            out << RettificaHelpText();
            return kRettificaOk;
        }
        return Run(o, out, err, showProgress, stageTimes);
    } catch (const BadInput& e) {
        err << "vek-rettifica: " << e.what() << " (vek-rettifica --help per l'uso)\n";
        return kRettificaBadInput;
    }
}

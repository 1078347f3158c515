#include "export/u_georeferenzia.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <algorithm>

#include "app/u_forms.h"
#include "app/u_principale.h"
#include "export/u_filegeo.h"
#include "platform/fileio.h"
#include "rectify/u_rapporto.h"
#include "rectify/u_scala.h"
#include "tables/u_stringhe.h"
#include "view/u_limiti.h"

TFormGeoreferenzia::TFormGeoreferenzia(QWidget* parent)
    : ToolWindow("FormGeoreferenzia", "File di georeferenziazione", parent),
      // GIS programs look for a bitmap's world file as ".bpw" (or ".wld");
      // ".tfw" is the one of a TIFF, still offered.
      SaveDialog1(FileDialog::Save,
                  "bitmap (*.bpw)|*.bpw|generico (*.wld)|*.wld|TIFF (*.tfw)|*.tfw|tutti i file|*.*",
                  {}, "bpw") {
    resize(220, 250);
    QLineEdit** fields[6] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6};
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(QString("%1.").arg(i + 1), Body());
        label->setGeometry(8, 10 + i * 26, 20, 20);
        *fields[i] = MakeEdit(QString("Edit%1").arg(i + 1), Body());
        (*fields[i])->setGeometry(30, 10 + i * 26, 180, 20);
    }
    auto* epsg = new QLabel("Codice EPSG", Body());
    epsg->setGeometry(8, 10 + 6 * 26, 80, 20);
    Edit7 = MakeEdit("Edit7", Body());
    Edit7->setGeometry(90, 10 + 6 * 26, 120, 20);
    StatusBar1 = AddStatusBar({200});
    AddCommand("Salva file geo", "Salvafilegeo1", this, &TFormGeoreferenzia::Salvafilegeo1Click);
    AddCommand("Chiudi", "Chiudi1", this, &TFormGeoreferenzia::Chiudi1Click);
}

void TFormGeoreferenzia::ProposeWorldFile() {
    const WorldFileLines lines =
        FormPrincipale->rb_geom->Checked()
            ? ProposeWorldFileGeometric(FieldText(FormRapporto->Edit6),
                                        FieldText(FormPrincipale->Edit6))
            : ProposeWorldFileAnalytic(FieldText(FormScala->Edit1), FieldText(FormLimiti->Edit1),
                                       FieldText(FormLimiti->Edit2));
    const auto fields = Lines();
    for (std::size_t k = 0; k < fields.size(); ++k)
        fields[k]->setText(QString::fromStdString(lines[k]));
}

void TFormGeoreferenzia::Salvafilegeo1Click() {
    const QString bitmap = FormPrincipale->SavePictureDialog1.FileName;
    if (QFileInfo(bitmap).isAbsolute()) {
        const QFileInfo b(bitmap);
        SaveDialog1.FileName = b.dir().filePath(b.completeBaseName() + ".bpw");
    }
    WorldFileLines lines;
    if (!ReadLines(lines)) return;
    if (!SaveDialog1.Execute(this)) return;
    const std::string path = SaveDialog1.FileName.toStdString();
    const FileWriteResult written = SaveWorldFile(path, lines);
    if (!written.Ok()) ShowFileWriteError(this, written, path);
}

void TFormGeoreferenzia::Chiudi1Click() { hide(); }

bool TFormGeoreferenzia::ReadLines(WorldFileLines& lines) {
    const auto fields = Lines();
    for (std::size_t k = 0; k < fields.size(); ++k) {
        // A GIS reads only the point: a typed comma is written as one.
        lines[k] = NormalizeDecimalText(FieldText(fields[k]));
        if (!ReadTypedNumber(lines[k])) {
            ShowErrorBox(this, QString("La riga %1 del file di georeferenziazione non è un "
                                       "numero: correggerla e ripetere.")
                                   .arg(k + 1));
            return false;
        }
    }
    return true;
}

std::optional<GeoTiffPlacement> TFormGeoreferenzia::PlacementForGeoTiff() {
    const auto fields = Lines();
    if (std::any_of(fields.begin(), fields.end(), [](QLineEdit* e) { return e->text().isEmpty(); }))
        ProposeWorldFile();
    const std::optional<int> epsg = ParseEpsgCode(FieldText(Edit7));
    if (!epsg) {
        ShowErrorBox(this,
                     "Il codice EPSG deve essere un numero intero positivo, o restare "
                     "vuoto: correggerlo e ripetere.");
        return std::nullopt;
    }
    WorldFileLines lines;
    if (!ReadLines(lines)) return std::nullopt;
    return GeoTiffPlacement{*ReadWorldFile(lines), *epsg};
}

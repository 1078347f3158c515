#include "export/u_dxf.h"

#include <QCoreApplication>
#include <QLabel>
#include <thread>

#include "app/u_forms.h"
#include "export/U_tabptidxf.h"
#include "export/u_scrividxf.h"
#include "platform/fileio.h"
#include "platform/stringgrid.h"
#include "tables/u_omnia.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_stringhe.h"

namespace {

std::chrono::milliseconds pointPause{100};

// Waits on a clock that cannot run backwards, letting the windows repaint
// meanwhile; presses and keys wait until the export is over.
void PauseKeepingWindowsPainted(std::chrono::milliseconds pause) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + pause;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const Clock::time_point now = Clock::now();
        if (now >= end) return;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(end - now, std::chrono::milliseconds(5)));
    }
}

}  // namespace

void SetDxfPointPause(std::chrono::milliseconds pause) { pointPause = pause; }

TFormDxf::TFormDxf(QWidget* parent)
    : ToolWindow("FormDxf", "Creazione del file dxf", parent),
      SaveDialog1(FileDialog::Save, "(*.dxf)|*.dxf|tutti i file|*.*", ".dxf", "dxf") {
    resize(260, 160);
    auto row = [this](const QString& caption, const QString& name, const QString& text, int y) {
        auto* label = new QLabel(caption, Body());
        label->setGeometry(8, y, 120, 20);
        QLineEdit* edit = MakeEdit(name, Body(), text);
        edit->setGeometry(136, y, 110, 20);
        return edit;
    };
    Edit1 = row("scala del disegno", "Edit1", "100", 8);
    Edit2 = row("altezza scritte", "Edit2", "1", 34);
    Edit3 = row("nome del layer", "Edit3", {}, 60);
    setFocusProxy(Edit3);
    ProgressBar1 = AddProgressBar();
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    StatusBar1 = AddStatusBar({100});
    AddCommand("Salva dxf", "Salvadxf1", this, &TFormDxf::Salvadxf1Click);
    AddCommand("Chiudi", "Chgiudi1", this, &TFormDxf::Chgiudi1Click);
}

bool WriteDxfFile(FileDialog& dialog, const QLineEdit* scale, const QLineEdit* height,
                  QProgressBar* progress, const IGrid& grid, const QLineEdit* layer) {
    QWidget* parent = progress->window();
    const std::optional<long double> drawingScale =
        RequirePositive(parent, scale, "scala del disegno");
    if (!drawingScale) return false;
    const std::optional<long double> labelHeight =
        RequirePositive(parent, height, "altezza scritte");
    if (!labelHeight || !PointCellsReadable(parent, grid, {1, 2}) ||
        !PointCellsReadable(parent, grid, {3}, true))
        return false;
    if (!dialog.Execute(parent)) return false;
    const std::string path = dialog.FileName.toStdString();
    DxfDrawing drawing(*drawingScale, *labelHeight, FieldText(layer));
    const int n = CountPoints(grid);
    progress->setMaximum(n);
    progress->setValue(0);
    for (int k = 1; k <= n; ++k) {
        if (!drawing.AddPoint(grid.Cell(0, k), grid.Cell(1, k), grid.Cell(2, k), grid.Cell(3, k))) {
            progress->setValue(0);
            ShowErrorBox(parent, QString("Esportazione interrotta: il punto %1 darebbe coordinate "
                                         "non finite (overflow o operazione non valida).")
                                     .arg(QString::fromStdString(grid.Cell(0, k))));
            return false;
        }
        PauseKeepingWindowsPainted(pointPause);
        progress->setValue(k);
    }
    const FileWriteResult written = SaveDxf(path, drawing.Finish());
    progress->setValue(0);
    if (!written.Ok()) ShowFileWriteError(parent, written, path);
    return written.Ok();
}

void TFormDxf::Salvadxf1Click() {
    StatusBar1->hide();
    ProgressBar1->show();
    WriteDxfFile(SaveDialog1, Edit1, Edit2, ProgressBar1, *FormTabPtiDxf->StringGrid1, Edit3);
    StatusBar1->show();
    ProgressBar1->hide();
}

void TFormDxf::Chgiudi1Click() { hide(); }

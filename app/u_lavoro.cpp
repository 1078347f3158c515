#include "app/u_lavoro.h"

#include "app/u_forms.h"
#include "export/U_tabptidxf.h"
#include "geometric/u_geom.h"
#include "geometric/u_geometrico.h"
#include "platform/dialogs.h"
#include "tables/u_omnia_ui.h"
#include "tables/u_tabimm.h"
#include "tables/u_tabogg.h"

namespace {
// Lines whose first end is clicked count as well: they were clicked.
bool HoldsLines(const StringGrid& grid) { return !grid.Cell(1, 1).empty(); }
}  // namespace

QStringList UnsavedPoints(const StringGrid& grid, const QString& table) {
    if (!TableChangedSinceSaved(grid)) return {};
    return {"i punti della tabella " + table + " non salvati"};
}

QStringList UnsavedPhotographWork() {
    QStringList lost;
    if (FormTabImm) lost << UnsavedPoints(*FormTabImm->StringGrid1, "immagine");
    if (FormTabOgg) lost << UnsavedPoints(*FormTabOgg->StringGrid1, "oggetto");
    if (FormGeom && (HoldsLines(*FormGeom->StringGrid1) || HoldsLines(*FormGeom->StringGrid2)))
        lost << "le rette tracciate";
    return lost;
}

QStringList UnsavedDxfPoints() {
    if (!FormTabPtiDxf) return {};
    return UnsavedPoints(*FormTabPtiDxf->StringGrid1, "dei punti dxf");
}

bool ConfirmDiscard(QWidget* parent, const QStringList& lost, const QString& action) {
    if (lost.isEmpty()) return true;
    return AskYesNo(parent, action + " si perdono " + lost.join(", ") + ".\nContinuare?");
}

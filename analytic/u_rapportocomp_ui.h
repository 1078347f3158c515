// The adjustment report of the residuals window: gathered from the windows,
// printed as PDF beside its plain-text twin.
#pragma once

#include <QByteArray>
#include <QString>

#include "analytic/u_rapportocomp.h"

class QWidget;

// The last estimation as the windows show it: the union, residuals and
// parameters tables, σ0², the outlier marks and the photo's name and size.
AdjustmentReport GatherAdjustmentReport();

// A4 landscape: the report's blocks, then the residual vectors drawn on the
// photo's outline with the scale of the vectors stated.
QByteArray AdjustmentReportPdf(const AdjustmentReport& r);

// Writes the PDF to pdfName and the text twin beside it; a failure shows its
// message. True when both were written.
bool SaveAdjustmentReport(QWidget* parent, const QString& pdfName, const AdjustmentReport& r);

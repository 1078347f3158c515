// The adjustment report: what a client or an archive keeps of an estimation.
// It is read from the tables the user sees, so every number in it is the
// number shown in a window, and laid out as blocks that both the plain-text
// file and the printed page follow.
#pragma once

#include <string>
#include <vector>

#include "platform/igrid.h"

struct ReportParameter {
    std::string name, value, standardDeviation;
};

struct ReportPoint {
    std::string name, x, y, X, Y;      // as the union table holds them
    std::string computedX, computedY;  // as the residuals table shows them
    std::string resX, resY, standardX, standardY;
    bool outlier = false;
    long double imageX = 0, imageY = 0;  // where the point lies on the photo
    long double vx = 0, vy = 0;          // its residuals as numbers
};

struct AdjustmentReport {
    std::string photo;  // file name without the folder
    int width = 0, height = 0;
    std::string dateTime, version;
    bool inverse = true;
    std::string sigma0Squared, sigma0;
    std::string outlierLimit, outlierSummary;
    int redundancy = 0;
    std::vector<ReportParameter> parameters;
    std::vector<ReportPoint> points, checkPoints;
    std::string checkRms;  // the rms line of the residuals table, empty without check points
};

// From the union, residuals and parameters grids after an estimation; the
// outlier flags are those of the residuals table, one per adjusted point.
AdjustmentReport ReadAdjustmentReport(const IGrid& uni, const IGrid& residuals,
                                      const IGrid& parameters, bool inverse,
                                      const std::string& sigma0Squared,
                                      const std::vector<bool>& outliers);

struct ReportBlock {
    enum Kind { Title, Heading, Lines, Table } kind = Lines;
    std::vector<std::string> lines;              // Title, Heading, Lines
    std::vector<std::string> header;             // Table
    std::vector<std::vector<std::string>> rows;  // Table
};

std::vector<ReportBlock> AdjustmentReportBlocks(const AdjustmentReport& r);

// The plain-text twin: the blocks with fixed-width columns, lines ending in
// CR LF, in Windows-1252.
std::string AdjustmentReportText(const AdjustmentReport& r);

// "rapporto.pdf" -> "rapporto.txt"; any other name gets ".txt" appended.
std::string AdjustmentTextName(const std::string& pdfPath);

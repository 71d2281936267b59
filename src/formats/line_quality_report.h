// The line quality report: a CSV file with one row per traced line.
//
//   id,vertices,length,closed,free_ends,max_distance,mean_distance
//   1,5,120.41,open,2,0.35,0.12
//
// Lengths and distances are in pixels with two decimals; "closed" says
// "open" or "closed".
#pragma once

#include "vector/line_quality.h"

#include <string>
#include <vector>

namespace orvane {

/// The header row, without its line end.
inline constexpr const char* kLineQualityHeader = "id,vertices,length,closed,free_ends,max_distance,mean_distance";

/// The whole report as text.
std::string LineQualityCsv(const std::vector<LineQuality>& rows);

/// Writes the report to `path` so that a failure leaves no half-written
/// file. False with the reason in `error`.
bool WriteLineQualityReport(const std::string& path, const std::vector<LineQuality>& rows, std::string& error);

/// Reads a report written by WriteLineQualityReport. False with the reason
/// (naming the line) in `error` when the file cannot be read or is not such
/// a report.
bool ReadLineQualityReport(const std::string& path, std::vector<LineQuality>& rows, std::string& error);

} // namespace orvane

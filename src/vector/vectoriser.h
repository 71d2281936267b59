// One vectorisation run: the document's image becomes numbered polylines.
//
// The run reads the image one row ahead into a three-row window, lets the
// tracer handle every ink pixel, and stores each finished line after
// optionally smoothing and reducing it. Working memory is the window, the
// tracer's column table and the nodes of open lines: proportional to the
// image width, never to its height.
#pragma once

#include "port/port.h"
#include "vector/line_store.h"
#include "vector/tracer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvane {

class CBitmapImage;
class InkMask;
struct AppSettings;
struct CrowdedRegion;
struct LineQuality;

/// The object of one run, made by the command on its stack and destroyed
/// when the command ends (which closes a progress display still open).
class CVectoriser final : public TracedLineSink {
public:
    /// Lines go to `store`; smoothing, reduction and the tolerance are read
    /// from `settings` as each line is stored.
    CVectoriser(Port& port, CLineStore& store, const AppSettings& settings);
    ~CVectoriser() override;
    CVectoriser(const CVectoriser&) = delete;
    CVectoriser& operator=(const CVectoriser&) = delete;

    /// Traces the whole image into the store. A pixel is ink when its red,
    /// green and blue are all 0. Returns 1 when every row was processed; 0
    /// for an empty image, when the user cancelled, when a crowded pixel
    /// stopped the tracer, or when working memory could not be had. Lines
    /// stored before a failure stay in the store for the caller to empty.
    int Run(const CBitmapImage& image);

    /// Clean tracing only: the ink before thinning, which tells stroke widths
    /// and where lines end. Must outlive Run.
    void setInkMask(const InkMask* ink) { m_ink = ink; }
    /// When set, Run appends a quality row for every line it stores.
    void setQualityReport(std::vector<LineQuality>* report) { m_quality = report; }

    /// Smooths and reduces one finished line as the settings say, adds to
    /// the store's statistics and appends the line under the next id.
    int StoreTracedLine(PointList& points) override;

    /// Nodes of lines that were never written, released at the end of the
    /// last run (0 on a consistent thin image traced to its end).
    std::size_t unwrittenNodes() const { return m_nUnwrittenNodes; }
    /// Working memory of the last run at its peak: window, column table,
    /// node blocks and the buffers of the line being written.
    std::size_t peakWorkingBytes() const { return m_nPeakWorkingBytes; }

    std::int32_t m_nHeight = 0;
    std::int32_t m_nWidth = 0;

private:
    int traceRows(const CBitmapImage& image, std::uint8_t** window);
    /// Clean tracing (see clean_tracer.h): 1 done, 0 cancelled or out of
    /// memory.
    int runClean(const CBitmapImage& image);
    void warnOfCrowdedInk(const std::vector<CrowdedRegion>& regions);
    std::size_t finishTracing(std::size_t windowBytes);

    Port& m_port;
    CLineStore& m_store;
    const AppSettings& m_settings;
    CTracer m_tracer;
    std::optional<ProgressSession> m_progressDlg;
    std::array<std::uint8_t, 256> m_blackIndex{}; ///< which colour-table indices are black
    const InkMask* m_ink = nullptr;
    std::vector<LineQuality>* m_quality = nullptr;
    std::size_t m_firstReported = 0; ///< the store's line count when the run began
    std::size_t m_nUnwrittenNodes = 0;
    std::size_t m_nPeakWorkingBytes = 0;
};

} // namespace orvane

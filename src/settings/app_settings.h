// The application's settings: shared by every document, never saved, so
// every start of the program begins with these values.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

/// How the One-Touch command prepares the image before tracing.
enum OneTouchMethod : std::int16_t { kOneTouchZhangSuen = 0, kOneTouchStentiford = 1, kOneTouchCanny = 2 };

/// How tracing turns centre lines into polylines: split at every junction
/// pixel, or clean (one polyline per drawn stroke, joined through
/// junctions, spurs and specks dropped).
enum Topology : std::int16_t { kTopologySplit = 0, kTopologyClean = 1 };

/// How Polyline to Straight Line decides.
enum StraightMode : std::int16_t { kStraightForced = 1, kStraightProgramDecides = 2 };

/// The settings the application object owns and the option dialogs change.
struct AppSettings {
    float m_cannySigma = 4.0f;               ///< Gaussian width of the edge detector
    std::int32_t m_cannyHigh = 5;            ///< upper hysteresis threshold
    std::int32_t m_cannyLow = 3;             ///< lower hysteresis threshold
    float m_fStraightTolerance = 30.0f;      ///< degrees, for the straightness test
    std::int16_t m_nStraightMode = kStraightProgramDecides;
    std::int16_t m_nOneTouchMethod = kOneTouchStentiford;
    std::int32_t m_bRetainOriginal = 1;      ///< One-Touch puts the scan back under the lines
    std::int32_t m_bSmoothWhileVectorising = 1;
    std::int32_t m_bReduceWhileVectorising = 1;
    double m_dReduceTolerance = 1.2;         ///< pixels
    std::int16_t m_nTopology = kTopologySplit;
    /// Clean tracing: specks of ink that fit in a square this many pixels
    /// wide are dropped before thinning; -1 sizes it from the strokes, 0
    /// keeps every speck.
    std::int32_t m_nDespeckleSize = -1;
    double m_dCleanTolerance = 0.5;          ///< pixels a clean line may move from its centre pixels
    // Saved vector files (Vector Output Option).
    std::int32_t m_nOutputUnits = 0;         ///< 0 pixels, 1 millimetres, 2 inches
    double m_dOutputDpi = 0;                 ///< pixels per inch for units; 0: the scan's own
    std::int32_t m_nDxfProfile = 0;          ///< 0 classic, 1 R12, 2 R2000
    std::int32_t m_bUseGeoreferencing = 1;   ///< map coordinates where the scan has them
    std::string m_szProgramDir;              ///< the program's folder, filled at start-up
};

} // namespace orvane

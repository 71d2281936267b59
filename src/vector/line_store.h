// The vector line store: the numbered polylines of one document.
//
// Coordinates are doubles in pixels of the document's image: x from 0 at the
// left edge, y from 0 at the top edge, growing downward. Traced lines have
// whole-number coordinates; smoothing and reading files give fractions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvane {

class CLineStore;

/// The no-result value of the vector geometry: no distance, no nearest line.
inline constexpr double kNoResult = -999.0;
inline constexpr int kNoLine = -999;

/// The points of one polyline on their way into the store. Whoever builds a
/// PointList owns it; creating a line copies the points. The arrays always
/// hold at least one element and at least `count`.
struct PointList {
    std::vector<double> x;
    std::vector<double> y;
    std::int32_t count = 0; ///< points in use, first point first

    PointList() : x(1, 0.0), y(1, 0.0) {}
    /// Room for `capacity` points (at least one), all zero, none in use.
    explicit PointList(int capacity)
        : x(capacity > 1 ? std::size_t(capacity) : 1u, 0.0), y(capacity > 1 ? std::size_t(capacity) : 1u, 0.0)
    {
    }
    /// Appends a point, growing the arrays when they are full.
    void append(double px, double py)
    {
        if (std::size_t(count) >= x.size()) {
            x.resize(x.size() * 2);
            y.resize(y.size() * 2);
        }
        x[std::size_t(count)] = px;
        y[std::size_t(count)] = py;
        ++count;
    }
};

/// One vertex of a stored line.
struct VectorNode {
    std::int32_t m_nIndex = 0; ///< 1-based position in its line
    double m_dX = 0.0;
    double m_dY = 0.0;
};

/// One stored polyline. Length, middle vertex and bounding rectangle are
/// computed once, at construction, and describe the line as it was made even
/// after its vertices are moved.
class CVectorLine {
public:
    /// Copies the first `points.count` points into the line's vertices.
    CVectorLine(std::int32_t id, const PointList& points);
    CVectorLine(const CVectorLine&) = default;
    CVectorLine& operator=(const CVectorLine&) = delete;
    virtual ~CVectorLine() = default;

    /// Shortest distance from (x, y) to the line's segments; kNoResult when
    /// no segment yields one (a line of fewer than two distinct vertices).
    double DistanceTo(double x, double y) const;
    /// Bearing (0..359, as a double) and sector (1..8) of the step from the
    /// first vertex to the second; a line of one vertex has a zero step.
    void GetStartDirection(double& bearing, int& sector) const;
    /// Bearing and sector of the step from the second-last vertex to the last.
    void GetEndDirection(double& bearing, int& sector) const;
    /// Length-weighted mean bearing over every three consecutive vertices;
    /// kNoResult for fewer than three vertices or a triple of no length.
    double GetMeanDirection() const;
    /// 1 when the line has more than two vertices and its mean direction is
    /// within `tolerance` degrees of the bearing from its first vertex to its
    /// last (bearings are not unwrapped across north), else 0.
    int IsStraight(float tolerance) const;
    /// Appends to `store` a two-vertex line with this line's id, from its
    /// first to its last vertex, and empties this line's vertices. The caller
    /// removes this line from the store. Returns 1, or 0 (adding nothing)
    /// for a line without vertices, which the caller must then keep.
    int ToStraight(CLineStore& store);

    std::int32_t m_nId = 0;
    std::int32_t m_nPoints = 0; ///< vertices given at construction
    double m_dLength = 0.0;
    double m_dMidX = 0.0; ///< vertex m_nPoints / 2, where the view draws the id
    double m_dMidY = 0.0;
    double m_dMinX = 0.0;
    double m_dMinY = 0.0;
    double m_dMaxX = 0.0;
    double m_dMaxY = 0.0;
    std::vector<VectorNode> m_nodes; ///< the vertices, first vertex first
};

/// The store of a document: lines in insertion order, the last id handed out
/// and the statistics of the last vectorisation run. Ids are never
/// renumbered and need not be unique; lookups by id take the first line in
/// store order that has it.
class CLineStore {
public:
    using LineList = std::vector<std::unique_ptr<CVectorLine>>;

    CLineStore() = default;
    /// A deep copy: every line, its vertices, the last id and the statistics.
    CLineStore(const CLineStore& other);
    CLineStore& operator=(const CLineStore& other);
    CLineStore(CLineStore&&) noexcept = default;
    CLineStore& operator=(CLineStore&&) noexcept = default;

    /// Bytes the lines and their vertices take, roughly (for bounding undo
    /// history).
    std::size_t MemoryBytes() const;

    /// Appends a line with the next id (m_nLastLineId + 1, which becomes the
    /// new m_nLastLineId). Returns 1.
    int AddLine(const PointList& points);
    /// Appends a line with the given id; m_nLastLineId is unchanged. Returns 1.
    int AddLineWithId(std::int32_t id, const PointList& points);
    /// Appends a line made elsewhere (a file's line with its own id).
    void AppendLine(std::unique_ptr<CVectorLine> line);
    /// Removes and destroys the first line with this id; later lines move down
    /// one place. An unknown id changes nothing.
    void DeleteLine(std::int32_t id);
    /// Destroys every line and resets m_nLastLineId and the statistics to 0.
    void DeleteAllLines();
    /// Id of the line nearest to (x, y), however far away; among equal
    /// distances the later line wins. kNoLine when no line has a distance.
    int FindNearestLine(double x, double y) const;
    int GetLineCount() const { return static_cast<int>(m_lines.size()); }

    /// Store position of the first line with this id, or -1.
    int FindLineIndex(std::int32_t id) const;
    /// The first line with this id, or null.
    CVectorLine* FindLine(std::int32_t id);
    const CVectorLine* FindLine(std::int32_t id) const;
    /// Takes the line at a store position out of the store (the lines after
    /// it move down one place) and hands it to the caller.
    std::unique_ptr<CVectorLine> RemoveLineAt(int index);

    /// The lines in store order, for reading.
    const LineList& lines() const { return m_lines; }
    const CVectorLine& line(int index) const { return *m_lines[std::size_t(index)]; }
    CVectorLine& line(int index) { return *m_lines[std::size_t(index)]; }

    std::int32_t m_nLastLineId = 0; ///< last id given by AddLine; 0 when new
    std::int32_t m_nTotalLines = 0; ///< last run: segments of all stored lines, after reduction
    std::int32_t m_nLinesSaved = 0; ///< last run: vertices removed by reduction

private:
    LineList m_lines;
};

} // namespace orvane

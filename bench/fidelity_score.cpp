// Scores traced lines against where a drawing's strokes truly run.
//
//   fidelity_score TRUTH.json TRACED.arc [--json OUT.json] [--missed OUT.tsv] [--pieces OUT.tsv]
//
// TRUTH.json is what make_drawing --truth writes: strokes as centre-line
// polylines in continuous image coordinates (pixel column x, row y spans
// [x, x + 1] x [y, y + 1]). TRACED.arc holds the traced lines; an ARC
// vertex (x, y) is the centre of pixel column x, row y, the point
// (x + 0.5, y + 0.5) here.
//
// Lines and strokes are sampled every 0.4 pixel or less; a sample is near
// a line or stroke when it lies within 1.5 pixels of it. Printed, and
// written with --json:
//   recall             share of the strokes' length near some traced line
//   recall apart, touching
//                      the same over the length where no other stroke's ink
//                      touches the stroke's own (its centre line lies
//                      farther than the two half widths and a pixel from
//                      every other stroke's), and over the rest: where inks
//                      run together thinning leaves one centre line for two
//                      strokes, and no centre-line tracer finds both
//   precision          share of the traced length near some stroke
//   lines_per_stroke   traced lines / strokes
//   pieces_per_stroke  per stroke, the traced lines that each cover 5 pixels
//                      of it (or half of it, if it is shorter than 10),
//                      averaged over the strokes: 1 when every stroke is
//                      traced as one line, 0 for a stroke nothing covers.
//                      Each sample of a stroke is credited to one line: of
//                      the lines near it, the one near the most of the
//                      stroke (the nearest of equals), so a line crossing
//                      the stroke or ending on it does not count as a piece
//                      of it, even where a shallow crossing keeps it near
//                      the stroke, and nearer, for some pixels. A short stroke
//                      shattered into lines too short to count is in as
//                      many pieces as lines cover 1.5 pixels of it, and at
//                      least one: it is covered, and in pieces.
//   pieces per covered stroke
//                      the same over the strokes some traced line comes
//                      near: a stroke missed whole lowers pieces per stroke,
//                      not this
//   stubs              share of traced lines shorter than 5 pixels
//   stubs not drawn    the same, less the lines over strokes drawn shorter
//                      than 5 pixels (a faithful trace of those is short)
//   lines, strokes     the counts
// with the same figures for each kind of stroke (line, arc, lettering...).
// --missed writes, for finding where recall is lost, one row per run of a
// stroke that no traced line comes near: the stroke's number (from 0),
// kind, width and length, the run's length, where on the stroke it lies
// (start, end, middle, or the whole stroke) and its first and last point.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kReach = 1.5;      // pixels: how near counts as on the line
constexpr double kSampleStep = 0.4; // pixels between samples, at most
constexpr double kStubLength = 5;   // pixels: a traced line shorter is a stub
constexpr double kPieceLength = 5;  // pixels of a stroke a line must cover to be a piece of it
constexpr double kCellSize = 4;     // pixels: the side of a cell of the segment grid
// Pixels beyond the pens' edges within which two strokes' ink runs together
// on a scan (anti-aliasing and noise spread each edge by about a pixel).
constexpr double kTouchSlack = 1;

struct Point {
    double x = 0, y = 0;
};

struct Polyline {
    std::vector<Point> points;
    bool closed = false;
    std::string kind;
    double width = 0; ///< of a drawn stroke
};

/// Calls `visit(from, to)` for every segment, the closing one included.
template <class Visit>
void forEachSegment(const Polyline& line, Visit&& visit)
{
    const std::vector<Point>& p = line.points;
    if (p.size() == 1)
        visit(p[0], p[0]);
    for (std::size_t i = 1; i < p.size(); ++i)
        visit(p[i - 1], p[i]);
    if (line.closed && p.size() > 2)
        visit(p.back(), p.front());
}

double length(const Polyline& line)
{
    double sum = 0;
    forEachSegment(line, [&](Point a, Point b) { sum += std::hypot(b.x - a.x, b.y - a.y); });
    return sum;
}

/// Calls `visit(point, weight)` at the middles of equal pieces, at most
/// kSampleStep long, of every segment; the weights add up to the length.
template <class Visit>
void forEachSample(const Polyline& line, Visit&& visit)
{
    forEachSegment(line, [&](Point a, Point b) {
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        if (len == 0)
            return;
        const int n = std::max(1, int(std::ceil(len / kSampleStep)));
        for (int k = 0; k < n; ++k) {
            const double t = (k + 0.5) / n;
            visit(Point{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}, len / n);
        }
    });
}

double distanceToSegment(Point p, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y, lengthSq = dx * dx + dy * dy;
    const double t = lengthSq > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSq, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

/// The segments of a set of polylines in a grid of square cells. Each cell
/// lists every segment that comes within `reach` (kReach unless given) of
/// some point of it, so the one cell holding a point answers what lies
/// within that reach of the point.
class SegmentGrid {
public:
    explicit SegmentGrid(const std::vector<Polyline>& lines, double reach = kReach) : m_reach(reach)
    {
        double x0 = std::numeric_limits<double>::max(), y0 = x0, x1 = -x0, y1 = -x0;
        for (std::size_t i = 0; i < lines.size(); ++i)
            forEachSegment(lines[i], [&](Point a, Point b) {
                m_segments.push_back({a, b, int(i)});
                x0 = std::min({x0, a.x, b.x});
                y0 = std::min({y0, a.y, b.y});
                x1 = std::max({x1, a.x, b.x});
                y1 = std::max({y1, a.y, b.y});
            });
        if (m_segments.empty())
            return;
        m_x0 = x0 - m_reach - kCellSize;
        m_y0 = y0 - m_reach - kCellSize;
        m_cols = int((x1 + m_reach + kCellSize - m_x0) / kCellSize) + 1;
        m_rows = int((y1 + m_reach + kCellSize - m_y0) / kCellSize) + 1;
        // Two passes over the same cells: count, then fill.
        std::vector<std::uint32_t> count(std::size_t(m_cols) * m_rows + 1, 0);
        std::vector<int> stamp(count.size(), -1);
        for (int s = 0; s < int(m_segments.size()); ++s)
            forEachCell(s, stamp, [&](std::size_t cell) { ++count[cell + 1]; });
        for (std::size_t c = 1; c < count.size(); ++c)
            count[c] += count[c - 1];
        m_start = count;
        m_items.resize(count.back());
        std::fill(stamp.begin(), stamp.end(), -1);
        for (int s = 0; s < int(m_segments.size()); ++s)
            forEachCell(s, stamp, [&](std::size_t cell) { m_items[count[cell]++] = std::uint32_t(s); });
    }

    /// Calls `visit(owner, distance)` once for every polyline within reach
    /// of `p`, with its distance.
    template <class Visit>
    void forEachNear(Point p, Visit&& visit) const
    {
        if (m_segments.empty())
            return;
        const int col = int(std::floor((p.x - m_x0) / kCellSize)), row = int(std::floor((p.y - m_y0) / kCellSize));
        if (col < 0 || row < 0 || col >= m_cols || row >= m_rows)
            return;
        const std::size_t cell = std::size_t(row) * m_cols + col;
        m_near.clear();
        for (std::uint32_t i = m_start[cell]; i < m_start[cell + 1]; ++i) {
            const Segment& s = m_segments[m_items[i]];
            const double d = distanceToSegment(p, s.a, s.b);
            if (d >= m_reach)
                continue;
            auto it = std::find_if(m_near.begin(), m_near.end(), [&](const auto& n) { return n.first == s.owner; });
            if (it == m_near.end())
                m_near.emplace_back(s.owner, d);
            else
                it->second = std::min(it->second, d);
        }
        for (const auto& [owner, d] : m_near)
            visit(owner, d);
    }

    /// The polyline nearest to `p` within reach, or -1; and its distance.
    std::pair<int, double> nearest(Point p) const
    {
        int owner = -1;
        double best = m_reach;
        if (m_segments.empty())
            return {owner, best};
        const int col = int(std::floor((p.x - m_x0) / kCellSize)), row = int(std::floor((p.y - m_y0) / kCellSize));
        if (col < 0 || row < 0 || col >= m_cols || row >= m_rows)
            return {owner, best};
        const std::size_t cell = std::size_t(row) * m_cols + col;
        for (std::uint32_t i = m_start[cell]; i < m_start[cell + 1]; ++i) {
            const Segment& s = m_segments[m_items[i]];
            const double d = distanceToSegment(p, s.a, s.b);
            if (d < best || (d == best && owner < 0)) {
                best = d;
                owner = s.owner;
            }
        }
        return {owner, best};
    }

private:
    struct Segment {
        Point a, b;
        int owner;
    };

    /// Calls `visit` once for every cell segment `s` comes within reach of,
    /// walking it in pieces no longer than a cell.
    template <class Visit>
    void forEachCell(int s, std::vector<int>& stamp, Visit&& visit) const
    {
        const Segment& seg = m_segments[std::size_t(s)];
        const double len = std::hypot(seg.b.x - seg.a.x, seg.b.y - seg.a.y);
        const int pieces = std::max(1, int(std::ceil(len / kCellSize)));
        for (int k = 0; k < pieces; ++k) {
            const double t0 = double(k) / pieces, t1 = double(k + 1) / pieces;
            const double ax = seg.a.x + (seg.b.x - seg.a.x) * t0, ay = seg.a.y + (seg.b.y - seg.a.y) * t0;
            const double bx = seg.a.x + (seg.b.x - seg.a.x) * t1, by = seg.a.y + (seg.b.y - seg.a.y) * t1;
            const int c0 = int(std::floor((std::min(ax, bx) - m_reach - m_x0) / kCellSize));
            const int c1 = int(std::floor((std::max(ax, bx) + m_reach - m_x0) / kCellSize));
            const int r0 = int(std::floor((std::min(ay, by) - m_reach - m_y0) / kCellSize));
            const int r1 = int(std::floor((std::max(ay, by) + m_reach - m_y0) / kCellSize));
            for (int r = r0; r <= r1; ++r)
                for (int c = c0; c <= c1; ++c) {
                    const std::size_t cell = std::size_t(r) * m_cols + c;
                    if (stamp[cell] != s) {
                        stamp[cell] = s;
                        visit(cell);
                    }
                }
        }
    }

    double m_reach;
    std::vector<Segment> m_segments;
    double m_x0 = 0, m_y0 = 0;
    int m_cols = 0, m_rows = 0;
    std::vector<std::uint32_t> m_start;
    std::vector<std::uint32_t> m_items;
    mutable std::vector<std::pair<int, double>> m_near;
};

// ---- Reading ---------------------------------------------------------------

/// A JSON value, as much of JSON as the truth files use: objects, arrays,
/// numbers, strings without escapes other than \" and \\, true, false, null.
struct Json {
    enum Type { Null, Bool, Number, String, Array, Object } type = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    const Json* get(const std::string& key) const
    {
        for (const auto& [name, value] : members)
            if (name == key)
                return &value;
        return nullptr;
    }
};

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : m_text(text) {}

    bool parse(Json& out)
    {
        if (!value(out))
            return false;
        skip();
        return m_pos == m_text.size();
    }

private:
    void skip()
    {
        while (m_pos < m_text.size() && std::strchr(" \t\r\n", m_text[m_pos]))
            ++m_pos;
    }
    bool literal(const char* word)
    {
        const std::size_t n = std::strlen(word);
        if (m_text.compare(m_pos, n, word) != 0)
            return false;
        m_pos += n;
        return true;
    }
    bool string(std::string& out)
    {
        if (m_text[m_pos] != '"')
            return false;
        for (++m_pos; m_pos < m_text.size() && m_text[m_pos] != '"'; ++m_pos) {
            if (m_text[m_pos] == '\\' && ++m_pos == m_text.size())
                return false;
            out += m_text[m_pos];
        }
        return m_pos++ < m_text.size();
    }
    bool value(Json& out)
    {
        skip();
        if (m_pos >= m_text.size())
            return false;
        const char c = m_text[m_pos];
        if (c == '{' || c == '[') {
            const bool object = c == '{';
            out.type = object ? Json::Object : Json::Array;
            ++m_pos;
            skip();
            if (m_pos < m_text.size() && m_text[m_pos] == (object ? '}' : ']')) {
                ++m_pos;
                return true;
            }
            for (;;) {
                Json item;
                if (object) {
                    std::string key;
                    skip();
                    if (m_pos >= m_text.size() || !string(key))
                        return false;
                    skip();
                    if (m_pos >= m_text.size() || m_text[m_pos++] != ':' || !value(item))
                        return false;
                    out.members.emplace_back(std::move(key), std::move(item));
                } else {
                    if (!value(item))
                        return false;
                    out.items.push_back(std::move(item));
                }
                skip();
                if (m_pos >= m_text.size())
                    return false;
                const char next = m_text[m_pos++];
                if (next == (object ? '}' : ']'))
                    return true;
                if (next != ',')
                    return false;
            }
        }
        if (c == '"') {
            out.type = Json::String;
            return string(out.text);
        }
        if (literal("true") || literal("false")) {
            out.type = Json::Bool;
            out.boolean = c == 't';
            return true;
        }
        if (literal("null"))
            return true;
        char* end = nullptr;
        out.number = std::strtod(m_text.c_str() + m_pos, &end);
        if (end == m_text.c_str() + m_pos)
            return false;
        out.type = Json::Number;
        m_pos = std::size_t(end - m_text.c_str());
        return true;
    }

    const std::string& m_text;
    std::size_t m_pos = 0;
};

bool readFile(const char* path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    out = text.str();
    return true;
}

/// The strokes of a truth file; false with a reason when it is not one.
bool readTruth(const char* path, std::vector<Polyline>& strokes, std::string& error)
{
    std::string text;
    Json root;
    if (!readFile(path, text))
        return error = "cannot read", false;
    if (!JsonParser(text).parse(root) || root.type != Json::Object)
        return error = "is not JSON", false;
    const Json* list = root.get("strokes");
    if (!list || list->type != Json::Array)
        return error = "has no \"strokes\" list", false;
    for (const Json& item : list->items) {
        const Json* points = item.get("points");
        if (!points || points->type != Json::Array)
            return error = "has a stroke without \"points\"", false;
        Polyline stroke;
        const Json* closed = item.get("closed");
        stroke.closed = closed && closed->boolean;
        const Json* kind = item.get("kind");
        stroke.kind = kind && kind->type == Json::String ? kind->text : "stroke";
        const Json* width = item.get("width");
        stroke.width = width && width->type == Json::Number ? width->number : 0;
        for (const Json& point : points->items) {
            if (point.items.size() != 2 || point.items[0].type != Json::Number || point.items[1].type != Json::Number)
                return error = "has a point that is not [x, y]", false;
            stroke.points.push_back({point.items[0].number, point.items[1].number});
        }
        strokes.push_back(std::move(stroke));
    }
    return true;
}

/// The lines of an ARC file, moved from pixel centres to continuous
/// coordinates. A line is an id line, "x,y" vertex lines and "END"; a
/// further "END" closes the file.
bool readArc(const char* path, std::vector<Polyline>& lines, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return error = "cannot read", false;
    std::string row;
    bool open = false;
    while (std::getline(in, row)) {
        if (!row.empty() && row.back() == '\r')
            row.pop_back();
        if (row == "END") {
            open = false;
            continue;
        }
        if (!open) {
            lines.emplace_back();
            open = true;
            if (row.find(',') == std::string::npos)
                continue; // the id line
        }
        const std::size_t comma = row.find(',');
        if (comma == std::string::npos)
            return error = "has a line \"" + row + "\" inside a polyline that is not x,y", false;
        char* end = nullptr;
        const double x = std::strtod(row.c_str(), &end);
        const double y = std::strtod(row.c_str() + comma + 1, nullptr);
        if (end != row.c_str() + comma)
            return error = "has a vertex \"" + row + "\" that is not x,y", false;
        lines.back().points.push_back({x + 0.5, y + 0.5});
    }
    return true;
}

// ---- Scoring ---------------------------------------------------------------

struct Tally {
    int strokes = 0, uncovered = 0;
    double length = 0, covered = 0, pieces = 0;
};

struct Score {
    Tally all;
    /// The drawn length, and the part of it near a traced line, where no
    /// other stroke's ink touches the stroke's own.
    double apartLength = 0, apartCovered = 0;
    std::map<std::string, Tally> byKind;
    int lines = 0, stubs = 0;
    int drawnShort = 0; ///< stubs that trace a drawn stroke itself shorter than a stub
    double tracedLength = 0, tracedNear = 0;

    static double share(double part, double whole) { return whole > 0 ? part / whole : 0; }
    double recall() const { return share(all.covered, all.length); }
    double precision() const { return share(tracedNear, tracedLength); }
    double linesPerStroke() const { return share(lines, all.strokes); }
    double piecesPerStroke() const { return share(all.pieces, all.strokes); }
    double piecesPerCoveredStroke() const { return share(all.pieces, all.strokes - all.uncovered); }
    double stubShare() const { return share(stubs, lines); }
    double recallApart() const { return share(apartCovered, apartLength); }
    double recallTouching() const { return share(all.covered - apartCovered, all.length - apartLength); }
    double undrawnStubShare() const { return share(stubs - drawnShort, lines); }
};

/// Where a stroke in more than one piece changes from one piece to the
/// next, as --pieces writes them.
struct Break {
    int stroke;
    int pieces;
    Point at;
};

Score score(const std::vector<Polyline>& strokes, const std::vector<Polyline>& lines,
            std::vector<Break>* breaks = nullptr)
{
    Score result;
    const SegmentGrid traced(lines), truth(strokes);
    double widest = 0;
    for (const Polyline& stroke : strokes)
        widest = std::max(widest, stroke.width);
    const SegmentGrid touching(strokes, widest + kTouchSlack + 0.1);
    // Per traced line, the length of this stroke it comes near, and the
    // length credited to it.
    std::vector<std::pair<int, double>> nearBy, coverBy;
    std::vector<std::pair<int, Point>> credited; ///< per sample: the line credited, and where
    auto add = [](std::vector<std::pair<int, double>>& list, int line, double weight) {
        auto it = std::find_if(list.begin(), list.end(), [&](const auto& c) { return c.first == line; });
        if (it == list.end())
            list.emplace_back(line, weight);
        else
            it->second += weight;
    };
    auto lengthNear = [&](int line) {
        return std::find_if(nearBy.begin(), nearBy.end(), [&](const auto& c) { return c.first == line; })->second;
    };
    for (std::size_t s = 0; s < strokes.size(); ++s) {
        const Polyline& stroke = strokes[s];
        Tally one;
        one.strokes = 1;
        nearBy.clear();
        coverBy.clear();
        credited.clear();
        forEachSample(stroke, [&](Point p, double weight) {
            traced.forEachNear(p, [&](int line, double) { add(nearBy, line, weight); });
        });
        forEachSample(stroke, [&](Point p, double weight) {
            one.length += weight;
            // Apart: no other stroke's ink reaches this stroke's here.
            bool apart = true;
            touching.forEachNear(p, [&](int other, double d) {
                if (other != int(s) && d <= (stroke.width + strokes[std::size_t(other)].width) / 2 + kTouchSlack)
                    apart = false;
            });
            if (apart)
                result.apartLength += weight;
            int line = -1;
            double most = 0, nearest = 0;
            traced.forEachNear(p, [&](int candidate, double d) {
                const double length = lengthNear(candidate);
                if (line < 0 || length > most || (length == most && d < nearest)) {
                    line = candidate;
                    most = length;
                    nearest = d;
                }
            });
            if (breaks)
                credited.emplace_back(line, p);
            if (line < 0)
                return;
            one.covered += weight;
            if (apart)
                result.apartCovered += weight;
            add(coverBy, line, weight);
        });
        const double enough = std::min(kPieceLength, one.length / 2);
        for (const auto& [line, covered] : coverBy)
            if (covered >= enough - 1e-9)
                one.pieces += 1;
        if (one.pieces == 0 && !coverBy.empty()) {
            for (const auto& [line, covered] : coverBy)
                if (covered >= kReach)
                    one.pieces += 1;
            one.pieces = std::max(one.pieces, 1.0);
        }
        one.uncovered = coverBy.empty();
        if (breaks && one.pieces > 1) {
            // A break: the credited line changes from one piece to another.
            auto piece = [&](int line) {
                return std::any_of(coverBy.begin(), coverBy.end(),
                                   [&](const auto& c) { return c.first == line && c.second >= enough - 1e-9; });
            };
            int last = -1;
            for (const auto& [line, p] : credited) {
                if (!piece(line))
                    continue;
                if (last >= 0 && line != last)
                    breaks->push_back({int(s), int(one.pieces), p});
                last = line;
            }
        }
        for (Tally* tally : {&result.all, &result.byKind[stroke.kind]}) {
            tally->strokes += one.strokes;
            tally->uncovered += one.uncovered;
            tally->length += one.length;
            tally->covered += one.covered;
            tally->pieces += one.pieces;
        }
    }
    result.lines = int(lines.size());
    for (const Polyline& line : lines) {
        if (length(line) < kStubLength) {
            ++result.stubs;
            // A short line over a stroke drawn that short is no broken piece.
            const Point middle = line.points[line.points.size() / 2];
            const int near = truth.nearest(middle).first;
            if (near >= 0 && length(strokes[std::size_t(near)]) < kStubLength)
                ++result.drawnShort;
        }
        forEachSample(line, [&](Point p, double weight) {
            result.tracedLength += weight;
            if (truth.nearest(p).first >= 0)
                result.tracedNear += weight;
        });
    }
    return result;
}

/// The runs of every stroke that no traced line comes near, as --missed
/// writes them.
std::string missedRuns(const std::vector<Polyline>& strokes, const std::vector<Polyline>& lines)
{
    const SegmentGrid traced(lines);
    std::string out = "stroke\tkind\twidth\tlength\tmissed\twhere\tx0\ty0\tx1\ty1\n";
    char row[256];
    for (std::size_t s = 0; s < strokes.size(); ++s) {
        struct Run {
            double from, to;
            Point first, last;
        };
        std::vector<Run> runs;
        double along = 0;
        bool open = false;
        forEachSample(strokes[s], [&](Point p, double weight) {
            const bool missed = traced.nearest(p).first < 0;
            if (missed && !open)
                runs.push_back({along, along, p, p});
            if (missed) {
                runs.back().to = along + weight;
                runs.back().last = p;
            }
            open = missed;
            along += weight;
        });
        for (const Run& r : runs) {
            const bool atStart = r.from == 0, atEnd = r.to >= along - 1e-9 && !strokes[s].closed;
            const char* where = atStart && atEnd ? "whole" : atStart && !strokes[s].closed ? "start" : atEnd ? "end" : "middle";
            std::snprintf(row, sizeof row, "%zu\t%s\t%g\t%.2f\t%.2f\t%s\t%.1f\t%.1f\t%.1f\t%.1f\n", s,
                          strokes[s].kind.c_str(), strokes[s].width, along, r.to - r.from, where, r.first.x, r.first.y,
                          r.last.x, r.last.y);
            out += row;
        }
    }
    return out;
}

std::string json(const Score& s)
{
    char buffer[768];
    std::snprintf(buffer, sizeof buffer,
                  "{\"recall\":%.6f,\"precision\":%.6f,\"lines_per_stroke\":%.6f,\"pieces_per_stroke\":%.6f,"
                  "\"pieces_per_covered_stroke\":%.6f,\"stubs\":%.6f,\"stubs_undrawn\":%.6f,\"lines\":%d,\"strokes\":%d,"
                  "\"uncovered\":%d,\"truth_length\":%.1f,\"traced_length\":%.1f,\"recall_apart\":%.6f,"
                  "\"recall_touching\":%.6f,\"apart_share\":%.6f,\"by_kind\":{",
                  s.recall(), s.precision(), s.linesPerStroke(), s.piecesPerStroke(), s.piecesPerCoveredStroke(), s.stubShare(),
                  s.undrawnStubShare(), s.lines, s.all.strokes, s.all.uncovered, s.all.length, s.tracedLength,
                  s.recallApart(), s.recallTouching(), Score::share(s.apartLength, s.all.length));
    std::string out = buffer;
    bool first = true;
    for (const auto& [kind, t] : s.byKind) {
        std::snprintf(buffer, sizeof buffer, "%s\"%s\":{\"strokes\":%d,\"recall\":%.6f,\"pieces_per_stroke\":%.6f}",
                      first ? "" : ",", kind.c_str(), t.strokes, Score::share(t.covered, t.length),
                      Score::share(t.pieces, t.strokes));
        out += buffer;
        first = false;
    }
    return out + "}}\n";
}

void print(const Score& s)
{
    std::printf("strokes            %d\n", s.all.strokes);
    std::printf("lines              %d\n", s.lines);
    std::printf("recall             %.2f %%\n", 100 * s.recall());
    std::printf("  apart            %.2f %% of the drawn length, where no other stroke's ink touches: recall %.2f %%\n",
                100 * Score::share(s.apartLength, s.all.length), 100 * s.recallApart());
    std::printf("  touching         recall %.2f %% where other strokes' ink touches or overlaps\n",
                100 * s.recallTouching());
    std::printf("precision          %.2f %%\n", 100 * s.precision());
    std::printf("lines per stroke   %.3f\n", s.linesPerStroke());
    std::printf("pieces per stroke  %.3f (%.3f over the %d strokes a line comes near)\n", s.piecesPerStroke(),
                s.piecesPerCoveredStroke(), s.all.strokes - s.all.uncovered);
    std::printf("stubs              %.2f %% (%d lines shorter than %g px, %d of them over strokes drawn as short)\n",
                100 * s.stubShare(), s.stubs, kStubLength, s.drawnShort);
    std::printf("stubs not drawn    %.2f %%\n", 100 * s.undrawnStubShare());
    for (const auto& [kind, t] : s.byKind)
        std::printf("  %-10s %6d strokes, recall %.2f %%, %.3f pieces per stroke\n", kind.c_str(), t.strokes,
                    100 * Score::share(t.covered, t.length), Score::share(t.pieces, t.strokes));
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<const char*> files;
    const char* jsonPath = nullptr;
    const char* missedPath = nullptr;
    const char* piecesPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0 && i + 1 < argc)
            jsonPath = argv[++i];
        else if (std::strcmp(argv[i], "--missed") == 0 && i + 1 < argc)
            missedPath = argv[++i];
        else if (std::strcmp(argv[i], "--pieces") == 0 && i + 1 < argc)
            piecesPath = argv[++i];
        else
            files.push_back(argv[i]);
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: fidelity_score TRUTH.json TRACED.arc [--json OUT.json] [--missed OUT.tsv] [--pieces OUT.tsv]\n");
        return 2;
    }
    std::vector<Polyline> strokes, lines;
    std::string error;
    for (int i = 0; i < 2; ++i)
        if (!(i == 0 ? readTruth(files[0], strokes, error) : readArc(files[1], lines, error))) {
            std::fprintf(stderr, "fidelity_score: %s %s\n", files[i], error.c_str());
            return 1;
        }
    std::vector<Break> breaks;
    const Score s = score(strokes, lines, piecesPath ? &breaks : nullptr);
    print(s);
    if (jsonPath) {
        std::ofstream out(jsonPath, std::ios::binary);
        out << json(s);
        if (!out.flush()) {
            std::fprintf(stderr, "fidelity_score: cannot write %s\n", jsonPath);
            return 1;
        }
    }
    if (piecesPath) {
        std::string out = "stroke\tkind\twidth\tpieces\tx\ty\n";
        char row[160];
        for (const Break& b : breaks) {
            const Polyline& stroke = strokes[std::size_t(b.stroke)];
            std::snprintf(row, sizeof row, "%d\t%s\t%g\t%d\t%.1f\t%.1f\n", b.stroke, stroke.kind.c_str(), stroke.width,
                          b.pieces, b.at.x, b.at.y);
            out += row;
        }
        std::ofstream file(piecesPath, std::ios::binary);
        file << out;
        if (!file.flush()) {
            std::fprintf(stderr, "fidelity_score: cannot write %s\n", piecesPath);
            return 1;
        }
    }
    if (missedPath) {
        std::ofstream out(missedPath, std::ios::binary);
        out << missedRuns(strokes, lines);
        if (!out.flush()) {
            std::fprintf(stderr, "fidelity_score: cannot write %s\n", missedPath);
            return 1;
        }
    }
    return 0;
}

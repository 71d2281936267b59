// Plane geometry of polylines: compass bearings, sectors and distances.
//
// Bearings are whole degrees 0..359 in image coordinates (y grows down):
// 0 towards the top of the image, 90 to the right, clockwise.
#pragma once

namespace orvane {

/// A point of the image plane, in pixels.
struct PlanePoint {
    double x = 0.0;
    double y = 0.0;
};

/// Compass bearing of the step (dx, dy). The angle is converted to degrees
/// with the factor 180 / 3.142 and rounded half away from zero; a step of no
/// length has bearing 90.
int BearingOfStep(double dx, double dy);
/// Compass bearing of the step from a to b.
int Bearing(PlanePoint a, PlanePoint b);
/// Sector 1..8 of a bearing: 1 around north (above 337.5 or up to 22.5),
/// then clockwise in 45-degree sectors whose upper bound belongs to them.
int DirectionSector(double bearing);
/// Euclidean distance from a to b.
double Distance(PlanePoint a, PlanePoint b);
/// Distance from p to the infinite line through a and b, by the cosine
/// rule; kNoResult (-999.0) when a and b coincide.
double PerpendicularDistance(PlanePoint a, PlanePoint b, PlanePoint p);
/// 1 when the angles at a and at b between segment ab and the point p are
/// both acute by compass bearings (allowing for the 0/360 wrap), else 0.
int FootWithinSegment(PlanePoint a, PlanePoint b, PlanePoint p);

} // namespace orvane

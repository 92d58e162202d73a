// Triangle meshes for the model files: building blocks for closed solids, the text encoder and
// the closure and winding checks every model must pass before it is written.
#pragma once

#include <string>
#include <vector>

struct P3 {
    float x, y, z;
};

struct MeshTri {
    P3 p[3];
    float s[3] = {0, 0, 0};
    float t[3] = {0, 0, 0};
};

using Mesh = std::vector<MeshTri>;

P3 MeshNormal(const MeshTri& tri); // unit (p1 - p0) x (p2 - p0)
P3 MeshCentroid(const MeshTri& tri);

// Appends triangle (a, b, c), reversed if needed so that its normal points along `outward`.
void MeshAddOriented(Mesh& mesh, P3 a, P3 b, P3 c, P3 outward);

// A solid swept along z through rings of equal point count (each counter-clockwise seen from +z,
// ascending z). The first ring is closed by a flat cap; the last by a cap, or drawn to `tip`
// when `hasTip`.
void MeshLoft(Mesh& mesh, const std::vector<std::vector<P3>>& rings, bool hasTip, P3 tip);

// A convex polygon in the x-z plane (any winding) extruded from y0 up to y1.
void MeshExtrudeXZ(Mesh& mesh, const std::vector<P3>& polygon, float y0, float y1);
// A convex polygon in the z-y plane (x of the points ignored) extruded from x0 to x1.
void MeshExtrudeZY(Mesh& mesh, const std::vector<P3>& polygon, float x0, float x1);

// A latitude-longitude ellipsoid.
void MeshEllipsoid(Mesh& mesh, P3 centre, P3 radii, int slices, int stacks);

// Rounds every position to the 5 decimals the file keeps, so checks see the written values.
void MeshQuantize(Mesh& mesh);

// The model file text: the triangle count, then x y z s t for each vertex, one to a line.
std::string MeshEncode(const Mesh& mesh);

// Largest distance of any vertex from the origin.
float MeshRadius(const Mesh& mesh);

// Closure and winding: every edge is shared by exactly two triangles that run it in opposite
// directions, no triangle is degenerate, and every connected piece encloses positive volume.
// With `starShaped`, every face must also look away from the origin. On failure `why` says how.
bool MeshCheck(const Mesh& mesh, bool starShaped, std::string& why);

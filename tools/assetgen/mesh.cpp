// Solid building blocks, the model text encoder and the closure checks.
#include "mesh.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <tuple>

namespace {

P3 Sub(P3 a, P3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
P3 Cross(P3 a, P3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(P3 a, P3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

P3 Average(const std::vector<P3>& points) {
    P3 c{0, 0, 0};
    for (P3 p : points)
        c = {c.x + p.x, c.y + p.y, c.z + p.z};
    float k = 1.0f / float(points.size());
    return {c.x * k, c.y * k, c.z * k};
}

// Positions as exact keys; the checks run on quantized values, so equal text means equal keys.
using Key = std::tuple<float, float, float>;
Key KeyOf(P3 p) {
    return {p.x, p.y, p.z};
}

int Find(std::vector<int>& parent, int i) {
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}

} // namespace

P3 MeshNormal(const MeshTri& tri) {
    P3 n = Cross(Sub(tri.p[1], tri.p[0]), Sub(tri.p[2], tri.p[0]));
    float l = std::sqrt(Dot(n, n));
    return l > 0.0f ? P3{n.x / l, n.y / l, n.z / l} : P3{0, 0, 0};
}

P3 MeshCentroid(const MeshTri& tri) {
    return Average({tri.p[0], tri.p[1], tri.p[2]});
}

void MeshAddOriented(Mesh& mesh, P3 a, P3 b, P3 c, P3 outward) {
    MeshTri tri;
    tri.p[0] = a;
    tri.p[1] = b;
    tri.p[2] = c;
    if (Dot(Cross(Sub(b, a), Sub(c, a)), outward) < 0.0f) std::swap(tri.p[1], tri.p[2]);
    mesh.push_back(tri);
}

void MeshLoft(Mesh& mesh, const std::vector<std::vector<P3>>& rings, bool hasTip, P3 tip) {
    const size_t n = rings[0].size();
    for (size_t k = 0; k + 1 < rings.size(); ++k) {
        P3 axis = Average({Average(rings[k]), Average(rings[k + 1])});
        for (size_t i = 0; i < n; ++i) {
            P3 a = rings[k][i], b = rings[k][(i + 1) % n];
            P3 c = rings[k + 1][(i + 1) % n], d = rings[k + 1][i];
            P3 mid = Average({a, b, c, d});
            P3 out = Sub(mid, {axis.x, axis.y, mid.z});
            MeshAddOriented(mesh, a, b, c, out);
            MeshAddOriented(mesh, a, c, d, out);
        }
    }
    P3 first = Average(rings.front());
    for (size_t i = 0; i < n; ++i)
        MeshAddOriented(mesh, first, rings.front()[i], rings.front()[(i + 1) % n], {0, 0, -1});
    const std::vector<P3>& last = rings.back();
    P3 end = hasTip ? tip : Average(last);
    P3 lastCentre = Average(last);
    for (size_t i = 0; i < n; ++i) {
        P3 out = hasTip ? Sub(Average({last[i], last[(i + 1) % n], tip}),
                              {lastCentre.x, lastCentre.y, lastCentre.z - 0.001f})
                        : P3{0, 0, 1};
        MeshAddOriented(mesh, end, last[i], last[(i + 1) % n], out);
    }
}

void MeshExtrudeXZ(Mesh& mesh, const std::vector<P3>& polygon, float y0, float y1) {
    const size_t n = polygon.size();
    P3 c = Average(polygon);
    for (size_t i = 0; i < n; ++i) {
        P3 a = polygon[i], b = polygon[(i + 1) % n];
        MeshAddOriented(mesh, {c.x, y1, c.z}, {a.x, y1, a.z}, {b.x, y1, b.z}, {0, 1, 0});
        MeshAddOriented(mesh, {c.x, y0, c.z}, {a.x, y0, a.z}, {b.x, y0, b.z}, {0, -1, 0});
        P3 out = Sub(Average({a, b}), c);
        out.y = 0;
        MeshAddOriented(mesh, {a.x, y0, a.z}, {b.x, y0, b.z}, {b.x, y1, b.z}, out);
        MeshAddOriented(mesh, {a.x, y0, a.z}, {b.x, y1, b.z}, {a.x, y1, a.z}, out);
    }
}

void MeshExtrudeZY(Mesh& mesh, const std::vector<P3>& polygon, float x0, float x1) {
    const size_t n = polygon.size();
    P3 c = Average(polygon);
    for (size_t i = 0; i < n; ++i) {
        P3 a = polygon[i], b = polygon[(i + 1) % n];
        MeshAddOriented(mesh, {x1, c.y, c.z}, {x1, a.y, a.z}, {x1, b.y, b.z}, {1, 0, 0});
        MeshAddOriented(mesh, {x0, c.y, c.z}, {x0, a.y, a.z}, {x0, b.y, b.z}, {-1, 0, 0});
        P3 out = Sub(Average({a, b}), c);
        out.x = 0;
        MeshAddOriented(mesh, {x0, a.y, a.z}, {x0, b.y, b.z}, {x1, b.y, b.z}, out);
        MeshAddOriented(mesh, {x0, a.y, a.z}, {x1, b.y, b.z}, {x1, a.y, a.z}, out);
    }
}

void MeshEllipsoid(Mesh& mesh, P3 centre, P3 radii, int slices, int stacks) {
    auto at = [&](int i, int j) {
        if (i == 0) return P3{centre.x, centre.y, centre.z - radii.z};
        if (i == stacks) return P3{centre.x, centre.y, centre.z + radii.z};
        float lat = -0.5f * 3.14159265f + 3.14159265f * float(i) / float(stacks);
        float lon = 2.0f * 3.14159265f * float(j % slices) / float(slices);
        return P3{centre.x + radii.x * std::cos(lat) * std::cos(lon),
                  centre.y + radii.y * std::cos(lat) * std::sin(lon),
                  centre.z + radii.z * std::sin(lat)};
    };
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            P3 a = at(i, j), b = at(i, j + 1), c = at(i + 1, j + 1), d = at(i + 1, j);
            P3 mid = Average({a, b, c, d});
            P3 out = Sub(mid, centre);
            if (i > 0) MeshAddOriented(mesh, a, b, c, out);
            if (i + 1 < stacks) MeshAddOriented(mesh, a, c, d, out);
        }
    }
}

void MeshQuantize(Mesh& mesh) {
    auto q = [](float v) {
        float r = std::round(v * 100000.0f) / 100000.0f;
        return r == 0.0f ? 0.0f : r; // no negative zero: "-0.00000" and "0.00000" must agree
    };
    for (MeshTri& tri : mesh)
        for (int k = 0; k < 3; ++k) {
            tri.p[k] = {q(tri.p[k].x), q(tri.p[k].y), q(tri.p[k].z)};
            tri.s[k] = q(tri.s[k]);
            tri.t[k] = q(tri.t[k]);
        }
}

std::string MeshEncode(const Mesh& mesh) {
    std::string out = std::to_string(mesh.size()) + "\n";
    char line[128];
    for (const MeshTri& tri : mesh)
        for (int k = 0; k < 3; ++k) {
            std::snprintf(line, sizeof line, "%.5f %.5f %.5f %.5f %.5f\n", double(tri.p[k].x),
                          double(tri.p[k].y), double(tri.p[k].z), double(tri.s[k]),
                          double(tri.t[k]));
            out += line;
        }
    return out;
}

float MeshRadius(const Mesh& mesh) {
    float r = 0.0f;
    for (const MeshTri& tri : mesh)
        for (const P3& p : tri.p)
            r = std::fmax(r, std::sqrt(Dot(p, p)));
    return r;
}

bool MeshCheck(const Mesh& mesh, bool starShaped, std::string& why) {
    std::map<Key, int> ids;
    std::map<std::pair<int, int>, int> edges;
    std::vector<int> parent;
    auto id = [&](P3 p) {
        auto [it, fresh] = ids.try_emplace(KeyOf(p), int(ids.size()));
        if (fresh) parent.push_back(it->second);
        return it->second;
    };
    std::vector<std::array<int, 3>> tris;
    for (size_t i = 0; i < mesh.size(); ++i) {
        const MeshTri& tri = mesh[i];
        P3 n = Cross(Sub(tri.p[1], tri.p[0]), Sub(tri.p[2], tri.p[0]));
        if (Dot(n, n) <= 1e-14f) {
            why = "degenerate triangle " + std::to_string(i);
            return false;
        }
        if (starShaped && Dot(n, MeshCentroid(tri)) <= 0.0f) {
            why = "triangle " + std::to_string(i) + " faces the centre";
            return false;
        }
        std::array<int, 3> v{id(tri.p[0]), id(tri.p[1]), id(tri.p[2])};
        tris.push_back(v);
        for (int k = 0; k < 3; ++k) {
            ++edges[{v[k], v[(k + 1) % 3]}];
            parent[Find(parent, v[k])] = Find(parent, v[(k + 1) % 3]);
        }
    }
    for (const auto& [edge, count] : edges) {
        auto back = edges.find({edge.second, edge.first});
        if (count != 1 || back == edges.end() || back->second != 1) {
            why = "edge used " + std::to_string(count) + " times, reverse " +
                  std::to_string(back == edges.end() ? 0 : back->second) + " times";
            return false;
        }
    }
    // Signed volume of each connected piece (divergence theorem: sum of p0 . (p1 x p2) / 6).
    std::map<int, double> volume;
    for (size_t i = 0; i < mesh.size(); ++i) {
        const MeshTri& tri = mesh[i];
        volume[Find(parent, tris[i][0])] += double(Dot(tri.p[0], Cross(tri.p[1], tri.p[2]))) / 6.0;
    }
    for (const auto& [piece, v] : volume) {
        if (v <= 0.0) {
            why = "a piece encloses volume " + std::to_string(v) + " (inside out)";
            return false;
        }
    }
    return true;
}

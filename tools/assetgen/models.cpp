// The four model files: two lumpy rocks, the fighter and the title slab.
#include "assetgen.h"
#include "mesh.h"
#include "noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

// An icosahedron subdivided `levels` times, projected onto the unit sphere.
Mesh Icosphere(int levels) {
    const float g = 1.6180340f;
    std::vector<P3> v = {{-1, g, 0},  {1, g, 0},  {-1, -g, 0}, {1, -g, 0}, {0, -1, g},  {0, 1, g},
                         {0, -1, -g}, {0, 1, -g}, {g, 0, -1},  {g, 0, 1},  {-g, 0, -1}, {-g, 0, 1}};
    std::vector<std::array<int, 3>> f = {
        {0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
        {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
        {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    auto unit = [](P3 p) {
        float l = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        return P3{p.x / l, p.y / l, p.z / l};
    };
    for (P3& p : v)
        p = unit(p);
    for (int l = 0; l < levels; ++l) {
        std::map<std::pair<int, int>, int> mids;
        auto mid = [&](int a, int b) {
            auto key = std::minmax(a, b);
            auto it = mids.find(key);
            if (it != mids.end()) return it->second;
            v.push_back(unit(
                {(v[a].x + v[b].x) * 0.5f, (v[a].y + v[b].y) * 0.5f, (v[a].z + v[b].z) * 0.5f}));
            return mids[key] = int(v.size()) - 1;
        };
        std::vector<std::array<int, 3>> next;
        for (auto [a, b, c] : f) {
            int ab = mid(a, b), bc = mid(b, c), ca = mid(c, a);
            next.push_back({a, ab, ca});
            next.push_back({b, bc, ab});
            next.push_back({c, ca, bc});
            next.push_back({ab, bc, ca});
        }
        f = std::move(next);
    }
    Mesh mesh;
    for (auto [a, b, c] : f) {
        MeshTri tri;
        tri.p[0] = v[a], tri.p[1] = v[b], tri.p[2] = v[c];
        MeshAddOriented(mesh, v[a], v[b], v[c], MeshCentroid(tri));
    }
    return mesh;
}

struct RockShape {
    uint32_t seed;
    int levels;
    float radius;
    P3 stretch;
};

// Displaces the sphere by fractal lumps and a few shallow dents, then scales so the farthest
// point lies at the target radius. Displacement depends on position alone, so shared corners
// stay shared and the surface stays closed.
Mesh RockMake(const RockShape& shape) {
    Mesh mesh = Icosphere(shape.levels);
    Rng rng{shape.seed};
    std::vector<P3> dents;
    for (int i = 0; i < 6; ++i) {
        P3 d{RngRange(rng, -1, 1), RngRange(rng, -1, 1), RngRange(rng, -1, 1)};
        float l = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z) + 1e-6f;
        dents.push_back({d.x / l, d.y / l, d.z / l});
    }
    auto displace = [&](P3 p) {
        float r = 1.0f + 0.22f * NoiseFbm3(p.x * 1.3f, p.y * 1.3f, p.z * 1.3f, 4, shape.seed) +
                  0.05f * NoiseFbm3(p.x * 4.0f, p.y * 4.0f, p.z * 4.0f, 3, shape.seed + 9);
        for (const P3& d : dents) {
            float c = p.x * d.x + p.y * d.y + p.z * d.z; // cosine of the angle to the dent
            float q = (1.0f - c) / 0.06f;                // 0 at its centre, 1 at its edge
            if (q < 1.0f)
                r -= 0.10f * (1.0f - q * q);
            else if (q < 1.6f)
                r += 0.025f * std::sin((q - 1.0f) / 0.6f * 3.14159265f);
        }
        return P3{p.x * r * shape.stretch.x, p.y * r * shape.stretch.y, p.z * r * shape.stretch.z};
    };
    for (MeshTri& tri : mesh)
        for (P3& p : tri.p)
            p = displace(p);
    float k = shape.radius / MeshRadius(mesh);
    for (MeshTri& tri : mesh) {
        for (P3& p : tri.p)
            p = {p.x * k, p.y * k, p.z * k};
        // Spherical mapping, the texture twice around so its texels stay square at the
        // equator; a triangle across the seam gets its small longitudes lifted by a turn.
        float lon[3];
        for (int i = 0; i < 3; ++i) {
            const P3& p = tri.p[i];
            lon[i] = std::atan2(p.z, p.x);
            float lat = std::atan2(p.y, std::sqrt(p.x * p.x + p.z * p.z));
            tri.t[i] = 0.5f + lat / 3.14159265f;
        }
        float hi = std::fmax(lon[0], std::fmax(lon[1], lon[2]));
        for (int i = 0; i < 3; ++i) {
            if (hi - lon[i] > 3.14159265f) lon[i] += 2.0f * 3.14159265f;
            tri.s[i] = lon[i] / 3.14159265f + 1.0f;
        }
    }
    return mesh;
}

// A ring of the fuselage: a rounded diamond-ish superellipse, flatter below than above.
std::vector<P3> FuselageRing(float z, float halfWidth, float top, float bottom, float yc) {
    std::vector<P3> ring;
    const int n = 12;
    for (int i = 0; i < n; ++i) {
        float a = 2.0f * 3.14159265f * float(i) / float(n);
        float c = std::cos(a), s = std::sin(a);
        float x = halfWidth * std::copysign(std::pow(std::fabs(c), 0.7f), c);
        float y = (s > 0.0f ? top : bottom) * std::copysign(std::pow(std::fabs(s), 0.7f), s);
        ring.push_back({x, yc + y, z});
    }
    return ring;
}

std::vector<P3> Circle(float z, float r, float yc, int n) {
    std::vector<P3> ring;
    for (int i = 0; i < n; ++i) {
        float a = 2.0f * 3.14159265f * float(i) / float(n);
        ring.push_back({r * std::cos(a), yc + r * std::sin(a), z});
    }
    return ring;
}

// The fighter, nose toward +z: a tapered fuselage, a glass canopy, swept wings, twin fins and
// one engine nozzle whose exit sits just behind z = -0.2, where the exhaust is emitted.
Mesh ShipMake() {
    Mesh mesh;
    MeshLoft(mesh,
             {FuselageRing(-0.18f, 0.10f, 0.085f, 0.055f, 0.02f),
              FuselageRing(-0.10f, 0.13f, 0.10f, 0.07f, 0.02f),
              FuselageRing(0.05f, 0.14f, 0.11f, 0.07f, 0.02f),
              FuselageRing(0.25f, 0.115f, 0.095f, 0.06f, 0.015f),
              FuselageRing(0.45f, 0.07f, 0.06f, 0.045f, 0.01f),
              FuselageRing(0.60f, 0.035f, 0.03f, 0.025f, 0.005f)},
             true, {0.0f, 0.0f, 0.68f});
    MeshLoft(mesh, {Circle(-0.225f, 0.06f, 0.04f, 10), Circle(-0.12f, 0.055f, 0.04f, 10)}, false,
             {});
    MeshEllipsoid(mesh, {0.0f, 0.10f, 0.20f}, {0.06f, 0.065f, 0.18f}, 10, 6);
    for (float side : {1.0f, -1.0f}) {
        MeshExtrudeXZ(mesh,
                      {{0.08f * side, 0, 0.18f},
                       {0.48f * side, 0, -0.33f},
                       {0.48f * side, 0, -0.46f},
                       {0.08f * side, 0, -0.16f}},
                      -0.03f, 0.01f);
        MeshExtrudeZY(
            mesh, {{0, 0.06f, -0.20f}, {0, 0.08f, 0.0f}, {0, 0.25f, -0.24f}, {0, 0.25f, -0.30f}},
            0.08f * side - 0.01f, 0.08f * side + 0.01f);
    }
    // Plan-view mapping: faces looking down take the belly half of the texture.
    for (MeshTri& tri : mesh) {
        bool belly = MeshNormal(tri).y < -0.2f;
        for (int i = 0; i < 3; ++i) {
            tri.s[i] = ShipS(tri.p[i].x, belly);
            tri.t[i] = ShipT(tri.p[i].z);
        }
    }
    return mesh;
}

// The title slab, 1.6 x 0.4 x 0.1, with the title on both broad faces. The back face is mapped
// so the lettering reads upright once the slab has tumbled half a turn about x.
Mesh BannerMake() {
    const float hx = 0.8f, hy = 0.2f, hz = 0.05f;
    Mesh mesh;
    auto quad = [&](P3 a, P3 b, P3 c, P3 d, P3 out) {
        MeshAddOriented(mesh, a, b, c, out);
        MeshAddOriented(mesh, a, c, d, out);
    };
    quad({-hx, -hy, hz}, {hx, -hy, hz}, {hx, hy, hz}, {-hx, hy, hz}, {0, 0, 1});
    quad({-hx, -hy, -hz}, {hx, -hy, -hz}, {hx, hy, -hz}, {-hx, hy, -hz}, {0, 0, -1});
    quad({-hx, hy, -hz}, {hx, hy, -hz}, {hx, hy, hz}, {-hx, hy, hz}, {0, 1, 0});
    quad({-hx, -hy, -hz}, {hx, -hy, -hz}, {hx, -hy, hz}, {-hx, -hy, hz}, {0, -1, 0});
    quad({hx, -hy, -hz}, {hx, hy, -hz}, {hx, hy, hz}, {hx, -hy, hz}, {1, 0, 0});
    quad({-hx, -hy, -hz}, {-hx, hy, -hz}, {-hx, hy, hz}, {-hx, -hy, hz}, {-1, 0, 0});
    for (MeshTri& tri : mesh) {
        P3 n = MeshNormal(tri);
        for (int i = 0; i < 3; ++i) {
            const P3& p = tri.p[i];
            float u = (p.x + hx) / (2 * hx), v = (p.y + hy) / (2 * hy);
            if (n.z > 0.5f) {
                tri.s[i] = u, tri.t[i] = v;
            } else if (n.z < -0.5f) {
                tri.s[i] = u, tri.t[i] = 1.0f - v;
            } else if (std::fabs(n.y) > 0.5f) {
                // Edges show the plate's steel rim strip.
                tri.s[i] = u, tri.t[i] = 0.02f + 0.02f * (p.z + hz) / (2 * hz);
            } else {
                tri.s[i] = 0.01f + 0.015f * (p.z + hz) / (2 * hz), tri.t[i] = v;
            }
        }
    }
    return mesh;
}

bool ModelAdd(AssetList& assets, const char* name, Mesh mesh, bool starShaped) {
    MeshQuantize(mesh);
    std::string why;
    if (!MeshCheck(mesh, starShaped, why)) {
        std::fprintf(stderr, "assetgen: model %s fails its check: %s\n", name, why.c_str());
        return false;
    }
    std::string text = MeshEncode(mesh);
    assets.push_back(
        {std::string("model/") + name + ".3d", std::vector<uint8_t>(text.begin(), text.end())});
    return true;
}

} // namespace

bool ModelsBuild(AssetList& assets) {
    bool ok = ModelAdd(assets, "bigrock", RockMake({1001, 3, 2.5f, {1.0f, 0.82f, 0.93f}}), true);
    ok = ModelAdd(assets, "medrock", RockMake({2002, 2, 1.2f, {0.9f, 0.85f, 1.0f}}), true) && ok;
    ok = ModelAdd(assets, "ship", ShipMake(), false) && ok;
    ok = ModelAdd(assets, "banner", BannerMake(), false) && ok;
    return ok;
}

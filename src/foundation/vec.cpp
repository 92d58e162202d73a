// Vector math in double precision, stored as float.
#include "foundation/vec.h"

#include <cmath>

void VecSet(Vec3* v, double x, double y, double z) {
    v->x = static_cast<float>(x);
    v->y = static_cast<float>(y);
    v->z = static_cast<float>(z);
}

void VecAdd(Vec3* dst, const Vec3* src) {
    VecSet(dst, double(dst->x) + src->x, double(dst->y) + src->y, double(dst->z) + src->z);
}

void VecSub(Vec3* dst, const Vec3* src) {
    VecSet(dst, double(dst->x) - src->x, double(dst->y) - src->y, double(dst->z) - src->z);
}

void VecScale(Vec3* v, double s) {
    VecSet(v, v->x * s, v->y * s, v->z * s);
}

void VecDivide(Vec3* v, double s) {
    VecScale(v, 1.0 / s);
}

bool VecEqual(const Vec3* a, const Vec3* b) {
    return a->x == b->x && a->y == b->y && a->z == b->z;
}

double VecDot(const Vec3* a, const Vec3* b) {
    return double(a->z) * b->z + double(a->y) * b->y + double(a->x) * b->x;
}

double VecLength(const Vec3* v) {
    return std::sqrt(double(v->x) * v->x + double(v->y) * v->y + double(v->z) * v->z);
}

void VecCross(Vec3* out, const Vec3* a, const Vec3* b) {
    double x = double(a->y) * b->z - double(a->z) * b->y;
    double y = double(a->z) * b->x - double(a->x) * b->z;
    double z = double(a->x) * b->y - double(a->y) * b->x;
    VecSet(out, x, y, z);
}

void VecNormalize(Vec3* v) {
    VecScale(v, 1.0 / VecLength(v));
}

void VecRotateX(Vec3* v, double deg) {
    double t = deg * double(VEC_DEG_TO_RAD);
    double s = static_cast<float>(std::sin(t));
    double c = std::cos(t);
    double y = v->y, z = v->z;
    v->y = static_cast<float>(y * c - z * s);
    v->z = static_cast<float>(y * s + z * c);
}

void VecRotateY(Vec3* v, double deg) {
    double t = deg * double(VEC_DEG_TO_RAD);
    double s = static_cast<float>(std::sin(t));
    double c = std::cos(t);
    double x = v->x, z = v->z;
    v->x = static_cast<float>(x * c + z * s);
    v->z = static_cast<float>(z * c - x * s);
}

void VecRotateZ(Vec3* v, double deg) {
    double t = deg * double(VEC_DEG_TO_RAD);
    double s = static_cast<float>(std::sin(t));
    double c = std::cos(t);
    double x = v->x, y = v->y;
    v->x = static_cast<float>(x * c - y * s);
    v->y = static_cast<float>(y * c + x * s);
}

namespace {
// Shared by heading and pitch: the angle of (side, z) from +Z toward +side.
double PlaneAngle(double side, double z) {
    double r = std::sqrt(side * side + z * z);
    if (r == 0.0) return 0.0;
    if (z > 0.0) {
        double a = std::acos(double(static_cast<float>(z / r))) * double(VEC_RAD_TO_DEG);
        return side >= 0.0 ? a : -a;
    }
    double a = std::acos(double(static_cast<float>(-z / r))) * double(VEC_RAD_TO_DEG);
    return side >= 0.0 ? 180.0 - a : 180.0 + a;
}
} // namespace

double VecHeading(const Vec3* v) {
    return PlaneAngle(v->x, v->z);
}

double VecPitch(const Vec3* v) {
    return PlaneAngle(v->y, v->z);
}

// Vec3 and its operations. Every operation changes its first argument in place; arithmetic is
// done in double precision and each stored component rounded to float.
#pragma once

struct Vec3 {
    float x, y, z;
};

constexpr float VEC_DEG_TO_RAD = 0.017453292f;
constexpr float VEC_RAD_TO_DEG = 57.295776f;

void VecSet(Vec3* v, double x, double y, double z);
void VecAdd(Vec3* dst, const Vec3* src);
void VecSub(Vec3* dst, const Vec3* src);
void VecScale(Vec3* v, double s);
void VecDivide(Vec3* v, double s); // no test for s = 0
bool VecEqual(const Vec3* a, const Vec3* b);
double VecDot(const Vec3* a, const Vec3* b);
double VecLength(const Vec3* v);
void VecCross(Vec3* out, const Vec3* a, const Vec3* b); // out may alias a or b
void VecNormalize(Vec3* v);                             // no test for the zero vector
void VecRotateX(Vec3* v, double deg);
void VecRotateY(Vec3* v, double deg);
void VecRotateZ(Vec3* v, double deg);
// Angle of (x, z) from +Z toward +X, in (-90, 270]; 0 for a vertical vector.
double VecHeading(const Vec3* v);
// Angle of (y, z) from +Z toward +Y, in (-90, 270]; 0 when y and z are both 0.
double VecPitch(const Vec3* v);

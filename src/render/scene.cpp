// Camera and frame state.
#include "render/scene.h"

Vec3 cameraPos = {0.0f, 2.0f, 4.0f};
float cameraPitch = -20.0f;
float cameraYaw = 0.0f;
float cameraRoll = 0.0f;
int32_t cameraMode = 0;
double fieldOfView = 90.0;
float viewSize = 1.0f;
int32_t perspectiveHint = 0;
int32_t finishFrame = 1;
void (*drawHook)() = nullptr;

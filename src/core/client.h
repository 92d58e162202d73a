// Client start-up: the client settings and every engine module brought up in order.
#pragma once

#include <cstdint>

// Client settings read by ClientInit (vantor.ini).
extern int32_t showFps;
extern int32_t startLevel;
extern int32_t menuRocks;
extern int32_t difficulty;
extern int32_t starsEnabled;
extern int32_t niceFx;
extern int32_t timingTestApply;
extern int32_t timingTestVisible;

void ClientInit();

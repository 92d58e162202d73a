// Game flow: the state of a game and the game slice, one update step of the world.
#pragma once

#include <cstdint>

// Arena, reset at every level start.
extern int32_t arenaPosts; // posts on each side of the arena
extern float arenaSize;    // side length
extern float arenaBound;   // half-width at which ThingBounce turns things back
// Non-zero on dimly lit levels: no viewer light, one faint far light instead.
extern int32_t darkLevel;

// One game step of dt seconds, called by the frame loop for each step of a frame: the previous
// step's lights are cleared, things think, collide, particles move, and the scene light is set.
void GameSlice(float dt);

// Collisions: once per game slice, after the think pass, every pair of things whose bounding
// spheres overlap (refined by a model's collision spheres where it has them) is told through both
// touch callbacks. The pass decides nothing about damage.
#pragma once

struct Thing;

// The pass: the all-pairs scan when zpart is 0, else the sweep over things sorted by z with a
// fixed 12-unit window. For a touching pair (a, b): a->touch(a, b) if set, then b->touch(b, a) if
// set (read after the first call), once per pair, even when the first call marked one dead.
// Things with THING_NO_COLLIDE are skipped; dead ones are still tested until freed.
void CollideAll();

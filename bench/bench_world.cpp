// World engine costs: the collision pass over a full pool (all-pairs and z sweep), one game slice
// with a full world, the lit draw of the big rock, and the particle draw, against the no-op GL
// table so that only the engine's own work is measured.
#include "core/log.h"
#include "foundation/mem.h"
#include "game/collision.h"
#include "game/game.h"
#include "game/thing.h"
#include "render/gl.h"
#include "render/light.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/scene.h"

#include <benchmark/benchmark.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Engine start-up for the pools, in a scratch directory so the logs land there.
void WorldSetUp() {
    static bool done = false;
    if (done) return;
    done = true;
    char dir[] = "/tmp/skx_bench_world_XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) std::abort();
    // Every setting at its default, without a log line for each read.
    if (FILE* ini = std::fopen("vantor.ini", "w")) std::fclose(ini);
    OpenGLInstallNoop();
    ThingInit();
    LightInit();
    ParticleInit();
}

void WorldReset() {
    ThingInit();
    LightInit();
    ParticleInit();
    RandomSeed(1234);
    cameraPos = {0.0f, 2.0f, 4.0f};
    cameraPitch = -20.0f;
    cameraYaw = 0.0f;
}

Model* RockModel() {
    static Model* rock = nullptr;
    if (!rock) {
        rock = ModelCreateSphere(12, 8, 1.6f, 0);
        rock->radius = 1.6f;
        rock->radiusSq = 1.6f * 1.6f;
    }
    return rock;
}

// The big rock as the game ships it when the generated assets are at hand, else a sphere of
// similar size (the label says which).
Model* BigRock(std::string& label) {
    static Model* rock = nullptr;
    static std::string found;
    if (!rock) {
        std::string runDir;
        if (const char* env = std::getenv("SKX_RUN_DIR"))
            runDir = env;
        else {
            char exe[PATH_MAX] = {};
            ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
            std::string path(exe, n > 0 ? size_t(n) : 0);
            runDir = path.substr(0, path.rfind('/')) + "/../run";
        }
        std::string file = runDir + "/model/bigrock.3d";
        if (access(file.c_str(), R_OK) == 0) {
            rock = ModelRead(file.c_str());
            found = "model/bigrock.3d";
        } else {
            rock = ModelCreateSphere(24, 16, 1.6f, 0);
            found = "sphere 24x16 (no generated assets)";
        }
    }
    label = found;
    return rock;
}

void Nothing(Thing*, Thing*) {}

// 500 rocks spread over the whole arena, drifting.
void FillArena(float spread) {
    for (int i = 0; i < THING_MAX; ++i) {
        Thing* t = ThingCreate();
        t->model = RockModel();
        t->pos = {(RandomRange(0, 1000) / 1000.0f - 0.5f) * spread, 0.0f,
                  (RandomRange(0, 1000) / 1000.0f - 0.5f) * spread};
        t->vel = {float(RandomRange(0, 10)) - 5.0f, 0.0f, float(RandomRange(0, 10)) - 5.0f};
        t->touch = Nothing;
    }
}

void CollideBench(benchmark::State& state, int32_t sweep, float spread = 100.0f) {
    WorldSetUp();
    WorldReset();
    FillArena(spread);
    zpart = sweep;
    for (auto _ : state)
        CollideAll();
    zpart = 0;
    state.SetItemsProcessed(state.iterations() * THING_MAX);
}

void BM_CollideAllPairs500(benchmark::State& state) {
    CollideBench(state, 0);
}
void BM_CollideZSweep500(benchmark::State& state) {
    CollideBench(state, 1);
}
BENCHMARK(BM_CollideAllPairs500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CollideZSweep500)->Unit(benchmark::kMicrosecond);
// The same things scattered over three times the arena's width, as far-flung scenery would be.
void BM_CollideAllPairs500Wide(benchmark::State& state) {
    CollideBench(state, 0, 300.0f);
}
void BM_CollideZSweep500Wide(benchmark::State& state) {
    CollideBench(state, 1, 300.0f);
}
BENCHMARK(BM_CollideAllPairs500Wide)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CollideZSweep500Wide)->Unit(benchmark::kMicrosecond);

// A rock's think as the game runs it: move, bounce, tumble; every tenth drops a light and each
// leaves a trail, so lights, emitters and recycling are all in the slice.
void BusyThink(Thing* t, float dt) {
    ThingMove(t, dt);
    ThingBounce(t);
    t->yaw += 20.0f * dt;
    if (t->yaw > 180.0f) t->yaw -= 360.0f;
    if (t->id % 10 == 0) LightCreate(&t->pos, 49.0f, 0.5f, 0.5f, 1.0f);
    ParticleTrailCyan(&t->pos, &t->vel, 15.0f, dt, t->emitCarry);
}

void FullWorld() {
    WorldReset();
    FillArena(100.0f);
    for (int i = 0; i < thingIndex.count; ++i)
        static_cast<Thing*>(thingIndex.items[i])->think = BusyThink;
    for (int i = 0; i < PARTICLE_MAX; ++i) {
        Particle* p = ParticleAlloc();
        // NOLINTNEXTLINE(bugprone-integer-division): i / 40 is the row
        p->pos = {float(i % 40) - 20.0f, 1.0f, -float(i / 40) - 2.0f};
        p->vel = {0.0f, 0.1f, 0.0f};
        p->life = 1e6f;
        p->think = nullptr;
        p->big = uint8_t(i & 1);
        p->red = 255;
    }
}

void SliceBench(benchmark::State& state, int32_t sweep) {
    WorldSetUp();
    FullWorld();
    zpart = sweep;
    for (auto _ : state)
        GameSlice(0.02f);
    zpart = 0;
    state.counters["particles"] = particleIndex.count;
    state.counters["things"] = thingIndex.count;
}

void BM_GameSliceFullWorldAllPairs(benchmark::State& state) {
    SliceBench(state, 0);
}
void BM_GameSliceFullWorldZSweep(benchmark::State& state) {
    SliceBench(state, 1);
}
BENCHMARK(BM_GameSliceFullWorldAllPairs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GameSliceFullWorldZSweep)->Unit(benchmark::kMicrosecond);

void BM_LightDrawModelBigRock3Lights(benchmark::State& state) {
    WorldSetUp();
    WorldReset();
    std::string label;
    Thing rock{};
    rock.model = BigRock(label);
    rock.scale = 1.0f;
    rock.pos = {0.0f, 0.0f, -6.0f};
    rock.yaw = 30.0f;
    rock.pitch = 10.0f;
    const Vec3 at[3] = {{2.0f, 1.0f, -4.0f}, {-3.0f, 0.0f, -6.0f}, {0.0f, 3.0f, -8.0f}};
    for (const Vec3& p : at)
        LightCreate(&p, 64.0f, 1.0f, 0.6f, 0.2f);
    LightSetViewer(&cameraPos, 0.5f);
    for (auto _ : state)
        ThingDrawLit(&rock);
    state.SetLabel(label);
    int64_t vertices = int64_t(rock.model->triangleCount) * 3;
    state.counters["vertices"] = double(vertices);
    state.counters["ns_per_vertex"] =
        benchmark::Counter(double(vertices), benchmark::Counter::kIsIterationInvariantRate |
                                                 benchmark::Counter::kInvert);
}
BENCHMARK(BM_LightDrawModelBigRock3Lights)->Unit(benchmark::kMicrosecond);

void ParticleDrawBench(benchmark::State& state, int32_t textured) {
    WorldSetUp();
    FullWorld();
    particleTextured = textured;
    for (auto _ : state)
        ParticleDraw();
    particleTextured = 1;
    state.counters["ns_per_particle"] =
        benchmark::Counter(double(PARTICLE_MAX), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

void BM_ParticleDraw800Textured(benchmark::State& state) {
    ParticleDrawBench(state, 1);
}
void BM_ParticleDraw800Flat(benchmark::State& state) {
    ParticleDrawBench(state, 0);
}
BENCHMARK(BM_ParticleDraw800Textured)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParticleDraw800Flat)->Unit(benchmark::kMicrosecond);

void BM_ThingDrawAll500(benchmark::State& state) {
    WorldSetUp();
    FullWorld();
    for (int i = 0; i < thingIndex.count; ++i) {
        Thing* t = static_cast<Thing*>(thingIndex.items[i]);
        t->draw = ThingDrawModel;
        if (i % 7 == 0) t->flags |= THING_TRANSLUCENT;
    }
    LightSetViewer(&cameraPos, 0.5f);
    for (auto _ : state)
        ThingDrawAll();
}
BENCHMARK(BM_ThingDrawAll500)->Unit(benchmark::kMicrosecond);

} // namespace

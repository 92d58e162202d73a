// Screenshot of a small world under a real GL context: three lit rocks (one by a red, one by a
// blue light), a translucent sphere in front of them, an arena post and a particle burst, drawn
// by the engine's own passes. Writes the picture as a PPM and checks what a player would see.
// Then one attract-mode frame through ClientRender (sky, planet, posts, rocks, saucer, pick-ups,
// banner, title and menu), the same on every run: a fixed seed and a fixed run of game slices.
// It must match the reference picture in all but 0.5 % of its pixels, so that a faster draw path
// cannot change what is seen. SKX_SHOT_FRAMES=N draws that frame N times, a fixed workload to
// measure (valgrind --tool=callgrind --toggle-collect='*AttractFramesRepeat*').
//
//   skx_scene_shot <run-dir with texture/ and model/> <out.ppm> [<attract.ppm> <reference.bmp>]
// Exit 0 when the pictures pass their checks, 1 when they do not, 2 when they could not be made.
#include "console/bind.h"
#include "console/command.h"
#include "core/log.h"
#include "core/window.h"
#include "foundation/mem.h"
#include "game/game.h"
#include "game/thing.h"
#include "render/backdrop.h"
#include "render/gl.h"
#include "render/light.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/textfont.h"
#include "render/texture.h"
#include "ui/gui.h"
#include "ui/hiscore.h"
#include "ui/screens.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;
constexpr size_t FRAME_BYTES = size_t{WIDTH} * HEIGHT * 3;
// The byte of pixel (x, y), y from the top, in a read-back that starts at the bottom row.
size_t BottomUp(int x, int y) {
    return (size_t(HEIGHT - 1 - y) * WIDTH + size_t(x)) * 3;
}

Thing* Place(Model* model, Texture* texture, Vec3 pos, float scale, uint32_t flags) {
    Thing* t = ThingCreate();
    t->model = model;
    t->texture = texture;
    t->pos = pos;
    t->scale = scale;
    t->flags = flags;
    t->draw = ThingDrawModel;
    return t;
}

void BuildScene() {
    Place(bigRock, &textures[TEXTURE_METAL], {-2.6f, 0.0f, -4.0f}, 0.8f, 0)->yaw = 30.0f;
    Place(bigRock, &textures[TEXTURE_METAL], {0.0f, -0.3f, -7.0f}, 1.0f, 0)->pitch = 40.0f;
    Place(medRock, &textures[TEXTURE_METAL], {2.6f, 0.0f, -4.0f}, 1.2f, 0)->roll = 60.0f;
    Place(unitSphere, &textures[TEXTURE_BULLET], {0.0f, 0.6f, -3.0f}, 0.6f, THING_TRANSLUCENT);
    Thing* post = Place(nullptr, nullptr, {1.2f, 1.4f, -2.5f}, 0.3f, THING_NO_COLLIDE);
    post->draw = ThingDrawPost;
    post->yaw = 35.0f;
    post->roll = 20.0f;

    LightClearAll();
    Vec3 red = {-1.8f, 0.8f, -2.8f}, blue = {1.8f, 0.8f, -2.8f};
    LightCreate(&red, 16.0f, 1.5f, 0.1f, 0.0f);
    LightCreate(&blue, 16.0f, 0.0f, 0.3f, 1.5f);
    LightSetViewer(&cameraPos, 0.5f);

    RandomSeed(7);
    Vec3 burst = {-0.9f, 1.3f, -2.2f};
    ParticleExplosion(&burst, nullptr);
    ParticleUpdate(0.25f); // let the burst open up
}

void Render() {
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SceneDrawWorld();
    gl.MatrixMode(GL_PROJECTION);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.PopMatrix();
    gl.Finish();
}

void ReadAndWrite(GLenum buffer, const std::string& path, std::vector<unsigned char>& px) {
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.ReadBuffer(buffer);
    gl.ReadPixels(0, 0, WIDTH, HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fprintf(f, "P6\n%d %d\n255\n", WIDTH, HEIGHT);
        for (int y = 0; y < HEIGHT; ++y)
            std::fwrite(&px[BottomUp(0, y)], 1, size_t{WIDTH} * 3, f);
        std::fclose(f);
    }
}

// Kept out of line so that a profiler can count exactly these frames.
[[gnu::noinline]] void AttractFramesRepeat(int frames) {
    for (int i = 0; i < frames; ++i)
        ClientRender();
}

void AttractFrame(SDL_Window* window, int frames) {
    ThingInit();
    LightInit();
    ParticleInit();
    TextFontInit();
    GuiInit();
    CommandInit(); // the title's help lines name the keys bound at start-up
    BindInit();
    ScreensInit();
    HiScoreSetDefaults();
    RandomSeed(19);
    AttractMode();
    for (int i = 0; i < 40; ++i)
        GameSlice(0.025f); // a second of the attract mode: the banner tilted, the pick-ups' trails
    mainWindow = window;
    ClientRender(); // the first frame also compiles the driver's shaders
    AttractFramesRepeat(frames - 1);
}

// Pixels that differ in any channel from the reference bitmap; every pixel when it is unreadable.
int DifferingPixels(const std::vector<unsigned char>& px, const std::string& path) {
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    SDL_Surface* ref =
        loaded ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0) : nullptr;
    SDL_FreeSurface(loaded);
    int n = WIDTH * HEIGHT;
    if (ref && ref->w == WIDTH && ref->h == HEIGHT) {
        n = 0;
        const auto* rows = static_cast<const unsigned char*>(ref->pixels);
        for (int y = 0; y < HEIGHT;
             ++y) // the surface runs from the top row, the read-back from the bottom
            for (int x = 0; x < WIDTH; ++x)
                n += std::memcmp(rows + size_t(y) * size_t(ref->pitch) + size_t(x) * 3,
                                 &px[BottomUp(x, y)], 3) != 0;
    }
    SDL_FreeSurface(ref);
    return n;
}

struct Rgb {
    int r, g, b;
};

Rgb At(const std::vector<unsigned char>& px, int x, int y) { // y from the top
    const unsigned char* p = &px[BottomUp(x, y)];
    return {p[0], p[1], p[2]};
}

int Count(const std::vector<unsigned char>& px, int x0, int y0, int x1, int y1, bool (*test)(Rgb)) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (test(At(px, x, y))) ++n;
    return n;
}

bool Lit(Rgb c) {
    return c.r + c.g + c.b > 60;
}
bool Reddish(Rgb c) {
    return c.r > c.b + 40 && c.r > c.g;
}
bool Bluish(Rgb c) {
    return c.b > c.r + 40;
}
bool Fire(Rgb c) {
    return c.r > 200 && c.b < 60 && c.g < 200;
}

bool Check(const std::string& what, bool ok) {
    std::printf("%-60s %s\n", what.c_str(), ok ? "ok" : "FAILED");
    return ok;
}

std::string Absolute(const char* path) {
    char cwd[4096];
    if (path[0] == '/' || !getcwd(cwd, sizeof(cwd))) return path;
    return std::string(cwd) + "/" + path;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr,
                     "usage: skx_scene_shot <run-dir> <out.ppm> [<attract.ppm> <reference.bmp>]\n");
        return 2;
    }
    std::string out = Absolute(argv[2]);
    std::string attractOut = argc > 3 ? Absolute(argv[3]) : "";
    std::string reference = argc > 4 ? Absolute(argv[4]) : "";
    const char* frames = std::getenv("SKX_SHOT_FRAMES");
    // Three frames: the sky drawn afresh, then copied, then drawn from the copy.
    const int attractFrames = frames ? std::atoi(frames) : 3;
    if (chdir(argv[1]) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", argv[1]);
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 2;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    if (SDL_GL_LoadLibrary(nullptr) != 0 || OpenGLInit(GL_SYSTEM_LIBRARY) != 0) {
        std::fprintf(stderr, "no GL library\n");
        return 2;
    }
    SDL_Window* window =
        SDL_CreateWindow("scene shot", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, WIDTH,
                         HEIGHT, SDL_WINDOW_OPENGL);
    void* context = window ? OpenGLCreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "no GL context: %s\n", SDL_GetError());
        return 2;
    }
    GLStateInit(WIDTH, HEIGHT);
    OpenGLLoadExtensionTable();
    TextureInit();
    ParticleInit();
    ModelInit();
    ThingInit();
    LightInit();
    cameraPos = {0.0f, 2.0f, 4.0f};
    cameraPitch = -20.0f;
    BuildScene();
    Render();

    std::vector<unsigned char> px(FRAME_BYTES);
    ReadAndWrite(GL_BACK, out, px);

    bool ok = true;
    ok &= Check("something is drawn", Count(px, 0, 0, WIDTH, HEIGHT, Lit) > 20000);
    ok &= Check("the left rock is lit red", Count(px, 0, 160, 250, 480, Reddish) > 300);
    ok &= Check("the right rock is lit blue", Count(px, 390, 160, 640, 480, Bluish) > 300);
    ok &= Check("the particle burst shows fire", Count(px, 0, 0, WIDTH, HEIGHT, Fire) > 50);
    // The post cube: its corners' colours span from dark to bright in every channel.
    int postDark = 0, postBright = 0;
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 380; x < 520; ++x) {
            Rgb c = At(px, x, y);
            if (c.g > 200 && c.r < 120) ++postBright;
            if (c.r > 200 && c.g < 120 && c.b > 150) ++postDark;
        }
    ok &= Check("the post cube shows its corner colours", postBright + postDark > 30);

    if (!attractOut.empty()) {
        AttractFrame(window, attractFrames < 1 ? 1 : attractFrames);
        std::vector<unsigned char> shot(FRAME_BYTES);
        // The swap copies the back buffer to the window and leaves it as it was.
        ReadAndWrite(GL_BACK, attractOut, shot);
        const int differing = DifferingPixels(shot, reference);
        std::printf("attract frame: %d of %d pixels differ from %s\n", differing, WIDTH * HEIGHT,
                    reference.c_str());
        ok &= Check("the attract frame matches its reference (at most 0.5 % differ)",
                    differing * 200 <= WIDTH * HEIGHT);
        if (attractFrames >= 3)
            ok &= Check("the still sky comes from its copy", backdropCopyDraws > 0);
        ok &= Check("the sky's copy is put back with a framebuffer blit", BackdropBlits());
        // A turned camera draws its own sky at once, and its copy two frames later is the same,
        // put back by the blit and by the GL 1.1 textured quad alike.
        std::vector<unsigned char> turned(shot.size()), fresh(shot.size()), copied(shot.size());
        for (bool blits : {true, false}) {
            backdropBlitAllowed = blits;
            SceneSetCameraYaw(cameraYaw + 30.0f);
            ClientRender();
            ReadAndWrite(GL_BACK, attractOut + ".turned.ppm", turned);
            BackdropReset();
            ClientRender();
            ReadAndWrite(GL_BACK, attractOut + ".fresh.ppm", fresh);
            ClientRender();
            ClientRender();
            ReadAndWrite(GL_BACK, attractOut + ".copied.ppm", copied);
            const std::string how = blits ? " (blit)" : " (quad)";
            ok &= Check("a turned camera does not reuse the old sky" + how, turned == fresh);
            ok &= Check("the copy of the turned sky matches it" + how, copied == fresh);
        }
    }

    OpenGLDeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return ok ? 0 : 1;
}

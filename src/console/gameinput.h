// What enters the game from outside, one record a frame: the flight controls held, the camera's
// mode and snap, the mouse-look heading, whether the game holds, and the key presses the screens
// took, each already resolved (a pad's press carries its meaning, a key the letter its layout
// prints), so nothing in it asks a device. The input layer, the commands and the screens fill it;
// the game steps and the screens act on it; a demo records and replays it whole. Main thread only.
#pragma once

#include "console/input.h"
#include "core/settings.h"

#include <cstddef>
#include <cstdint>

// The flight controls: a '+' command adds 1, its '-' twin sets 0; above 0 means held. Two keys
// on one control raise it to 2, and releasing either clears it.
enum GameControl : int32_t {
    CONTROL_FORWARD,   // +forward: the ship's forward drive
    CONTROL_BACKWARD,  // +backward: brake
    CONTROL_ATTACK,    // +attack: fire
    CONTROL_LEFT,      // +left: turn
    CONTROL_RIGHT,     // +right
    CONTROL_LOOKBACK,  // +lookback: the chase camera looks back
    CONTROL_MOUSELOOK, // +mouselook: the camera heading follows mouseYaw
    CONTROL_COUNT
};

// The chase camera's modes.
enum CameraMode : int32_t {
    CAMERA_MODE_FLIGHT = 0,  // behind the direction of flight, easing after it
    CAMERA_MODE_HALFWAY = 1, // halfway between the flight and the nose, easing
    CAMERA_MODE_NOSE = 2,    // locked behind the nose
    CAMERA_MODE_COCKPIT = 3, // in the cockpit, on the nose
};

constexpr int32_t GAME_INPUT_ACTIONS = 64; // screen presses kept for one frame

// The part of the record that holds from frame to frame. Only 32-bit fields: a demo stores it
// word by word (GameInputEncode), so a field added here is recorded without another change.
struct GameInputState {
    int32_t controls[CONTROL_COUNT];
    int32_t cameraSnap; // a lookback key went down or up: the chase camera turns at once
    int32_t cameraMode; // CAMERA_MODE_*; vantor.ini "camera", the console variable too
    int32_t paused;     // non-zero while the game holds
    float mouseYaw;     // mouse-look heading, degrees in [-180, 180]
};
constexpr size_t GAME_INPUT_STATE_WORDS = sizeof(GameInputState) / 4;
static_assert(sizeof(GameInputState) % 4 == 0);

struct GameInput {
    GameInputState state;
    int32_t actionCount;
    InputEvent actions[GAME_INPUT_ACTIONS]; // in the order the screens took them
    bool actionOverflow;                    // more than GAME_INPUT_ACTIONS in one frame
};

extern GameInput gameInput;
// vantor.ini camera.
extern const SettingTable gameInputSettings;

// Client start-up, before the settings: a fresh record, and the console variable "camera" (the
// one setting that can change while the game runs: "set camera N").
void GameInputInit();
// A fresh program's record: nothing held, camera mode 0, not paused, heading 0.
void GameInputReset();
// The record's start of a frame: the screens' presses of the last frame are forgotten.
void GameInputBeginFrame();

// The commands' verbs.
void GameInputPress(GameControl control);
void GameInputRelease(GameControl control);
bool GameInputHeld(GameControl control);
// Whether a lookback key went down or up since the last call; clears the request.
bool GameInputTakeCameraSnap();
void GameInputSetCameraMode(int32_t mode);
// The `nextcamera` command: the next mode after the one in force, from cockpit back to flight.
void GameInputNextCameraMode();
// The record's camera mode as a mode: the console can store any number, and one without a mode of
// its own flies as CAMERA_MODE_FLIGHT.
CameraMode GameInputCameraMode();
void GameInputSetMouseYaw(float yaw);
void GameInputSetPaused(bool paused);
// A press a screen took, as the screen saw it.
void GameInputAddAction(const InputEvent& event);

// A demo's playback: the state as recorded.
void GameInputSetState(const GameInputState& state);
// The state as little-endian 32-bit words, and back (GAME_INPUT_STATE_WORDS * 4 bytes).
void GameInputEncode(const GameInputState& state, uint8_t* out);
GameInputState GameInputDecode(const uint8_t* in);

// The frame's input record and its verbs.
#include "console/gameinput.h"

#include "console/cvar.h"

#include <cstring>

GameInput gameInput = {};

namespace {

const Setting GAME_INPUT_SETTING_ROWS[] = {
    {"camera", SETTING_INT, 0, nullptr, 0, 3, SETTING_PLAYER,
     [] { return double(gameInput.state.cameraMode); },
     [](double v) { GameInputSetCameraMode(int32_t(v)); }},
};

} // namespace

const SettingTable gameInputSettings = SettingTableOf("input", GAME_INPUT_SETTING_ROWS);

void GameInputInit() {
    GameInputReset();
    CVarRegisterLong("camera", &gameInput.state.cameraMode);
}

void GameInputReset() {
    gameInput = GameInput{};
}

void GameInputBeginFrame() {
    gameInput.actionCount = 0;
    gameInput.actionOverflow = false;
}

void GameInputPress(GameControl control) {
    gameInput.state.controls[control] += 1;
    if (control == CONTROL_LOOKBACK) gameInput.state.cameraSnap = 1;
}

void GameInputRelease(GameControl control) {
    gameInput.state.controls[control] = 0;
    if (control == CONTROL_LOOKBACK) gameInput.state.cameraSnap = 1;
}

bool GameInputHeld(GameControl control) {
    return gameInput.state.controls[control] > 0;
}

bool GameInputTakeCameraSnap() {
    const bool snap = gameInput.state.cameraSnap != 0;
    gameInput.state.cameraSnap = 0;
    return snap;
}

void GameInputSetCameraMode(int32_t mode) {
    gameInput.state.cameraMode = mode;
}

void GameInputNextCameraMode() {
    gameInput.state.cameraMode = (GameInputCameraMode() + 1) % (CAMERA_MODE_COCKPIT + 1);
}

CameraMode GameInputCameraMode() {
    const int32_t mode = gameInput.state.cameraMode;
    if (mode < CAMERA_MODE_FLIGHT || mode > CAMERA_MODE_COCKPIT) return CAMERA_MODE_FLIGHT;
    return static_cast<CameraMode>(mode);
}

void GameInputSetMouseYaw(float yaw) {
    gameInput.state.mouseYaw = yaw;
}

void GameInputSetPaused(bool paused) {
    gameInput.state.paused = paused ? 1 : 0;
}

void GameInputAddAction(const InputEvent& event) {
    if (gameInput.actionCount >= GAME_INPUT_ACTIONS) {
        gameInput.actionOverflow = true;
        return;
    }
    gameInput.actions[gameInput.actionCount++] = event;
}

void GameInputSetState(const GameInputState& state) {
    gameInput.state = state;
}

void GameInputEncode(const GameInputState& state, uint8_t* out) {
    uint32_t words[GAME_INPUT_STATE_WORDS];
    std::memcpy(words, &state, sizeof(words));
    for (size_t w = 0; w < GAME_INPUT_STATE_WORDS; ++w)
        for (int i = 0; i < 4; ++i)
            out[4 * w + i] = static_cast<uint8_t>(words[w] >> (8 * i));
}

GameInputState GameInputDecode(const uint8_t* in) {
    uint32_t words[GAME_INPUT_STATE_WORDS] = {};
    for (size_t w = 0; w < GAME_INPUT_STATE_WORDS; ++w) {
        for (int i = 0; i < 4; ++i)
            words[w] |= static_cast<uint32_t>(in[4 * w + i]) << (8 * i);
    }
    GameInputState state;
    std::memcpy(&state, words, sizeof(state));
    return state;
}

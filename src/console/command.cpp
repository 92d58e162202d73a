// Commands: a fixed table of records found by name, the default command set and the runner.
#include "console/command.h"

#include "core/app.h"
#include "console/cvar.h"
#include "console/input.h"
#include "core/log.h"
#include "render/scene.h"

#include <array>
#include <cstdlib>
#include <cstring>

Index commandIndex = {};

int32_t cmdForward = 0;
int32_t cmdBackward = 0;
int32_t cmdAttack = 0;
int32_t cmdLeft = 0;
int32_t cmdRight = 0;
int32_t cmdLookback = 0;
int32_t cmdMouselook = 0;
int32_t cameraSnap = 0;

// The quit prompt belongs to the UI and the menu sound to the mixer; the UI installs one action
// that does both, so this module needs neither.
void (*quitHook)() = nullptr;
void (*pauseHook)() = nullptr;

namespace {

std::array<Command, COMMAND_MAX> commandTable;
int32_t commandCount = 0;

constexpr float VIEW_SIZE_STEP = 0.05f;
constexpr float VIEW_SIZE_MIN = 0.5f;
constexpr float VIEW_SIZE_MAX = 1.0f;

void ForwardDown(const char*) {
    cmdForward += 1;
}
void ForwardUp(const char*) {
    cmdForward = 0;
}
void BackwardDown(const char*) {
    cmdBackward += 1;
}
void BackwardUp(const char*) {
    cmdBackward = 0;
}
void AttackDown(const char*) {
    cmdAttack += 1;
}
void AttackUp(const char*) {
    cmdAttack = 0;
}
void LeftDown(const char*) {
    cmdLeft += 1;
}
void LeftUp(const char*) {
    cmdLeft = 0;
}
void RightDown(const char*) {
    cmdRight += 1;
}
void RightUp(const char*) {
    cmdRight = 0;
}

void LookbackDown(const char*) {
    cmdLookback += 1;
    cameraSnap = 1;
}

void LookbackUp(const char*) {
    cmdLookback = 0;
    cameraSnap = 1;
}

void MouselookDown(const char*) {
    cmdMouselook += 1;
    InputMouseGrab();
}

void MouselookUp(const char*) {
    cmdMouselook = 0;
    InputMouseRelease();
}

// Steps viewSize, holds it within [0.5, 1.0] and applies it, also when the clamp left it as it
// was. The step is single precision, so ten steps down from 1.0 land just below 0.5 and are
// clamped to exactly 0.5.
void ViewSizeStep(float step) {
    float size = viewSize + step;
    if (size < VIEW_SIZE_MIN)
        size = VIEW_SIZE_MIN;
    else if (size >= VIEW_SIZE_MAX)
        size = VIEW_SIZE_MAX;
    SceneSetViewSize(size);
}

void SizeUp(const char*) {
    ViewSizeStep(VIEW_SIZE_STEP);
}
void SizeDown(const char*) {
    ViewSizeStep(-VIEW_SIZE_STEP);
}

// "set name value": further words are ignored; a bare `set` from a key binding does nothing.
void Set(const char* argument) {
    if (!argument) return;
    char name[STRING_WORD_SIZE];
    char value[STRING_WORD_SIZE];
    const char* rest = StringNextWord(argument, name);
    StringNextWord(rest, value);
    CVarSet(name, value);
}

// Reserved: bindings are made only at start-up.
void BindReserved(const char*) {}

void Quit(const char*) {
    if (quitHook) quitHook();
}

void Pause(const char*) {
    if (pauseHook) pauseHook();
}

struct DefaultCommand {
    const char* name;
    CommandHandler handler;
};

constexpr DefaultCommand DEFAULT_COMMANDS[] = {
    {"+forward", ForwardDown},
    {"-forward", ForwardUp},
    {"+backward", BackwardDown},
    {"-backward", BackwardUp},
    {"+attack", AttackDown},
    {"-attack", AttackUp},
    {"+left", LeftDown},
    {"-left", LeftUp},
    {"+right", RightDown},
    {"-right", RightUp},
    {"+lookback", LookbackDown},
    {"-lookback", LookbackUp},
    {"+mouselook", MouselookDown},
    {"-mouselook", MouselookUp},
    {"sizeup", SizeUp},
    {"sizedown", SizeDown},
    {"set", Set},
    {"bind", BindReserved},
    {"quit", Quit},
    {"pause", Pause},
};

} // namespace

void CommandSetQuitAction(void (*action)()) {
    quitHook = action;
}

void CommandSetPauseAction(void (*action)()) {
    pauseHook = action;
}

bool CommandTakeCameraSnap() {
    const bool snap = cameraSnap != 0;
    cameraSnap = 0;
    return snap;
}

const char* StringNextWord(const char* text, char* word, size_t wordSize) {
    if (!text) return nullptr;
    size_t length = 0;
    for (; *text && *text != ' '; ++text) {
        if (word && length + 1 < wordSize) word[length++] = *text;
    }
    if (word && wordSize > 0) word[length] = 0;
    while (*text == ' ')
        ++text;
    return text;
}

void CommandInit() {
    if (commandIndex.items) IndexFree(&commandIndex);
    IndexCreate(&commandIndex, INDEX_DEFAULT_CAPACITY, "commandIndex", 0);
    commandCount = 0;
    cmdForward = cmdBackward = cmdAttack = cmdLeft = cmdRight = cmdLookback = cmdMouselook = 0;
    cameraSnap = 0;
    for (const DefaultCommand& command : DEFAULT_COMMANDS)
        CommandRegister(command.name, command.handler);
}

Command* CommandCreate(const char* commandName) {
    if (commandCount >= COMMAND_MAX) {
        Log(LOG_ERROR, "CommandCreate: overflowed command table\n");
        AppExit(1);
    }
    const char* name = commandName ? commandName : "";
    if (std::strlen(name) >= static_cast<size_t>(COMMAND_NAME_SIZE)) {
        Log(LOG_ERROR, "CommandCreate: commandName too long\n");
        AppExit(1);
    }
    Command* command = &commandTable[static_cast<size_t>(commandCount)];
    *command = Command{};
    std::strcpy(command->commandName, name);
    IndexInsert(&commandIndex, command, NameCompare);
    commandCount++;
    return command;
}

Command* CommandFind(const char* name) {
    if (!name) return nullptr;
    return static_cast<Command*>(IndexFind(&commandIndex, name, NameCompare));
}

Command* CommandRegister(const char* name, CommandHandler handler) {
    Command* command = CommandFind(name);
    if (!command) command = CommandCreate(name);
    command->handler = handler;
    return command;
}

void CommandExecute(const char* line) {
    if (!line || !*line) return;
    char word[STRING_WORD_SIZE];
    const char* argument = StringNextWord(line, word);
    Command* command = CommandFind(word);
    if (command && command->handler) command->handler(argument);
}

void CommandSetControls(int32_t forward, int32_t backward, int32_t attack, int32_t left,
                        int32_t right, int32_t lookback, int32_t mouselook, int32_t snap) {
    cmdForward = forward;
    cmdBackward = backward;
    cmdAttack = attack;
    cmdLeft = left;
    cmdRight = right;
    cmdLookback = lookback;
    cmdMouselook = mouselook;
    cameraSnap = snap;
}

// Commands: a fixed table of records found by name, the default command set and the runner.
#include "console/command.h"

#include "core/fatal.h"
#include "console/cvar.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "core/log.h"

#include <array>
#include <cstdlib>
#include <cstring>

Index commandIndex = {};

// The quit prompt belongs to the UI and the menu sound to the mixer; the UI installs one action
// that does both, so this module needs neither.
void (*quitHook)() = nullptr;
void (*pauseHook)() = nullptr;
// The view size is the renderer's, which sits above the console.
void (*viewSizeHook)(float step) = nullptr;

namespace {

std::array<Command, COMMAND_MAX> commandTable;
int32_t commandCount = 0;

constexpr float VIEW_SIZE_STEP = 0.05f;

void ForwardDown(const char*) {
    GameInputPress(CONTROL_FORWARD);
}
void ForwardUp(const char*) {
    GameInputRelease(CONTROL_FORWARD);
}
void BackwardDown(const char*) {
    GameInputPress(CONTROL_BACKWARD);
}
void BackwardUp(const char*) {
    GameInputRelease(CONTROL_BACKWARD);
}
void AttackDown(const char*) {
    GameInputPress(CONTROL_ATTACK);
}
void AttackUp(const char*) {
    GameInputRelease(CONTROL_ATTACK);
}
void LeftDown(const char*) {
    GameInputPress(CONTROL_LEFT);
}
void LeftUp(const char*) {
    GameInputRelease(CONTROL_LEFT);
}
void RightDown(const char*) {
    GameInputPress(CONTROL_RIGHT);
}
void RightUp(const char*) {
    GameInputRelease(CONTROL_RIGHT);
}

void LookbackDown(const char*) {
    GameInputPress(CONTROL_LOOKBACK);
}

void LookbackUp(const char*) {
    GameInputRelease(CONTROL_LOOKBACK);
}

void MouselookDown(const char*) {
    GameInputPress(CONTROL_MOUSELOOK);
    InputMouseGrab();
}

void MouselookUp(const char*) {
    GameInputRelease(CONTROL_MOUSELOOK);
    InputMouseRelease();
}

void SizeUp(const char*) {
    if (viewSizeHook) viewSizeHook(VIEW_SIZE_STEP);
}
void SizeDown(const char*) {
    if (viewSizeHook) viewSizeHook(-VIEW_SIZE_STEP);
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

void NextCamera(const char*) {
    GameInputNextCameraMode();
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
    {"nextcamera", NextCamera},
};

} // namespace

void CommandSetQuitAction(void (*action)()) {
    quitHook = action;
}

void CommandSetPauseAction(void (*action)()) {
    pauseHook = action;
}

void CommandSetViewSizeAction(void (*action)(float step)) {
    viewSizeHook = action;
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
    for (int32_t c = 0; c < CONTROL_COUNT; ++c)
        GameInputRelease(static_cast<GameControl>(c));
    GameInputTakeCameraSnap();
    for (const DefaultCommand& command : DEFAULT_COMMANDS)
        CommandRegister(command.name, command.handler);
}

Command* CommandCreate(const char* commandName) {
    if (commandCount >= COMMAND_MAX) {
        Log(LOG_ERROR, "CommandCreate: overflowed command table\n");
        FatalExit(1);
    }
    const char* name = commandName ? commandName : "";
    if (std::strlen(name) >= static_cast<size_t>(COMMAND_NAME_SIZE)) {
        Log(LOG_ERROR, "CommandCreate: commandName too long\n");
        FatalExit(1);
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

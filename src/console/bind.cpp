// Key bindings: a fixed table of records in a key-ordered index, the default binding table and the
// binding layer's input handler.
#include "console/bind.h"

#include "core/fatal.h"
#include "core/log.h"

#include <array>
#include <cstdio>
#include <cstdlib>

Index bindIndex = {};

namespace {

std::array<Bind, BIND_MAX> bindTable;
int32_t bindCount = 0;

struct DefaultBind {
    int32_t key;
    const char* command;
};

// Joystick 2, the middle mouse button, +mouselook and set have no default binding.
constexpr DefaultBind DEFAULT_BINDS[] = {
    {KEY_KP4, "+left"},
    {KEY_KP8, "+forward"},
    {KEY_KP2, "+backward"},
    {KEY_KP6, "+right"},
    {KEY_NONE, "+attack"},
    {KEY_KP_PLUS, "+lookback"},
    {KEY_LEFT, "+left"},
    {KEY_UP, "+forward"},
    {KEY_DOWN, "+backward"},
    {KEY_RIGHT, "+right"},
    {KEY_SPACE, "+attack"},
    {KEY_LALT, "+lookback"},
    {KEY_RALT, "+lookback"},
    {'a', "+left"},
    {'w', "+forward"},
    {'s', "+backward"},
    {'d', "+right"},
    {KEY_MOUSE1, "+attack"},
    {KEY_MOUSE2, "+lookback"},
    {KEY_JOY1_LEFT, "+left"},
    {KEY_JOY1_UP, "+forward"},
    {KEY_JOY1_DOWN, "+backward"},
    {KEY_JOY1_RIGHT, "+right"},
    {KEY_JOY1_BUTTON1, "+attack"},
    {KEY_JOY1_BUTTON2, "+lookback"},
    {'=', "sizeup"},
    {'-', "sizedown"},
    {KEY_ESCAPE, "quit"},
    // Pause (P sits in the same place on every common layout), and a pad's Start and Back.
    {'p', "pause"},
    {KEY_PAUSE, "pause"},
    {KEY_PAD_START, "pause"},
    {KEY_PAD_BACK, "quit"},
    {KEY_F1 + 11, "screenshot"}, // F12
};

int CompareKeys(int32_t a, int32_t b) {
    return a > b ? 1 : (a < b ? -1 : 0);
}

// Record against record, for inserting.
int BindCompare(const Index*, const void* a, const void* b) {
    return CompareKeys(static_cast<const Bind*>(a)->key, static_cast<const Bind*>(b)->key);
}

// A key code against a record, for finding.
int BindCompareKey(const Index*, const void* key, const void* bind) {
    return CompareKeys(*static_cast<const int32_t*>(key), static_cast<const Bind*>(bind)->key);
}

} // namespace

void BindInit() {
    if (bindIndex.items) IndexFree(&bindIndex);
    IndexCreate(&bindIndex, INDEX_DEFAULT_CAPACITY, "bindIndex", 0);
    bindCount = 0;
    for (const DefaultBind& bind : DEFAULT_BINDS)
        BindSet(bind.key, bind.command);
    InputAddHandler(BindHandleInput);
}

Bind* BindCreate(int32_t key) {
    if (bindCount >= BIND_MAX) {
        Log(LOG_ERROR, "BindCreate: overflowed bind table\n");
        FatalExit(1);
    }
    Bind* bind = &bindTable[static_cast<size_t>(bindCount)];
    *bind = Bind{};
    bind->key = key;
    IndexInsert(&bindIndex, bind, BindCompare);
    bindCount++;
    return bind;
}

Bind* BindFind(int32_t key) {
    return static_cast<Bind*>(IndexFind(&bindIndex, &key, BindCompareKey));
}

Bind* BindSet(int32_t key, const char* commandText) {
    if (!commandText) return nullptr;
    Bind* bind = BindFind(key);
    if (!bind) bind = BindCreate(key);
    bind->press = CommandFind(commandText);
    if (!bind->press) bind->press = CommandRegister(commandText, nullptr);
    if (commandText[0] == '+') {
        char twin[COMMAND_NAME_SIZE + 1];
        std::snprintf(twin, sizeof(twin), "-%s", commandText + 1);
        bind->release = CommandFind(twin);
    }
    return bind;
}

int BindHandleInput(const InputEvent* event) {
    Bind* bind = BindFind(event->key);
    if (!bind) return 0;
    Command* command = nullptr;
    if (event->flags & INPUT_RELEASE)
        command = bind->release;
    else if (event->flags & INPUT_PRESS)
        command = bind->press;
    if (!command) return 0;
    if (command->handler)
        command->handler(nullptr);
    else
        CommandExecute(command->commandName);
    return 1;
}

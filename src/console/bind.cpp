// Key bindings: a fixed table of records in a key-ordered index, the default binding table and the
// binding layer's input handler.
#include "console/bind.h"

#include "core/fatal.h"
#include "core/inifile.h"
#include "core/log.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

Index bindIndex = {};

const BindAction bindActions[BIND_ACTIONS] = {
    {"bind_turn_left", "+left", "Turn left"},
    {"bind_turn_right", "+right", "Turn right"},
    {"bind_thrust", "+forward", "Thrust"},
    {"bind_brake", "+backward", "Brake"},
    {"bind_fire", "+attack", "Fire"},
    {"bind_look_back", "+lookback", "Look back"},
    {"bind_pause", "pause", "Pause"},
    {"bind_screenshot", "screenshot", "Screenshot"},
    {"bind_view_smaller", "sizedown", "View smaller"},
    {"bind_view_larger", "sizeup", "View larger"},
    {"bind_quit", "quit", "Quit prompt"},
    {"bind_camera", "nextcamera", "Next camera"},
};

namespace {

constexpr const char* BIND_INI_PREFIX = "bind_";
constexpr size_t BIND_LINE_SIZE = 256;

// Each action's keys in order (the bindings themselves are the records below).
std::array<std::array<int32_t, BIND_ACTION_KEYS>, BIND_ACTIONS> actionKeys{};
std::array<int32_t, BIND_ACTIONS> actionKeyCount{};
uint32_t generation = 0;

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
    // Keys no default had: the camera cycles only when they are pressed.
    {'c', "nextcamera"},
    {KEY_PAD_RB, "nextcamera"},
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

int32_t ActionOfCommand(const char* command) {
    for (int32_t a = 0; a < BIND_ACTIONS; ++a)
        if (std::strcmp(bindActions[a].command, command) == 0) return a;
    return -1;
}

// Display order of the default table: keyboard keys, keypad, mouse buttons, pad controls.
int32_t KeyRank(int32_t key) {
    if (key >= KEY_MOUSE1 && key <= KEY_MOUSE3) return 2;
    if (key > KEY_MOUSE3) return 3;
    if (key >= KEY_KP_DIVIDE && key <= KEY_KP_PERIOD) return 1;
    return 0;
}

// The actions' key lists from the default table (KEY_NONE, which no device makes, stays out).
void ActionsFromDefaults() {
    actionKeyCount.fill(0);
    for (const DefaultBind& bind : DEFAULT_BINDS) {
        const int32_t a = ActionOfCommand(bind.command);
        if (a < 0 || bind.key == KEY_NONE || actionKeyCount[a] >= BIND_ACTION_KEYS) continue;
        actionKeys[a][actionKeyCount[a]++] = bind.key;
    }
    for (int32_t a = 0; a < BIND_ACTIONS; ++a)
        std::stable_sort(actionKeys[a].begin(), actionKeys[a].begin() + actionKeyCount[a],
                         [](int32_t x, int32_t y) { return KeyRank(x) < KeyRank(y); });
}

// The key runs nothing any more (the record stays, for the key to be bound again).
void UnbindKey(int32_t key) {
    if (Bind* bind = BindFind(key)) bind->press = bind->release = nullptr;
}

// A record for key: its own, a new one, or, with the table full, one that runs nothing.
void BindPrepare(int32_t key) {
    if (BindFind(key) || bindCount < BIND_MAX) return;
    for (Bind& bind : bindTable) {
        if (bind.press) continue;
        IndexDelete(&bindIndex, &bind, BindCompare);
        bind.key = key;
        IndexInsert(&bindIndex, &bind, BindCompare);
        return;
    }
}

void RemoveSlot(int32_t action, int32_t slot) {
    auto& keys = actionKeys[action];
    for (int32_t i = slot; i + 1 < actionKeyCount[action]; ++i)
        keys[i] = keys[i + 1];
    actionKeyCount[action]--;
}

// ---- vantor.ini lines ------------------------------------------------------------------------

struct ReadState {
    bool seen[BIND_ACTIONS]; // the first line of an action is the one read
    bool fromFile[BIND_ACTIONS];
};

void ReadError(const IniLine& line, const char* what) {
    char message[BIND_LINE_SIZE * 4 + 64];
    std::snprintf(message, sizeof(message), "BindReadSettings: %s line %ld: %s\n", INI_FILE,
                  static_cast<long>(line.number), what);
    Log(LOG_ERROR, "%s", message);
}

// Splits list into key codes; false with a message naming the first name that is not a key.
bool ParseKeys(const char* list, int32_t* codes, int32_t* count, char* problem, size_t size) {
    *count = 0;
    char name[BIND_LINE_SIZE];
    const char* p = list;
    for (;;) {
        const char* comma = std::strchr(p, ',');
        const size_t length = comma ? static_cast<size_t>(comma - p) : std::strlen(p);
        std::snprintf(name, sizeof(name), "%.*s", static_cast<int>(length), p);
        const int32_t code = InputKeyFromName(name);
        if (code < 0) {
            std::snprintf(problem, size, "no key is named \"%s\"", name);
            return false;
        }
        if (*count < BIND_ACTION_KEYS) codes[(*count)++] = code;
        if (!comma) return true;
        p = comma + 1;
    }
}

bool ReadLine(const IniLine& line, void* context) {
    auto* state = static_cast<ReadState*>(context);
    // "bind_fire=Space" is no key = value line: the start-up check names it.
    if (strncasecmp(line.key, BIND_INI_PREFIX, std::strlen(BIND_INI_PREFIX)) != 0 ||
        std::strchr(line.key, '='))
        return true;
    char what[BIND_LINE_SIZE * 4];
    int32_t action = -1;
    for (int32_t a = 0; a < BIND_ACTIONS && action < 0; ++a)
        if (strcasecmp(bindActions[a].key, line.key) == 0) action = a;
    if (action < 0) {
        std::snprintf(what, sizeof(what), "%s: no such action; the line is ignored", line.key);
        ReadError(line, what);
        return true;
    }
    if (state->seen[action]) return true; // the start-up check names the repeat
    state->seen[action] = true;
    char list[BIND_LINE_SIZE];
    IniLineRest(line, list, sizeof(list));
    const char* label = bindActions[action].label;
    int32_t codes[BIND_ACTION_KEYS];
    int32_t count = 0;
    char problem[BIND_LINE_SIZE + 32];
    if (line.valueAt == SIZE_MAX || list[0] == '\0') {
        std::snprintf(what, sizeof(what), "%s names no key (None for none); %s keeps its keys",
                      line.key, label);
        ReadError(line, what);
        return true;
    }
    if (strcasecmp(list, "none") != 0 &&
        !ParseKeys(list, codes, &count, problem, sizeof(problem))) {
        std::snprintf(what, sizeof(what), "%s: %s; %s keeps its keys", line.key, problem, label);
        ReadError(line, what);
        return true;
    }
    while (actionKeyCount[action] > 0)
        BindActionRemove(action, 0);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t from = BindActionSet(action, BIND_ACTION_KEYS, codes[i]);
        if (from >= 0 && from != action && state->fromFile[from]) {
            std::snprintf(what, sizeof(what), "%s is named for %s too; %s has it",
                          InputKeyName(codes[i]), bindActions[from].label, label);
            ReadError(line, what);
        }
    }
    state->fromFile[action] = true;
    return true;
}

} // namespace

void BindInit() {
    if (bindIndex.items) IndexFree(&bindIndex);
    IndexCreate(&bindIndex, INDEX_DEFAULT_CAPACITY, "bindIndex", 0);
    bindCount = 0;
    for (const DefaultBind& bind : DEFAULT_BINDS)
        BindSet(bind.key, bind.command);
    ActionsFromDefaults();
    generation++;
    BindReadSettings(INI_FILE);
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

int32_t BindActionKeyCount(int32_t action) {
    return action >= 0 && action < BIND_ACTIONS ? actionKeyCount[action] : 0;
}

int32_t BindActionKey(int32_t action, int32_t slot) {
    if (slot < 0 || slot >= BindActionKeyCount(action)) return -1;
    return actionKeys[action][slot];
}

int32_t BindActionOfKey(int32_t key) {
    for (int32_t a = 0; a < BIND_ACTIONS; ++a)
        for (int32_t i = 0; i < actionKeyCount[a]; ++i)
            if (actionKeys[a][i] == key) return a;
    return -1;
}

int32_t BindActionSet(int32_t action, int32_t slot, int32_t key) {
    if (action < 0 || action >= BIND_ACTIONS || key < 0 || key == KEY_NONE) return -1;
    const int32_t from = BindActionOfKey(key);
    if (from >= 0) {
        for (int32_t i = 0; i < actionKeyCount[from]; ++i)
            if (actionKeys[from][i] == key) {
                if (from == action && i < slot) --slot;
                RemoveSlot(from, i);
                break;
            }
    }
    int32_t& count = actionKeyCount[action];
    if (slot < 0) slot = 0;
    if (slot >= count && count == BIND_ACTION_KEYS) slot = count - 1;
    if (slot < count) {
        UnbindKey(actionKeys[action][slot]);
        actionKeys[action][slot] = key;
    } else {
        actionKeys[action][count++] = key;
    }
    UnbindKey(key); // a '-' twin left from another command must not stay
    BindPrepare(key);
    BindSet(key, bindActions[action].command);
    generation++;
    return from == action ? -1 : from;
}

void BindActionRemove(int32_t action, int32_t slot) {
    if (slot < 0 || slot >= BindActionKeyCount(action)) return;
    UnbindKey(actionKeys[action][slot]);
    RemoveSlot(action, slot);
    generation++;
}

void BindRestoreDefaults() {
    for (int32_t i = 0; i < bindCount; ++i)
        bindTable[static_cast<size_t>(i)].press = bindTable[static_cast<size_t>(i)].release =
            nullptr;
    for (const DefaultBind& bind : DEFAULT_BINDS)
        BindSet(bind.key, bind.command);
    ActionsFromDefaults();
    generation++;
}

void BindActionText(int32_t action, char* out, size_t outSize) {
    if (outSize == 0) return;
    out[0] = '\0';
    size_t used = 0;
    for (int32_t i = 0; i < BindActionKeyCount(action); ++i) {
        const char* name = InputKeyName(actionKeys[action][i]);
        const int n = std::snprintf(out + used, outSize - used, "%s%s", i ? ", " : "", name);
        if (n < 0 || static_cast<size_t>(n) >= outSize - used) break;
        used += static_cast<size_t>(n);
    }
    if (used == 0) std::snprintf(out, outSize, "None");
}

uint32_t BindGeneration() {
    return generation;
}

bool BindOwnsIniKey(const char* key) {
    return key && strncasecmp(key, BIND_INI_PREFIX, std::strlen(BIND_INI_PREFIX)) == 0;
}

void BindReadSettings(const char* fileName) {
    ReadState state{};
    IniForEachLine(fileName, ReadLine, &state);
}

// Console variables: a fixed table of records, found by name through a sorted index.
#include "console/cvar.h"

#include "core/fatal.h"
#include "core/log.h"

#include <array>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

Index cvarIndex = {};

namespace {

std::array<CVar, CVAR_MAX> cvarTable;
int32_t cvarCount = 0;

const char* SkipSpace(const char* text) {
    while (*text && std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    return text;
}

// The "%ld" reading: leading white space, one optional sign, at least one decimal digit. Values
// beyond 32 bits saturate rather than wrap, so an absurd setting cannot turn into its opposite.
bool ScanLong(const char* text, int32_t* out) {
    const char* p = SkipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    int64_t value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    value = negative ? -value : value;
    *out = static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : value);
    return true;
}

// The "%f" reading: false when the text does not begin with a number.
bool ScanFloat(const char* text, float* out) {
    char* end = nullptr;
    float value = std::strtof(text, &end);
    if (end == text) return false;
    *out = value;
    return true;
}

} // namespace

int NameCompare(const Index* index, const void* a, const void* b) {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; *x == *y; ++x, ++y) {
        if (*x == 0) return 0;
    }
    return *x < *y ? -1 : 1;
}

bool StringIsFloat(const char* text) {
    if (!text) return false;
    if (*text == '-') ++text;
    if (*text == 0) return false;
    bool point = false;
    for (; *text; ++text) {
        if (*text == '.' && !point)
            point = true;
        else if (*text < '0' || *text > '9')
            return false;
    }
    return point;
}

void CVarInit() {
    if (cvarIndex.items) IndexFree(&cvarIndex);
    IndexCreate(&cvarIndex, INDEX_DEFAULT_CAPACITY, "cvarIndex", 0);
    cvarCount = 0;
}

CVar* CVarCreate(const char* cvarName) {
    if (cvarCount >= CVAR_MAX) {
        Log(LOG_ERROR, "CVarCreate: overflowed cvar table\n");
        FatalExit(1);
    }
    const char* name = cvarName ? cvarName : "";
    if (std::strlen(name) >= static_cast<size_t>(CVAR_NAME_SIZE)) {
        Log(LOG_ERROR, "CVarCreate: cvarName too long\n");
        FatalExit(1);
    }
    CVar* cvar = &cvarTable[static_cast<size_t>(cvarCount)];
    *cvar = CVar{};
    std::strcpy(cvar->cvarName, name);
    IndexInsert(&cvarIndex, cvar, NameCompare);
    cvarCount++;
    return cvar;
}

CVar* CVarFind(const char* name) {
    if (!name) return nullptr;
    return static_cast<CVar*>(IndexFind(&cvarIndex, name, NameCompare));
}

CVar* CVarCreateFromString(const char* name, const char* text) {
    CVar* cvar = CVarCreate(name);
    const char* value = text ? text : "";
    if (StringIsFloat(value)) {
        cvar->type = CVAR_FLOAT;
        ScanFloat(value, &cvar->value.f);
    } else {
        cvar->type = CVAR_LONG;
        ScanLong(value, &cvar->value.l);
    }
    return cvar;
}

void CVarSet(const char* name, const char* text) {
    if (!name || !text) return;
    CVar* cvar = CVarFind(name);
    if (!cvar) cvar = CVarCreateFromString(name, text);
    switch (cvar->type) {
    case CVAR_FLOAT:
        ScanFloat(text, &cvar->value.f);
        break;
    case CVAR_LONG:
        ScanLong(text, &cvar->value.l);
        break;
    case CVAR_LONG_PTR:
        ScanLong(text, cvar->value.lp);
        break;
    default:
        break;
    }
}

void CVarRegisterLong(const char* name, int32_t* variable) {
    if (!name || !variable) return;
    CVar* cvar = CVarFind(name);
    if (!cvar) cvar = CVarCreate(name);
    cvar->type = CVAR_LONG_PTR;
    cvar->value.lp = variable;
}

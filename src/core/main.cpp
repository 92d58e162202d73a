// Entry point. The command line is not read.
#include "core/app.h"

int main() {
    return AppMain();
}

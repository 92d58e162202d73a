// Entry point. The command line is not read.
#include "app/app.h"

int main() {
    return AppMain();
}

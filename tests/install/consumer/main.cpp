// A program built against the installed orvservice package alone: it reads an exported shared
// type and calls the entry points. Exit 0 when every check holds.

#include <cstdio>

#include "service/entry_points.h"
#include "shared/version.h"

int main() {
    // The ordering operators live in liborvservice and call CompareTo in liborvsim, so this
    // also shows the installed library finding its sibling libraries.
    Version lower(1, 2, 3, 4);
    Version higher(1, 3, 0, 0);
    if (!(lower < higher) || higher.operator<(lower) || lower.GetBuild() != 3) {
        std::puts("Version compares wrongly");
        return 1;
    }
    OnStart(nullptr);
    OnStop();
    std::puts("consumer: ok");
    return 0;
}

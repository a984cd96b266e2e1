#pragma once
// Where this program's file is.

#include <filesystem>

namespace orvsvc {

// The full path of the running executable; empty when Windows cannot tell (GetLastError says
// why).
std::filesystem::path ExecutablePath();

}  // namespace orvsvc

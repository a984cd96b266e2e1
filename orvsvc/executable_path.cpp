#include "orvsvc/executable_path.h"

#include <string>

#include "winapi/windows_api.h"

namespace orvsvc {

std::filesystem::path ExecutablePath() {
    // GetModuleFileNameW truncates silently when the buffer is short: grow it until the path
    // fits (long paths may exceed MAX_PATH).
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace orvsvc

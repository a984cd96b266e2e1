#include "orvsvc/console_output.h"

#include <mutex>
#include <string>

#include "orvsvc/text_encoding.h"
#include "winapi/windows_api.h"

namespace orvsvc {

namespace {

std::mutex& OutputMutex() {
    static std::mutex mutex;
    return mutex;
}

void WriteLine(DWORD stream, std::wstring_view wide, std::string_view utf8) {
    const HANDLE handle = GetStdHandle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::lock_guard lock(OutputMutex());
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        std::wstring text = wide.empty() ? FromUtf8(utf8) : std::wstring(wide);
        text += L"\r\n";
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    std::string text = utf8.empty() ? ToUtf8(wide) : std::string(utf8);
    text += "\r\n";
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

void PrintLine(std::wstring_view line) {
    WriteLine(STD_OUTPUT_HANDLE, line, {});
}

void PrintErrorLine(std::wstring_view line) {
    WriteLine(STD_ERROR_HANDLE, line, {});
}

void PrintUtf8Line(std::string_view line) {
    WriteLine(STD_OUTPUT_HANDLE, {}, line);
}

}  // namespace orvsvc

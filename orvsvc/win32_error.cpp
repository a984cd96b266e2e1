#include "orvsvc/win32_error.h"

#include <memory>

namespace orvsvc {

namespace {

struct LocalFreeDeleter {
    void operator()(wchar_t* buffer) const { LocalFree(buffer); }
};

}  // namespace

std::wstring Win32ErrorText(DWORD code) {
    wchar_t* raw = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0,
        // With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument receives the allocation.
        reinterpret_cast<LPWSTR>(&raw), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> buffer(raw);
    if (length == 0 || !buffer) {
        return L"unknown error";
    }
    std::wstring text(buffer.get(), length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

std::wstring DescribeFailure(std::wstring_view call, DWORD code) {
    return std::wstring(call) + L" failed with error " + std::to_wstring(code) + L": " +
           Win32ErrorText(code);
}

}  // namespace orvsvc

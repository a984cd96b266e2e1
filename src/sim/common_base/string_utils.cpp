#include "platform/common_base/string_utils.h"

#include <algorithm>
#include <cwctype>

#include "base/unicode.h"
#include "sim/trace.h"

namespace ORV::String {
namespace {

constexpr char kComponent[] = "ORV::String";

}  // namespace

std::wstring UTF8ToUTF16(const std::string& text) {
    orvsim::TraceCall(kComponent, "UTF8ToUTF16", text);
    return orvbase::Utf8ToWide(text);
}

std::string UTF16ToUTF8(const std::wstring& text) {
    orvsim::TraceCall(kComponent, "UTF16ToUTF8", text);
    return orvbase::WideToUtf8(text);
}

bool CaseInsesitiveEqual(std::wstring first, std::wstring second) {
    orvsim::TraceCall(kComponent, "CaseInsesitiveEqual", first, second);
    return std::equal(first.begin(), first.end(), second.begin(), second.end(),
                      [](wchar_t a, wchar_t b) {
                          return a == b || std::towupper(static_cast<std::wint_t>(a)) ==
                                               std::towupper(static_cast<std::wint_t>(b));
                      });
}

}  // namespace ORV::String

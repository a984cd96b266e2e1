#include "base/unicode.h"

#include <utf8.h>

#include <iterator>

namespace orvbase {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsScalarValue(char32_t c) {
    return c < 0x110000 && (c < 0xD800 || c > 0xDFFF);
}

// Decodes wide text to code points, pairing UTF-16 surrogates where wchar_t is 16 bits wide.
template <class Sink>
void ForEachCodePoint(std::wstring_view text, Sink sink) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                auto low = static_cast<char32_t>(text[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    sink(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                    ++i;
                    continue;
                }
            }
        }
        sink(IsScalarValue(c) ? c : kReplacement);
    }
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    auto inserter = std::back_inserter(out);
    ForEachCodePoint(text, [&](char32_t c) { inserter = utf8::unchecked::append(c, inserter); });
    return out;
}

std::wstring Utf8ToWide(std::string_view text) {
    std::string valid;
    valid.reserve(text.size());
    utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(valid), kReplacement);
    std::wstring out;
    out.reserve(valid.size());
    for (auto it = valid.begin(); it != valid.end();) {
        char32_t c = utf8::unchecked::next(it);
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0x10000) {
                c -= 0x10000;
                out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
                out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
                continue;
            }
        }
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

}  // namespace orvbase

#include "winapi/machine/event_query.h"

#include <algorithm>
#include <cwctype>
#include <string>

namespace winsim::detail {

namespace {

// A cursor over the query text that skips blanks between tokens.
class Cursor {
  public:
    explicit Cursor(std::wstring_view text) : text_(text) {}

    bool Take(std::wstring_view token) {
        SkipBlanks();
        if (text_.substr(pos_, token.size()) != token) {
            return false;
        }
        pos_ += token.size();
        return true;
    }

    std::optional<DWORD> Number() {
        SkipBlanks();
        const std::size_t start = pos_;
        unsigned long long value = 0;
        while (pos_ < text_.size() && std::iswdigit(text_[pos_]) != 0) {
            value = value * 10 + static_cast<unsigned long long>(text_[pos_] - L'0');
            if (value > 0xFFFFFFFFull) {
                return std::nullopt;
            }
            ++pos_;
        }
        if (pos_ == start) {
            return std::nullopt;
        }
        return static_cast<DWORD>(value);
    }

    bool AtEnd() {
        SkipBlanks();
        return pos_ == text_.size();
    }

  private:
    void SkipBlanks() {
        while (pos_ < text_.size() && std::iswspace(text_[pos_]) != 0) {
            ++pos_;
        }
    }

    std::wstring_view text_;
    std::size_t pos_ = 0;
};

bool ParseCondition(Cursor& c, std::vector<DWORD>& ids);

bool ParseTerm(Cursor& c, std::vector<DWORD>& ids) {
    if (c.Take(L"(")) {
        return ParseCondition(c, ids) && c.Take(L")");
    }
    if (!c.Take(L"EventID") || !c.Take(L"=")) {
        return false;
    }
    const std::optional<DWORD> id = c.Number();
    if (!id) {
        return false;
    }
    ids.push_back(*id);
    return true;
}

bool ParseCondition(Cursor& c, std::vector<DWORD>& ids) {
    if (!ParseTerm(c, ids)) {
        return false;
    }
    while (c.Take(L"or")) {
        if (!ParseTerm(c, ids)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool EventQuery::Matches(DWORD event_id) const {
    return all || std::find(event_ids.begin(), event_ids.end(), event_id) != event_ids.end();
}

std::optional<EventQuery> ParseEventQuery(const wchar_t* query) {
    Cursor c(query == nullptr ? L"" : query);
    if (c.AtEnd()) {
        return EventQuery{};
    }
    if (!c.Take(L"Event") && !c.Take(L"*")) {
        return std::nullopt;
    }
    if (c.AtEnd()) {
        return EventQuery{};
    }
    EventQuery result{false, {}};
    if (c.Take(L"/")) {
        if (!c.Take(L"System") || !c.Take(L"[") || !ParseCondition(c, result.event_ids) ||
            !c.Take(L"]")) {
            return std::nullopt;
        }
    } else if (!c.Take(L"[") || !c.Take(L"System") || !c.Take(L"[") ||
               !ParseCondition(c, result.event_ids) || !c.Take(L"]") || !c.Take(L"]")) {
        return std::nullopt;
    }
    if (!c.AtEnd()) {
        return std::nullopt;
    }
    return result;
}

std::optional<DWORD> EventIdOf(std::wstring_view xml) {
    // The first match of <EventID(\s[^>]*)?>\s*(\d{1,10})\s*</EventID>, found by hand: a
    // regular expression recurses once per character it repeats over.
    constexpr std::wstring_view kOpen = L"<EventID";
    constexpr std::wstring_view kClose = L"</EventID>";
    constexpr std::size_t kMaxDigits = 10;
    const auto blank = [&](std::size_t at) { return at < xml.size() && std::iswspace(xml[at]); };
    const auto digit = [&](std::size_t at) { return at < xml.size() && std::iswdigit(xml[at]); };
    // Openings that share a '>' share what follows it: each is looked for, and at, once.
    std::optional<std::size_t> nextClosing;
    std::size_t triedContent = std::wstring_view::npos;
    for (std::size_t open = xml.find(kOpen); open != std::wstring_view::npos;
         open = xml.find(kOpen, open + 1)) {
        std::size_t at = open + kOpen.size();
        if (blank(at)) {
            if (!nextClosing || *nextClosing < at) {
                nextClosing = xml.find(L'>', at);
            }
            at = *nextClosing;
        }
        if (at >= xml.size() || xml[at] != L'>' || at == triedContent) {
            continue;
        }
        triedContent = at;
        for (++at; blank(at); ++at) {
        }
        const std::size_t first = at;
        for (; digit(at); ++at) {
        }
        const std::size_t digits = at - first;
        for (; blank(at); ++at) {
        }
        if (digits == 0 || digits > kMaxDigits || xml.substr(at, kClose.size()) != kClose) {
            continue;
        }
        const unsigned long long id = std::stoull(std::wstring(xml.substr(first, digits)));
        if (id > 0xFFFFFFFFull) {
            return std::nullopt;
        }
        return static_cast<DWORD>(id);
    }
    return std::nullopt;
}

}  // namespace winsim::detail

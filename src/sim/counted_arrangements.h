#pragma once
// What a test arranged for the next calls or log lines of a key: a value that the next
// `times` matches take (every match until cleared when `times` <= 0). The call trace keys its
// throws, pauses and delays by call; the log keys its line delays by message.
//
// Not thread-safe: the owner keeps it under its own lock.

#include <map>
#include <optional>
#include <utility>

namespace orvsim {

template <class Key, class Value>
class CountedArrangements {
  public:
    // Replaces whatever was arranged for `key`.
    void Arrange(Key key, Value value, int times) {
        entries_.insert_or_assign(std::move(key), Entry{std::move(value), times <= 0 ? 0 : times});
    }

    // The value arranged for `key`, counting one match down; nothing when none is arranged.
    template <class Lookup>
    std::optional<Value> Take(const Lookup& key) {
        if (entries_.empty()) {
            return std::nullopt;
        }
        const auto found = entries_.find(key);
        if (found == entries_.end()) {
            return std::nullopt;
        }
        Entry& entry = found->second;
        if (entry.remaining > 0 && --entry.remaining == 0) {
            Value last = std::move(entry.value);
            entries_.erase(found);
            return last;
        }
        return entry.value;
    }

    void Clear() { entries_.clear(); }

  private:
    struct Entry {
        Value value;
        int remaining = 0;  // <= 0: every match
    };

    std::map<Key, Entry, std::less<>> entries_;
};

}  // namespace orvsim

#pragma once
// A std::variant of per-kind structs read as a table: each alternative names itself in the file
// by its `kName`, and the parser makes the alternative a name stands for.

#include <cstddef>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace orvhost::parse {

template <class Variant>
class KindTable {
  public:
    // The JSON names with their alternative's index, in the variant's order.
    static std::vector<std::pair<std::string_view, std::size_t>> Names() {
        return NamesOf(std::make_index_sequence<std::variant_size_v<Variant>>());
    }

    // A default-made value of the alternative at `index`.
    static Variant Make(std::size_t index) {
        return MakeAt(index, std::make_index_sequence<std::variant_size_v<Variant>>());
    }

  private:
    template <std::size_t... I>
    static std::vector<std::pair<std::string_view, std::size_t>> NamesOf(
        std::index_sequence<I...>) {
        return {{std::variant_alternative_t<I, Variant>::kName, I}...};
    }

    template <std::size_t... I>
    static Variant MakeAt(std::size_t index, std::index_sequence<I...>) {
        static constexpr Variant (*kMake[])() = {[] { return Variant(std::in_place_index<I>); }...};
        return kMake[index]();
    }
};

}  // namespace orvhost::parse

#pragma once
// The defined dynamic symbols of a shared library, as `nm -D -S --defined-only` lists them,
// demangled and written in the short forms that exported_symbols.txt uses.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct DynamicSymbol {
    std::string mangled;                // as in the symbol table
    std::string name;                   // demangled and shortened; the mangled name if not C++
    char type = '?';                    // nm's type letter: T, W, V, R, D, B, u, ...
    std::optional<std::uint64_t> size;  // bytes, when nm knows it
    bool isCxx = false;                 // the name is an Itanium-mangled C++ name
};

// Lists the defined dynamic symbols of the library at path. Throws std::runtime_error when nm
// cannot be run or reports failure.
std::vector<DynamicSymbol> ReadDynamicSymbols(const std::string& path);

// Demangles a C++ symbol name; nullopt when it is not one.
std::optional<std::string> Demangle(const std::string& mangled);

// Writes library types the way the expected list does: "[abi:cxx11]" tags dropped and
// std::string, std::wstring and std::vector<std::wstring> in their short forms.
std::string ShortenStandardNames(std::string name);

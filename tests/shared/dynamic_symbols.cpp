#include "dynamic_symbols.h"

#include <cxxabi.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Runs a command and returns what it wrote to standard output.
std::string Run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        throw std::runtime_error("cannot run: " + command);
    }
    std::string output;
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) {
        output.append(buffer.data(), read);
    }
    if (pclose(pipe.release()) != 0) {
        throw std::runtime_error("failed: " + command);
    }
    return output;
}

bool IsHex(const std::string& token) {
    return !token.empty() && token.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

}  // namespace

std::optional<std::string> Demangle(const std::string& mangled) {
    if (mangled.rfind("_Z", 0) != 0) {
        return std::nullopt;
    }
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> text(
        abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status), std::free);
    if (status != 0 || !text) {
        return std::nullopt;
    }
    return std::string(text.get());
}

std::string ShortenStandardNames(std::string name) {
    ReplaceAll(name, "[abi:cxx11]", "");
    ReplaceAll(name,
               "std::__cxx11::basic_string<wchar_t, std::char_traits<wchar_t>, "
               "std::allocator<wchar_t> >",
               "std::wstring");
    ReplaceAll(name,
               "std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >",
               "std::string");
    // The demangler separates closing brackets ("> >"), also after a shortened name.
    ReplaceAll(name, "std::wstring >", "std::wstring>");
    ReplaceAll(name, "std::vector<std::wstring, std::allocator<std::wstring> >",
               "std::vector<std::wstring>");
    return name;
}

std::vector<DynamicSymbol> ReadDynamicSymbols(const std::string& path) {
    const std::string listing = Run("nm -D -S --defined-only '" + path + "'");
    std::vector<DynamicSymbol> symbols;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        // "address [size] type name": the size column is missing for some symbols, and a type
        // is a single letter while a size never is.
        std::istringstream fields(line);
        std::string address, column;
        if (!(fields >> address >> column) || !IsHex(address)) {
            continue;
        }
        DynamicSymbol symbol;
        if (column.size() != 1) {
            symbol.size = std::stoull(column, nullptr, 16);
            if (!(fields >> column) || column.size() != 1) {
                throw std::runtime_error("unexpected nm line: " + line);
            }
        }
        symbol.type = column[0];
        std::getline(fields >> std::ws, symbol.mangled);
        if (symbol.mangled.empty()) {
            continue;
        }
        const std::optional<std::string> demangled = Demangle(symbol.mangled);
        symbol.isCxx = demangled.has_value();
        symbol.name = demangled ? ShortenStandardNames(*demangled) : symbol.mangled;
        symbols.push_back(std::move(symbol));
    }
    return symbols;
}

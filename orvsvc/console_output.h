#pragma once
// Whole lines to the terminal, one at a time whatever the thread (the console run's log tail
// prints while the main thread does). On a console the text goes through WriteConsoleW as
// it is; redirected to a file or pipe it is written as UTF-8. Lines end in CR LF.

#include <string_view>

namespace orvsvc {

void PrintLine(std::wstring_view line);       // to stdout
void PrintErrorLine(std::wstring_view line);  // to stderr
void PrintUtf8Line(std::string_view line);    // to stdout, text that is UTF-8 already

}  // namespace orvsvc

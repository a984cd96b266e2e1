#pragma once
// orvsvc's exit statuses.

namespace orvsvc {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the verb could not do its work
inline constexpr int kExitUsage = 2;   // a bad command line
// Done, but not all of it: installed without some of its settings, or deleted while still
// running (it goes once it stops). What is missing has been printed.
inline constexpr int kExitPartial = 3;

}  // namespace orvsvc

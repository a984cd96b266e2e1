#pragma once
// Clang thread-safety annotations (-Wthread-safety). They expand to nothing on other
// compilers. Standard library mutexes carry no capability attribute, so annotate members
// with the wrappers of "base/annotated_mutex.h" rather than with std::mutex directly.

#if defined(__clang__)
#define ORV_THREAD_ANNOTATION_(x) __attribute__((x))
#else
#define ORV_THREAD_ANNOTATION_(x)
#endif

#define CAPABILITY(x) ORV_THREAD_ANNOTATION_(capability(x))
#define SCOPED_CAPABILITY ORV_THREAD_ANNOTATION_(scoped_lockable)
#define GUARDED_BY(x) ORV_THREAD_ANNOTATION_(guarded_by(x))
#define PT_GUARDED_BY(x) ORV_THREAD_ANNOTATION_(pt_guarded_by(x))
#define ACQUIRED_BEFORE(...) ORV_THREAD_ANNOTATION_(acquired_before(__VA_ARGS__))
#define ACQUIRED_AFTER(...) ORV_THREAD_ANNOTATION_(acquired_after(__VA_ARGS__))
#define REQUIRES(...) ORV_THREAD_ANNOTATION_(requires_capability(__VA_ARGS__))
#define REQUIRES_SHARED(...) ORV_THREAD_ANNOTATION_(requires_shared_capability(__VA_ARGS__))
#define ACQUIRE(...) ORV_THREAD_ANNOTATION_(acquire_capability(__VA_ARGS__))
#define ACQUIRE_SHARED(...) ORV_THREAD_ANNOTATION_(acquire_shared_capability(__VA_ARGS__))
#define RELEASE(...) ORV_THREAD_ANNOTATION_(release_capability(__VA_ARGS__))
#define RELEASE_SHARED(...) ORV_THREAD_ANNOTATION_(release_shared_capability(__VA_ARGS__))
#define RELEASE_GENERIC(...) ORV_THREAD_ANNOTATION_(release_generic_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) ORV_THREAD_ANNOTATION_(try_acquire_capability(__VA_ARGS__))
#define TRY_ACQUIRE_SHARED(...) ORV_THREAD_ANNOTATION_(try_acquire_shared_capability(__VA_ARGS__))
#define EXCLUDES(...) ORV_THREAD_ANNOTATION_(locks_excluded(__VA_ARGS__))
#define ASSERT_CAPABILITY(x) ORV_THREAD_ANNOTATION_(assert_capability(x))
#define ASSERT_SHARED_CAPABILITY(x) ORV_THREAD_ANNOTATION_(assert_shared_capability(x))
#define RETURN_CAPABILITY(x) ORV_THREAD_ANNOTATION_(lock_returned(x))
#define NO_THREAD_SAFETY_ANALYSIS ORV_THREAD_ANNOTATION_(no_thread_safety_analysis)

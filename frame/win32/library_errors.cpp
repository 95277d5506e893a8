// What the standard library raises when one of its own preconditions fails (a string grown past
// its maximum size, a position past its end), as the DLLs raise it.
//
// The library's headers report such failures through the std::__throw_* functions. Its own
// definitions raise std::length_error, std::out_of_range and their siblings, and constructing any
// of those brings in the whole family of standard exception classes with their reference-counted
// strings: about 22 KB of a 32-bit DLL. The definitions here, found by the linker before the
// library's, raise orv::Error with the library's message instead, and the standard types that cost
// nothing (std::bad_alloc and the other language-support types) as they are.
//
// Nothing changes for the guard, which catches whatever is raised, nor for a catch of
// std::exception. Code here must not catch std::logic_error, std::runtime_error or their
// subclasses by type: the DLLs never raise them. All fifteen functions the library defines
// together are defined here, so that no reference can bring in the library's definitions beside
// these.
#include <exception>
#include <new>
#include <typeinfo>

#include "../error.h"

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }

void __throw_logic_error(const char* message) { throw orv::Error(message); }
void __throw_domain_error(const char* message) { throw orv::Error(message); }
void __throw_invalid_argument(const char* message) { throw orv::Error(message); }
void __throw_length_error(const char* message) { throw orv::Error(message); }
void __throw_out_of_range(const char* message) { throw orv::Error(message); }
// The format's values are left out: the message says which check failed, which is what matters
// to whoever reads it, and formatting would bring printf back.
void __throw_out_of_range_fmt(const char* format, ...) { throw orv::Error(format); }
void __throw_runtime_error(const char* message) { throw orv::Error(message); }
void __throw_range_error(const char* message) { throw orv::Error(message); }
void __throw_overflow_error(const char* message) { throw orv::Error(message); }
void __throw_underflow_error(const char* message) { throw orv::Error(message); }

}  // namespace std

// Linked into the shipped Windows binaries only: the standard library's
// helpers that throw its exceptions. The library's own build the logic and
// runtime errors from texts in the old reference-counted string, which links
// a second string implementation and its instantiations (some 75 KiB) into the
// program. Our code never catches those errors by type: each is a fault of its
// own, reported by a catch-all as an internal error. Only bad_alloc, which it
// does tell apart, is thrown as itself.
//
// Every helper of the library's functexcept.o is defined here, so that the
// linker never takes that member in (it would then define them twice).
#include <bits/functexcept.h>

#include <exception>
#include <new>
#include <typeinfo>

namespace common {
namespace {

struct InternalError : std::exception {
    const char* what() const noexcept override { return "internal error"; }
};

}  // namespace
}  // namespace common

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char*) { throw common::InternalError(); }
void __throw_domain_error(const char*) { throw common::InternalError(); }
void __throw_invalid_argument(const char*) { throw common::InternalError(); }
void __throw_length_error(const char*) { throw common::InternalError(); }
void __throw_out_of_range(const char*) { throw common::InternalError(); }
void __throw_out_of_range_fmt(const char*, ...) { throw common::InternalError(); }
void __throw_runtime_error(const char*) { throw common::InternalError(); }
void __throw_range_error(const char*) { throw common::InternalError(); }
void __throw_overflow_error(const char*) { throw common::InternalError(); }
void __throw_underflow_error(const char*) { throw common::InternalError(); }

}  // namespace std

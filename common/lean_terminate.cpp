// Linked into the shipped Windows binaries only. An exception that escapes
// everything ends the program with a plain abort: the runtime's default
// handler would first print the exception's demangled type name, and that
// links the whole demangler (some 70 KiB) into every binary.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// Two parts of the static C++ runtime that the windowed program does without,
// replaced here so that the runtime's own versions stay out of the link. Each
// of those brings in far more than it does: together they were half of the
// executable. Linked into the Windows programs only. Should other code come to need
// another of the runtime's std::__throw_ functions, the link fails loudly
// with duplicate definitions, and that function belongs here too.
#include <cstdlib>
#include <new>

#include "Exceptions.h"

namespace __gnu_cxx {

// The default handler writes the demangled type of the uncaught exception to
// standard error, which a windowed program does not have, and brings the
// demangler and a printf implementation along. Ending the process is what
// it does after its message; the entry point's catch-all leaves it nothing
// to handle in practice.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace std {

// The standard library reports a broken precondition (a string from a null
// pointer, a position past the end, a size beyond all memory) through these
// calls. Its own versions throw std::logic_error and kin, whose constructors
// bring a second, reference-counted string implementation into the link.
// Here they raise the program's own always-active check with the library's
// text; like every failure, the entry point's catch-all ends the mode there.
void __throw_length_error(const char* text) { throw EAssertionFailed(text); }
void __throw_logic_error(const char* text) { throw EAssertionFailed(text); }
void __throw_out_of_range_fmt(const char* format, ...) { throw EAssertionFailed(format); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }

}  // namespace std

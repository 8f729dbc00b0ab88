// The program's terminate handler. Velk.exe has no console, so the library's verbose
// handler would print its message to nowhere, and it brings a symbol demangler and a
// printf engine into the program (about a quarter of the whole). Defining the handler
// here keeps the library's out of the link; the process ends as it would have.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

// The two members of the C++11 string that the runtime's exception code uses, instantiated here
// from the same headers. Without them the linker takes the library's unit that instantiates the
// whole class, with unwind tables that keep all of it: about 30 KB of a 32-bit DLL. See
// cow_strings.cpp for the pre-C++11 string's share.
#include <string>

namespace std::__cxx11 {

template char* basic_string<char>::_M_create(size_type&, size_type);
template void basic_string<char>::_M_assign(const basic_string&);

}  // namespace std::__cxx11

// The members of the runtime's reference-counted string that its exception classes use, built
// here from the same headers (see sso_strings.cpp for the C++11 string).
//
// std::runtime_error and its siblings keep their message in the pre-C++11 string. The runtime's
// exception code asks for seven of that string's members; without definitions of its own, the
// linker takes them from the library's unit that instantiates the whole class, and that unit
// brings std::random_device and the C++11 string's instantiation with it: about 65 KB of a
// 32-bit DLL that never uses them. Unwind tables keep every function of a unit the linker takes,
// so nothing short of not taking it removes that code. These are the library's own template
// definitions, instantiated where the linker finds them first.
#define _GLIBCXX_USE_CXX11_ABI 0
#include <string>

namespace std {

template basic_string<char>::_Rep* basic_string<char>::_Rep::_S_create(size_type, size_type, const allocator<char>&);
template void basic_string<char>::_Rep::_M_destroy(const allocator<char>&) throw();
template void basic_string<char>::_Rep::_M_dispose(const allocator<char>&);
template char* basic_string<char>::_Rep::_M_clone(const allocator<char>&, size_type);
template char* basic_string<char>::_S_construct(size_type, char, const allocator<char>&);
template void basic_string<char>::swap(basic_string&);
template basic_string<char>& basic_string<char>::assign(const basic_string&);

}  // namespace std

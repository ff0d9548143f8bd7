#pragma once
// Which texts from the service the program hands to the shell. The program
// runs with administrator rights, and the shell runs whatever it is given:
// a path, a share or a command would start a program, another scheme
// another handler. Only absolute web addresses are opened.

#include <string_view>

namespace quillon {

// True for an absolute "http://" or "https://" address (scheme in any
// case) with a host, made only of characters that may stand in an address:
// no blank, control character, quote, backslash or other character that a
// well-formed address would have percent-encoded (characters beyond ASCII,
// as in international addresses, are allowed).
bool IsWebAddress(std::wstring_view Text);

}  // namespace quillon

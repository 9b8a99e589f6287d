#pragma once
// A path split where the last folder separator is: the folder an output goes
// into and the name it takes there.

#include <string>

namespace brisol {

// The folder part as open() needs it: "." for a bare name, "/" for a name at
// the root.
std::string folder_of(const std::string& path);
// What follows the last separator; the whole path when there is none.
std::string name_in_folder(const std::string& path);

}  // namespace brisol

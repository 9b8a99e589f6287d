#pragma once
// The hidden name an unfinished output may have on disk: .brisol-XXXXXXXX.tmp
// beside the output. Short, so that it fits wherever the output's own name
// fits; the leading dot keeps it out of ordinary directory listings. The
// sweep of dead runs' leftovers recognises exactly these names, so no file of
// the user's is ever taken for one.

#include <string>
#include <string_view>

namespace brisol {

// A fresh name of that pattern, with a random tag.
std::string hidden_output_name();

// Exactly the names hidden_output_name() makes.
bool is_hidden_output_name(std::string_view name);

}  // namespace brisol

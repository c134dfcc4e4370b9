#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// The order of names as file managers sort them: numbers by value
// ("icon2" before "icon10"), letters without regard to case, native names
// compared as the user sees them. Names that read the same still get a fixed
// order by their bytes. Negative, zero or positive, as a < b, a == b, a > b.
int NaturalCompare(std::string_view a, std::string_view b);

// Sorts names into that order, each name decoded once.
void SortNaturally(std::vector<std::string>& names);

} // namespace orbisk

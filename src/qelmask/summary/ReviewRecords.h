#pragma once

#include <string>
#include <string_view>

// The review records of a merged mask: above each node the merge had to
// ask about, the lines "// CHOICE     : ...", "// ALTERNATIVE: ..." and,
// when a choice was made, "// ==> FINALLY: ...". Once reviewed they can go;
// every other line, the customer's own comments included, stays as it is.
namespace ReviewRecords {
struct Count {
  int records = 0;
  int lines = 0;
};

// Appends `merged` without its review records to `out`.
Count strip(std::string_view merged, std::string& out);
// The records `mask` holds.
Count count(std::string_view mask);
}  // namespace ReviewRecords

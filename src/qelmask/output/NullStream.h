#pragma once

#include <iosfwd>

// A stream that swallows everything written to it: the progress of a quiet
// run, the warnings of a reader nobody listens to.
std::ostream& nullStream();

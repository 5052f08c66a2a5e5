#pragma once

// Mode arguments of the framework calls. The tool passes one fixed value of
// each; the others exist only so that the calls read as they always have.
enum VexSearchMode { VexSearchForward = 1 };
enum VexStripMode { VexStripLeading = 1, VexStripTrailing = 2, VexStripBoth = 3 };
enum VexTraMode { VexTraDefault = 0 };

namespace VexCollec {
enum MemoryHandling { KeepMemory = 0, FreeMemory = 1 };
}

#pragma once

class VexQelTrace;

// Marks the extent of a function on a trace channel. It writes nothing; it
// exists so that each traced function names itself where it starts.
class VexQelTraceStep {
 public:
  VexQelTraceStep(VexQelTrace*, const char*) {}
  VexQelTraceStep(const VexQelTraceStep&) = delete;
  VexQelTraceStep& operator=(const VexQelTraceStep&) = delete;
};

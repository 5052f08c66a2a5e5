#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "merge/ThreeWayWalk.h"
#include "tree/MergerObj.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

int MergerObj::comparer(const MergerObj* ref, int& refPos, const MergerObj* neu, int& newPos,
                        const MergerObj* custo, int& custoPos, MergerObj* result, int&) {
  VexQelTraceStep step(&gTraceMain, "comparer");
  ThreeWayWalk walk(ref, refPos, neu, newPos, custo, custoPos, result, nullptr);
  walk.run();
  return 0;
}

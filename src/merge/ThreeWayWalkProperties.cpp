// The part of the walk that merges the properties an entity or an
// attribute holds itself (see OwnProperties).
#include "framework/VexQelTrace.h"
#include "merge/ThreeWayWalk.h"
#include "tree/MaskStorage.h"
#include "tree/TreeVocabulary.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

// Entities and attributes that hold their properties themselves (the three
// trees of a merge are read alike). When every property keeps the
// customer's value, the kept node, cloned from the customer's, holds them
// as they are. Otherwise its properties become nodes: those that keep the
// customer's value are made at once, the others are merged from stand-ins
// like any node, and the writer puts them all back in order.
void ThreeWayWalk::mergeOwnProperties(const Sources& from, MergerObj* into,
                                      const MergeDecider::Decision* inherited) {
  size_t count = OwnProperties::countFor(into->type());
  unsigned all = (1u << count) - 1;
  unsigned kept = keptWithoutQuestion(from, count);
  if (kept == all && into->hasOwnProperties() && into->sharesTextWith(*from.custo)) return;
  into->forgetOwnProperties();
  if (kept) {
    OwnProperties::Values custo = from.custo->ownProperties();
    for (size_t i = 0; i < count; ++i) {
      if (kept & (1u << i)) makeProperty(into, from.custo->getLine(), i, custo[i]);
    }
  }
  if (unsigned asked = all & ~kept) walkBelow(standIns(from, into, asked), into, inherited);
}

// The properties (bit i for the i-th) that a walk over them as nodes would
// keep as the customer has them, without a question and without anything
// else: the customer's value is version N+1's, or version N+1 left version
// N's as it was (or, with no attribute in either default, the customer's
// own). Such a walk tells an observer of each property it keeps, and a
// trace shows each comparison: those walks take every property as a node.
unsigned ThreeWayWalk::keptWithoutQuestion(const Sources& from, size_t count) const {
  if (_observer || gTraceMain.IsActive() || !from.custo || !from.custo->hasOwnProperties())
    return 0;
  if ((from.ref && !from.ref->hasOwnProperties()) || (from.neu && !from.neu->hasOwnProperties()))
    return 0;
  if (!from.neu) return from.ref ? 0 : (1u << count) - 1;
  OwnProperties::Values neu = from.neu->ownProperties();
  OwnProperties::Values custo = from.custo->ownProperties();
  OwnProperties::Values ref = from.ref ? from.ref->ownProperties() : OwnProperties::Values{};
  unsigned kept = 0;
  for (size_t i = 0; i < count; ++i) {
    bool keeps = from.ref ? ref[i] == neu[i] || neu[i] == custo[i] : neu[i] == custo[i];
    if (keeps) kept |= 1u << i;
  }
  return kept;
}

// The property node a walk would have cloned from the customer's.
void ThreeWayWalk::makeProperty(MergerObj* into, long line, size_t i, std::string_view value) {
  std::string_view name = OwnProperties::name(i);
  if (into->inStorage()) {
    MergerObj::create(MaskStorage::forNodesUnder(into), into, line, gsTYPE_PROP.str(), name, value,
                      'N');
  } else {
    new MergerObj(into, line, gsTYPE_PROP, VexUnicodeString(name), VexUnicodeString(value), 'N');
  }
}

// Stand-ins holding the properties of `asked` as nodes, made in the
// result's storage: the records of the questions on them point at them,
// and the trees read stay as they are.
ThreeWayWalk::Sources ThreeWayWalk::standIns(const Sources& from, MergerObj* into, unsigned asked) {
  auto standIn = [into, asked](const MergerObj* source) -> const MergerObj* {
    if (!source || !source->hasOwnProperties()) return nullptr;
    // A tree built by hand under a node made with `new` has no storage of
    // its own: the stand-in then goes with the source's.
    MaskStorage& storage = MaskStorage::forNodesUnder(into->inStorage() ? into : source);
    return MergerObj::standIn(storage, source, asked);
  };
  return {standIn(from.ref), standIn(from.neu), standIn(from.custo)};
}

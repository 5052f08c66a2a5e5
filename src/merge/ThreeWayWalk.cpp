#include "merge/ThreeWayWalk.h"

#include "framework/VexQelTrace.h"
#include "framework/VexQelTraceStep.h"
#include "merge/MergeActions.h"
#include "merge/QuestionKind.h"
#include "merge/SubtreeMerges.h"
#include "rules/MergerRule.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

ThreeWayWalk::ThreeWayWalk(const MergerObj* ref, int& refPos, const MergerObj* neu, int& newPos,
                           const MergerObj* custo, int& custoPos, MergerObj* result,
                           MergeObserver* observer, MergeDecider* decider,
                           const MergeDecider::Decision* inherited)
    : _ref(ref, refPos),
      _new(neu, newPos),
      _cus(custo, custoPos),
      _result(result),
      _observer(observer),
      _decider(decider),
      _inherited(inherited) {
  const MergerObj* first = ref ? ref : neu ? neu : custo;
  _keepOrder = first && first->isOrdered() ? 1 : 0;
}

void ThreeWayWalk::run() {
  bool fresh = _result->childCount() == 0;
  gTraceMain << "> keep order?: " << _keepOrder << "\n";
  _ref.next();
  traceParent("> node1: ", _ref.parent());
  _new.next();
  traceParent("> node2: ", _new.parent());
  _cus.next();
  traceParent("> node3: ", _cus.parent());
  while (_ref.current() || _new.current() || _cus.current()) {
    VexQelTraceStep step(&gTraceMain, "Iteration");
    if (!pass()) break;
  }
  // Each pass takes the smallest node of the three sorted lists, so the
  // nodes the walk adds come in order of type and name, and the sort
  // before writing has nothing to do for them; checked, not trusted.
  if (fresh && _inOrder) _result->markChildrenInOrder();
}

bool ThreeWayWalk::pass() {
  tracePosition(_ref);
  tracePosition(_new);
  tracePosition(_cus);
  if (!_ref.current() && !_new.current()) {
    onlyCustomerLeft();
    return true;
  }
  int c12 = compare(1, _ref, _new);
  if (c12 == 0) {
    sameInBothDefaults();
  } else if (c12 == 99) {
    valueChangedByDefault();
  } else if (c12 < 0 && _ref.current()) {
    droppedByNewDefault(compare(2, _ref, _cus), false);
  } else if (c12 < 0) {
    newInNewDefault(compare(3, _new, _cus));
  } else {
    // NEW has run out, or its node comes before REF's.
    int c13 = compare(2, _ref, _cus);
    int c23 = compare(3, _new, _cus);
    if (_new.current()) {
      newInNewDefault(c23);
    } else {
      return droppedByNewDefault(c13, true);
    }
  }
  return true;
}

// Both defaults have run out: what is left is the customer's own.
void ThreeWayWalk::onlyCustomerLeft() {
  add();
  moveOn(_cus, "Cus");
}

// The node is the same in both defaults.
void ThreeWayWalk::sameInBothDefaults() {
  int c13 = compare(2, _ref, _cus);
  if (c13 == 0 || c13 == 99) {
    keep({_ref.current(), _new.current(), _cus.current()});
    moveOn(_ref, "Ref");
    moveOn(_new, "New");
    moveOn(_cus, "Cus");
  } else if (_cus.current() && c13 > 0) {
    add();
    moveOn(_cus, "Cus");
  } else {
    // The customer removed the node.
    ignore(_new, gsVisuNew);
    moveOn(_ref, "Ref");
    moveOn(_new, "New");
  }
}

// Version N+1 gave the node another value.
void ThreeWayWalk::valueChangedByDefault() {
  int c13 = compare(2, _ref, _cus);
  int c23 = c13 == 99 ? compare(3, _new, _cus) : 0;
  if (c13 != 0 && c13 != 99) {
    if (_cus.current() && c13 > 0) {
      add();
      moveOn(_cus, "Cus");
    } else {
      ignore(_new, gsVisuNew);  // the customer removed the node
      moveOn(_ref, "Ref");
      moveOn(_new, "New");
    }
    return;
  }
  Sources all{_ref.current(), _new.current(), _cus.current()};
  if (c13 == 0) {
    askAboutValueChangedByDefault(all);
  } else if (c23 == 0) {
    keep(all);  // the customer made the same change
  } else {
    askAboutValueChangedByBoth(all);
  }
  moveOn(_ref, "Ref");
  moveOn(_new, "New");
  moveOn(_cus, "Cus");
}

// Version N+1 dropped REF's node: before NEW's node, or after NEW's last
// (`newEnded`). Returns false when the walk ends early.
bool ThreeWayWalk::droppedByNewDefault(int c13, bool newEnded) {
  if (c13 == 0 || c13 == 99) {
    askAboutDroppedNode();
    if (newEnded) {
      moveOn(_ref, "Ref");
      moveOn(_cus, "Cus");
    } else {
      moveOn(_cus, "Cus");
      moveOn(_ref, "Ref");
    }
  } else if (_cus.current() && c13 > 0) {
    add();
    moveOn(_cus, "Cus");
  } else {
    ignore(_ref, gsVisuRef);
    // With NEW and CUSTO both done, each REF node left would only be
    // ignored too: the walk stops here.
    if (newEnded && !_cus.current()) return false;
    moveOn(_ref, "Ref");
  }
  return true;
}

// NEW's node is new in version N+1 (REF has run out, or its node comes
// later).
void ThreeWayWalk::newInNewDefault(int c23) {
  if (_cus.current() && c23 > 0 && c23 != 99) {
    add();
    moveOn(_cus, "Cus");
    return;
  }
  if (c23 < 0 || !_cus.current()) {
    askAboutNewNode();
    moveOn(_new, "New");
    return;
  }
  Sources fromNew{nullptr, _new.current(), _cus.current()};
  if (c23 == 0) {
    keep(fromNew);  // the customer already has it
  } else {
    askAboutValueChangedByBoth(fromNew);
  }
  moveOn(_new, "New");
  moveOn(_cus, "Cus");
}

// Version N+1 dropped a node the customer still has.
void ThreeWayWalk::askAboutDroppedNode() {
  settle(QuestionKind::kDroppedByNew, {_ref.current(), nullptr, _cus.current()});
}

// The customer's value differs from version N+1's, and both differ from
// version N's (or version N had no such node).
void ThreeWayWalk::askAboutValueChangedByBoth(const Sources& from) {
  settle(QuestionKind::kChangedByBoth, from);
}

// Version N+1 changed a value that the customer left as it was.
void ThreeWayWalk::askAboutValueChangedByDefault(const Sources& from) {
  settle(QuestionKind::kChangedByNew, from);
}

// Version N+1 brought a node the customer lacks: the question is about that
// node alone, which has none in the other two versions.
void ThreeWayWalk::askAboutNewNode() {
  settle(QuestionKind::kNewInNew, {nullptr, _new.current(), nullptr});
}

// The customer's own node: copied with its whole subtree.
void ThreeWayWalk::add() {
  traceDecision("ADD ", gsVisuCus, _cus);
  cloneUnderResult(_cus, MergeAction::kAdd);
}

void ThreeWayWalk::keep(const Sources& from) {
  traceDecision("KEEP ", gsVisuCus, _cus);
  MergerObj* kept = cloneUnderResult(_cus, MergeAction::kKeep);
  if (kept) mergeChildren(from, kept, _inherited);
}

// Left out without a doubt: nothing is created.
void ThreeWayWalk::ignore(MergeCursor& cursor, const VexUnicodeString& origin) {
  traceDecision("IGNORE ", origin, cursor);
}

// The three versions disagree: a recorded choice, else the rules, choose
// between the two options of the kind of question, and the choice is
// recorded on the node created, for the administrator to review. `from`
// holds the nodes the question is about.
void ThreeWayWalk::settle(QuestionKind kind, const Sources& from) {
  const QuestionKindInfo& question = questionKind(kind);
  traceOption("RECOMMEND  : ", question.recommendation);
  traceOption("ALTERNATIVE: ", question.alternative);
  MergerRule* rule = nullptr;
  const MergeDecider::Decision* decision = recordedChoice(kind, from);
  Choice choice = decision ? decision->choice : askRules(question, rule);
  if (decision) traceRecorded(*decision);
  const QuestionOption& applied = question.option(choice);
  MergerObj* created = &applied.action == &MergeAction::kAdd
                           ? cloneAdded(cursorOf(applied.side))
                           : cloneUnderResult(cursorOf(applied.side), applied.action);
  gTraceMain << (choice == Choice::kAlternative ? "==> CHOOSE ALTERNATIVE: "
                                                : "==> CHOOSE RECOMMENDATION: ")
             << applied.action.traceWord << " " << originOf(applied.side) << "\n";
  if (_observer)
    _observer->questionSettled(
        {kind, from.ref, from.neu, from.custo, created, choice, rule, decision});
  if (!created) return;
  record(created, question, choice, rule, decision);
  if (&applied.action != &MergeAction::kKeep) return;
  // A dropped node kept with its subtree settles every question below it.
  bool handDown = decision && decision->withSubtree && question.withSubtree;
  mergeChildren(from, created, handDown ? decision : _inherited);
}

// A choice recorded for this very question, else the one handed down by a
// dropped node kept with its subtree (below such a node every question is
// about a dropped node): a line about one node below it is the finer
// choice.
const MergeDecider::Decision* ThreeWayWalk::recordedChoice(QuestionKind kind, const Sources& from) {
  if (_decider) {
    if (const MergeDecider::Decision* own =
            _decider->decide({kind, from.ref, from.neu, from.custo, _result}))
      return own;
  }
  return _inherited && questionKind(kind).withSubtree ? _inherited : nullptr;
}

Choice ThreeWayWalk::askRules(const QuestionKindInfo& question, MergerRule*& rule) {
  const QuestionOption& recommendation = question.recommendation;
  const QuestionOption& alternative = question.alternative;
  int code = static_cast<int>(Choice::kRecommendation);
  rule = MergerRule::checkRule(recommendation.action.ruleCode, recommendation.ruleNode(),
                               cursorOf(recommendation.side).current(), alternative.action.ruleCode,
                               alternative.ruleNode(), cursorOf(alternative.side).current(), code);
  return code == static_cast<int>(Choice::kAlternative) ? Choice::kAlternative
                                                        : Choice::kRecommendation;
}

void ThreeWayWalk::record(MergerObj* created, const QuestionKindInfo& question, Choice choice,
                          const MergerRule* rule, const MergeDecider::Decision* decision) {
  const QuestionOption& recommendation = question.recommendation;
  const QuestionOption& alternative = question.alternative;
  created->setRecommandation(&recommendation.action.traceWord, &originOf(recommendation.side),
                             cursorOf(recommendation.side).current());
  created->setAlternative(&alternative.action.traceWord, &originOf(alternative.side),
                          cursorOf(alternative.side).current());
  if (decision) {
    created->recordDecision(choice == Choice::kAlternative, *decision->file, decision->line);
  } else {
    created->setChoice(static_cast<int>(choice), rule);
  }
}

MergeCursor& ThreeWayWalk::cursorOf(Side side) { return side == Side::kCusto ? _cus : _new; }

const VexUnicodeString& ThreeWayWalk::originOf(Side side) {
  return side == Side::kCusto ? gsVisuCus : gsVisuNew;
}

// Clones the current node of `source` under the result as the action
// copies it. Under an ordered node (a value list) the clone is numbered by
// its place within its parent, so that the writer keeps the order of the
// list.
MergerObj* ThreeWayWalk::cloneUnderResult(MergeCursor& source, const MergeAction& action) {
  MergerObj* created = MergerObj::clone(source.current(), _result, action.cloneMode);
  if (created && _keepOrder == 1 && source.parent()) {
    created->setLine(source.current()->getLine() - source.parent()->getLine());
  }
  if (created && _observer) _observer->nodeCloned(source.current(), created, action.cloneMode);
  size_t count = _result->childCount();
  if (created && count >= 2 &&
      MergerNode::compareNode(_result->childAt(count - 2), created, 0) > 0) {
    _inOrder = false;
  }
  return created;
}

void ThreeWayWalk::mergeChildren(const Sources& from, MergerObj* into,
                                 const MergeDecider::Decision* inherited) {
  if (_later) return _later->add({from.ref, from.neu, from.custo, into});
  VexQelTraceStep step(&gTraceMain, "comparer");
  bool own = (from.ref && from.ref->hasOwnProperties()) ||
             (from.neu && from.neu->hasOwnProperties()) ||
             (from.custo && from.custo->hasOwnProperties());
  if (own) mergeOwnProperties(from, into, inherited);
  walkBelow(from, into, inherited);
}

void ThreeWayWalk::mergeBelow(const MergerObj* ref, const MergerObj* neu, const MergerObj* custo,
                              MergerObj* into) {
  int refPos = 0, newPos = 0, custoPos = 0;
  ThreeWayWalk walk(ref, refPos, neu, newPos, custo, custoPos, into, nullptr);
  walk.mergeChildren({ref, neu, custo}, into, nullptr);
}

void ThreeWayWalk::walkBelow(const Sources& from, MergerObj* into,
                             const MergeDecider::Decision* inherited) {
  int refPos = 0, newPos = 0, custoPos = 0;
  ThreeWayWalk below(from.ref, refPos, from.neu, newPos, from.custo, custoPos, into, _observer,
                     _decider, inherited);
  below.run();
}

// A node of version N+1 added with its subtree, but for the nodes below it
// that a recorded choice leaves out.
MergerObj* ThreeWayWalk::cloneAdded(MergeCursor& source) {
  const MergerObj* added = source.current();
  if (!_decider || !added || !_decider->refusesBelow(added, _result))
    return cloneUnderResult(source, MergeAction::kAdd);
  MergerObj* created = cloneUnderResult(source, MergeAction::kKeep);
  if (created) copyBelow(added, added, created);
  return created;
}

void ThreeWayWalk::copyBelow(const MergerObj* added, const MergerObj* from, MergerObj* into) {
  for (size_t i = 0; i < from->childCount(); ++i) {
    const MergerObj* child = from->childAt(i);
    if (!child) continue;
    if (const MergeDecider::Decision* refusal = _decider->refused(added, child, _result)) {
      leaveOut(child, into, *refusal);
      continue;
    }
    MergerObj* copy = MergerObj::clone(child, into, kCloneAlone);
    if (!copy) continue;
    if (_observer) _observer->nodeCloned(child, copy, kCloneAlone);
    copyBelow(added, child, copy);
  }
  if (from->childrenInOrder()) into->markChildrenInOrder();
}

// The node left out stays as a record only: the merge would have added it,
// the recorded choice took the alternative.
void ThreeWayWalk::leaveOut(const MergerObj* inner, MergerObj* into,
                            const MergeDecider::Decision& decision) {
  MergerObj* left = MergerObj::clone(inner, into, kCloneRecordOnly);
  if (!left) return;
  left->setRecommandation(&gsVisuADD, &gsVisuNew, inner);
  left->setAlternative(&gsVisuIGNORE, &gsVisuNew, inner);
  left->recordDecision(true, *decision.file, decision.line);
  if (gTraceMain.IsActive()) {
    std::string id;
    inner->appendId(id);
    gTraceMain << "  | ==> LEAVE OUT " << gsVisuNew << " [" << id << "] (decision "
               << *decision.file << ":" << decision.line << ")\n";
  }
  if (_observer) _observer->innerRefused(inner, left, decision);
}

void ThreeWayWalk::moveOn(MergeCursor& cursor, const char* word) {
  if (cursor.next())
    gTraceMain << "  | EVENT(ITERATION," << word << ")"
               << "\n";
}

int ThreeWayWalk::compare(int number, MergeCursor& a, MergeCursor& b) {
  static const char* const kLabels[] = {
      "",
      "  1) Comparing DEFAUT[N] / DEFAUT[N+1] = ",
      "  2) Comparing DEFAUT[N] / CUSTO[N]    = ",
      "  3) Comparing DEFAUT[N+1] / CUSTO[N]    = ",
  };
  int result = MergerObj::compareTexts(a.text(), b.text());
  gTraceMain << kLabels[number] << result << "\n";
  return result;
}

void ThreeWayWalk::traceParent(const char* prefix, const MergerObj* parent) {
  if (!gTraceMain.IsActive()) return;
  if (!parent) {
    gTraceMain << prefix << "NONE"
               << "\n";
    return;
  }
  VexUnicodeString id;
  parent->getId(id);
  gTraceMain << prefix << id << " (" << parent->getLine() << ")"
             << "\n";
}

void ThreeWayWalk::tracePosition(MergeCursor& cursor) {
  if (!gTraceMain.IsActive()) return;
  gTraceMain << "  | [" << cursor.position() << "] = " << cursor.id() << "\n";
}

void ThreeWayWalk::traceDecision(const char* verb, const VexUnicodeString& origin,
                                 MergeCursor& cursor) {
  if (!gTraceMain.IsActive()) return;
  gTraceMain << "  | ==> " << verb << origin << " [" << cursor.id() << "]"
             << "\n";
}

void ThreeWayWalk::traceRecorded(const MergeDecider::Decision& decision) {
  if (!gTraceMain.IsActive()) return;
  gTraceMain << "  | ==> RECORDED DECISION: " << *decision.file << ":" << decision.line << "\n";
}

void ThreeWayWalk::traceOption(const char* label, const QuestionOption& option) {
  if (!gTraceMain.IsActive()) return;
  gTraceMain << "  | ==> " << label << option.action.traceWord << " " << originOf(option.side)
             << " [" << cursorOf(option.side).id() << "]"
             << "\n";
}

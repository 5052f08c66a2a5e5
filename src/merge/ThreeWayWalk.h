#pragma once

#include "merge/MergeActions.h"
#include "merge/MergeCursor.h"
#include "merge/MergeDecider.h"
#include "merge/MergeObserver.h"
#include "merge/QuestionKind.h"
#include "tree/MergerObj.h"

class SubtreeMerges;

// One level of the three-way merge: walks the sorted children of the REF
// node (DEFAULT mask of version N), the NEW node (DEFAULT mask of version
// N+1) and the CUSTO node (the customer's mask of version N) side by side,
// like a merge of sorted lists, and creates under `result` what becomes of
// each customer node. Kept nodes are merged one level down by a new walk.
// Every step is explained on the "Main" trace channel.
class ThreeWayWalk {
 public:
  // `observer` (may be null) is told of every copy and every question;
  // `decider` (may be null) settles the questions it has a choice for
  // before the rules are asked; `inherited` is the choice that settles
  // every question below a dropped node kept with its subtree.
  ThreeWayWalk(const MergerObj* ref, int& refPos, const MergerObj* neu, int& newPos,
               const MergerObj* custo, int& custoPos, MergerObj* result, MergeObserver* observer,
               MergeDecider* decider = nullptr, const MergeDecider::Decision* inherited = nullptr);
  void run();
  // Leaves the subtrees below the nodes this walk keeps to `later` rather
  // than merging them at once (only for a walk without observer, decider
  // or inherited choice).
  void deferBelow(SubtreeMerges* later) { _later = later; }
  // Merges the children of three corresponding nodes (any may be null)
  // into `into`, as a walk does below a node it kept.
  static void mergeBelow(const MergerObj* ref, const MergerObj* neu, const MergerObj* custo,
                         MergerObj* into);

 private:
  // The nodes whose children a kept node is merged from: only read.
  struct Sources {
    const MergerObj* ref;
    const MergerObj* neu;
    const MergerObj* custo;
  };
  // One pass over the smallest node; false when the walk ends early.
  bool pass();
  void onlyCustomerLeft();
  void sameInBothDefaults();
  void valueChangedByDefault();
  bool droppedByNewDefault(int c13, bool newEnded);
  void newInNewDefault(int c23);
  void askAboutDroppedNode();
  void askAboutValueChangedByBoth(const Sources& from);
  void askAboutValueChangedByDefault(const Sources& from);
  void askAboutNewNode();

  void add();
  void keep(const Sources& from);
  void ignore(MergeCursor& cursor, const VexUnicodeString& origin);
  void settle(QuestionKind kind, const Sources& from);
  const MergeDecider::Decision* recordedChoice(QuestionKind kind, const Sources& from);
  Choice askRules(const QuestionKindInfo& question, MergerRule*& rule);
  void record(MergerObj* created, const QuestionKindInfo& question, Choice choice,
              const MergerRule* rule, const MergeDecider::Decision* decision);
  MergeCursor& cursorOf(Side side);
  static const VexUnicodeString& originOf(Side side);
  MergerObj* cloneUnderResult(MergeCursor& source, const MergeAction& action);
  void mergeChildren(const Sources& from, MergerObj* into, const MergeDecider::Decision* inherited);
  void walkBelow(const Sources& from, MergerObj* into, const MergeDecider::Decision* inherited);
  void mergeOwnProperties(const Sources& from, MergerObj* into,
                          const MergeDecider::Decision* inherited);
  unsigned keptWithoutQuestion(const Sources& from, size_t count) const;
  static void makeProperty(MergerObj* into, long line, size_t i, std::string_view value);
  static Sources standIns(const Sources& from, MergerObj* into, unsigned asked);
  MergerObj* cloneAdded(MergeCursor& source);
  void copyBelow(const MergerObj* added, const MergerObj* from, MergerObj* into);
  void leaveOut(const MergerObj* inner, MergerObj* into, const MergeDecider::Decision& decision);

  void moveOn(MergeCursor& cursor, const char* word);
  int compare(int number, MergeCursor& a, MergeCursor& b);
  void traceParent(const char* prefix, const MergerObj* parent);
  void tracePosition(MergeCursor& cursor);
  void traceDecision(const char* verb, const VexUnicodeString& origin, MergeCursor& cursor);
  void traceOption(const char* label, const QuestionOption& option);
  void traceRecorded(const MergeDecider::Decision& decision);

  MergeCursor _ref;
  MergeCursor _new;
  MergeCursor _cus;
  MergerObj* _result;
  int _keepOrder;
  MergeObserver* _observer;
  MergeDecider* _decider;
  const MergeDecider::Decision* _inherited;
  // Whether every node added to `_result` came after the one before it.
  bool _inOrder = true;
  SubtreeMerges* _later = nullptr;
};

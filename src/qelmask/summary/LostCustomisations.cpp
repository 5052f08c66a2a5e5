#include "qelmask/summary/LostCustomisations.h"

#include "merge/MergeObserver.h"
#include "qelmask/session/MatchingChild.h"
#include "qelmask/session/QuestionLog.h"
#include "qelmask/summary/DecisionCause.h"
#include "tree/MergerObj.h"

void LostCustomisations::compute(const QuestionLog& questions, const DecisionCause& causes) {
  _causes = &causes;
  for (const QuestionLog::Entry& question : questions.entries()) {
    if (!question.custo) continue;
    if (question.kind == QuestionKind::kDroppedByNew &&
        (!question.created || !question.created->isActive())) {
      // Left out with its branch; the node itself is the customer's only
      // where its value is.
      if (question.ref && question.ref->value() != question.custo->value())
        add(question.custo, false);
      walk(question.custo, question.ref);
    } else if (QuestionLog::newReplacedCusto(question) && question.ref &&
               question.ref->value() != question.custo->value()) {
      add(question.custo, false);
    }
  }
  _causes = nullptr;
}

void LostCustomisations::walk(const MergerObj* custo, const MergerObj* ref) {
  MatchingChild delivered(ref);
  MatchingChild::forEachInOrder(custo, [&](const MergerObj* child) {
    int order = 0;
    const MergerObj* inRef = delivered.find(child->text(), order);
    if (!inRef) {
      add(child, true);
      return;
    }
    if (order == 99) add(child, false);
    walk(child, inRef);
  });
}

void LostCustomisations::add(const MergerObj* node, bool own) {
  const MergerObj* mask = node;
  while (mask->getParentObj()) mask = mask->getParentObj();
  std::string id;
  node->appendId(id);
  DecisionCause::Cause cause = _causes->of(node, nullptr);
  _entries.push_back(
      {std::string(mask->name()), std::move(id), own, cause.decision, std::move(cause.text)});
}

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A node's path as a rule of the rule file names it: the type and name of
// each level, never a value (rules match by type and name only), anchored
// below the mask; on the customer's side it may start with the mask itself
// ("M::SITE/...") to hold in that mask only.
class RulePath {
 public:
  struct Element {
    std::string type, name;
    bool operator==(const Element&) const = default;
  };

  // The path of `node`, a node's identifier without its own value, as the
  // mask's bytes ("E::PART/A::V_status/_::defval").
  explicit RulePath(std::string_view node);

  // Why no rule can name this path (in `mask`, when given), or "" when
  // one can.
  std::string whyNot(const std::optional<std::string>& mask) const;
  // The path as a rule writes it, starting with its mask when given.
  std::string text(const std::optional<std::string>& mask) const;
  // The same text for every node a rule without mask matches.
  const std::string& signature() const { return _signature; }
  const std::vector<Element>& elements() const { return _elements; }

  // Why no rule can name a node or mask called `name`, or "".
  static std::string whyNotName(std::string_view name);

 private:
  std::vector<Element> _elements;
  std::string _signature;
};

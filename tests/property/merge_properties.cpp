// Properties of the merge that users rely on, checked over randomly generated
// mask triples: a reference default mask, and a new default mask and a
// customer mask derived from it by random edits. Fixed seeds keep every run
// the same; a failure prints the seed and the three input files.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "maskfile/MergerFile.h"
#include "rules/MergerRule.h"

namespace {

namespace fs = std::filesystem;

// A line of the DEFAULT mask ("*ENTITY", "*ATTR", "+ACI", "+FILTER" or
// "+VALUE"), its fields after the keyword (the first one names the node), an
// optional comment line above it, and the lines that belong to it.
struct Line {
  std::string keyword;
  std::vector<std::string> fields;
  std::string comment;
  std::vector<Line> below;
};

using Pool = std::vector<std::string>;
// Names by keyword: small pools, so that the three masks share many nodes.
const std::map<std::string, Pool> kNames = {
    {"*ENTITY", {"PART", "DOC", "ITEM", "USER", "SITE"}},
    {"*ATTR", {"V_id", "name", "state", "owner", "kind", "date"}},
    {"+ACI", {"READ", "QUERY", "WRITE", "CREATE", "EZQUERY"}},
    {"+FILTER", {"OWNER", "SITE", "GROUP"}},
    {"+VALUE", {"OPEN", "CLOSED", "DRAFT", "alpha", "beta", "gamma"}}};
const Pool kFlags = {"Y", "N", "", "$"};
const Pool kTexts = {"", "x", "Part id", "$", "1"};

class MaskGenerator {
 public:
  explicit MaskGenerator(unsigned seed) : _rng(seed) {}

  std::vector<Line> makeMask() {
    std::vector<Line> entities;
    for (int n = 1 + below(4); n > 0; --n) entities.push_back(makeLine("*ENTITY"));
    return spreadNames(std::move(entities));
  }

  // Random drops, additions, renames, value changes, reorderings and new
  // comments, at every level.
  std::vector<Line> derive(std::vector<Line> lines, const std::string& parentKeyword = "") {
    if (!lines.empty() && chance(15)) lines.erase(lines.begin() + below(lines.size()));
    if (parentKeyword.size() != 4 && chance(15))  // not below a "+" line
      lines.push_back(makeLine(parentKeyword.empty()        ? "*ENTITY"
                               : parentKeyword == "*ENTITY" ? "*ATTR"
                                                            : "+"));
    if (!lines.empty() && chance(25)) {  // a rename (field 0) or a changed value
      Line& line = lines[below(lines.size())];
      std::size_t field = below(line.fields.size());
      line.fields[field] = field == 0 ? name(line.keyword) : value();
    }
    if (lines.size() > 1 && chance(10)) std::shuffle(lines.begin(), lines.end(), _rng);
    if (!lines.empty() && chance(10)) lines[below(lines.size())].comment = "// edited";
    for (Line& line : lines) line.below = derive(std::move(line.below), line.keyword);
    return spreadNames(std::move(lines));
  }

  std::string text(const std::vector<Line>& entities, const std::string& sep) {
    std::string out = sep == "," ? "" : "*SEPARATOR " + sep + "\n";
    out += "// the default mask\n*MASK DEFAULT\n";
    for (const Line& entity : entities) write(out, entity, sep, entity.fields[0]);
    return out;
  }

  bool chance(int percent) { return below(100) < percent; }

 private:
  int below(std::size_t n) { return std::uniform_int_distribution<int>(0, int(n) - 1)(_rng); }
  const std::string& pick(const std::vector<std::string>& pool) { return pool[below(pool.size())]; }

  const std::string& name(const std::string& keyword) { return pick(kNames.at(keyword)); }
  const std::string& value() { return pick(chance(50) ? kFlags : kTexts); }

  Line makeLine(std::string keyword) {
    if (keyword == "+" || (keyword == "*ATTR" && chance(30)))
      keyword = std::vector<std::string>{"+ACI", "+FILTER", "+VALUE", "+VALUE"}[below(4)];
    Line line{
        keyword, {name(keyword)}, chance(20) ? "// note " + std::to_string(below(99)) : "", {}};
    // Entity: alias; attribute: required, alias, group, order, auth, defval;
    // access line: flag; filter: value.
    for (int n = keyword == "*ATTR" ? 6 : keyword == "+VALUE" ? 0 : 1; n > 0; --n)
      line.fields.push_back(value());
    for (int n = keyword == "*ENTITY" ? below(5) : keyword == "*ATTR" ? below(3) : 0; n > 0; --n)
      line.below.push_back(makeLine(keyword == "*ENTITY" ? "*ATTR" : "+"));
    line.below = spreadNames(std::move(line.below));
    return line;
  }

  // Siblings of one kind and name are legal, but they blur which customer
  // node became which result node: most of them are renamed.
  std::vector<Line> spreadNames(std::vector<Line> lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      auto clashes = [&] {
        return std::any_of(
            lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(i), [&](const Line& other) {
              return other.keyword == lines[i].keyword && other.fields[0] == lines[i].fields[0];
            });
      };
      for (int tries = chance(10) ? 0 : 5; tries > 0 && clashes(); --tries)
        lines[i].fields[0] = name(lines[i].keyword);
    }
    return lines;
  }

  // Entity-level "+" lines go before the entity's attributes, where they
  // belong to the entity; a rare orphan attribute names a missing entity.
  void write(std::string& out, const Line& line, const std::string& sep,
             const std::string& entity) {
    if (!line.comment.empty()) out += line.comment + "\n";
    std::vector<std::string> fields = line.fields;
    if (line.keyword == "*ENTITY") fields.insert(fields.begin() + 1, "DEFAULT");
    if (line.keyword == "*ATTR") {
      fields.insert(fields.begin() + 1, (chance(3) ? "GHOST" : entity) + ".DEFAULT");
      fields.insert(fields.begin() + 6, "$");
    }
    out += line.keyword + " " + fields[0];
    for (std::size_t i = 1; i < fields.size(); ++i) out += sep + fields[i];
    out += "\n";
    for (bool attrs : {false, true})
      for (const Line& child : line.below)
        if ((child.keyword == "*ATTR") == attrs) write(out, child, sep, entity);
  }

  std::mt19937 _rng;
};

struct Triple {
  unsigned seed;
  std::string ref, neu, custo;
};

Triple makeTriple(unsigned seed) {
  MaskGenerator gen(seed);
  std::vector<Line> ref = gen.makeMask();
  std::string custoSep = gen.chance(25) ? ";" : ",";
  return {seed, gen.text(ref, ","), gen.text(gen.derive(ref), ","),
          gen.text(gen.derive(ref), custoSep)};
}

std::string describe(const Triple& t, bool all = true) {
  std::string text = "seed " + std::to_string(t.seed) + "\n";
  if (all) text += "--- ref.msk\n" + t.ref + "--- new.msk\n" + t.neu;
  return text + "--- custo.msk\n" + t.custo;
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void spit(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder, removed with everything in it at the end of the scope.
struct WorkDir {
  fs::path path;
  WorkDir() {
    std::string pattern = (fs::temp_directory_path() / "merger_property_XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~WorkDir() { fs::remove_all(path); }
  void put(const Triple& t) const {
    spit(path / "ref.msk", t.ref);
    spit(path / "new.msk", t.neu);
    spit(path / "custo.msk", t.custo);
  }
};

// Runs the tool inside `dir` with the trace channels off, its console going
// to stdout.txt and stderr.txt there; returns the exit status.
int runTool(const fs::path& dir, const std::string& args) {
  std::string command = "cd '" + dir.string() + "' && env -u VEX_TRACE '" MERGER_BINARY "' " +
                        args + " >stdout.txt 2>stderr.txt";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MergeProperty, SameInputsGiveSameOutput) {
  WorkDir dir;
  const std::string args = "ref.msk new.msk custo.msk out.msk -reorder";
  for (unsigned seed = 1; seed <= 60; ++seed) {
    Triple t = makeTriple(seed);
    dir.put(t);
    std::vector<std::string> runs;
    for (int run = 0; run < 2; ++run) {
      ASSERT_EQ(runTool(dir.path, args), 0) << describe(t);
      EXPECT_EQ(slurp(dir.path / "stderr.txt"), "") << describe(t);
      runs.push_back(slurp(dir.path / "stdout.txt") + "--- out.msk\n" +
                     slurp(dir.path / "out.msk") + "--- custo.msk.sorted\n" +
                     slurp(dir.path / "custo.msk.sorted"));
    }
    EXPECT_EQ(runs[0], runs[1]) << describe(t);
  }
}

TEST(MergeProperty, MergingAMaskWithItselfWritesItSorted) {
  WorkDir dir;
  for (unsigned seed = 101; seed <= 160; ++seed) {
    Triple t = makeTriple(seed);
    spit(dir.path / "x.msk", t.custo);
    ASSERT_EQ(runTool(dir.path, "x.msk x.msk x.msk out.msk -reorder"), 0) << describe(t, false);
    EXPECT_EQ(slurp(dir.path / "stderr.txt"), "") << describe(t, false);
    EXPECT_EQ(slurp(dir.path / "out.msk"), slurp(dir.path / "x.msk.sorted")) << describe(t, false);
  }
}

// Silences what reading and merging print on the console.
struct QuietConsole {
  std::ostringstream sink;
  std::streambuf* saved = std::cout.rdbuf(sink.rdbuf());
  ~QuietConsole() { std::cout.rdbuf(saved); }
};

// The merge never drops a node of the customer mask without telling. A
// customer node is kept (the default's copy when only the default changed
// its value, with a record), added with its subtree when the defaults do not
// have it, or, when the new default dropped it, put to the rules, which
// leave either a kept node or an inactive one carrying the decision record
// (its children go with it). Nodes ignored without a record are only ever
// nodes the customer does not have (removed by the customer, or dropped by
// both the new default and the customer).
// So, walking the result down by type and name from the mask: at each level
// an active node of the customer node's type and name must hold its
// children, unless a node there is inactive with a record. With duplicate
// siblings the walk cannot tell which result node came from which, so a
// record on any of them counts. `results` are the candidate parents.
void collectLost(const MergerObj* custo, const std::vector<MergerObj*>& results, std::string path,
                 std::vector<std::string>& lost) {
  path += "/" + custo->getType().str() + "::" + custo->getName().str();
  std::vector<MergerObj*> active;
  bool recorded = false;
  for (const MergerObj* result : results)
    for (int i = 1; i <= result->getChildCount(); ++i) {
      MergerObj* child = result->getChildObj(i);
      if (!child || child->getType() != custo->getType() || child->getName() != custo->getName())
        continue;
      if (child->isActive())
        active.push_back(child);
      else if (!child->getAlternative().empty())
        recorded = true;
    }
  if (recorded) return;
  if (active.empty()) {
    lost.push_back(path);
    return;
  }
  for (int i = 1; i <= custo->getChildCount(); ++i)
    if (custo->getChildObj(i)) collectLost(custo->getChildObj(i), active, path, lost);
}

TEST(MergeProperty, NoCustomisationIsDroppedWithoutARecord) {
  WorkDir dir;
  for (unsigned seed = 1001; seed <= 1100; ++seed) {
    Triple t = makeTriple(seed);
    dir.put(t);
    MergerFile ref(1), neu(1), custo(1), result(1);
    {
      QuietConsole quiet;
      ASSERT_EQ(ref.read((dir.path / "ref.msk").string().c_str()), 0) << describe(t);
      ASSERT_EQ(neu.read((dir.path / "new.msk").string().c_str()), 0) << describe(t);
      ASSERT_EQ(custo.read((dir.path / "custo.msk").string().c_str()), 0) << describe(t);
      result.setSeparator(custo.getSeparator());
      ASSERT_EQ(custo.merge(ref, neu, result), 0) << describe(t);
    }
    ASSERT_EQ(result.getMaskCount(), custo.getMaskCount()) << describe(t);
    std::vector<std::string> lost;
    for (int m = 1; m <= custo.getMaskCount(); ++m) {
      MergerObj* mask = custo.getMaskAt(m);
      for (int i = 1; i <= mask->getChildCount(); ++i)
        collectLost(mask->getChildObj(i), {result.getMaskAt(m)}, "M::" + mask->getName().str(),
                    lost);
    }
    for (const std::string& path : lost) ADD_FAILURE() << "lost without a record: " << path;
    ASSERT_TRUE(lost.empty()) << describe(t);
  }
}

// What a merge writes, with the three masks read holding the properties of
// entities and attributes in their own node or as child nodes; and the
// three masks as read, written again after the merge.
struct MergeOutput {
  std::string merged;
  std::string inputsAfter;
};

MergeOutput mergeReadAs(const fs::path& dir, bool owners, std::string& inputsBefore) {
  MergerFile ref(1), neu(1), custo(1), result(1);
  MergerFile* inputs[] = {&ref, &neu, &custo};
  QuietConsole quiet;
  std::ostringstream before, after, merged;
  for (MergerFile* file : inputs) file->keepPropertiesInOwners(owners);
  EXPECT_EQ(ref.read((dir / "ref.msk").string().c_str()), 0);
  EXPECT_EQ(neu.read((dir / "new.msk").string().c_str()), 0);
  EXPECT_EQ(custo.read((dir / "custo.msk").string().c_str()), 0);
  for (MergerFile* file : inputs) file->writeTo(before);
  result.setSeparator(custo.getSeparator());
  EXPECT_EQ(custo.merge(ref, neu, result), 0);
  result.writeTo(merged);
  for (MergerFile* file : inputs) file->writeTo(after);
  inputsBefore = before.str();
  return {merged.str(), after.str()};
}

// Properties held by their entity or attribute merge as property nodes do,
// through every kind of question on them and the rules that settle it; and
// the merge leaves the masks it reads as they were (several merges may read
// one default mask at once).
TEST(MergeProperty, PropertiesHeldByTheirOwnersMergeAsPropertyNodes) {
  const std::vector<std::vector<std::string>> ruleSets = {
      {},
      {"KEEP CUSTO //_::alias", "IGNORE NEW //_::defval", "KEEP NEW //A::*/_::required",
       "IGNORE CUSTO //_::group", "KEEP CUSTO //A::*"},
      {"IGNORE CUSTO //A::*", "KEEP NEW //_::*", "KEEP CUSTO E::*"}};
  WorkDir dir;
  for (unsigned seed = 2001; seed <= 2300; ++seed) {
    Triple t = makeTriple(seed);
    dir.put(t);
    const std::vector<std::string>& rules = ruleSets[seed % ruleSets.size()];
    for (size_t i = 0; i < rules.size(); ++i) {
      ASSERT_NE(MergerRule::addRule(rules[i].c_str(), static_cast<int>(i + 1)), nullptr);
    }
    std::string nodesBefore, ownersBefore;
    MergeOutput nodes = mergeReadAs(dir.path, false, nodesBefore);
    MergeOutput owners = mergeReadAs(dir.path, true, ownersBefore);
    MergerRule::end();
    EXPECT_EQ(owners.merged, nodes.merged) << describe(t);
    EXPECT_EQ(ownersBefore, nodesBefore) << describe(t);
    EXPECT_EQ(owners.inputsAfter, ownersBefore) << describe(t);
    if (HasFailure()) return;
  }
}

}  // namespace

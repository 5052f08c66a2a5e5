// Writes three large, related mask files for timing the tool: a DEFAULT mask
// of version N (ref.msk), the DEFAULT mask of version N+1 derived from it
// (new.msk) and a customer mask derived from it too (custo.msk).
//
//   gen_masks <output folder> [lines per file, default 1000000] [seed, default 1]
//
// The same arguments always give the same bytes: the random generator below
// is our own, because the standard distributions may differ between library
// implementations.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {

// SplitMix64: tiny, fast and fully specified, so the files do not depend on
// the compiler or the standard library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : _state(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A number in [low, high].
  int between(int low, int high) {
    return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
  }
  // True with the given probability, in parts per thousand.
  bool chance(int perMille) { return static_cast<int>(next() % 1000) < perMille; }
  template <class T>
  const T& pick(const std::vector<T>& items) {
    return items[next() % items.size()];
  }

 private:
  std::uint64_t _state;
};

struct Aci {
  std::string operation;
  char flag;  // 'Y' or 'N'
};

struct Filter {
  std::string name;
  std::string value;
};

struct Attr {
  std::string name, required, alias, group, order, auth, defval;
  std::vector<Aci> acis;
  std::vector<Filter> filters;
  std::vector<std::string> values;
  std::vector<std::string> comments;
};

struct Entity {
  std::string name, alias;
  std::vector<Aci> acis;
  std::vector<Filter> filters;
  std::vector<Attr> attrs;
  std::vector<std::string> comments;
};

struct Mask {
  std::vector<std::string> comments;
  std::vector<Entity> entities;
};

const std::vector<std::string> kEntityWords = {"PART",    "DOCUMENT", "ITEM",    "USER",
                                               "PROJECT", "CHANGE",   "FOLDER",  "SUPPLIER",
                                               "ORDER",   "PRODUCT",  "VERSION", "CONTRACT"};
const std::vector<std::string> kAttrWords = {"id",     "name",    "owner",  "status", "type",
                                             "weight", "cost",    "date",   "site",   "origin",
                                             "note",   "version", "source", "state",  "color"};
const std::vector<std::string> kOperations = {"READ", "QUERY", "EZQUERY", "CREATE", "WRITE"};
const std::vector<std::string> kFilterNames = {"SITE", "OWNER", "PROGRAM", "LEVEL"};
const std::vector<std::string> kValueWords = {"DRAFT",    "OPEN",     "REVIEW",    "RELEASED",
                                              "OBSOLETE", "FROZEN",   "CANCELLED", "ARCHIVED",
                                              "PENDING",  "APPROVED", "REJECTED",  "SHIPPED"};
const std::vector<std::string> kGroups = {"", "GENERAL", "DESIGN", "COST", "LOGISTICS"};

std::string numbered(const std::string& word, long number) {
  return word + "_" + std::to_string(number);
}

// Distinct operations: a node never holds two access lines of one operation.
std::vector<Aci> makeAcis(Random& random, int count) {
  std::vector<Aci> acis;
  std::size_t first = random.next() % kOperations.size();
  for (int i = 0; i < count && i < static_cast<int>(kOperations.size()); ++i) {
    acis.push_back({kOperations[(first + i) % kOperations.size()], random.chance(700) ? 'Y' : 'N'});
  }
  return acis;
}

std::vector<Filter> makeFilters(Random& random, int count) {
  std::vector<Filter> filters;
  std::size_t first = random.next() % kFilterNames.size();
  for (int i = 0; i < count && i < static_cast<int>(kFilterNames.size()); ++i) {
    const std::string& name = kFilterNames[(first + i) % kFilterNames.size()];
    filters.push_back({name, "${USER." + name + "}"});
  }
  return filters;
}

// Distinct words in a random order: lists in real masks are ordered by hand.
std::vector<std::string> makeValues(Random& random, int count) {
  std::vector<std::string> pool = kValueWords;
  for (std::size_t i = pool.size() - 1; i > 0; --i)
    std::swap(pool[i], pool[random.next() % (i + 1)]);
  pool.resize(static_cast<std::size_t>(count));
  return pool;
}

Attr makeAttr(Random& random, const std::string& name) {
  Attr attr;
  attr.name = name;
  attr.required = random.chance(300) ? "Y" : "N";
  attr.alias = random.chance(600) ? "Label of " + name : "";
  attr.group = random.pick(kGroups);
  attr.order = std::to_string(random.between(1, 99) * 10);
  attr.auth = random.chance(200) ? "Y" : "N";
  attr.defval = random.chance(250) ? "default" : "";
  attr.acis = makeAcis(random, random.between(1, 2));
  if (random.chance(100)) attr.filters = makeFilters(random, 1);
  if (random.chance(250)) attr.values = makeValues(random, random.between(3, 6));
  if (random.chance(20)) attr.comments.push_back("// kept for compatibility with older clients");
  return attr;
}

long lineCount(const Attr& attr) {
  return 1 + static_cast<long>(attr.comments.size() + attr.acis.size() + attr.filters.size() +
                               attr.values.size());
}

long lineCount(const Entity& entity) {
  long lines =
      1 + static_cast<long>(entity.comments.size() + entity.acis.size() + entity.filters.size());
  for (const Attr& attr : entity.attrs) lines += lineCount(attr);
  return lines;
}

// Entity names start with a random word so that the file is far from sorted
// order and the tool's sort has real work to do.
Mask makeReference(Random& random, long targetLines) {
  Mask mask;
  mask.comments = {"// DEFAULT mask, version N", "// one entity per business object"};
  long lines = 1 + static_cast<long>(mask.comments.size());
  for (long number = 1; lines < targetLines; ++number) {
    Entity entity;
    entity.name = numbered(random.pick(kEntityWords), number);
    entity.alias = random.chance(500) ? "" : "Object " + std::to_string(number);
    entity.acis = makeAcis(random, random.between(1, 3));
    if (random.chance(300)) entity.filters = makeFilters(random, random.between(1, 2));
    if (random.chance(100)) entity.comments.push_back("// " + entity.name + ": reviewed");
    int attrs = random.between(5, 40);
    for (int a = 1; a <= attrs; ++a) {
      entity.attrs.push_back(makeAttr(random, numbered("V_" + random.pick(kAttrWords), a)));
    }
    lines += lineCount(entity);
    mask.entities.push_back(std::move(entity));
  }
  return mask;
}

void changeProperty(Random& random, Attr& attr) {
  switch (random.between(0, 4)) {
    case 0:
      attr.required = attr.required == "Y" ? "N" : "Y";
      break;
    case 1:
      attr.alias += " (new)";
      break;
    case 2:
      attr.group = attr.group == "COST" ? "GENERAL" : "COST";
      break;
    case 3:
      attr.order = std::to_string(std::atoi(attr.order.c_str()) + 5);
      break;
    default:
      attr.defval = attr.defval.empty() ? "none" : "";
      break;
  }
}

void flipSomeFlags(Random& random, std::vector<Aci>& acis, int perMille) {
  for (Aci& aci : acis) {
    if (random.chance(perMille)) aci.flag = aci.flag == 'Y' ? 'N' : 'Y';
  }
}

// Version N+1: the kind of changes a release brings, about 2% of each kind.
Mask makeNew(const Mask& ref, Random& random) {
  Mask neu;
  neu.comments = {"// DEFAULT mask, version N+1"};
  long added = 0;
  for (const Entity& source : ref.entities) {
    if (random.chance(2)) continue;  // an entity retired by the release
    Entity entity = source;
    entity.attrs.clear();
    flipSomeFlags(random, entity.acis, 20);
    for (const Attr& sourceAttr : source.attrs) {
      if (random.chance(20)) continue;
      Attr attr = sourceAttr;
      if (random.chance(20)) changeProperty(random, attr);
      flipSomeFlags(random, attr.acis, 20);
      if (attr.values.size() > 1 && random.chance(30)) {
        std::swap(attr.values.front(), attr.values.back());
      }
      entity.attrs.push_back(std::move(attr));
      if (random.chance(20))
        entity.attrs.push_back(makeAttr(random, numbered("N_release", ++added)));
    }
    neu.entities.push_back(std::move(entity));
    if (random.chance(3)) {
      Entity fresh;
      fresh.name = numbered("RELEASE_OBJECT", ++added);
      fresh.acis = makeAcis(random, 2);
      for (int a = 1; a <= 8; ++a) fresh.attrs.push_back(makeAttr(random, numbered("V_new", a)));
      neu.entities.push_back(std::move(fresh));
    }
  }
  return neu;
}

// The customer's version N: about 3% of the mask touched, in the ways sites
// customise a mask (own objects, hidden attributes, other labels, notes).
Mask makeCustomer(const Mask& ref, Random& random) {
  Mask custo;
  custo.comments = {"// Customer mask, site ACME", "// based on DEFAULT version N"};
  long own = 0;
  for (const Entity& source : ref.entities) {
    Entity entity = source;
    entity.attrs.clear();
    flipSomeFlags(random, entity.acis, 10);
    for (const Attr& sourceAttr : source.attrs) {
      if (random.chance(8)) continue;
      Attr attr = sourceAttr;
      if (random.chance(8)) changeProperty(random, attr);
      flipSomeFlags(random, attr.acis, 5);
      if (random.chance(5)) attr.comments.push_back("// site: changed on request of the plant");
      entity.attrs.push_back(std::move(attr));
      if (random.chance(5)) entity.attrs.push_back(makeAttr(random, numbered("C_site", ++own)));
    }
    custo.entities.push_back(std::move(entity));
    if (random.chance(5)) {
      Entity mine;
      mine.name = numbered("SITE_OBJECT", ++own);
      mine.alias = "Site object";
      mine.comments.push_back("// site: own object");
      mine.acis = makeAcis(random, 2);
      for (int a = 1; a <= 6; ++a) mine.attrs.push_back(makeAttr(random, numbered("V_site", a)));
      custo.entities.push_back(std::move(mine));
    }
  }
  return custo;
}

void writeNodeLines(std::ostream& out, const std::vector<Aci>& acis,
                    const std::vector<Filter>& filters) {
  for (const Aci& aci : acis) out << "+ACI " << aci.operation << "," << aci.flag << "\n";
  for (const Filter& filter : filters)
    out << "+FILTER " << filter.name << "," << filter.value << "\n";
}

void writeMask(const Mask& mask, const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary);
  for (const std::string& comment : mask.comments) out << comment << "\n";
  out << "*MASK DEFAULT\n";
  for (const Entity& entity : mask.entities) {
    for (const std::string& comment : entity.comments) out << comment << "\n";
    out << "*ENTITY " << entity.name << ",DEFAULT";
    if (!entity.alias.empty()) out << "," << entity.alias;
    out << "\n";
    // Entity-level lines must precede the entity's first attribute line,
    // or they would belong to that attribute.
    writeNodeLines(out, entity.acis, entity.filters);
    for (const Attr& attr : entity.attrs) {
      for (const std::string& comment : attr.comments) out << comment << "\n";
      out << "*ATTR " << attr.name << "," << entity.name << ".DEFAULT," << attr.required << ","
          << attr.alias << "," << attr.group << "," << attr.order << ",$," << attr.auth << ","
          << attr.defval << "\n";
      writeNodeLines(out, attr.acis, attr.filters);
      for (const std::string& value : attr.values) out << "+VALUE " << value << "\n";
    }
  }
  if (!out) {
    std::cerr << "gen_masks: cannot write " << path << "\n";
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::cerr << "usage: gen_masks <output folder> [lines per file] [seed]\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const long lines = argc > 2 ? std::atol(argv[2]) : 1000000;
  const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
  if (lines < 1) {
    std::cerr << "gen_masks: the line count must be positive\n";
    return 2;
  }
  std::filesystem::create_directories(folder);

  // One stream per file, so that changing how NEW is derived leaves REF and
  // CUSTO as they were.
  Random refRandom(seed), newRandom(seed * 3 + 1), custoRandom(seed * 7 + 2);
  const Mask ref = makeReference(refRandom, lines);
  writeMask(ref, folder / "ref.msk");
  writeMask(makeNew(ref, newRandom), folder / "new.msk");
  writeMask(makeCustomer(ref, custoRandom), folder / "custo.msk");
  return 0;
}

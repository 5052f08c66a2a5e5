#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "app/RuleFileLoader.h"
#include "framework/TestSupport.h"
#include "maskfile/MergerFile.h"
#include "rules/MergerRule.h"

namespace {

// Counts what is written to it and keeps only the last bytes: a text of
// gigabytes is checked without being held.
class CountingBuffer : public std::streambuf {
 public:
  size_t count = 0;
  std::string tail;

 protected:
  int overflow(int c) override {
    char byte = static_cast<char>(c);
    xsputn(&byte, 1);
    return c;
  }
  std::streamsize xsputn(const char* text, std::streamsize n) override {
    count += static_cast<size_t>(n);
    tail.append(text + std::max<std::streamsize>(0, n - 64), std::min<std::streamsize>(n, 64));
    if (tail.size() > 64) tail.erase(0, tail.size() - 64);
    return n;
  }
};

// The processor time of this thread, in seconds: what other programs do
// on the machine does not count.
double threadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The fastest of three runs of `work`, in seconds of processor time.
template <class Work>
double fastest(Work work) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    double start = threadSeconds();
    work();
    best = std::min(best, threadSeconds() - start);
  }
  return best;
}

// Good rules followed by as many rules whose second path element is bad.
std::string goodThenBadRules(int n) {
  std::string rules;
  for (int i = 0; i < n; ++i) rules += "KEEP CUSTO E::X" + std::to_string(i) + "\n";
  for (int i = 0; i < n; ++i) rules += "KEEP CUSTO E::X" + std::to_string(i) + "/bad\n";
  return rules;
}

constexpr size_t kBeyondInt = size_t{INT_MAX} + 17;

#ifdef MERGER_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

}  // namespace

// A rejected rule goes from the end of the list: ten times the lines cost
// about ten times the time, not a hundred.
TEST(HostileInput, RejectedRulesCostTimeInProportion) {
  auto load = [](int n) {
    return fastest([&] {
      StdoutCapture quiet;
      EXPECT_EQ(loadRules(goodThenBadRules(n)), n);
      MergerRule::end();
    });
  };
  double small = load(10000), large = load(100000);
  EXPECT_LT(large / small, 30) << small << " s, then " << large << " s";
}

// A length of 2 GiB or more does not wrap: such an entity line is read and
// written like a short one.
TEST(HostileInput, AnEntityLineBeyondTwoGigabytesIsKept) {
#ifdef MERGER_SANITIZED
  GTEST_SKIP() << "gigabytes of input: run in the release build only";
#endif
  auto written = [](size_t length) {
    std::string input = "*MASK DEFAULT\n*ENTITY ";
    input.reserve(input.size() + length + 9);
    input.append(length, 'n').append(",DEFAULT\n");
    MergerFile file(1);
    file.parse(std::move(input));
    file.sort(0);
    EXPECT_EQ(file.getMaskAt(1)->getChildCount(), 1);
    EXPECT_EQ(file.getMaskAt(1)->getChildObj(1)->name().size(), length);
    CountingBuffer counted;
    std::ostream out(&counted);
    EXPECT_TRUE(file.writeTo(out));
    EXPECT_EQ(counted.tail.substr(counted.tail.size() - 10), "n,DEFAULT\n");
    return counted.count;
  };
  EXPECT_EQ(written(kBeyondInt) - kBeyondInt, written(1) - 1);
}

TEST(HostileInput, ARuleLineBeyondTwoGigabytesGetsItsWarning) {
#ifdef MERGER_SANITIZED
  GTEST_SKIP() << "gigabytes of input: run in the release build only";
#endif
  std::string line = "KEEP NEW E::X/" + std::string(kBeyondInt, 'b');
  CountingBuffer counted;
  std::streambuf* console = std::cout.rdbuf(&counted);
  MergerRule* rule = MergerRule::addRule(line.c_str(), 3);
  std::cout.rdbuf(console);
  EXPECT_EQ(rule, nullptr);
  EXPECT_EQ(MergerRule::_lRules.Size(), 0);
  EXPECT_EQ(counted.count, std::string("Warning [line 3]: Invalid Node []\n").size() + kBeyondInt);
  EXPECT_EQ(counted.tail.substr(counted.tail.size() - 4), "bb]\n");
}

// A record names the node it is about: ten thousand questions under an
// entity with a name of 100 KB cost megabytes, not the gigabytes their
// identifiers would take; the review comments are composed when written.
TEST(HostileInput, DecisionRecordsDoNotCopyIdentifiers) {
  const std::string entity(100 << 10, 'E');
  const std::string mask = "*MASK DEFAULT\n*ENTITY " + entity + ",DEFAULT\n";
  std::string added;
  for (int i = 0; i < 10000; ++i) added += "+ACI OP" + std::to_string(i) + ",Y\n";
  MergerFile ref(1), neu(1), custo(1), result(1);
  ref.parse(mask);
  neu.parse(mask + added);
  custo.parse(mask);
  for (MergerFile* file : {&ref, &neu, &custo}) file->sort(0);
  std::ostringstream console;
  custo.setConsole(console);
  size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
  ASSERT_EQ(custo.merge(ref, neu, result), 0);
  size_t grown = mallinfo2().uordblks + mallinfo2().hblkhd - before;
  // The sanitizer's allocator does not tell.
  if (!kSanitized) {
    EXPECT_LT(grown, size_t{64} << 20) << grown << " bytes for the merge";
  }
  MergerObj* merged = result.getMaskAt(1)->getChildObj(1);
  ASSERT_EQ(merged->getChildCount(), 10001);
  MergerObj* question = merged->findChild("X", "OP1");
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->getAlternative().str(), "IGNORE NEW(n+1) [E::" + entity + "/X::OP1[Y]]");
}

#include "app/MergerRun.h"

#include <iostream>

#include "app/Console.h"
#include "app/RuleFileLoader.h"
#include "framework/TamLunFileIn.h"
#include "framework/VexQelTrace.h"
#include "maskfile/MergerFile.h"
#include "tree/TreeVocabulary.h"

static VexQelTrace gTraceMain("Main", "Main", "STDOUT", 1024, VexTraDefault);

namespace {

// What the command line asks for.
struct Arguments {
  VexUnicodeString files[4];  // REF, NEW, CUSTO, output
  VexUnicodeString rule;
  int reorder = 0;
};

const int kExpectRule = 10;
const int kAllTaken = -1;

// Walks the arguments. Returns false when "-h" stopped the walk.
bool parseArguments(int argc, char** argv, Arguments& args) {
  int state = 0;
  for (int i = 1; i < argc; ++i) {
    VexUnicodeString arg(argv[i]);
    if (arg == "-h") {
      usage(0);
      return false;
    }
    if (arg == "-rule") {
      state = kExpectRule;
    } else if (arg == "-reorder") {
      args.reorder = 1;
    } else if (state == kExpectRule) {
      // The rule file name is followed by the second mask file, whatever
      // came before "-rule".
      args.rule = arg;
      state = 1;
    } else if (state == kAllTaken) {
      std::cout << "> Warning: unprocessed argument: " << arg << "\n";
    } else {
      args.files[state] = arg;
      state = state == 3 ? kAllTaken : state + 1;
    }
  }
  return true;
}

int finish(int status) {
  SayBye();
  return cleanUp(status);
}

// Reads the three input files, merges them and writes the results.
int mergeFiles(const Arguments& args) {
  MergerFile ref(1), neu(1), custo(1);
  MergerFile* const inputs[] = {&ref, &neu, &custo};
  // Traces show every property as a node of its own.
  for (MergerFile* input : inputs) input->keepPropertiesInOwners(!VexQelTrace::AnyActive());
  if (int status = MergerFile::readAll(args.files, inputs, 3)) return finish(status);
  MergerFile result(1);
  result.setSeparator(custo.getSeparator());

  custo.merge(ref, neu, result);

  if (MergerObj* merged = result.getMask(gsEMPTY)) {
    if (gTraceMain.IsActive()) {
      std::cout << "Dumping resulting tree: "
                << "\n";
      std::cout.flush();
      merged->dump(gsEMPTY, 0);
    }
    if (args.files[3].GetLengthInChar() > 0) {
      std::cout << "Saving resulting tree: "
                << "\n";
      std::cout.flush();
      result.save(args.files[3]);
    }
  } else {
    std::cout << "NO resulting tree"
              << "\n";
    std::cout.flush();
  }

  if (args.reorder) {
    VexUnicodeString sorted = args.files[2];
    sorted += ".sorted";
    std::cout << "Saving CUSTO file, reordered in: " << sorted << "\n";
    std::cout.flush();
    custo.save(sorted);
  }
  return finish(0);
}

}  // namespace

int runMerger(int argc, char** argv) {
  // A run reads the trace settings anew, so that runs in one process (tests
  // and fuzzing) may each have their own.
  VexQelTrace::ReadSettings();
  SayHello();
  if (argc < 1) {
    usage(0);
    return 1;
  }
  Arguments args;
  if (!parseArguments(argc, argv, args)) return 0;

  TamLunFileIn ruleFile;
  if (args.rule.GetLengthInChar() > 0) {
    std::cout << "Info: rule file is = " << args.rule << "\n";
    long rejected = loadRuleFile(args.rule, ruleFile);
    if (rejected < 0) return finish(1);
    // The status is one byte: beyond 255 rejected lines, it stays 255.
    if (rejected > 0) return finish(rejected > 255 ? 255 : static_cast<int>(rejected));
  }
  return mergeFiles(args);
}

#include "qelmask/commands/CommandLine.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <iostream>

#include "qelmask/commands/CommandOptions.h"
#include "qelmask/commands/Commands.h"
#include "qelmask/output/Diagnostics.h"
#include "qelmask/output/ExitStatus.h"
#include "qelmask/summary/Findings.h"

#ifndef QELMASK_VERSION
#define QELMASK_VERSION "unknown"
#endif

namespace {

const char* const kExitStatuses =
    "Exit status:\n"
    "  0  done (check: nothing of the --fail-on kinds found)\n"
    "  1  an input or the rule file is missing, unreadable or has errors, or --ref\n"
    "     and --new look swapped, or merge --fail-on found what it names (check:\n"
    "     something of the --fail-on kinds found); nothing written\n"
    "  2  wrong usage\n"
    "  3  the output was refused or could not be written; nothing written\n"
    "  diff: 0 no difference, 1 differences, 4 an input is missing, unreadable,\n"
    "     a folder or holds no mask; git-merge: 1 also when a question was left\n"
    "     to the recommendation, or the merge was not made\n"
    "  merge, report over several sites: the highest status of the sites (a site\n"
    "     that fails gets no output, the others do); 3 also when the sites or\n"
    "     --output-dir were refused, before anything was read";

void addFailOn(CLI::App& command, CommandOptions& options, const char* what) {
  command.add_option("--fail-on", options.failOn, what)->type_name("KIND,...");
}

void addRulesAndDecisions(CLI::App& command, CommandOptions& options) {
  command
      .add_option("--rules", options.rules, "rule file: how to settle the questions of the merge")
      ->type_name("FILE");
  command
      .add_option("--decisions", options.decisions,
                  "decisions file (qelmask decide, or the report page): choices recorded\n"
                  "for single questions, applied before any rule")
      ->type_name("FILE");
}

void addAllowSwap(CLI::App& command, CommandOptions& options) {
  command.add_flag("--allow-swap", options.allowSwap,
                   "merge even when --ref and --new look swapped (your mask closer to --new)");
}

void addInputs(CLI::App& command, CommandOptions& options, bool required = true) {
  command.add_option("--ref", options.ref, "DEFAULT mask of version N")
      ->required(required)
      ->type_name("FILE");
  command.add_option("--new", options.neu, "DEFAULT mask of version N+1")
      ->required(required)
      ->type_name("FILE");
  command.add_option("--custo", options.custo, "your customised mask of version N")
      ->required(required)
      ->type_name("FILE");
  addRulesAndDecisions(command, options);
}

// merge and report: one site's mask, or many sharing the same DEFAULT masks.
void addSiteInputs(CLI::App& command, CommandOptions& options, bool defaultsRequired = true) {
  command.add_option("--ref", options.ref, "DEFAULT mask of version N")
      ->required(defaultsRequired)
      ->type_name("FILE");
  command.add_option("--new", options.neu, "DEFAULT mask of version N+1")
      ->required(defaultsRequired)
      ->type_name("FILE");
  command
      .add_option("--custo", options.sites,
                  "your customised mask of version N; several: one per site, all\n"
                  "built on --ref")
      ->type_name("FILE");
  command
      .add_option("--sites", options.sitesDir,
                  "the sites' masks: every file named *.msk in this folder")
      ->type_name("DIR");
  command
      .add_option("-j,--jobs", options.jobs,
                  "sites merged at once (default: one per core; 1 under VEX_TRACE)")
      ->check(CLI::Range(1, 1024))
      ->type_name("N");
  addRulesAndDecisions(command, options);
}

void addOutput(CLI::App& command, CommandOptions& options, const char* what, bool required = true) {
  command.add_option("-o,--output", options.output, what)->required(required)->type_name("FILE");
  command.add_flag("-f,--force", options.force, "replace the output if it exists");
  command.add_flag("-q,--quiet", options.quiet, "print errors only");
}

// The options that name files must not be empty: "" is no file.
bool namesFiles(const CLI::App& command, std::string& empty) {
  for (const CLI::Option* option : command.get_options()) {
    bool names = option->get_type_name() == "FILE" || option->get_type_name() == "DIR";
    if (!names || option->count() == 0) continue;
    for (const std::string& value : option->results()) {
      if (value.empty()) {
        empty = option->get_name();
        return false;
      }
    }
  }
  return true;
}

// check takes either the three masks of a merge or masks of its own.
bool checksEitherWay(const CommandOptions& options, std::string& wrong) {
  bool inputs = !options.ref.empty() || !options.neu.empty() || !options.custo.empty() ||
                !options.rules.empty() || !options.decisions.empty();
  if (!options.masks.empty()) {
    if (inputs) wrong = "give either masks to check or --ref, --new and --custo, not both";
    return !inputs;
  }
  if (options.ref.empty())
    wrong = "--ref is required";
  else if (options.neu.empty())
    wrong = "--new is required";
  else if (options.custo.empty())
    wrong = "--custo is required";
  return wrong.empty();
}

// merge and report take one site's mask, or several with what they need;
// one site alone is the run it always was.
bool sitesOneWay(CommandOptions& options, bool merge, std::string& wrong) {
  if (!options.sites.empty() && !options.sitesDir.empty())
    wrong = "give either --custo or --sites, not both";
  else if (options.sites.empty() && options.sitesDir.empty())
    wrong = "--custo is required";
  else if (!merge)
    ;
  else if (options.overSites() && !options.output.empty())
    wrong = "several sites are written to --output-dir, not --output";
  else if (options.overSites() && options.outputDir.empty())
    wrong = "--output-dir is required for several sites";
  else if (options.overSites() && !options.sortedCusto.empty())
    wrong = "--sorted-custo takes one site only";
  else if (!options.overSites() && options.output.empty())
    wrong = "--output is required";
  if (wrong.empty() && !options.overSites()) options.custo = options.sites.front();
  return wrong.empty();
}

// A report either merges or combines the reports of earlier runs.
bool reportsOneWay(CommandOptions& options, std::string& wrong) {
  if (options.combine.empty()) {
    if (options.ref.empty())
      wrong = "--ref is required";
    else if (options.neu.empty())
      wrong = "--new is required";
    return wrong.empty() && sitesOneWay(options, false, wrong);
  }
  if (!options.ref.empty() || !options.neu.empty() || !options.sites.empty() ||
      !options.sitesDir.empty() || !options.rules.empty() || !options.decisions.empty())
    wrong =
        "--combine takes reports only: no --ref, --new, --custo, --sites, --rules or --decisions";
  else if (options.html.empty() && options.json.empty())
    wrong = "--combine writes --html, --json or both: give one";
  return wrong.empty();
}

// --with-subtree keeps a node with everything below it: only the
// alternative of a dropped node keeps it.
bool decidesOneWay(const CommandOptions& options, std::string& wrong) {
  if (!options.withSubtree || options.take == "alternative") return true;
  wrong =
      "--with-subtree goes with --take alternative: it keeps a node version N+1 dropped, with "
      "everything below it";
  return false;
}

CLI::App* addMerge(CLI::App& app, CommandOptions& options) {
  CLI::App* merge = app.add_subcommand(
      "merge",
      "Merge --custo (built on --ref) into --new and write the result to --output;\n"
      "several sites' masks (--custo A B..., --sites DIR): each to --output-dir");
  addSiteInputs(*merge, options);
  addOutput(*merge, options, "the merged mask (version N+1), with its review records", false);
  merge
      ->add_option("--output-dir", options.outputDir,
                   "several sites: the folder each site's merged mask goes to, under\n"
                   "its file's name (made when missing)")
      ->type_name("DIR");
  merge
      ->add_option("--sorted-custo", options.sortedCusto,
                   "also write --custo in sorted order to this file")
      ->type_name("FILE");
  addAllowSwap(*merge, options);
  addFailOn(*merge, options,
            "refuse the merge (status 1, nothing written) when it finds any of these kinds:\n"
            "grant, revoke, lost-customisation, stale-rule, stale-decision, swap,\n"
            "lost-comment, ignored-line, moved-line");
  merge->add_flag("--legacy-layout", options.legacyLayout,
                  "write QELPeopleMaskMerger's bytes: an entity's own lines after\n"
                  "its last attribute, where a reader takes them for that attribute's\n"
                  "(by default they come right after the entity line)");
  merge->footer(kExitStatuses);
  return merge;
}

CLI::App* addCheck(CLI::App& app, CommandOptions& options) {
  CLI::App* check = app.add_subcommand(
      "check",
      "Report what merge would, and the lines the reader ignores; write nothing.\n"
      "Given masks only (no --ref, --new, --custo): list the lines of those that an\n"
      "earlier merge wrote after an entity's last attribute, whose owner is in doubt");
  addInputs(*check, options, false);
  check->add_option("masks", options.masks, "masks to check on their own")->type_name("FILE");
  addFailOn(*check, options,
            "the kinds of findings that make the status 1 (default:\n"
            "grant,lost-customisation,stale-rule,stale-decision,swap,moved-line;\n"
            "also revoke, lost-comment, ignored-line)");
  check->add_flag("--all", options.all,
                  "list everything in full (lists stop at 20 lines otherwise)");
  check->add_flag("-q,--quiet", options.quiet, "print errors only; the status tells the rest");
  check->footer(kExitStatuses);
  return check;
}

CLI::App* addStrip(CLI::App& app, CommandOptions& options) {
  CLI::App* strip = app.add_subcommand(
      "strip", "Remove the review records from a reviewed merged mask, for deployment");
  strip->add_option("merged", options.merged, "the merged mask")->required()->type_name("FILE");
  addOutput(*strip, options, "the mask without its review records");
  strip->footer(kExitStatuses);
  return strip;
}

CLI::App* addReport(CLI::App& app, CommandOptions& options) {
  CLI::App* report = app.add_subcommand(
      "report",
      "Merge in memory (writing no mask) and report every decision of the merge; over\n"
      "several sites, one report where a question asked alike in several is one row");
  addSiteInputs(*report, options, false);
  report
      ->add_option("--combine", options.combine,
                   "combine the --json reports of shards of sites into one (no merge)")
      ->type_name("FILE");
  report
      ->add_option("--html", options.html,
                   "write the report as one self-contained HTML page to filter and sort")
      ->type_name("FILE");
  report->add_option("--json", options.json, "write the report's data as JSON, for scripts")
      ->type_name("FILE");
  report->add_flag("-f,--force", options.force, "replace the page or the data if it exists");
  addAllowSwap(*report, options);
  report->add_flag("-q,--quiet", options.quiet, "print errors only");
  report->footer(kExitStatuses);
  return report;
}

CLI::App* addAccess(CLI::App& app, CommandOptions& options) {
  CLI::App* access = app.add_subcommand(
      "access",
      "Merge in memory (writing no mask) and list every access line whose flag the merge\n"
      "changes: granted, revoked or changed, per mask and node, with its cause");
  addInputs(*access, options);
  access->add_option("--json", options.json, "also write the changes as JSON, for scripts")
      ->type_name("FILE");
  access->add_flag("-f,--force", options.force, "replace the JSON file if it exists");
  addAllowSwap(*access, options);
  access->add_flag("-q,--quiet", options.quiet, "print errors and the table only");
  access->footer(kExitStatuses);
  return access;
}

CLI::App* addDecide(CLI::App& app, CommandOptions& options) {
  CLI::App* decide = app.add_subcommand(
      "decide",
      "Write a decisions file from a report's JSON: the option taken for each question\n"
      "named, for the next merge (--decisions), and the rules that come closest");
  decide->add_option("--report", options.report, "the JSON of qelmask report")
      ->required()
      ->type_name("FILE");
  decide
      ->add_option("--decisions", options.decisions,
                   "an earlier decisions file: its lines are kept, but for the questions named")
      ->type_name("FILE");
  decide->add_option("--take", options.take, "the option to take: alternative or recommendation")
      ->required()
      ->check(CLI::IsMember({"alternative", "recommendation"}))
      ->type_name("OPTION");
  decide
      ->add_option("decision", options.named,
                   "a question of the report: its number (12) or MASK:IDENTIFIER")
      ->required()
      ->type_name("DECISION");
  decide->add_flag("--with-subtree", options.withSubtree,
                   "keeping a node version N+1 dropped: settle every question below it the same");
  decide
      ->add_option("--rules-output", options.rulesOutput,
                   "also write the rules that reproduce the choices as far as rules can")
      ->type_name("FILE");
  addOutput(*decide, options, "the decisions file");
  decide->footer(
      "Exit status:\n"
      "  0  written\n"
      "  1  the report, the earlier decisions file or the rule file is missing,\n"
      "     unreadable or wrong, or a question named is not in the report; nothing\n"
      "     written\n"
      "  2  wrong usage\n"
      "  3  the output was refused or could not be written; nothing written");
  return decide;
}

CLI::App* addDiff(CLI::App& app, CommandOptions& options) {
  CLI::App* diff = app.add_subcommand(
      "diff",
      "The structural difference of two masks: + a node of B only, - a node of A only,\n"
      "~ a value changed; in tree order, whatever the order of the lines");
  diff->add_option("masks", options.compared, "the masks A and B")
      ->required()
      ->expected(2)
      ->type_name("FILE");
  diff->add_option("--json", options.json, "also write the differences as JSON, for scripts")
      ->type_name("FILE");
  diff->add_flag("--stat", options.stat, "counts by mask, entity and kind of node instead");
  diff->add_flag("--comments", options.comments, "comment lines count as differences too");
  diff->add_flag("-f,--force", options.force, "replace the JSON file if it exists");
  return diff;
}

CLI::App* addLines(CLI::App& app, CommandOptions& options) {
  CLI::App* lines = app.add_subcommand(
      "lines",
      "A mask as one line per node (its path and value) in tree order, on standard\n"
      "output: what git's diff compares (git-setup makes it the textconv of masks)");
  lines->add_option("mask", options.compared, "the mask")
      ->required()
      ->expected(1)
      ->type_name("FILE");
  return lines;
}

CLI::App* addGitMerge(CLI::App& app, CommandOptions& options) {
  CLI::App* merge = app.add_subcommand(
      "git-merge",
      "The merge driver of masks for git (git-setup configures it): merges and\n"
      "replaces CURRENT; status 1 when a question was left to the recommendation");
  merge->add_option("files", options.gitFiles, "git's %O %A %B %P: ANCESTOR CURRENT OTHER PATH")
      ->required()
      ->expected(4)
      ->type_name("FILE");
  merge
      ->add_option("--vendor", options.vendor,
                   "which side follows the vendor's DEFAULT masks: theirs (OTHER, the\n"
                   "default) or ours (CURRENT)")
      ->check(CLI::IsMember({"theirs", "ours"}))
      ->type_name("SIDE");
  merge->add_option("--rules", options.rules, "rule file")->type_name("FILE");
  merge->add_option("--decisions", options.decisions, "decisions file")->type_name("FILE");
  merge->add_flag("--clean", options.clean,
                  "status 0 even when a question was left to the recommendation");
  return merge;
}

CLI::App* addGitSetup(CLI::App& app, CommandOptions& options) {
  CLI::App* setup = app.add_subcommand(
      "git-setup",
      "Make git merge and diff masks (*.msk) with qelmask: its configuration and\n"
      ".gitattributes; a second run changes nothing");
  setup->add_flag("--global", options.global,
                  "the user's configuration and attributes file, not the repository's");
  setup->add_option("--rules", options.rules, "rule file the merge driver applies")
      ->type_name("FILE");
  setup->add_flag("-q,--quiet", options.quiet, "print errors only");
  return setup;
}

}  // namespace

int CommandLine::run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app(
      "qelmask - merges your customised security mask into a new version of the DEFAULT mask,\n"
      "refusing what could lose your mask and summing up what it decided.",
      "qelmask");
  app.set_version_flag("--version", "qelmask " QELMASK_VERSION);
  app.require_subcommand(1);
  app.footer(kExitStatuses);
  CommandOptions options;
  options.program = argc > 0 && argv[0] ? argv[0] : "qelmask";
  CLI::App* merge = addMerge(app, options);
  CLI::App* check = addCheck(app, options);
  CLI::App* strip = addStrip(app, options);
  CLI::App* report = addReport(app, options);
  CLI::App* access = addAccess(app, options);
  CLI::App* decide = addDecide(app, options);
  CLI::App* diff = addDiff(app, options);
  CLI::App* lines = addLines(app, options);
  CLI::App* gitMerge = addGitMerge(app, options);
  CLI::App* gitSetup = addGitSetup(app, options);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error, out, err);
    out.flush();
    err << "qelmask: error: " << error.what() << "\n"
        << "Run 'qelmask --help' or 'qelmask <command> --help' for usage.\n";
    return kWrongUsage;
  }

  CLI::App* chosen = app.get_subcommands().front();
  if (std::string empty; !namesFiles(*chosen, empty)) {
    err << "qelmask: error: " << empty << ": empty file name\n";
    return kWrongUsage;
  }
  if (Findings::Selection kinds; !options.failOn.empty()) {
    if (std::string unknown; !Findings::parse(options.failOn, kinds, unknown)) {
      out.flush();
      err << "qelmask: error: --fail-on: unknown kind \"" << unknown << "\"\n"
          << "Run 'qelmask --help' or 'qelmask <command> --help' for usage.\n";
      return kWrongUsage;
    }
  }
  if (std::string wrong; (chosen == check && !checksEitherWay(options, wrong)) ||
                         (chosen == decide && !decidesOneWay(options, wrong)) ||
                         (chosen == merge && !sitesOneWay(options, true, wrong)) ||
                         (chosen == report && !reportsOneWay(options, wrong))) {
    out.flush();
    err << "qelmask: error: " << wrong << "\n"
        << "Run 'qelmask --help' or 'qelmask <command> --help' for usage.\n";
    return kWrongUsage;
  }
  Diagnostics diagnostics(out, err, options.quiet);
  if (chosen == merge) return Commands::merge(options, diagnostics);
  if (chosen == check) return Commands::check(options, diagnostics);
  if (chosen == strip) return Commands::strip(options, diagnostics);
  if (chosen == report) return Commands::report(options, diagnostics);
  if (chosen == access) return Commands::access(options, diagnostics);
  if (chosen == decide) return Commands::decide(options, diagnostics);
  if (chosen == diff) return Commands::diff(options, diagnostics);
  if (chosen == lines) return Commands::lines(options, diagnostics);
  if (chosen == gitMerge) return Commands::gitMerge(options, diagnostics);
  if (chosen == gitSetup) return Commands::gitSetup(options, diagnostics);
  return kWrongUsage;
}

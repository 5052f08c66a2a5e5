// Writes fleet-sample.json: the fleet report of four sites upgraded with the
// examples' REF, NEW and rules, made from the single-site reports of
// `qelmask report --json` as a fleet run combines them. The sites are the
// examples' customer mask and two variants of it; the fourth cannot be read.
//
//   node make-fleet-sample.mjs QELMASK EXAMPLES_DIR OUT_JSON
//
// The report page's fleet test opens the page of this sample until a fleet
// run of qelmask makes one.
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

const [qelmask, examples, out] = process.argv.slice(2);
if (out === undefined) {
  console.error("usage: node make-fleet-sample.mjs QELMASK EXAMPLES_DIR OUT_JSON");
  process.exit(2);
}

function edited(text, edits) {
  for (const [from, to] of edits) {
    if (!text.includes(from)) throw new Error("no " + JSON.stringify(from) + " in custo.msk");
    text = text.replace(from, to);
  }
  return text;
}

// Paris is the examples' customer. Lyon filters its own documents, has no
// file format (two rules decide nothing there) and no suppliers, and
// comments the writers of a part's name (a line N+1 drops). The lab asks
// Paris's questions under other comments, and has markup in its name.
const custo = fs.readFileSync(path.join(examples, "custo.msk"), "latin1");
const variants = [
  ["paris.msk", custo],
  [
    "lyon.msk",
    edited(custo, [
      [
        "// ACME: only the documents of the Paris site\n+FILTER SITE,PARIS\n",
        "+FILTER SITE,LYON\n",
      ],
      [
        "// ACME: our archive needs TIFF\n*ATTR V_format,DOCUMENT.DEFAULT,N,File format,G2,3,$,N,TIFF\n",
        "",
      ],
      ["+ACI READ,Y\n+ACI WRITE\n", "+ACI READ,Y\n// LYON: the writers need it\n+ACI WRITE\n"],
      [custo.slice(custo.indexOf("//---", custo.indexOf("*ATTR V_status"))), ""],
    ]),
  ],
  [
    "lab<b>.msk",
    edited(custo, [["// ACME: our archive needs TIFF\n", "// LAB: the scanners write TIFF\n"]]),
  ],
];
const unreadable = "rome.msk";

const work = fs.mkdtempSync(path.join(os.tmpdir(), "qelmask-fleet-sample-"));
const folder = path.basename(examples);
const common = ["ref", "new"].flatMap((role) => ["--" + role, path.join(folder, role + ".msk")]);
common.push("--rules", path.join(folder, "rules.txt"));

// A site's report, or the errors that stopped it.
function siteReport(name) {
  const json = path.join(work, name + ".json");
  const run = spawnSync(
    qelmask,
    ["report", ...common, "--custo", path.join(work, name), "--json", json, "--force", "--quiet"],
    { cwd: path.dirname(path.resolve(examples)), encoding: "latin1" },
  );
  if (run.status === 0) return { report: JSON.parse(fs.readFileSync(json, "utf8")) };
  const errors = run.stderr
    .split("\n")
    .map((line) => line.replace(/^qelmask: error: /, ""))
    .filter((line) => line !== "" && line !== "nothing written")
    .map((line) => line.split(path.join(work, name)).join(name));
  return { errors };
}

const ZERO_COUNTS = {
  lines: 0,
  questions: 0,
  recommendation: 0,
  alternative: 0,
  byRule: 0,
  byDecision: 0,
  noRule: 0,
  staleRules: 0,
  lostCustomisations: 0,
  lostComments: 0,
  ignoredLines: 0,
  noEffect: 0,
};

function site(name, { report, errors }) {
  if (report === undefined) {
    const reason = "cannot read: " + errors.join("; ");
    return { name, status: "failed", reason, ...ZERO_COUNTS, access: [] };
  }
  const s = report.summary;
  return {
    name,
    status: "done",
    reason: null,
    lines: report.inputs.custo.lines,
    questions: s.questions,
    recommendation: s.recommendation,
    alternative: s.alternative,
    byRule: s.byRule,
    byDecision: s.decisions === null ? 0 : s.decisions.questions,
    noRule: s.noRule,
    staleRules: s.staleRules,
    lostCustomisations: s.lostCustomisations.length,
    lostComments: s.lostComments.length,
    ignoredLines: s.ignoredLines,
    noEffect: s.noEffect,
    access: s.access,
  };
}

for (const [name, text] of variants) fs.writeFileSync(path.join(work, name), text, "latin1");
const runs = variants.map(([name]) => [name, siteReport(name)]);
runs.splice(2, 0, [unreadable, siteReport(unreadable)]);
fs.rmSync(work, { recursive: true, force: true });
const done = runs.filter(([, run]) => run.report !== undefined);
if (done.length !== variants.length) {
  console.error("a site failed: " + JSON.stringify(runs.filter(([, run]) => !run.report)));
  process.exit(1);
}
const first = done[0][1].report;
const sum = (get) => done.reduce((total, [, run]) => total + get(run.report), 0);

// Rows with the same key, choice and rule form one group, in order of first appearance.
const groups = [];
const byKey = new Map();
for (const [name, { report }] of done) {
  for (const row of report.decisions) {
    const key =
      typeof row.key === "string" ? JSON.stringify([row.key, row.choice, row.rule]) : null;
    const group = key === null ? undefined : byKey.get(key);
    if (group !== undefined) {
      group.sites.push(name);
      continue;
    }
    const fresh = { ...row, sites: [name] };
    groups.push(fresh);
    if (key !== null) byKey.set(key, fresh);
  }
}

const access = new Map();
for (const [, { report }] of done) {
  for (const mask of report.summary.access) {
    const total = access.get(mask.mask) || {
      mask: mask.mask,
      granted: 0,
      revoked: 0,
      changed: 0,
      auth: 0,
    };
    for (const count of ["granted", "revoked", "changed", "auth"]) total[count] += mask[count];
    access.set(mask.mask, total);
  }
}

const rules = first.rules.map((rule, at) => {
  const of = done.map(([, run]) => run.report.rules[at]);
  const decided = of.reduce((total, r) => total + r.decided, 0);
  return {
    number: rule.number,
    text: rule.text,
    recommendation: of.reduce((total, r) => total + r.recommendation, 0),
    alternative: of.reduce((total, r) => total + r.alternative, 0),
    decided,
    stale: decided === 0,
    suggestion: of.map((r) => r.suggestion).find((s) => s !== null) ?? null,
    sites: of.filter((r) => r.decided > 0).length,
  };
});

const withSite = (get) =>
  done.flatMap(([name, { report }]) =>
    get(report.summary).map((entry) => ({ site: name, ...entry })),
  );

const fleet = {
  format: "qelmask-fleet-report",
  version: 1,
  inputs: {
    ref: first.inputs.ref,
    new: first.inputs.new,
    rules: first.inputs.rules,
    decisions: first.inputs.decisions,
  },
  sites: runs.map(([name, run]) => site(name, run)),
  summary: {
    questions: sum((r) => r.summary.questions),
    recommendation: sum((r) => r.summary.recommendation),
    alternative: sum((r) => r.summary.alternative),
    byRule: sum((r) => r.summary.byRule),
    noRule: sum((r) => r.summary.noRule),
    kinds: first.summary.kinds.map((kind, at) => ({
      ...kind,
      count: sum((r) => r.summary.kinds[at].count),
    })),
    staleRules: rules.filter((rule) => rule.stale).length,
    lostComments: withSite((s) => s.lostComments),
    lostCustomisations: withSite((s) => s.lostCustomisations),
    ignoredLines: sum((r) => r.summary.ignoredLines),
    noEffect: sum((r) => r.summary.noEffect),
    access: [...access.values()],
    decisions: null,
    sites: runs.length,
    failed: runs.length - done.length,
    groups: groups.length,
  },
  rules,
  decisions: groups,
  accessChanges: [],
  authChanges: [],
};
fs.writeFileSync(out, JSON.stringify(fleet, null, 1) + "\n");
console.log(
  `${out}: ${fleet.sites.length} sites, ` +
    `${groups.length} groups of ${fleet.summary.questions} questions`,
);

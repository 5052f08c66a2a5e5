// Opens pages of `qelmask report` in Debian's headless Chromium, driven by
// playwright-core, and uses them as an administrator would.
//
//   node report-page.mjs examples QELMASK EXAMPLES_DIR HOSTILE_CASE_DIR WORK_DIR [SCREENSHOT]
//     the examples' page: the totals shown, a filter, a sort, the rows shown,
//     a click on a chart, a screenshot (WORK_DIR/report.png, and SCREENSHOT
//     when given); the administrator's choices made on it, kept over a
//     reload, downloaded as a decisions file, and what merge and report make
//     of that file; then the page of hostile names: nothing in it runs.
//   node report-page.mjs big QELMASK BENCH_DATA_DIR GEN_MASKS_PY WORK_DIR
//     the page of the benchmark inputs (generated into BENCH_DATA_DIR when
//     missing): it opens, filters and sorts without freezing; the times are
//     printed.
//   node report-page.mjs fleet PAGE WORK_DIR
//     the page of a fleet report (its data read from the page itself): the
//     sites and a failed one's reason, the rows grouped across sites and
//     their sites, the site filter and the text that finds a site, and a
//     choice on a grouped row: one line of the decisions file for all its
//     sites. A screenshot goes to WORK_DIR/fleet.png.
//
// Exits 77 (skipped) when Chromium, playwright-core or the generator is
// missing; .ci/run installs the first two.
import { execFileSync, spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

const CHROMIUM = "/usr/bin/chromium";
const SKIPPED = 77;
// A filter or a sort that takes longer than this has frozen the page.
const FREEZE_MS = 5000;

let failures = 0;
let checks = 0;

function check(condition, what, detail = "") {
  checks += 1;
  if (condition) {
    console.log("ok   " + what);
  } else {
    failures += 1;
    console.log("FAIL " + what + (detail ? "\n     " + detail : ""));
  }
}

function equal(actual, expected, what) {
  check(
    JSON.stringify(actual) === JSON.stringify(expected),
    what,
    "expected " + JSON.stringify(expected) + ", got " + JSON.stringify(actual),
  );
}

function skip(why) {
  console.log("skipped: " + why);
  process.exit(SKIPPED);
}

async function loadPlaywright() {
  if (!fs.existsSync(CHROMIUM)) skip(CHROMIUM + " is missing (apt-get install chromium)");
  try {
    return (await import("playwright-core")).chromium;
  } catch {
    skip("playwright-core is missing (npm ci in tests/browser)");
  }
}

// Chromium with a new empty profile, its own network traffic turned off.
async function launch(chromium) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "qelmask-chromium-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args: [
      "--headless",
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
    ],
    viewport: { width: 1400, height: 1000 },
    acceptDownloads: true,
  });
  // The page loads nothing but itself: any other request is refused and counted.
  const foreign = [];
  await context.route("**/*", (route) => {
    const url = route.request().url();
    if (url.startsWith("file:")) return route.continue();
    foreign.push(url);
    return route.abort();
  });
  return {
    context,
    foreign,
    close: async () => {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

async function open(browser, file) {
  const page = await browser.context.newPage();
  const problems = [];
  page.on("pageerror", (error) => problems.push(String(error)));
  page.on("dialog", (dialog) => {
    problems.push("dialog: " + dialog.message());
    dialog.dismiss();
  });
  await page.goto("file://" + file, { timeout: 120000 });
  await page.waitForSelector("body[data-ready=true]", { timeout: 120000 });
  return { page, problems };
}

// Runs qelmask report in `cwd` (so that the page names the inputs as given).
function report(qelmask, inputs, folder, cwd = process.cwd()) {
  fs.mkdirSync(folder, { recursive: true });
  const html = path.resolve(folder, "page.html");
  const json = path.resolve(folder, "report.json");
  const args = ["report", ...inputs, "--html", html, "--json", json, "--force", "--quiet"];
  execFileSync(qelmask, args, { cwd });
  return { html, data: JSON.parse(fs.readFileSync(json, "utf8")) };
}

const format = (n) => new Intl.NumberFormat("en").format(n);
const rows = (page) =>
  page.$$eval("#decisions tbody tr", (trs) => trs.map((tr) => Number(tr.dataset.index)));
// The texts of a column of the decisions table, named by its data-column.
const column = (page, key) =>
  page.$$eval(
    "#decisions tbody tr",
    (trs, key) => {
      const heads = [...document.querySelectorAll("#decisions thead th")];
      const n = heads.findIndex((th) => th.dataset.column === key);
      return trs.map((tr) => tr.cells[n].textContent);
    },
    key,
  );
const countText = (page) => page.textContent("#count");

async function sortBy(page, title) {
  await page.click(`#decisions th button:text-is("${title}")`);
}

// --- The examples ---------------------------------------------------------

async function examplesPage(browser, qelmask, examples, work, screenshot) {
  // Run beside the examples' folder, as the README shows it.
  const folder = path.basename(examples);
  const inputs = ["ref", "new", "custo"].flatMap((role) => [
    "--" + role,
    path.join(folder, role + ".msk"),
  ]);
  inputs.push("--rules", path.join(folder, "rules.txt"));
  const cwd = path.dirname(examples);
  const { html, data } = report(qelmask, inputs, path.join(work, "examples"), cwd);
  const decisions = data.decisions;
  const { page, problems } = await open(browser, html);

  const figure = (name) => page.textContent(`[data-figure=${name}] .value`);
  equal(await figure("questions"), String(data.summary.questions), "the questions shown");
  equal(
    await figure("recommendation"),
    String(data.summary.recommendation),
    "settled on the recommendation",
  );
  equal(
    await figure("alternative"),
    String(data.summary.alternative),
    "settled on the alternative",
  );
  equal(await figure("stale-rules"), "0", "no stale rule");
  equal(await page.isVisible("#sites-section"), false, "no sites' section for one site");
  equal(await page.isVisible("#filter-site"), false, "nor a site filter");
  equal(
    await page.$$eval("#rules-table tbody tr", (trs) => trs.length),
    data.rules.length,
    "one line per rule",
  );
  equal(
    await rows(page),
    decisions.map((d, i) => i),
    "every decision, in the order of the merge",
  );
  equal(
    await countText(page),
    `Decisions 1–${decisions.length} of ${decisions.length}`,
    "the count",
  );

  // A filter: the decisions of one entity.
  await page.selectOption("#filter-entity", "DOCUMENT");
  const documents = decisions.flatMap((d, i) => (d.entity === "DOCUMENT" ? [i] : []));
  equal(await rows(page), documents, "the entity filter shows the entity's decisions");
  equal(
    await countText(page),
    `Decisions 1–${documents.length} of ${documents.length} (filtered from ${decisions.length})`,
    "the count of the filter",
  );

  // A sort on top of it: by the rule that decided, last rule first.
  await sortBy(page, "Decided by");
  await sortBy(page, "Decided by");
  const byRule = [...documents].sort(
    (a, b) => (decisions[b].rule ?? 0) - (decisions[a].rule ?? 0) || a - b,
  );
  equal(await rows(page), byRule, "sorted by the deciding rule, descending");
  equal(
    await page.getAttribute('#decisions th[data-column="decided"]', "aria-sort"),
    "descending",
    "the sorted column says so",
  );

  // A second filter and the free text.
  await page.selectOption("#filter-kind", "dropped-by-new");
  equal(
    await rows(page),
    byRule.filter((i) => decisions[i].kind === "dropped-by-new"),
    "entity and kind filters together",
  );
  await page.click("#filter-reset");
  await sortBy(page, "Node");
  await page.fill("#filter-text", "alias");
  await page.waitForFunction(() =>
    document.getElementById("count").textContent.includes("filtered"),
  );
  const aliases = decisions.flatMap((d, i) => (d.id.toLowerCase().includes("alias") ? [i] : []));
  aliases.sort((a, b) =>
    decisions[a].id < decisions[b].id ? -1 : decisions[a].id > decisions[b].id ? 1 : a - b,
  );
  equal(await rows(page), aliases, "the text filter, sorted by node");
  equal(
    await column(page, "id"),
    aliases.map((i) => decisions[i].id),
    "the node column shows the identifiers",
  );
  equal(
    await column(page, "taken"),
    aliases.map((i) => decisions[i].taken),
    "the options taken",
  );
  equal(
    await column(page, "leftOut"),
    aliases.map((i) => decisions[i].leftOut),
    "the options left out",
  );

  // A click on a bar of the chart of kinds lists that kind.
  await page.click("#chart-kind .bar-row >> nth=1");
  const secondKind = data.summary.kinds.filter((k) => k.count > 0)[1];
  equal(await page.inputValue("#filter-kind"), secondKind.kind, "a bar sets the kind filter");
  equal((await rows(page)).length, secondKind.count, "and shows that many decisions");
  await page.click("#filter-reset");

  // The access changes: every one listed, a right given marked, a cause
  // that leads to its decision, and the decisions of one mask.
  const changes = data.accessChanges.length + data.authChanges.length;
  equal(
    await page.$$eval("#access tbody tr", (trs) => trs.length),
    Math.min(changes, 100),
    "one row per access change",
  );
  equal(
    await page.$$eval("#access tbody tr.change-granted", (trs) => trs.length),
    data.accessChanges.filter((c) => c.change === "granted").length,
    "the granted lines stand out",
  );
  const caused = data.accessChanges.find((c) => c.decision !== null);
  await page.click(`#access button[data-decision="${caused.decision}"] >> nth=0`);
  equal(await rows(page), [caused.decision - 1], "a cause shows its decision");
  await page.click("#filter-reset");
  equal(
    await page.$$eval("#customisations-table tbody tr", (trs) => trs.length),
    data.summary.lostCustomisations.length,
    "one row per customisation not carried over",
  );
  await page.selectOption("#filter-mask", "DEFAULT");
  equal(
    await rows(page),
    decisions.flatMap((d, i) => (d.mask === "DEFAULT" ? [i] : [])),
    "the mask filter shows the mask's decisions",
  );
  await page.click("#filter-reset");

  await page.screenshot({ path: path.join(work, "report.png"), fullPage: true });
  if (screenshot) fs.copyFileSync(path.join(work, "report.png"), screenshot);
  equal(problems, [], "no script error");
  await page.close();
}

// --- The administrator's choices ---------------------------------------------

const DECISIONS_HEADER =
  "# qelmask decisions: mask, node, kind, REF, NEW, CUSTO, option (qelmask-decisions(5))";

// A decisions file as qelmask reads it: the header, then the lines in the
// order of their keys (a refusal is its own key, a question's is its first
// six fields), each ending in a line feed.
function decisionsFile(lines) {
  const key = (line) => {
    const fields = line.split("\t");
    return fields[2] === "without" ? line : fields.slice(0, 6).join("\t");
  };
  const sorted = [...lines].sort((a, b) => (key(a) < key(b) ? -1 : key(a) > key(b) ? 1 : 0));
  return [DECISIONS_HEADER, ...sorted].map((line) => line + "\n").join("");
}

// The number of each line of a decisions file, header included, by its text.
function lineNumbers(text) {
  return new Map(
    text
      .split("\n")
      .slice(0, -1)
      .map((line, i) => [line, i + 1]),
  );
}

async function downloadDecisions(page, file) {
  const [download] = await Promise.all([
    page.waitForEvent("download"),
    page.click("#yours-download"),
  ]);
  await download.saveAs(file);
  return { name: download.suggestedFilename(), text: fs.readFileSync(file, "latin1") };
}

function readIfThere(file) {
  return fs.existsSync(file) ? fs.readFileSync(file, "latin1") : null;
}

function run(qelmask, args, cwd) {
  return spawnSync(qelmask, args, { cwd, encoding: "latin1" });
}

// The rows whose other option is the alternative and that hold no other
// question below them (so that taking it asks nothing new): a dropped node
// kept, if there is one, and rows of other kinds. Not nodes version N+1
// adds: the access line left out belongs to one of those.
function pickRows(decisions) {
  const below = (d) =>
    decisions.some((other) => other.mask === d.mask && other.id.startsWith(d.id + "/"));
  const candidates = decisions.flatMap((d, i) =>
    d.choice === "recommendation" && d.kind !== "new-in-new" && !below(d) ? [i] : [],
  );
  const dropped = candidates.find((i) => decisions[i].kind === "dropped-by-new");
  const others = [];
  for (const i of candidates) {
    if (i !== dropped && !others.some((j) => decisions[j].kind === decisions[i].kind)) {
      others.push(i);
    }
  }
  for (const i of candidates) if (i !== dropped && !others.includes(i)) others.push(i);
  const chosen = (dropped === undefined ? [] : [dropped]).concat(others).slice(0, 3);
  return { chosen: chosen.sort((a, b) => a - b), dropped };
}

const pressed = (page, table, act) =>
  page.$$eval(`#${table} tbody button[data-act=${act}][aria-pressed=true]`, (buttons) =>
    buttons.map((b) => Number(b.closest("tr").dataset.index ?? b.closest("tr").dataset.at)),
  );
const yourRows = (page) =>
  page.$$eval("#yours-table tbody tr", (trs) => trs.map((tr) => tr.textContent));

// Compares the members one by one, whatever their order in the JSON.
function sameObject(actual, expected, what) {
  const keys = (o) => (o === null || typeof o !== "object" ? [] : Object.keys(o).sort());
  equal(keys(actual), keys(expected), what + ": its members");
  for (const key of keys(expected)) {
    equal(actual === null ? undefined : actual[key], expected[key], what + ": " + key);
  }
}

// Takes the other option on three rows of the examples' page and leaves out
// an access line; the choices outlive a reload, download as a decisions file
// that qelmask decide would write alike, and the next merge and report
// apply exactly them.
async function choicesPage(browser, qelmask, examples, work) {
  const dir = path.join(work, "choices");
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir, { recursive: true });
  const inputs = ["ref", "new", "custo"].flatMap((role) => [
    "--" + role,
    path.join(examples, role + ".msk"),
  ]);
  inputs.push("--rules", path.join(examples, "rules.txt"));
  const before = report(qelmask, inputs, path.join(dir, "before"), dir);
  const data = before.data;
  const decisions = data.decisions;
  if (!decisions.every((d) => typeof d.key === "string")) {
    check(false, "the report's decisions carry their keys");
    return;
  }
  const { chosen, dropped } = pickRows(decisions);
  equal(chosen.length, 3, "three rows to decide on");
  check(dropped !== undefined, "a dropped node among them");
  if (chosen.length < 3 || dropped === undefined) return;
  const { page, problems } = await open(browser, before.html);
  const row = (i) => `#decisions tbody tr[data-index="${i}"]`;

  equal(
    await page.$$eval("#decisions tbody button[data-act=take]", (bs) =>
      bs.map((b) => b.textContent),
    ),
    decisions.map((d) => "take " + d.leftOut),
    "every row offers to take the option left out",
  );
  equal(
    await page.$$eval("#decisions tbody input[data-act=subtree]", (boxes) =>
      boxes.map((box) => Number(box.closest("tr").dataset.index)),
    ),
    decisions.flatMap((d, i) => (d.kind === "dropped-by-new" ? [i] : [])),
    "a dropped node may be kept with everything below it",
  );
  for (const i of chosen) await page.click(`${row(i)} button[data-act=take]`);
  equal(await pressed(page, "decisions", "take"), chosen, "the options taken show pressed");
  equal(
    await page.$$eval("#decisions tbody tr.chosen", (trs) =>
      trs.map((tr) => Number(tr.dataset.index)),
    ),
    chosen,
    "the rows decided stand out",
  );
  const panel = await yourRows(page);
  equal(panel.length, chosen.length, "the panel lists each choice");
  chosen.forEach((i, at) => {
    const d = decisions[i];
    const text = panel[at] || "";
    check(
      text.startsWith("#" + (i + 1)) && text.includes(d.id) && text.includes("take " + d.leftOut),
      `the panel names row #${i + 1} and the option taken`,
      text,
    );
    const caused = data.accessChanges.filter((c) => c.decision === i + 1);
    for (const change of ["granted", "revoked", "changed"]) {
      const n = caused.filter((c) => c.change === change).length;
      if (n > 0) {
        check(
          text.includes("undoes") && text.includes(n + " " + change),
          `the panel says #${i + 1} undoes ${n} ${change} access line(s)`,
          text,
        );
      }
    }
  });

  // The three alternatives, as qelmask decide writes them.
  const alternatives = chosen.map((i) => decisions[i].key + "\talternative");
  const first = await downloadDecisions(page, path.join(dir, "first.txt"));
  equal(first.name, "decisions.txt", "the file downloads as decisions.txt");
  equal(first.text, decisionsFile(alternatives), "the file holds the three choices");
  const decide = run(qelmask, ["decide", "--help"], dir).status === 0;
  if (decide) {
    const numbers = chosen.map((i) => String(i + 1));
    const made = run(
      qelmask,
      [
        "decide",
        "--report",
        "before/report.json",
        "--take",
        "alternative",
        ...numbers,
        "--output",
        "decided.txt",
      ],
      dir,
    );
    equal(made.status, 0, "qelmask decide writes its file", made.stderr);
    equal(
      readIfThere(path.join(dir, "decided.txt")),
      first.text,
      "the page writes the bytes of qelmask decide",
    );
  } else {
    console.log("note: qelmask decide is missing: the page's file is not compared with it");
  }

  // Everything below the dropped node, settled the same way.
  await page.check(`${row(dropped)} input[data-act=subtree]`);
  const withSubtree = alternatives.map((line) =>
    line.startsWith(decisions[dropped].key + "\t") ? line + "\twith-subtree" : line,
  );
  const second = await downloadDecisions(page, path.join(dir, "second.txt"));
  equal(second.text, decisionsFile(withSubtree), "with everything below: with-subtree");
  if (decide) {
    const made = run(
      qelmask,
      [
        "decide",
        "--report",
        "before/report.json",
        "--decisions",
        "first.txt",
        "--take",
        "alternative",
        "--with-subtree",
        String(dropped + 1),
        "--output",
        "decided2.txt",
      ],
      dir,
    );
    equal(made.status, 0, "qelmask decide --with-subtree writes its file", made.stderr);
    equal(
      readIfThere(path.join(dir, "decided2.txt")),
      second.text,
      "the page writes the bytes of qelmask decide --with-subtree",
    );
  }

  // An access line left out of a node version N+1 adds.
  const refusable = data.accessChanges.findIndex((c) => c.refuse !== null);
  const lines = [...withSubtree];
  if (refusable >= 0 && refusable < 100) {
    await page.click(`#access tbody tr[data-at="${refusable}"] button[data-act=refuse]`);
    equal(await pressed(page, "access", "refuse"), [refusable], "the line left out shows pressed");
    lines.push(data.accessChanges[refusable].refuse);
  } else {
    console.log("note: no access line of the examples can be left out");
  }

  await page.reload();
  await page.waitForSelector("body[data-ready=true]");
  equal(await pressed(page, "decisions", "take"), chosen, "a reload keeps the choices");
  equal(await page.isChecked(`${row(dropped)} input[data-act=subtree]`), true, "and the subtree");
  if (refusable >= 0) {
    equal(await pressed(page, "access", "refuse"), [refusable], "and the line left out");
  }
  equal((await yourRows(page)).length, lines.length, "the panel lists them again");
  const saved = await downloadDecisions(page, path.join(dir, "decisions.txt"));
  equal(saved.text, decisionsFile(lines), "the file holds every choice, sorted by key");
  const numberOf = lineNumbers(saved.text);

  // The next merge applies exactly the file's lines.
  const masks = inputs.concat("--decisions", "decisions.txt");
  const merged = run(qelmask, ["merge", ...masks, "--output", "out.msk", "--quiet"], dir);
  equal(merged.status, 0, "qelmask merge --decisions takes the file", merged.stderr);
  const out = readIfThere(path.join(dir, "out.msk")) || "";
  for (const line of lines) {
    check(
      out.includes(`[decision decisions.txt:${numberOf.get(line)}]`),
      `the merged mask names line ${numberOf.get(line)} of the file in a review record`,
    );
  }

  const refused = refusable >= 0 ? data.accessChanges[refusable].refuse : null;
  const after = report(qelmask, masks, path.join(dir, "after"), dir);
  const settled = after.data.decisions;
  equal(settled.length, decisions.length, "the same questions after the decisions");
  settled.forEach((d, i) => {
    const was = decisions[i];
    if (chosen.includes(i)) {
      sameObject(
        { key: d.key, choice: d.choice, taken: d.taken, rule: d.rule, decision: d.decision },
        {
          key: was.key,
          choice: "alternative",
          taken: was.leftOut,
          rule: null,
          decision: {
            file: "decisions.txt",
            line: numberOf.get(lines.find((line) => line.startsWith(was.key + "\t"))),
            withSubtree: i === dropped,
          },
        },
        `#${i + 1} takes the alternative by its line`,
      );
    } else if (refused !== null && i === data.accessChanges[refusable].decision - 1) {
      // The node the line is left out of: that line is no longer in it to refuse.
      const inner = was.inner.filter((node) => node.refuse !== refused);
      equal(d, Object.assign({}, was, { inner }), `#${i + 1} is as it was, but the line left out`);
    } else {
      equal(d, was, `#${i + 1} is as it was`);
    }
  });
  // The rows decided are leaves: their access changes are undone with them.
  equal(
    after.data.accessChanges,
    data.accessChanges.filter(
      (c) => !chosen.includes(c.decision - 1) && (refused === null || c.refuse !== refused),
    ),
    "the access changes of the rows decided and the line left out are gone",
  );
  sameObject(
    after.data.summary.decisions,
    {
      file: "decisions.txt",
      lines: lines.length,
      applied: lines.length,
      questions: chosen.length,
      refused: refused === null ? 0 : 1,
      stale: [],
      kept: saved.text.split("\n").slice(1, -1),
    },
    "summary.decisions",
  );

  // The page of that report: who settled the rows, the figures, and the
  // file written back as it was read.
  const next = await open(browser, after.html);
  const decidedBy = await column(next.page, "decided");
  chosen.forEach((i) => {
    check(
      decidedBy[i].startsWith(`decision decisions.txt:${settled[i].decision.line}`),
      `#${i + 1} shows its decision where the rule was`,
      decidedBy[i],
    );
  });
  const figure = (p, name) => p.textContent(`[data-figure=${name}] .value`);
  equal(await figure(next.page, "by-decision"), String(chosen.length), "the figure of decisions");
  equal(await figure(next.page, "stale-decisions"), "0", "no recorded decision stale");
  equal(await next.page.isVisible("#stale-section"), true, "the stale decisions' section shows");
  equal((await yourRows(next.page)).length, 0, "no choice of the first report here");
  const back = await downloadDecisions(next.page, path.join(dir, "back.txt"));
  equal(back.text, saved.text, "the file written back from its own report");
  equal(next.problems, [], "no script error on the decided page");
  await next.page.close();

  // A line that no question matches any longer.
  const gone =
    decisions[0].key.split("\t")[0] + "\tE::NOWHERE\tnew-in-new\t-\t=\t-\trecommendation";
  const staleText = decisionsFile([...lines, gone]);
  fs.writeFileSync(path.join(dir, "stale.txt"), staleText, "latin1");
  const stale = report(
    qelmask,
    inputs.concat("--decisions", "stale.txt"),
    path.join(dir, "stale"),
    dir,
  );
  const staleLines = stale.data.summary.decisions.stale;
  equal(
    staleLines.map((line) => [line.line, line.text]),
    [[lineNumbers(staleText).get(gone), gone]],
    "the line of no question is stale",
  );
  const third = await open(browser, stale.html);
  equal(await figure(third.page, "stale-decisions"), "1", "the figure of stale decisions");
  equal(
    await third.page.$$eval("#stale-table tbody tr", (trs) =>
      trs.map((tr) => [...tr.cells].map((td) => td.textContent)),
    ),
    staleLines.map((line) => [String(line.line), line.text, line.why]),
    "the stale line listed with its reason",
  );
  await third.page.close();

  // Clear empties the panel, and a reload finds nothing.
  await page.click("#yours-clear");
  equal((await yourRows(page)).length, 0, "clear empties the panel");
  await page.reload();
  await page.waitForSelector("body[data-ready=true]");
  equal(await pressed(page, "decisions", "take"), [], "and a reload finds no choice");
  equal(problems, [], "no script error while deciding");
  await page.close();

  // A browser that keeps nothing: the page works, says so, and downloads.
  const closed = await browser.context.newPage();
  const closedProblems = [];
  closed.on("pageerror", (error) => closedProblems.push(String(error)));
  await closed.addInitScript(() => {
    Object.defineProperty(window, "localStorage", {
      get() {
        throw new DOMException("storage is off", "SecurityError");
      },
    });
  });
  await closed.goto("file://" + before.html);
  await closed.waitForSelector("body[data-ready=true]");
  await closed.click(`${row(chosen[0])} button[data-act=take]`);
  equal(await closed.isVisible("#yours-storage"), true, "without storage the page says so");
  const lone = await downloadDecisions(closed, path.join(dir, "lone.txt"));
  equal(lone.text, decisionsFile([alternatives[0]]), "and still downloads the choice");
  equal(closedProblems, [], "no script error without storage");
  await closed.close();
}

// Names and values with markup, quotes and bytes that are not UTF-8 show as
// text, and nothing in them runs.
async function hostilePage(browser, qelmask, hostile, work) {
  const inputs = ["ref", "new", "custo"].flatMap((role) => [
    "--" + role,
    path.join(hostile, role + ".msk"),
  ]);
  const { html, data } = report(qelmask, inputs, path.join(work, "hostile"));
  const { page, problems } = await open(browser, html);
  equal(
    await page.title(),
    "qelmask report: " + data.inputs.custo.name,
    "the hostile page keeps its title",
  );
  equal(
    await column(page, "id"),
    data.decisions.map((d) => d.id),
    "hostile identifiers shown as text",
  );
  equal(
    await column(page, "comments"),
    data.decisions.map((d) => d.comments.join("\n")),
    "hostile comments shown as text",
  );
  equal(
    await page.$$eval("#decisions tbody script, #decisions tbody b", (n) => n.length),
    0,
    "no markup made from the data",
  );
  // A choice on a hostile row: its identifier in the panel as text, its key
  // in the file as the report wrote it.
  const d = data.decisions[0];
  await page.click('#decisions tbody tr[data-index="0"] button[data-act=take]');
  equal(
    await page.$$eval("#yours-table tbody td.node", (tds) => tds.map((td) => td.textContent)),
    [d.id],
    "a hostile identifier shown as text in the panel",
  );
  equal(
    await page.$$eval("#yours script, #yours b", (n) => n.length),
    0,
    "no markup made in the panel",
  );
  const other = d.choice === "alternative" ? "recommendation" : "alternative";
  const { text } = await downloadDecisions(page, path.join(work, "hostile", "decisions.txt"));
  equal(text, decisionsFile([d.key + "\t" + other]), "a hostile key written as it is");
  equal(problems, [], "no script error, no dialog");
  await page.close();
}

// --- The benchmark inputs ----------------------------------------------------

function benchInputs(folder, generator) {
  if (!fs.existsSync(path.join(folder, "custo.msk"))) {
    if (!fs.existsSync(generator)) skip("the mask generator is missing: " + generator);
    console.log("generating the benchmark inputs into " + folder + " (about a minute)");
    fs.rmSync(folder + ".partial", { recursive: true, force: true });
    execFileSync("python3", [generator, "--seed", "7", "--scale", "3000", folder + ".partial"], {
      stdio: "ignore",
    });
    fs.renameSync(folder + ".partial", folder);
  }
  return ["ref", "new", "custo"].flatMap((role) => ["--" + role, path.join(folder, role + ".msk")]);
}

async function timed(what, action) {
  const started = performance.now();
  await action();
  const ms = Math.round(performance.now() - started);
  console.log(`time ${what}: ${ms} ms`);
  check(ms < FREEZE_MS, `${what} within ${FREEZE_MS} ms`, `took ${ms} ms`);
}

async function bigPage(browser, qelmask, data, generator, work) {
  const { html, data: document } = report(
    qelmask,
    benchInputs(data, generator),
    path.join(work, "big"),
  );
  const decisions = document.decisions;
  console.log(
    `the page: ${format(fs.statSync(html).size)} bytes, ${format(decisions.length)} decisions`,
  );
  const started = performance.now();
  const { page, problems } = await open(browser, html);
  console.log(`time open: ${Math.round(performance.now() - started)} ms`);

  equal((await rows(page)).length, 100, "one page of rows in the table, not all of them");
  equal(
    await countText(page),
    `Decisions 1–100 of ${format(decisions.length)}`,
    "the count of all decisions",
  );

  const kind = "changed-by-new";
  const ofKind = decisions.filter((d) => d.kind === kind).length;
  await timed("filter by kind", async () => {
    await page.selectOption("#filter-kind", kind);
    await page.waitForFunction(
      (n) => document.getElementById("count").textContent.includes(`of ${n} (`),
      format(ofKind),
    );
  });
  const text = "_::alias";
  const shown = decisions.filter(
    (d) => d.kind === kind && d.id.toLowerCase().includes(text),
  ).length;
  await timed("filter by text", async () => {
    await page.fill("#filter-text", text);
    await page.waitForFunction(
      (n) => document.getElementById("count").textContent.includes(`of ${n} (`),
      format(shown),
    );
  });
  equal(
    await column(page, "id").then((ids) => ids.every((id) => id.includes(text))),
    true,
    "the text filter shows what it should",
  );
  await page.click("#filter-reset");
  await timed("sort all decisions by node", async () => {
    await sortBy(page, "Node");
    await page.waitForFunction(
      () =>
        document.querySelector('#decisions th[data-column="id"]').getAttribute("aria-sort") ===
        "ascending",
    );
  });
  const ids = decisions.map((d) => d.id).sort((a, b) => (a < b ? -1 : a > b ? 1 : 0));
  equal(await column(page, "id"), ids.slice(0, 100), "the first page of the sort");
  await timed("a round trip after it", () => page.evaluate(() => 1));
  await timed("a choice", async () => {
    await page.click('#decisions tbody tr >> nth=0 >> button[data-act="take"]');
    await page.waitForFunction(() =>
      document.getElementById("yours-status").textContent.includes("1 choice,"),
    );
  });
  await timed("sort all decisions by your choice", async () => {
    await sortBy(page, "Your choice");
    await page.waitForFunction(
      () =>
        document.querySelector('#decisions th[data-column="yours"]').getAttribute("aria-sort") ===
        "ascending",
    );
  });
  equal(
    await page.$$eval("#decisions tbody tr.chosen", (trs) => trs.length),
    1,
    "the row chosen comes first",
  );
  equal(
    await page.$eval("#decisions tbody tr", (tr) => tr.classList.contains("chosen")),
    true,
    "at the top of the sort",
  );
  equal(problems, [], "no script error");
  await page.close();
}

// --- A fleet -------------------------------------------------------------------

// The data a page was made with, read back from the page itself.
function pageData(file) {
  const html = fs.readFileSync(file, "utf8");
  const start = html.indexOf(">", html.indexOf('<script id="report-data"')) + 1;
  return JSON.parse(html.slice(start, html.indexOf("</script>", start)));
}

const cells = (page, selector) =>
  page.$$eval(selector + " tbody tr", (trs) =>
    trs.map((tr) => [...tr.cells].map((td) => td.textContent)),
  );
const PAGE_ROWS = 100;

// The first page of rows the page shows for `indexes`, and its count line.
async function shows(page, indexes, total, what) {
  equal(await rows(page), indexes.slice(0, PAGE_ROWS), what);
  const filtered = indexes.length === total ? "" : ` (filtered from ${format(total)})`;
  equal(
    await countText(page),
    indexes.length === 0
      ? `No decision matches the filters (${format(total)} in all).`
      : `Decisions 1–${format(Math.min(indexes.length, PAGE_ROWS))} ` +
          `of ${format(indexes.length)}${filtered}`,
    what + ": the count",
  );
}

async function fleetSites(page, data) {
  const figure = (name) => page.textContent(`[data-figure=${name}] .value`);
  const summary = data.summary;
  equal(await figure("sites"), format(summary.sites), "the sites shown");
  equal(await figure("failed"), format(summary.failed), "the failed sites shown");
  equal(await figure("groups"), format(summary.groups), "the rows of grouped questions");
  equal(await figure("questions"), format(summary.questions), "the questions of every site");
  equal(await page.isVisible("#sites-section"), true, "the sites' section shows");
  equal(await page.isVisible("#access-section"), false, "no access lines in a fleet");

  const total = (site, key) => site.access.reduce((sum, mask) => sum + mask[key], 0);
  const expected = data.sites.map((site) =>
    site.status === "failed"
      ? [site.name, "failed: " + site.reason]
      : [
          site.name,
          site.status,
          ...[
            site.questions,
            site.byRule,
            site.byDecision,
            site.noRule,
            site.staleRules,
            site.lostCustomisations,
            site.lostComments,
            total(site, "granted"),
            total(site, "revoked"),
          ].map(format),
        ],
  );
  const shown = (await cells(page, "#sites-table")).map((row) => row.slice(0, 11));
  equal(shown, expected, "one row per site: its counts, or why it failed");
  check(
    data.sites.some((site) => site.status === "failed"),
    "the fleet has a failed site to show",
  );
  const revoked = data.sites.findIndex((site) => site.access.length > 0);
  if (revoked >= 0) {
    equal(
      await page.getAttribute(
        `#sites-table tbody tr:nth-child(${revoked + 1}) td:nth-child(11)`,
        "title",
      ),
      data.sites[revoked].access.map((mask) => mask.mask + ": " + format(mask.revoked)).join("\n"),
      "the rights revoked per mask, on demand",
    );
  }

  // Sorted by questions, most first; a failed site last.
  await page.click('#sites-table th button:text-is("Questions")');
  await page.click('#sites-table th button:text-is("Questions")');
  const most = data.sites
    .map((site, at) => [site.status === "failed" ? -1 : site.questions, at])
    .sort((a, b) => b[0] - a[0] || a[1] - b[1])
    .map(([, at]) => data.sites[at].name);
  equal(
    await page.$$eval("#sites-table tbody tr", (trs) => trs.map((tr) => tr.dataset.site)),
    most,
    "the sites sorted by their questions",
  );

  equal(
    (await cells(page, "#rules-table")).map((row) => row[4]),
    data.rules.map((rule) => format(rule.sites)),
    "each rule's sites",
  );
  equal(
    (await cells(page, "#customisations-table")).map((row) => row[0]),
    summary.lostCustomisations.map((entry) => entry.site),
    "each customisation not carried over names its site",
  );
  equal(
    summary.lostComments.length === 0
      ? []
      : (await cells(page, "#lost-table")).map((row) => row[0]),
    summary.lostComments.map((entry) => entry.site),
    "each comment not carried over names its site",
  );
}

async function fleetRows(page, data) {
  const decisions = data.decisions;
  const all = decisions.map((d, i) => i);
  await shows(page, all, decisions.length, "one row per group");
  equal(
    await page.$$eval("#decisions tbody td.sites summary", (s) => s.map((n) => n.textContent)),
    decisions.slice(0, PAGE_ROWS).map((d) => format(d.sites.length)),
    "each row's number of sites",
  );
  const grouped = decisions.findIndex((d, i) => i < PAGE_ROWS && d.sites.length > 1);
  check(grouped >= 0, "a row grouped from several sites");
  if (grouped < 0) return;
  const row = `#decisions tbody tr[data-index="${grouped}"]`;
  await page.click(`${row} td.sites summary`);
  // The list is built when the cell opens, on its toggle event.
  await page.waitForSelector(`${row} td.sites li`);
  equal(
    await page.$$eval(`${row} td.sites li`, (lis) => lis.map((li) => li.textContent)),
    decisions[grouped].sites,
    "a grouped row lists its sites when opened",
  );

  // A site filter shows the rows of that site, a failed one none (the first
  // ten sites and a failed one: a fleet may have a thousand).
  const failed = data.sites.find((site) => site.status === "failed");
  const tried = data.sites.slice(0, 10);
  if (failed !== undefined && !tried.includes(failed)) tried.push(failed);
  for (const site of tried) {
    await page.selectOption("#filter-site", site.name);
    await shows(
      page,
      decisions.flatMap((d, i) => (d.sites.includes(site.name) ? [i] : [])),
      decisions.length,
      "the rows of " + site.name,
    );
  }
  await page.click("#filter-reset");
  equal(await page.inputValue("#filter-site"), "", "show all clears the site filter");

  // A site's name in the sites table lists its rows.
  const done = data.sites.filter((site) => site.status === "done");
  const last = done[done.length - 1];
  await page.locator("#sites-table").getByRole("button", { name: last.name, exact: true }).click();
  equal(await page.inputValue("#filter-site"), last.name, "a site's name sets the site filter");
  await page.click("#filter-reset");

  // The text filter finds a site by its name, when no other text has it.
  const inText = (name) =>
    decisions.some((d) =>
      [d.id, d.ref, d.new, d.custo, d.taken, d.leftOut, ...d.comments].some(
        (part) => part !== null && part.toLowerCase().includes(name.toLowerCase()),
      ),
    );
  const found = done.find((site) => !inText(site.name));
  if (found === undefined) {
    console.log("note: every site's name is in the text of a row: the text filter is not tried");
  } else {
    const name = found.name.toLowerCase();
    const ofName = decisions.flatMap((d, i) =>
      d.sites.some((site) => site.toLowerCase().includes(name)) ? [i] : [],
    );
    // In another letter case: the filter ignores it. It waits for the typing to end.
    await page.fill("#filter-text", found.name.toUpperCase());
    await page
      .waitForFunction(
        (expected) =>
          JSON.stringify(
            [...document.querySelectorAll("#decisions tbody tr")].map((tr) =>
              Number(tr.dataset.index),
            ),
          ) === expected,
        JSON.stringify(ofName.slice(0, PAGE_ROWS)),
        { timeout: FREEZE_MS },
      )
      .catch(() => {});
    await shows(page, ofName, decisions.length, "the text filter finds a site's rows by its name");
    await page.click("#filter-reset");
  }
}

// Taking the other option on a grouped row: one line, for all its sites.
async function fleetChoice(page, data, work) {
  const decisions = data.decisions;
  const at = decisions.findIndex(
    (d, i) => i < PAGE_ROWS && d.sites.length > 1 && typeof d.key === "string",
  );
  check(at >= 0, "a grouped row to decide on");
  if (at < 0) return;
  const d = decisions[at];
  await page.click(`#decisions tbody tr[data-index="${at}"] button[data-act=take]`);
  const panel = await yourRows(page);
  equal(panel.length, 1, "the panel lists the choice once");
  check(
    (panel[0] || "").includes(`one line for the ${d.sites.length} sites it comes up in`),
    "and says the line serves its sites",
    panel[0],
  );
  const other = d.choice === "alternative" ? "recommendation" : "alternative";
  const { text } = await downloadDecisions(page, path.join(work, "decisions.txt"));
  equal(text, decisionsFile([d.key + "\t" + other]), "one line of the file for the grouped row");
  await page.click("#yours-clear");
}

async function fleetPage(browser, file, work) {
  fs.mkdirSync(work, { recursive: true });
  const data = pageData(file);
  equal(data.format, "qelmask-fleet-report", "the page holds a fleet report");
  const { page, problems } = await open(browser, file);
  equal(
    await page.title(),
    "qelmask report: " + format(data.sites.length) + (data.sites.length === 1 ? " site" : " sites"),
    "the title counts the sites",
  );
  await fleetSites(page, data);
  await fleetRows(page, data);
  await fleetChoice(page, data, work);
  equal(
    await page.$$eval("main b, main script, main i", (nodes) => nodes.length),
    0,
    "no markup made from the data",
  );
  await page.screenshot({ path: path.join(work, "fleet.png"), fullPage: true });
  equal(problems, [], "no script error");
  await page.close();
}

// --- Main ----------------------------------------------------------------------

const [mode, ...args] = process.argv.slice(2);
if (!["examples", "big", "fleet"].includes(mode)) {
  console.error("usage: see the head of " + process.argv[1]);
  process.exit(2);
}
const chromium = await loadPlaywright();
const browser = await launch(chromium);
try {
  if (mode === "examples") {
    const [qelmask, examples, hostile, work, screenshot] = args;
    await examplesPage(browser, qelmask, examples, work, screenshot);
    await choicesPage(browser, qelmask, examples, work);
    await hostilePage(browser, qelmask, hostile, work);
  } else if (mode === "fleet") {
    const [file, work] = args;
    if (work === undefined || !fs.existsSync(file)) {
      console.error("no fleet page: " + file + " (see the head of " + process.argv[1] + ")");
      process.exit(2);
    }
    await fleetPage(browser, path.resolve(file), work);
  } else {
    const [qelmask, data, generator, work] = args;
    await bigPage(browser, qelmask, data, generator, work);
  }
  equal(browser.foreign, [], "no request left the page's own file");
} finally {
  await browser.close();
}
console.log(`${checks - failures} passed, ${failures} failed`);
process.exit(failures === 0 ? 0 : 1);

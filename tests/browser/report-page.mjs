// Opens pages of `qelmask report` in Debian's headless Chromium, driven by
// playwright-core, and uses them as an administrator would.
//
//   node report-page.mjs examples QELMASK EXAMPLES_DIR HOSTILE_CASE_DIR WORK_DIR [SCREENSHOT]
//     the examples' page: the totals shown, a filter, a sort, the rows shown,
//     a click on a chart, a screenshot (WORK_DIR/report.png, and SCREENSHOT
//     when given); then the page of hostile names: nothing in it runs.
//   node report-page.mjs big QELMASK BENCH_DATA_DIR GEN_MASKS_PY WORK_DIR
//     the page of the benchmark inputs (generated into BENCH_DATA_DIR when
//     missing): it opens, filters and sorts without freezing; the times are
//     printed.
//
// Exits 77 (skipped) when Chromium, playwright-core or the generator is
// missing; .ci/run installs the first two.
import { execFileSync } from "node:child_process";
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
const column = (page, n) =>
  page.$$eval("#decisions tbody tr", (trs, n) => trs.map((tr) => tr.cells[n].textContent), n);
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
    await column(page, 1),
    aliases.map((i) => decisions[i].id),
    "the node column shows the identifiers",
  );
  equal(
    await column(page, 6),
    aliases.map((i) => decisions[i].taken),
    "the options taken",
  );
  equal(
    await column(page, 7),
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
    await column(page, 1),
    data.decisions.map((d) => d.id),
    "hostile identifiers shown as text",
  );
  equal(
    await column(page, 9),
    data.decisions.map((d) => d.comments.join("\n")),
    "hostile comments shown as text",
  );
  equal(
    await page.$$eval("#decisions tbody script, #decisions tbody b", (n) => n.length),
    0,
    "no markup made from the data",
  );
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
    await column(page, 1).then((ids) => ids.every((id) => id.includes(text))),
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
  equal(await column(page, 1), ids.slice(0, 100), "the first page of the sort");
  await timed("a round trip after it", () => page.evaluate(() => 1));
  equal(problems, [], "no script error");
  await page.close();
}

// --- Main ----------------------------------------------------------------------

const [mode, ...args] = process.argv.slice(2);
if (mode !== "examples" && mode !== "big") {
  console.error("usage: see the head of " + process.argv[1]);
  process.exit(2);
}
const chromium = await loadPlaywright();
const browser = await launch(chromium);
try {
  if (mode === "examples") {
    const [qelmask, examples, hostile, work, screenshot] = args;
    await examplesPage(browser, qelmask, examples, work, screenshot);
    await hostilePage(browser, qelmask, hostile, work);
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

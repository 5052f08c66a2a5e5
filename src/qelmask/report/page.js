// The report page: reads the report's data from the page itself and shows
// it. Every text from the masks reaches the page as text (textContent),
// never as markup. The decisions table shows one page of rows at a time, so
// that a merge of a hundred thousand questions stays quick to filter and sort.
(function () {
  "use strict";

  const data = JSON.parse(document.getElementById("report-data").textContent);
  const decisions = data.decisions;
  const rulesByNumber = new Map(data.rules.map((rule) => [rule.number, rule]));
  const kindOrder = data.summary.kinds.map((kind) => kind.kind);
  const kindText = new Map(data.summary.kinds.map((kind) => [kind.kind, kind.text]));
  const kindShort = new Map(data.summary.kinds.map((kind) => [kind.kind, kind.label]));
  // The kinds whose alternative may settle every question below its node too.
  const subtreeKinds = new Set(
    data.summary.kinds.filter((kind) => kind.withSubtree).map((kind) => kind.kind),
  );
  const numberFormat = new Intl.NumberFormat("en");
  const svgNs = "http://www.w3.org/2000/svg";
  // The filter values that stand for "no entity" and "no rule".
  const NONE = "\u0000none";
  // The filter value of the questions a recorded decision settled.
  const BY_DECISION = "\u0000decision";
  // The decisions file the report was made with (summary.decisions), or null.
  const recorded = data.summary.decisions || null;
  // A report of many sites: one row per group of questions asked alike, each
  // with the sites it came up in.
  const fleet = data.format === "qelmask-fleet-report";
  const sites = fleet ? data.sites : [];

  // --- Building blocks --------------------------------------------------

  // An element with attributes and children (nodes or texts, taken as text).
  function el(tag, attributes, ...children) {
    const node = document.createElement(tag);
    for (const [name, value] of Object.entries(attributes || {})) {
      if (value !== undefined && value !== null) node.setAttribute(name, value);
    }
    for (const child of children) {
      if (child === undefined || child === null) continue;
      node.append(child instanceof Node ? child : String(child));
    }
    return node;
  }

  function svg(tag, attributes, text) {
    const node = document.createElementNS(svgNs, tag);
    for (const [name, value] of Object.entries(attributes || {})) node.setAttribute(name, value);
    if (text !== undefined) node.textContent = text;
    return node;
  }

  function count(n) {
    return numberFormat.format(n);
  }

  function sitesText(n) {
    return count(n) + (n === 1 ? " site" : " sites");
  }

  function ruleLabel(number) {
    const rule = rulesByNumber.get(number);
    return rule ? "rule #" + number + " " + rule.text : "rule #" + number;
  }

  function deciderKey(decision) {
    if (decision.decision) return BY_DECISION;
    return decision.rule === null ? NONE : String(decision.rule);
  }

  // "decision decisions.txt:12": the line of the decisions file that settled it.
  function decisionLabel(decision) {
    return "decision " + decision.decision.file + ":" + decision.decision.line;
  }

  // Who settled a question, in a few words: "rule #14", "decision d.txt:3"...
  function deciderLabel(decision) {
    if (decision.decision) return decisionLabel(decision);
    return decision.rule === null ? "the recommendation" : "rule #" + decision.rule;
  }

  function maskKey(decision) {
    return decision.mask === null ? NONE : decision.mask;
  }

  function entityKey(decision) {
    return decision.entity === null ? NONE : decision.entity;
  }

  // --- Header, figures, rules and lost comments -------------------------

  function renderInputs() {
    const inputs = data.inputs;
    const parts = (fleet ? ["ref", "new"] : ["ref", "new", "custo"]).map(
      (role) =>
        role.toUpperCase() + " " + inputs[role].name + " (" + count(inputs[role].lines) + " lines)",
    );
    parts.push(inputs.rules === null ? "no rule file" : "rules " + inputs.rules);
    if (inputs.decisions) parts.push("decisions " + inputs.decisions);
    if (fleet) parts.push(sitesText(sites.length));
    document.getElementById("inputs").textContent = parts.join(" · ");
  }

  function renderFigures() {
    const summary = data.summary;
    const figures = fleet
      ? [
          ["sites", summary.sites, "sites"],
          ["failed", summary.failed, "sites that failed"],
          ["groups", summary.groups, "rows: the questions grouped across sites"],
        ]
      : [];
    figures.push(
      ["questions", summary.questions, "questions"],
      ["recommendation", summary.recommendation, "settled on the recommendation"],
      ["alternative", summary.alternative, "settled on the alternative"],
      ["by-rule", summary.byRule, "decided by a rule"],
      [
        "stale-rules",
        summary.staleRules,
        "rules that decided nothing" + (fleet ? " in any site" : ""),
      ],
    );
    if (recorded !== null) {
      figures.push(
        [
          "by-decision",
          recorded.questions,
          "settled by recorded decisions (" + recorded.file + ")",
        ],
        ["refused", recorded.refused, "inner lines left out by recorded decisions"],
        [
          "stale-decisions",
          recorded.stale.length,
          "recorded decisions that no longer apply" + (fleet ? " in any site" : ""),
        ],
      );
    }
    figures.push(
      ["lost-customisations", summary.lostCustomisations.length, "customisations not carried over"],
      ["lost-comments", summary.lostComments.length, "comments not carried over"],
      ["ignored-lines", summary.ignoredLines, "lines the reader ignored"],
      ["no-effect", summary.noEffect, "decisions with no effect on the file"],
    );
    // What the administrator asked for needs no second look.
    const calm = ["sites", "groups", "questions", "recommendation", "by-decision", "refused"];
    const box = document.getElementById("figures");
    for (const [name, value, label] of figures) {
      const attention = !calm.includes(name) && value > 0;
      box.append(
        el(
          "div",
          { class: "figure" + (attention ? " attention" : ""), "data-figure": name },
          el("span", { class: "value" }, count(value)),
          el("span", { class: "label" }, label),
        ),
      );
    }
  }

  function renderRules() {
    const box = document.getElementById("rules");
    if (data.rules.length === 0) {
      box.append(
        el("p", { class: "empty" }, "No rule file: every question took the recommendation."),
      );
      return;
    }
    const head = el(
      "tr",
      {},
      el("th", { class: "number" }, "Line"),
      el("th", {}, "Rule"),
      el("th", { class: "number" }, "Hits"),
      el("th", { class: "number" }, "Turned away from the recommendation"),
      fleet ? el("th", { class: "number" }, "Sites") : null,
      el("th", {}, "Note"),
    );
    const body = el("tbody");
    const nowhere = fleet ? " in any site" : "";
    for (const rule of data.rules) {
      let note = "";
      if (rule.stale) {
        note =
          rule.suggestion === null
            ? "decided nothing" +
              nowhere +
              ": no question on its nodes, or an earlier rule decided first"
            : "decided nothing" +
              nowhere +
              ': did you mean "' +
              rule.suggestion +
              '"? (paths match letter case)';
      }
      body.append(
        el(
          "tr",
          { class: rule.stale ? "stale" : null, "data-rule": rule.number },
          el("td", { class: "number" }, rule.number),
          el("td", { class: "mono" }, rule.text),
          el("td", { class: "number" }, count(rule.decided)),
          el("td", { class: "number" }, count(rule.alternative)),
          fleet
            ? el("td", { class: "number", title: "sites where it decided something" }, rule.sites)
            : null,
          el("td", {}, note),
        ),
      );
    }
    box.append(el("table", { id: "rules-table" }, el("thead", {}, head), body));
  }

  // The lines of the decisions file that settled nothing: the question they
  // name is gone or was asked on other values. The merge said why.
  function renderStaleDecisions() {
    if (recorded === null) return;
    document.getElementById("stale-section").hidden = false;
    const box = document.getElementById("stale");
    if (recorded.stale.length === 0) {
      box.append(el("p", { class: "empty" }, "None: every line of " + recorded.file + " applied."));
      return;
    }
    const body = el("tbody");
    for (const line of recorded.stale) {
      body.append(
        el(
          "tr",
          { class: "stale", "data-line": line.line },
          el("td", { class: "number" }, line.line),
          el("td", { class: "mono decision-line" }, line.text),
          el("td", {}, line.why),
        ),
      );
    }
    const head = el(
      "tr",
      {},
      el("th", { class: "number" }, "Line of " + recorded.file),
      el("th", {}, "Decision"),
      el("th", {}, "Why it no longer applies"),
    );
    box.append(el("table", { id: "stale-table" }, el("thead", {}, head), body));
  }

  function renderLostCustomisations() {
    const box = document.getElementById("customisations");
    const lost = data.summary.lostCustomisations;
    if (lost.length === 0) {
      box.append(
        el("p", { class: "empty" }, "None: the output carries your own nodes and your values."),
      );
      return;
    }
    const body = el("tbody");
    for (const customisation of lost) {
      // A fleet's entry names a decision of its own site's report, not a row here.
      const cause =
        customisation.decision === null || fleet
          ? customisation.cause
          : el(
              "button",
              { type: "button", class: "link", "data-decision": customisation.decision },
              customisation.cause,
            );
      body.append(
        el(
          "tr",
          {},
          fleet ? el("td", { class: "mono site" }, customisation.site) : null,
          el("td", { class: "mono" }, customisation.mask),
          el("td", { class: "mono node" }, ...breakable(customisation.node)),
          el("td", {}, customisation.own ? "your own node" : "your value"),
          el("td", {}, cause),
        ),
      );
    }
    const head = el(
      "tr",
      {},
      fleet ? el("th", {}, "Site") : null,
      el("th", {}, "Mask"),
      el("th", {}, "Node"),
      el("th", {}, "What"),
      el("th", {}, "Left out by"),
    );
    const table = el("table", { id: "customisations-table" }, el("thead", {}, head), body);
    table.addEventListener("click", (event) => {
      const decision = event.target.dataset && event.target.dataset.decision;
      if (decision) pickFilter({ decision });
    });
    box.append(table);
  }

  function renderLostComments() {
    const box = document.getElementById("lost");
    const lost = data.summary.lostComments;
    if (lost.length === 0) {
      box.append(el("p", { class: "empty" }, "None: the output carries all your comments."));
      return;
    }
    const body = el("tbody");
    for (const comment of lost) {
      body.append(
        el(
          "tr",
          {},
          fleet ? el("td", { class: "mono site" }, comment.site) : null,
          el("td", { class: "number" }, comment.line),
          el("td", {}, comment.why),
          el("td", { class: "mono comments" }, comment.text),
        ),
      );
    }
    const head = el(
      "tr",
      {},
      fleet ? el("th", {}, "Site") : null,
      el("th", { class: "number" }, fleet ? "Line" : "Line of " + data.inputs.custo.name),
      el("th", {}, "Why"),
      el("th", {}, "Comment"),
    );
    box.append(el("table", { id: "lost-table" }, el("thead", {}, head), body));
  }

  // --- The sites of a fleet ----------------------------------------------

  // A failed site counts nothing: it sorts below the sites that have none,
  // and its reason takes the place of its counts.
  function siteCount(key, title) {
    return {
      key,
      title,
      number: true,
      sortKey: (site) => (site.status === "failed" ? -1 : site[key]),
      cell: (site) => el("td", { class: "number" }, count(site[key])),
    };
  }

  function siteRights(key, title) {
    const total = (site) => site.access.reduce((sum, mask) => sum + mask[key], 0);
    return {
      key,
      title,
      number: true,
      sortKey: (site) => (site.status === "failed" ? -1 : total(site)),
      cell: (site) => {
        const n = total(site);
        const perMask = site.access.map((mask) => mask.mask + ": " + count(mask[key]));
        return el(
          "td",
          {
            class: "number" + (key === "granted" && n > 0 ? " change-granted" : ""),
            title: perMask.length === 0 ? null : perMask.join("\n"),
          },
          count(n),
        );
      },
    };
  }

  const siteColumns = [
    {
      key: "name",
      title: "Site",
      sortKey: (site) => site.name,
      cell: (site) =>
        el(
          "td",
          { class: "mono site" },
          site.status === "failed"
            ? site.name
            : el(
                "button",
                {
                  type: "button",
                  class: "link",
                  "data-site": site.name,
                  title: "list its questions",
                },
                site.name,
              ),
        ),
    },
    {
      key: "status",
      title: "Status",
      sortKey: (site) => (site.status === "failed" ? 0 : 1),
      cell: (site) =>
        site.status === "failed"
          ? el(
              "td",
              { class: "failed", colspan: siteColumns.length - 1 },
              "failed: ",
              el("span", { class: "reason" }, site.reason),
            )
          : el("td", {}, site.status),
    },
    siteCount("questions", "Questions"),
    siteCount("byRule", "By rule"),
    siteCount("byDecision", "By decision"),
    siteCount("noRule", "By recommendation"),
    siteCount("staleRules", "Stale rules"),
    siteCount("lostCustomisations", "Lost customisations"),
    siteCount("lostComments", "Lost comments"),
    siteRights("granted", "Rights granted"),
    siteRights("revoked", "Rights revoked"),
    {
      key: "access",
      title: "Access per mask",
      sortKey: (site) => site.access.length,
      cell: (site) => {
        if (site.access.length === 0) return el("td", { class: "absent" }, "—");
        const masks = site.access.length;
        return el(
          "td",
          {},
          el(
            "details",
            { class: "access-per-mask" },
            el("summary", {}, count(masks) + (masks === 1 ? " mask" : " masks")),
            accessList(site.access),
          ),
        );
      },
    },
  ];
  const siteSort = { key: "", descending: false };

  function renderSiteRows() {
    let shownSites = sites;
    const column = siteColumns.find((c) => c.key === siteSort.key);
    if (column !== undefined) {
      const direction = siteSort.descending ? -1 : 1;
      shownSites = sites
        .map((site, at) => [column.sortKey(site), at])
        .sort((a, b) => (a[0] < b[0] ? -direction : a[0] > b[0] ? direction : a[1] - b[1]))
        .map(([, at]) => sites[at]);
    }
    const body = el("tbody");
    for (const site of shownSites) {
      const row = el("tr", {
        class: site.status === "failed" ? "failed" : null,
        "data-site": site.name,
      });
      for (const c of siteColumns) {
        row.append(c.cell(site));
        if (c.key === "status" && site.status === "failed") break;
      }
      body.append(row);
    }
    const table = document.getElementById("sites-table");
    table.replaceChild(body, table.tBodies[0]);
    for (const th of table.querySelectorAll("th")) {
      th.setAttribute(
        "aria-sort",
        th.dataset.column !== siteSort.key
          ? "none"
          : siteSort.descending
            ? "descending"
            : "ascending",
      );
    }
  }

  // The fleet's own section: a line per site, what the merge did there and
  // the rights it granted and revoked (a fleet report lists no access line).
  function renderSites() {
    if (!fleet) return;
    document.getElementById("sites-section").hidden = false;
    document.getElementById("access-section").hidden = true;
    renderAccessSummary(document.getElementById("sites-access"));
    const head = document.querySelector("#sites-table thead tr");
    for (const c of siteColumns) {
      const button = el("button", { type: "button", title: "sort by " + c.title }, c.title);
      button.addEventListener("click", () => {
        siteSort.descending = siteSort.key === c.key ? !siteSort.descending : false;
        siteSort.key = c.key;
        renderSiteRows();
      });
      head.append(el("th", { class: c.number ? "number" : null, "data-column": c.key }, button));
    }
    document.getElementById("sites-table").addEventListener("click", (event) => {
      const site = event.target.dataset && event.target.dataset.site;
      if (site) pickFilter({ site });
    });
    renderSiteRows();
  }

  // --- Charts -----------------------------------------------------------

  // A horizontal bar chart of [label, value, filter] items; a click on a
  // bar applies its filter to the decisions table.
  function barChart(container, items, onPick) {
    if (items.length === 0) {
      container.append(el("p", { class: "empty" }, "No questions."));
      return;
    }
    const rowHeight = 22;
    const labelWidth = 300;
    const width = 640;
    const barSpace = width - labelWidth - 70;
    // About 7 units a character at the chart's font size.
    const labelChars = Math.floor((labelWidth - 10) / 7.2);
    const max = Math.max(...items.map((item) => item[1]), 1);
    const chart = svg("svg", {
      class: "chart",
      viewBox: "0 0 " + width + " " + items.length * rowHeight,
      role: "list",
    });
    items.forEach(([label, value, filter], i) => {
      const y = i * rowHeight;
      const row = svg("g", { class: "bar-row", role: "listitem", tabindex: "0" });
      const shown = label.length > labelChars ? label.slice(0, labelChars - 1) + "…" : label;
      row.append(svg("title", {}, label + ": " + count(value)));
      row.append(svg("text", { x: labelWidth - 6, y: y + 15, "text-anchor": "end" }, shown));
      const barWidth = Math.max(1, (value / max) * barSpace);
      row.append(
        svg("rect", {
          class: "bar",
          x: labelWidth,
          y: y + 3,
          width: barWidth,
          height: rowHeight - 6,
        }),
      );
      row.append(
        svg("text", { class: "count", x: labelWidth + barWidth + 5, y: y + 15 }, count(value)),
      );
      row.addEventListener("click", () => onPick(filter));
      row.addEventListener("keydown", (event) => {
        if (event.key === "Enter" || event.key === " ") onPick(filter);
      });
      chart.append(row);
    });
    container.append(chart);
  }

  function deciderText(key) {
    if (key === NONE) return "no rule: the recommendation";
    if (key === BY_DECISION) return "recorded decisions (" + recorded.file + ")";
    return ruleLabel(Number(key));
  }

  function renderCharts() {
    const kinds = data.summary.kinds
      .filter((kind) => kindCounts.get(kind.kind) > 0)
      .map((kind) => [kind.text, kindCounts.get(kind.kind), kind.kind]);
    barChart(document.getElementById("chart-kind"), kinds, (kind) => pickFilter({ kind }));

    const deciders = [...deciderCounts.entries()]
      .map(([key, value]) => [deciderText(key), value, key])
      .sort((a, b) => b[1] - a[1]);
    barChart(document.getElementById("chart-rule"), deciders, (decided) => pickFilter({ decided }));

    const entities = [...entityCounts.entries()]
      .sort((a, b) => b[1] - a[1] || (a[0] < b[0] ? -1 : 1))
      .slice(0, 20)
      .map(([key, value]) => [key === NONE ? "(no entity)" : key, value, key]);
    barChart(document.getElementById("chart-entity"), entities, (entity) => pickFilter({ entity }));

    const masks = [...maskCounts.entries()]
      .sort((a, b) => b[1] - a[1] || (a[0] < b[0] ? -1 : 1))
      .map(([key, value]) => [key === NONE ? "(no mask)" : key, value, key]);
    barChart(document.getElementById("chart-mask"), masks, (mask) => pickFilter({ mask }));
  }

  // --- The decisions table ----------------------------------------------

  function valueCell(value) {
    if (value === null)
      return el("td", { class: "absent", title: "no such node in this version" }, "—");
    if (value === "") return el("td", { class: "absent" }, "(empty)");
    return el("td", { class: "mono" }, value);
  }

  // An identifier as text pieces that may break after each "/".
  function breakable(id) {
    const pieces = [];
    id.split("/").forEach((part, i) => {
      if (i > 0) pieces.push("/", document.createElement("wbr"));
      pieces.push(part);
    });
    return pieces;
  }

  const columns = [
    {
      key: "index",
      title: "#",
      number: true,
      sortKey: (d, i) => i,
      cell: (d, i) => el("td", { class: "number" }, i + 1),
    },
    {
      key: "id",
      title: "Node",
      sortKey: (d) => d.id,
      cell: (d) => el("td", { class: "mono node" }, ...breakable(d.id)),
    },
    {
      key: "kind",
      title: "Kind",
      sortKey: (d) => kindOrder.indexOf(d.kind),
      cell: (d) =>
        el("td", { class: "kind", title: kindText.get(d.kind) }, kindShort.get(d.kind) || d.kind),
    },
    fleet
      ? {
          key: "sites",
          title: "Sites",
          number: true,
          sortKey: (d) => d.sites.length,
          cell: (d) => el("td", { class: "number sites" }, siteList(d.sites)),
        }
      : null,
    {
      key: "ref",
      title: "REF",
      sortKey: (d) => (d.ref === null ? "" : "\u0001" + d.ref),
      cell: (d) => valueCell(d.ref),
    },
    {
      key: "new",
      title: "NEW",
      sortKey: (d) => (d.new === null ? "" : "\u0001" + d.new),
      cell: (d) => valueCell(d.new),
    },
    {
      key: "custo",
      title: "CUSTO",
      sortKey: (d) => (d.custo === null ? "" : "\u0001" + d.custo),
      cell: (d) => valueCell(d.custo),
    },
    {
      key: "taken",
      title: "Taken",
      sortKey: (d) => d.taken,
      cell: (d) =>
        el(
          "td",
          {
            class: "option" + (d.choice === "alternative" ? " choice-alternative" : ""),
            title: "the " + d.choice,
          },
          d.taken,
          // A property left out is still a field of its line: the file keeps it.
          d.noEffect
            ? el(
                "span",
                { class: "no-effect", title: "a field of its line: the value stays in the file" },
                "no effect on the file",
              )
            : null,
        ),
    },
    {
      key: "leftOut",
      title: "Left out",
      sortKey: (d) => d.leftOut,
      cell: (d) => el("td", { class: "option" }, d.leftOut),
    },
    {
      key: "decided",
      title: "Decided by",
      // Recorded decisions after the rules, in the order of their lines.
      sortKey: (d) => (d.decision ? 1e9 + d.decision.line : d.rule === null ? 0 : d.rule),
      cell: (d) => {
        if (d.decision) {
          return el(
            "td",
            { class: "by-decision" },
            decisionLabel(d),
            d.decision.withSubtree
              ? el("span", { class: "rule-text" }, "with everything below its node")
              : null,
          );
        }
        if (d.rule === null) return el("td", {}, "recommendation");
        const rule = rulesByNumber.get(d.rule);
        return el(
          "td",
          {},
          "rule #" + d.rule,
          rule ? el("span", { class: "rule-text mono" }, rule.text) : null,
        );
      },
    },
    {
      key: "yours",
      title: "Your choice",
      // Your flips first, then what you confirmed, then the rest.
      sortKey: (d) => {
        const chosen = typeof d.key === "string" ? choices.get(d.key) : undefined;
        return chosen === undefined ? 2 : chosen.option === d.choice ? 1 : 0;
      },
      cell: (d, i) => choiceCell(d, i),
    },
    {
      key: "comments",
      // A group shows the comments of the first site it comes up in.
      title: fleet ? "Comments (first site)" : "Your comments",
      sortKey: (d) => d.comments.join("\n"),
      cell: (d) => el("td", { class: "mono comments" }, d.comments.join("\n")),
    },
    {
      key: "mask",
      title: "Mask",
      sortKey: (d) => d.mask || "",
      cell: (d) => el("td", { class: "mono" }, d.mask === null ? "" : d.mask),
    },
  ].filter((column) => column !== null);

  // The count of a group's sites; their names when opened, made only then:
  // a group may come up in every site of a big fleet.
  function siteList(names) {
    const list = el(
      "details",
      { class: "site-list" },
      el("summary", { title: "the sites it comes up in" }, count(names.length)),
    );
    list.addEventListener("toggle", () => {
      if (!list.open || list.querySelector("ul") !== null) return;
      list.append(el("ul", {}, ...names.map((name) => el("li", { class: "mono" }, name))));
    });
    return list;
  }

  // A fleet's table lists groups: its charts and filters count those, not
  // the questions of every site.
  const kindCounts = new Map(data.summary.kinds.map((kind) => [kind.kind, fleet ? 0 : kind.count]));
  if (fleet) for (const d of decisions) kindCounts.set(d.kind, (kindCounts.get(d.kind) || 0) + 1);

  const siteCounts = new Map(sites.map((site) => [site.name, 0]));
  for (const d of fleet ? decisions : []) {
    for (const name of d.sites) siteCounts.set(name, (siteCounts.get(name) || 0) + 1);
  }

  const maskCounts = new Map();
  for (const decision of decisions) {
    const key = maskKey(decision);
    maskCounts.set(key, (maskCounts.get(key) || 0) + 1);
  }

  const deciderCounts = new Map();
  for (const decision of decisions) {
    const key = deciderKey(decision);
    deciderCounts.set(key, (deciderCounts.get(key) || 0) + 1);
  }

  const entityCounts = new Map();
  for (const decision of decisions) {
    const key = entityKey(decision);
    entityCounts.set(key, (entityCounts.get(key) || 0) + 1);
  }

  // The filters by a select, each named "filter-" + its name.
  const FILTERS = ["mask", "entity", "kind", "decided", "site"];
  const state = {
    site: "",
    mask: "",
    entity: "",
    decision: "",
    kind: "",
    decided: "",
    text: "",
    sort: "index",
    descending: false,
    page: 0,
    pageSize: 100,
  };
  // Every decision's index, in the order of the current sort.
  let order = decisions.map((d, i) => i);
  // The indexes that pass the filters, in that order.
  let shown = order;
  // Lower-case search texts, made on the first text search.
  let haystacks = null;
  // The names of the sites the search text is in (a fleet's rows match them).
  let sitesFound = new Set();

  function haystack(i) {
    if (haystacks === null) haystacks = new Array(decisions.length);
    let text = haystacks[i];
    if (text === undefined) {
      const d = decisions[i];
      const by = d.decision
        ? decisionLabel(d)
        : d.rule === null
          ? "recommendation"
          : ruleLabel(d.rule);
      text = [d.id, d.ref, d.new, d.custo, d.taken, d.leftOut, by, ...d.comments]
        .filter((part) => part !== null)
        .join("\n")
        .toLowerCase();
      haystacks[i] = text;
    }
    return text;
  }

  function passes(i, text) {
    const d = decisions[i];
    if (state.decision !== "" && String(i + 1) !== state.decision) return false;
    if (state.mask !== "" && maskKey(d) !== state.mask) return false;
    if (state.entity !== "" && entityKey(d) !== state.entity) return false;
    if (state.kind !== "" && d.kind !== state.kind) return false;
    if (state.decided !== "" && deciderKey(d) !== state.decided) return false;
    if (state.site !== "" && !d.sites.includes(state.site)) return false;
    if (text === "" || haystack(i).includes(text)) return true;
    return sitesFound.size > 0 && d.sites.some((name) => sitesFound.has(name));
  }

  function applyFilters() {
    const text = state.text.trim().toLowerCase();
    const filtering =
      state.decision !== "" ||
      state.mask !== "" ||
      state.entity !== "" ||
      state.kind !== "" ||
      state.decided !== "" ||
      state.site !== "" ||
      text !== "";
    sitesFound = new Set(
      text === ""
        ? []
        : sites.filter((site) => site.name.toLowerCase().includes(text)).map((site) => site.name),
    );
    shown = filtering ? order.filter((i) => passes(i, text)) : order;
    state.page = 0;
    renderRows();
  }

  function applySort() {
    const column = columns.find((c) => c.key === state.sort);
    const keys = decisions.map((d, i) => column.sortKey(d, i));
    const direction = state.descending ? -1 : 1;
    order = decisions.map((d, i) => i);
    order.sort((a, b) => {
      const x = keys[a];
      const y = keys[b];
      if (x < y) return -direction;
      if (x > y) return direction;
      return a - b;
    });
    for (const th of document.querySelectorAll("#decisions th")) {
      th.setAttribute(
        "aria-sort",
        th.dataset.column === state.sort ? (state.descending ? "descending" : "ascending") : "none",
      );
    }
    applyFilters();
  }

  function renderRows() {
    const started = performance.now();
    const pages = Math.max(1, Math.ceil(shown.length / state.pageSize));
    state.page = Math.min(Math.max(state.page, 0), pages - 1);
    const first = state.page * state.pageSize;
    const last = Math.min(first + state.pageSize, shown.length);
    const body = document.createElement("tbody");
    for (let at = first; at < last; ++at) {
      const i = shown[at];
      const row = el("tr", { "data-index": i, class: isChosen(i) ? "chosen" : null });
      for (const column of columns) row.append(column.cell(decisions[i], i));
      body.append(row);
    }
    const table = document.getElementById("decisions");
    table.replaceChild(body, table.tBodies[0]);

    const total = decisions.length;
    document.getElementById("count").textContent =
      shown.length === 0
        ? "No decision matches the filters (" + count(total) + " in all)."
        : "Decisions " +
          count(first + 1) +
          "–" +
          count(last) +
          " of " +
          count(shown.length) +
          (shown.length === total ? "" : " (filtered from " + count(total) + ")");
    document.getElementById("page-info").textContent =
      "page " + count(state.page + 1) + " of " + count(pages);
    for (const button of document.querySelectorAll("#pager button")) {
      const go = button.dataset.go;
      button.disabled =
        go === "first" || go === "previous" ? state.page === 0 : state.page >= pages - 1;
    }
    document.body.dataset.renderMs = (performance.now() - started).toFixed(1);
  }

  function fillSelect(select, allLabel, options) {
    select.append(el("option", { value: "" }, allLabel));
    for (const [value, label] of options) select.append(el("option", { value }, label));
  }

  function setupFilters() {
    const entities = [...entityCounts.entries()].sort((a, b) =>
      a[0] < b[0] ? -1 : a[0] > b[0] ? 1 : 0,
    );
    fillSelect(
      document.getElementById("filter-entity"),
      "all entities",
      entities.map(([key, n]) => [
        key,
        (key === NONE ? "(no entity)" : key) + " (" + count(n) + ")",
      ]),
    );
    const masks = [...maskCounts.entries()].sort((a, b) =>
      a[0] < b[0] ? -1 : a[0] > b[0] ? 1 : 0,
    );
    fillSelect(
      document.getElementById("filter-mask"),
      "all masks",
      masks.map(([key, n]) => [key, (key === NONE ? "(no mask)" : key) + " (" + count(n) + ")"]),
    );
    fillSelect(
      document.getElementById("filter-kind"),
      "all kinds",
      data.summary.kinds.map((kind) => [
        kind.kind,
        kind.text + " (" + count(kindCounts.get(kind.kind)) + ")",
      ]),
    );
    const deciders = [
      [NONE, "no rule: the recommendation (" + count(deciderCounts.get(NONE) || 0) + ")"],
    ];
    if (recorded !== null) {
      deciders.push([
        BY_DECISION,
        deciderText(BY_DECISION) + " (" + count(deciderCounts.get(BY_DECISION) || 0) + ")",
      ]);
    }
    for (const rule of data.rules) {
      const n = fleet ? deciderCounts.get(String(rule.number)) || 0 : rule.decided;
      deciders.push([String(rule.number), ruleLabel(rule.number) + " (" + count(n) + ")"]);
    }
    fillSelect(document.getElementById("filter-decided"), "anyone", deciders);
    if (fleet) {
      document.getElementById("filter-site-label").hidden = false;
      document.getElementById("filter-text").placeholder = "identifier, value, comment, site…";
      fillSelect(
        document.getElementById("filter-site"),
        "all sites",
        sites.map((site) => [site.name, site.name + " (" + count(siteCounts.get(site.name)) + ")"]),
      );
    }

    for (const name of FILTERS) {
      document.getElementById("filter-" + name).addEventListener("change", (event) => {
        state[name] = event.target.value;
        applyFilters();
      });
    }
    let typing = 0;
    document.getElementById("filter-text").addEventListener("input", (event) => {
      clearTimeout(typing);
      typing = setTimeout(() => {
        state.text = event.target.value;
        applyFilters();
      }, 120);
    });
    document.getElementById("filter-reset").addEventListener("click", () => pickFilter({}));
  }

  // Shows the decisions that `filter` selects (the other filters cleared).
  function pickFilter(filter) {
    for (const name of FILTERS) {
      state[name] = filter[name] || "";
      document.getElementById("filter-" + name).value = state[name];
    }
    // One decision, from the cause of an access change.
    state.decision = filter.decision ? String(filter.decision) : "";
    state.text = "";
    document.getElementById("filter-text").value = "";
    applyFilters();
    if (Object.keys(filter).length > 0) document.getElementById("decisions-title").scrollIntoView();
  }

  function setupTable() {
    const head = document.querySelector("#decisions thead tr");
    for (const column of columns) {
      const button = el(
        "button",
        { type: "button", title: "sort by " + column.title },
        column.title,
      );
      button.addEventListener("click", () => {
        state.descending = state.sort === column.key ? !state.descending : false;
        state.sort = column.key;
        applySort();
      });
      head.append(
        el(
          "th",
          {
            class: column.number ? "number" : null,
            "data-column": column.key,
            "aria-sort": "none",
          },
          button,
        ),
      );
    }
    head.firstChild.setAttribute("aria-sort", "ascending");
    document.getElementById("pager").addEventListener("click", (event) => {
      const go = event.target.dataset && event.target.dataset.go;
      if (!go) return;
      const pages = Math.ceil(shown.length / state.pageSize);
      state.page = { first: 0, previous: state.page - 1, next: state.page + 1, last: pages - 1 }[
        go
      ];
      renderRows();
    });
    document.getElementById("page-size").addEventListener("change", (event) => {
      state.pageSize = Number(event.target.value);
      state.page = 0;
      renderRows();
    });
  }

  // --- Access changes ---------------------------------------------------

  const access = data.accessChanges
    .map((change) => Object.assign({ auth: false, refuse: null }, change))
    .concat(
      data.authChanges.map((change) =>
        Object.assign({ auth: true, change: "auth", operation: "auth", refuse: null }, change),
      ),
    );
  access.forEach((change, at) => (change.at = at));
  const accessState = { mask: "", change: "", entity: "", page: 0 };
  const accessPageSize = 100;
  let accessShown = access;

  // The entity of an owner "E::PART" or "E::PART/A::V_name".
  function ownerEntity(node) {
    const top = node.split("/")[0];
    return top.startsWith("E::") ? top.slice(3) : top;
  }

  function attributes(n) {
    return count(n) + (n === 1 ? " attribute" : " attributes");
  }

  function renderAccessSummary(box) {
    const masks = data.summary.access;
    if (masks.length === 0) {
      box.append(el("p", { class: "empty" }, "None: the merge changes no access line."));
      return;
    }
    box.append(accessList(masks));
  }

  // Per mask: the access lines granted, revoked and changed.
  function accessList(masks) {
    const list = el("ul", { class: "access-masks" });
    for (const mask of masks) {
      list.append(
        el(
          "li",
          {},
          el("span", { class: "mono" }, mask.mask),
          ": ",
          el(
            "span",
            { class: mask.granted > 0 ? "change-granted" : null },
            count(mask.granted) + " granted",
          ),
          ", " + count(mask.revoked) + " revoked, " + count(mask.changed) + " changed",
          mask.auth > 0 ? "; auth changed on " + attributes(mask.auth) : "",
        ),
      );
    }
    return list;
  }

  // The cause of an access change, in the words of `qelmask access`: the
  // decision, and the node it was on when that is above the line.
  function accessCause(change) {
    if (change.decision === null) return "no question on it or above it";
    const d = decisions[change.decision - 1];
    const by = d.rule === null && !d.decision ? " (recommendation)" : " (" + deciderLabel(d) + ")";
    // A decision on the owner or on the line itself needs no more words.
    const owner = change.node;
    const below = d.id.startsWith(owner + "/") ? d.id.slice(owner.length + 1) : null;
    const own = d.id === owner || (below !== null && !below.includes("/"));
    return "#" + change.decision + " " + d.kind + ": " + d.taken + by + (own ? "" : ", on " + d.id);
  }

  function renderAccessRows() {
    const pages = Math.max(1, Math.ceil(accessShown.length / accessPageSize));
    accessState.page = Math.min(Math.max(accessState.page, 0), pages - 1);
    const first = accessState.page * accessPageSize;
    const last = Math.min(first + accessPageSize, accessShown.length);
    const body = document.createElement("tbody");
    for (let at = first; at < last; ++at) {
      const change = accessShown[at];
      const cause =
        change.decision === null
          ? accessCause(change)
          : el(
              "button",
              { type: "button", class: "link", "data-decision": change.decision },
              accessCause(change),
            );
      body.append(
        el(
          "tr",
          {
            class: "change-" + change.change + (isRefused(change) ? " chosen" : ""),
            "data-at": change.at,
          },
          el("td", { class: "mono" }, change.mask),
          el("td", { class: "mono node" }, ...breakable(change.node)),
          el("td", { class: "mono" }, change.operation),
          valueCell(change.before),
          valueCell(change.after),
          el("td", { class: "change" }, change.change),
          el("td", {}, cause),
          refuseCell(change),
        ),
      );
    }
    const table = document.getElementById("access");
    table.replaceChild(body, table.tBodies[0]);
    document.getElementById("access-count").textContent =
      accessShown.length === 0
        ? "No access change matches the filters (" + count(access.length) + " in all)."
        : "Access changes " +
          count(first + 1) +
          "–" +
          count(last) +
          " of " +
          count(accessShown.length);
    document.getElementById("access-page").textContent =
      "page " + count(accessState.page + 1) + " of " + count(pages);
    for (const button of document.querySelectorAll("#access-pager button")) {
      button.disabled =
        button.dataset.go === "previous" ? accessState.page === 0 : accessState.page >= pages - 1;
    }
  }

  function applyAccessFilters() {
    accessShown = access.filter(
      (change) =>
        (accessState.mask === "" || change.mask === accessState.mask) &&
        (accessState.change === "" || change.change === accessState.change) &&
        (accessState.entity === "" || ownerEntity(change.node) === accessState.entity),
    );
    accessState.page = 0;
    renderAccessRows();
  }

  function setupAccess() {
    renderAccessSummary(document.getElementById("access-summary"));
    const tally = (key) => {
      const counts = new Map();
      for (const change of access) counts.set(key(change), (counts.get(key(change)) || 0) + 1);
      return [...counts.entries()]
        .sort((a, b) => (a[0] < b[0] ? -1 : a[0] > b[0] ? 1 : 0))
        .map(([value, n]) => [value, value + " (" + count(n) + ")"]);
    };
    fillSelect(document.getElementById("access-mask"), "all masks", tally((c) => c.mask));
    fillSelect(document.getElementById("access-change"), "all changes", tally((c) => c.change));
    fillSelect(
      document.getElementById("access-entity"),
      "all entities",
      tally((c) => ownerEntity(c.node)),
    );
    for (const name of ["mask", "change", "entity"]) {
      document.getElementById("access-" + name).addEventListener("change", (event) => {
        accessState[name] = event.target.value;
        applyAccessFilters();
      });
    }
    document.getElementById("access-pager").addEventListener("click", (event) => {
      const go = event.target.dataset && event.target.dataset.go;
      if (!go) return;
      accessState.page += go === "next" ? 1 : -1;
      renderAccessRows();
    });
    document.getElementById("access").addEventListener("click", (event) => {
      const decision = event.target.dataset && event.target.dataset.decision;
      if (decision) pickFilter({ decision });
      if (event.target.dataset && event.target.dataset.act === "refuse") {
        toggleRefusal(access[Number(event.target.closest("tr").dataset.at)]);
      }
    });
    renderAccessRows();
  }

  // --- Your decisions -----------------------------------------------------

  // What the administrator chooses on the page: an option for a question
  // (by its key) or an access line left out (by its refusal line). They are
  // written out as a decisions file that the next merge applies, and kept in
  // the browser meanwhile, so that a reload loses nothing.

  const DECISIONS_HEADER =
    "# qelmask decisions: mask, node, kind, REF, NEW, CUSTO, option (qelmask-decisions(5))";
  const OPTIONS = ["recommendation", "alternative"];
  // key -> { index, option, withSubtree }, in the order they were made.
  const choices = new Map();
  // Refusal lines -> the access change each leaves out.
  const refusals = new Map();
  // Refusal lines -> the first access change with it (refusable lines only).
  const refusable = new Map();
  for (const change of access) {
    if (change.refuse && !refusable.has(change.refuse)) refusable.set(change.refuse, change);
  }
  // Decision number -> its access changes per kind of change; made when a
  // choice is first shown.
  let accessTally = null;
  // Why the browser could not keep the choices, or null.
  let storageProblem = null;

  function otherOption(option) {
    return option === "alternative" ? "recommendation" : "alternative";
  }

  function optionText(d, option) {
    return option === d.choice ? d.taken : d.leftOut;
  }

  // Only keeping a node version N+1 dropped may settle the questions below it too.
  function canSubtree(d, option) {
    return subtreeKinds.has(d.kind) && option === "alternative";
  }

  function hasKey(d) {
    return typeof d.key === "string";
  }

  function isChosen(i) {
    return hasKey(decisions[i]) && choices.has(decisions[i].key);
  }

  function isRefused(change) {
    return change.refuse !== null && refusals.has(change.refuse);
  }

  // The key of a line of a decisions file: a refusal is its own key, a
  // question's is its first six fields.
  function lineKey(line) {
    const fields = line.split("\t");
    return fields.length === 4 && fields[2] === "without" ? line : fields.slice(0, 6).join("\t");
  }

  function choiceLine(key, chosen) {
    return key + "\t" + chosen.option + (chosen.withSubtree ? "\twith-subtree" : "");
  }

  // The decisions file: the lines of the file the report was made with,
  // each replaced by a choice made here on the same key, and the new ones.
  // A question's mask, node and kind: the first three fields of its key.
  function questionOf(key) {
    return key.split("\t").slice(0, 3).join("\t");
  }

  function decisionsText() {
    const lines = new Map();
    for (const line of recorded === null ? [] : recorded.kept) lines.set(lineKey(line), line);
    // A choice on a question takes the place of its lines that no longer
    // applied, made on other values.
    const stale = new Set(recorded === null ? [] : recorded.stale.map((entry) => entry.text));
    const chosenQuestions = new Set([...choices.keys()].map(questionOf));
    for (const [key, line] of [...lines]) {
      if (stale.has(line) && chosenQuestions.has(questionOf(key)) && !choices.has(key)) {
        lines.delete(key);
      }
    }
    for (const [key, chosen] of choices) lines.set(key, choiceLine(key, chosen));
    for (const line of refusals.keys()) lines.set(line, line);
    const keys = [...lines.keys()].sort((a, b) => (a < b ? -1 : a > b ? 1 : 0));
    return [DECISIONS_HEADER, ...keys.map((key) => lines.get(key))]
      .map((line) => line + "\n")
      .join("");
  }

  // --- Kept in the browser

  // FNV-1a over the text's UTF-16 units: enough to tell one report from another.
  function digest(text) {
    let hash = 0x811c9dc5;
    for (let i = 0; i < text.length; ++i) {
      hash ^= text.charCodeAt(i);
      hash = Math.imul(hash, 0x01000193);
    }
    return (hash >>> 0).toString(16).padStart(8, "0");
  }

  // The choices of one report, not of another made from other inputs.
  const storageKey =
    "qelmask-decisions:" +
    digest(
      [
        JSON.stringify(data.inputs),
        decisions.length,
        decisions.length > 0 ? decisions[0].key : "",
        decisions.length > 0 ? decisions[decisions.length - 1].key : "",
      ].join("\n"),
    );

  // Private windows and full or forbidden storage throw: the page goes on
  // without keeping the choices, and says so.
  function storageFailed(error) {
    storageProblem =
      "This browser does not keep your choices (" +
      (error && error.name ? error.name : String(error)) +
      "): download them before you close the page.";
  }

  function saveChoices() {
    try {
      if (choices.size === 0 && refusals.size === 0) {
        window.localStorage.removeItem(storageKey);
      } else {
        const saved = {
          choices: [...choices].map(([key, chosen]) => [key, chosen.option, chosen.withSubtree]),
          refusals: [...refusals.keys()],
        };
        window.localStorage.setItem(storageKey, JSON.stringify(saved));
      }
      storageProblem = null;
    } catch (error) {
      storageFailed(error);
    }
  }

  function restoreChoices() {
    let saved = null;
    try {
      const text = window.localStorage.getItem(storageKey);
      if (text !== null) saved = JSON.parse(text);
    } catch (error) {
      if (error instanceof SyntaxError) return;
      storageFailed(error);
      return;
    }
    if (saved === null || typeof saved !== "object") return;
    const entries = Array.isArray(saved.choices) ? saved.choices : [];
    if (entries.length > 0) {
      const indexes = new Map();
      decisions.forEach((d, i) => {
        if (hasKey(d)) indexes.set(d.key, i);
      });
      for (const entry of entries) {
        if (!Array.isArray(entry)) continue;
        const [key, option, withSubtree] = entry;
        const index = indexes.get(key);
        if (index === undefined || !OPTIONS.includes(option)) continue;
        const subtree = withSubtree === true && canSubtree(decisions[index], option);
        choices.set(key, { index, option, withSubtree: subtree });
      }
    }
    for (const line of Array.isArray(saved.refusals) ? saved.refusals : []) {
      if (refusable.has(line)) refusals.set(line, refusable.get(line));
    }
  }

  // --- The controls in the tables

  function choiceButton(act, text, pressed, title) {
    return el(
      "button",
      { type: "button", class: "choose", "data-act": act, "aria-pressed": String(pressed), title },
      text,
    );
  }

  // The cell of a question: take the option left out, or confirm the one taken.
  function choiceCell(d, i) {
    const cell = el("td", { class: "your-choice" });
    if (!hasKey(d)) return cell;
    const chosen = choices.get(d.key);
    const other = otherOption(d.choice);
    const controls = [
      [
        other,
        choiceButton(
          "take",
          "take " + d.leftOut,
          chosen !== undefined && chosen.option === other,
          "decide for the " + other + ": " + d.leftOut,
        ),
      ],
      [
        d.choice,
        choiceButton(
          "confirm",
          "confirm",
          chosen !== undefined && chosen.option === d.choice,
          "decide for the " + d.choice + ": " + d.taken,
        ),
      ],
    ];
    for (const [option, button] of controls) {
      cell.append(button);
      if (!canSubtree(d, option)) continue;
      const subtree = chosen !== undefined && chosen.withSubtree;
      cell.append(
        el(
          "label",
          { class: "subtree", title: "settle every question below this node the same way" },
          el("input", { type: "checkbox", "data-act": "subtree", checked: subtree ? "" : null }),
          "with everything below",
        ),
      );
    }
    cell.dataset.index = i;
    return cell;
  }

  function refuseCell(change) {
    if (change.refuse === null) return el("td", {});
    return el(
      "td",
      { class: "your-choice" },
      choiceButton(
        "refuse",
        "leave out",
        isRefused(change),
        "add the node version N+1 brings without this access line",
      ),
    );
  }

  // Puts a new cell in the place of `old`, the focus where it was.
  function replaceCell(old, cell) {
    const focused = old.contains(document.activeElement)
      ? document.activeElement.dataset.act
      : null;
    old.replaceWith(cell);
    if (focused) {
      const again = cell.querySelector('[data-act="' + focused + '"]');
      if (again) again.focus();
    }
  }

  // Redraws what shows a choice: its row when on the page, and the panel.
  function showChoice(i) {
    const row = document.querySelector('#decisions tbody tr[data-index="' + i + '"]');
    if (row) {
      const at = columns.findIndex((column) => column.key === "yours");
      row.classList.toggle("chosen", isChosen(i));
      replaceCell(row.cells[at], choiceCell(decisions[i], i));
    }
    renderChoices();
  }

  function showRefusal(change) {
    const row = document.querySelector('#access tbody tr[data-at="' + change.at + '"]');
    if (row) {
      row.classList.toggle("chosen", isRefused(change));
      replaceCell(row.cells[row.cells.length - 1], refuseCell(change));
    }
    renderChoices();
  }

  // A second click on the option chosen takes the choice back.
  function choose(i, option) {
    const d = decisions[i];
    const chosen = choices.get(d.key);
    if (chosen !== undefined && chosen.option === option) choices.delete(d.key);
    else choices.set(d.key, { index: i, option, withSubtree: false });
    saveChoices();
    showChoice(i);
  }

  // "With everything below" is the alternative with its subtree: ticking it
  // takes the alternative, clearing it keeps the alternative alone.
  function chooseSubtree(i, on) {
    const d = decisions[i];
    const chosen = choices.get(d.key);
    if (on || (chosen !== undefined && chosen.option === "alternative")) {
      choices.set(d.key, { index: i, option: "alternative", withSubtree: on });
    }
    saveChoices();
    showChoice(i);
  }

  function unchoose(key) {
    const chosen = choices.get(key);
    if (chosen === undefined) return;
    choices.delete(key);
    saveChoices();
    showChoice(chosen.index);
  }

  function toggleRefusal(change) {
    if (refusals.has(change.refuse)) refusals.delete(change.refuse);
    else refusals.set(change.refuse, change);
    saveChoices();
    showRefusal(change);
  }

  function setupChoices() {
    const table = document.getElementById("decisions");
    table.addEventListener("click", (event) => {
      const act = event.target.dataset && event.target.dataset.act;
      if (act !== "take" && act !== "confirm") return;
      const i = Number(event.target.closest("td").dataset.index);
      const d = decisions[i];
      choose(i, act === "take" ? otherOption(d.choice) : d.choice);
    });
    table.addEventListener("change", (event) => {
      if (!event.target.dataset || event.target.dataset.act !== "subtree") return;
      chooseSubtree(Number(event.target.closest("td").dataset.index), event.target.checked);
    });
    document.getElementById("yours").addEventListener("click", (event) => {
      const target = event.target.dataset || {};
      if (target.decision) pickFilter({ decision: target.decision });
      if (target.undo === "choice") unchoose(event.target.closest("tr").dataset.key);
      if (target.undo === "refusal") {
        const change = refusals.get(event.target.closest("tr").dataset.key);
        if (change) toggleRefusal(change);
      }
    });
    document.getElementById("yours-download").addEventListener("click", downloadDecisions);
    document.getElementById("yours-clear").addEventListener("click", () => {
      choices.clear();
      refusals.clear();
      saveChoices();
      renderRows();
      renderAccessRows();
      renderChoices();
    });
    document.getElementById("yours-file-box").addEventListener("toggle", renderChoices);
  }

  // The file goes through a link to its bytes in memory: nothing leaves the page.
  function downloadDecisions() {
    const url = URL.createObjectURL(new Blob([decisionsText()], { type: "text/plain" }));
    const link = el("a", { href: url, download: "decisions.txt", hidden: "" });
    document.body.append(link);
    link.click();
    link.remove();
    // The browser reads the bytes after the click returns.
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  // --- The panel

  function tallyAccess() {
    if (accessTally !== null) return accessTally;
    accessTally = new Map();
    for (const change of access) {
      if (change.decision === null) continue;
      let tally = accessTally.get(change.decision);
      if (tally === undefined) {
        tally = { granted: 0, revoked: 0, changed: 0, auth: 0 };
        accessTally.set(change.decision, tally);
      }
      tally[change.change] = (tally[change.change] || 0) + 1;
    }
    return accessTally;
  }

  // "1 granted, 2 revoked access lines", or null when there are none.
  function accessText(number) {
    const tally = tallyAccess().get(number);
    if (tally === undefined) return null;
    const parts = ["granted", "revoked", "changed"]
      .filter((change) => tally[change] > 0)
      .map((change) => count(tally[change]) + " " + change);
    const lines = tally.granted + tally.revoked + tally.changed;
    let text =
      parts.length === 0 ? "" : parts.join(", ") + (lines === 1 ? " access line" : " access lines");
    if (tally.auth > 0)
      text += (text === "" ? "" : "; ") + "auth changed on " + attributes(tally.auth);
    return text;
  }

  // What a choice changes against the report: the option, and the access
  // changes the decision made, undone by a flip or kept by a confirmation.
  function choiceEffects(d, i, chosen) {
    const effects = [];
    const flips = chosen.option !== d.choice;
    effects.push(
      flips
        ? optionText(d, chosen.option) + " instead of " + d.taken + " (" + deciderLabel(d) + ")"
        : "confirms " + d.taken + " (" + deciderLabel(d) + ")",
    );
    if (chosen.withSubtree) effects.push("and every question below this node, the same way");
    if (fleet) effects.push("one line for the " + sitesText(d.sites.length) + " it comes up in");
    const lines = accessText(i + 1);
    if (lines !== null) effects.push((flips ? "undoes " : "keeps ") + lines);
    const moot = [...refusals.values()].filter((change) => change.decision === i + 1).length;
    if (flips && moot > 0 && Array.isArray(d.inner)) {
      effects.push("the node is not added: the lines you leave out of it no longer matter");
    }
    return effects;
  }

  function effectsCell(effects, line) {
    return el(
      "td",
      {},
      ...effects.map((effect) => el("span", { class: "effect" }, effect)),
      el("code", { class: "decision-line" }, line),
    );
  }

  function choiceRow(key, chosen) {
    const d = decisions[chosen.index];
    const option =
      chosen.option === d.choice ? "confirm " + d.taken : "take " + optionText(d, chosen.option);
    return el(
      "tr",
      { "data-key": key, class: chosen.option === d.choice ? null : "flip" },
      el(
        "td",
        { class: "number" },
        el(
          "button",
          { type: "button", class: "link", "data-decision": chosen.index + 1 },
          "#" + (chosen.index + 1),
        ),
      ),
      el("td", { class: "mono" }, d.mask === null ? "" : d.mask),
      el("td", { class: "mono node" }, ...breakable(d.id)),
      el("td", { class: "kind" }, kindShort.get(d.kind) || d.kind),
      el("td", { class: "option" }, option + (chosen.withSubtree ? ", with everything below" : "")),
      effectsCell(choiceEffects(d, chosen.index, chosen), choiceLine(key, chosen)),
      el("td", {}, el("button", { type: "button", "data-undo": "choice" }, "undo")),
    );
  }

  function refusalRow(line, change) {
    const d = change.decision === null ? null : decisions[change.decision - 1];
    const effects = [
      "leaves out " +
        change.operation +
        " (" +
        (change.before === null ? "none" : change.before) +
        " → " +
        (change.after === null ? "none" : change.after) +
        ", " +
        change.change +
        ")" +
        (d === null ? "" : " from the node #" + change.decision + " adds"),
    ];
    return el(
      "tr",
      { "data-key": line },
      el(
        "td",
        { class: "number" },
        d === null
          ? ""
          : el(
              "button",
              { type: "button", class: "link", "data-decision": change.decision },
              "#" + change.decision,
            ),
      ),
      el("td", { class: "mono" }, change.mask),
      el("td", { class: "mono node" }, ...breakable(change.node), " " + change.operation),
      el("td", { class: "kind" }, "access line"),
      el("td", { class: "option" }, "leave out"),
      effectsCell(effects, line),
      el("td", {}, el("button", { type: "button", "data-undo": "refusal" }, "undo")),
    );
  }

  function renderChoices() {
    const box = document.getElementById("yours");
    const made = [...choices].sort((a, b) => a[1].index - b[1].index);
    const refused = [...refusals].sort((a, b) => a[1].at - b[1].at);
    const replaced =
      recorded === null
        ? 0
        : recorded.kept.filter((line) => {
            const key = lineKey(line);
            return choices.has(key) || refusals.has(key);
          }).length;
    const keptLines = recorded === null ? 0 : recorded.kept.length;
    const parts = [
      count(made.length) + (made.length === 1 ? " choice" : " choices"),
      count(refused.length) + (refused.length === 1 ? " line left out" : " lines left out"),
    ];
    let status = "Your decisions: " + parts.join(", ") + ".";
    if (keptLines > 0) {
      status +=
        " The file keeps the " +
        count(keptLines) +
        " lines of " +
        recorded.file +
        (replaced > 0 ? ", " + count(replaced) + " of them replaced by your choices" : "") +
        ".";
    }
    document.getElementById("yours-status").textContent = status;
    const warning = document.getElementById("yours-storage");
    warning.hidden = storageProblem === null;
    warning.textContent = storageProblem || "";
    document.getElementById("yours-clear").disabled = made.length + refused.length === 0;

    box.replaceChildren();
    if (made.length + refused.length === 0) {
      box.append(
        el(
          "p",
          { class: "empty" },
          "None yet: take or confirm an option in the table of decisions, or leave out an access line.",
        ),
      );
    } else {
      const body = el("tbody");
      for (const [key, chosen] of made) body.append(choiceRow(key, chosen));
      for (const [line, change] of refused) body.append(refusalRow(line, change));
      const head = el(
        "tr",
        {},
        el("th", { class: "number" }, "#"),
        el("th", {}, "Mask"),
        el("th", {}, "Node"),
        el("th", {}, "Kind"),
        el("th", {}, "Your choice"),
        el("th", {}, "What it changes"),
        el("th", {}, ""),
      );
      box.append(el("table", { id: "yours-table" }, el("thead", {}, head), body));
    }
    // The file is written out only when someone looks at it.
    const file = document.getElementById("yours-file");
    file.textContent = document.getElementById("yours-file-box").open ? decisionsText() : "";
  }

  renderInputs();
  renderFigures();
  renderSites();
  renderCharts();
  renderRules();
  renderStaleDecisions();
  renderLostCustomisations();
  renderLostComments();
  restoreChoices();
  setupAccess();
  setupFilters();
  setupTable();
  setupChoices();
  renderRows();
  renderChoices();
  if (fleet) {
    document.querySelector("header h1").textContent = "Fleet merge report";
    document.getElementById("charts-hint").textContent =
      "A row stands for a question asked alike in one site or more: the charts count rows. " +
      "Click a bar to list its decisions.";
    document.title = "qelmask report: " + sitesText(sites.length);
  } else {
    document.title = "qelmask report: " + data.inputs.custo.name;
  }
  document.body.dataset.ready = "true";
})();

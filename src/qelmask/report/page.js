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
  const numberFormat = new Intl.NumberFormat("en");
  const svgNs = "http://www.w3.org/2000/svg";
  // The filter values that stand for "no entity" and "no rule".
  const NONE = "\u0000none";

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

  function ruleLabel(number) {
    const rule = rulesByNumber.get(number);
    return rule ? "rule #" + number + " " + rule.text : "rule #" + number;
  }

  function deciderKey(decision) {
    return decision.rule === null ? NONE : String(decision.rule);
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
    const parts = ["ref", "new", "custo"].map(
      (role) =>
        role.toUpperCase() + " " + inputs[role].name + " (" + count(inputs[role].lines) + " lines)",
    );
    parts.push(inputs.rules === null ? "no rule file" : "rules " + inputs.rules);
    document.getElementById("inputs").textContent = parts.join(" · ");
  }

  function renderFigures() {
    const summary = data.summary;
    const figures = [
      ["questions", summary.questions, "questions"],
      ["recommendation", summary.recommendation, "settled on the recommendation"],
      ["alternative", summary.alternative, "settled on the alternative"],
      ["by-rule", summary.byRule, "decided by a rule"],
      ["stale-rules", summary.staleRules, "rules that decided nothing"],
      [
        "lost-customisations",
        summary.lostCustomisations.length,
        "customisations not carried over",
      ],
      ["lost-comments", summary.lostComments.length, "comments not carried over"],
      ["ignored-lines", summary.ignoredLines, "lines the reader ignored"],
      ["no-effect", summary.noEffect, "decisions with no effect on the file"],
    ];
    const box = document.getElementById("figures");
    for (const [name, value, label] of figures) {
      const attention = name !== "questions" && name !== "recommendation" && value > 0;
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
      el("th", {}, "Note"),
    );
    const body = el("tbody");
    for (const rule of data.rules) {
      let note = "";
      if (rule.stale) {
        note =
          rule.suggestion === null
            ? "decided nothing: no question on its nodes, or an earlier rule decided first"
            : 'decided nothing: did you mean "' + rule.suggestion + '"? (paths match letter case)';
      }
      body.append(
        el(
          "tr",
          { class: rule.stale ? "stale" : null, "data-rule": rule.number },
          el("td", { class: "number" }, rule.number),
          el("td", { class: "mono" }, rule.text),
          el("td", { class: "number" }, count(rule.decided)),
          el("td", { class: "number" }, count(rule.alternative)),
          el("td", {}, note),
        ),
      );
    }
    box.append(el("table", { id: "rules-table" }, el("thead", {}, head), body));
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
      const cause =
        customisation.decision === null
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
          el("td", { class: "number" }, comment.line),
          el("td", {}, comment.why),
          el("td", { class: "mono comments" }, comment.text),
        ),
      );
    }
    const head = el(
      "tr",
      {},
      el("th", { class: "number" }, "Line of " + data.inputs.custo.name),
      el("th", {}, "Why"),
      el("th", {}, "Comment"),
    );
    box.append(el("table", {}, el("thead", {}, head), body));
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

  function renderCharts() {
    const kinds = data.summary.kinds
      .filter((kind) => kind.count > 0)
      .map((kind) => [kind.text, kind.count, kind.kind]);
    barChart(document.getElementById("chart-kind"), kinds, (kind) => pickFilter({ kind }));

    const byDecider = new Map();
    for (const decision of decisions) {
      const key = deciderKey(decision);
      byDecider.set(key, (byDecider.get(key) || 0) + 1);
    }
    const deciders = [...byDecider.entries()]
      .map(([key, value]) => [
        key === NONE ? "no rule: the recommendation" : ruleLabel(Number(key)),
        value,
        key,
      ])
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
      sortKey: (d) => (d.rule === null ? 0 : d.rule),
      cell: (d) => {
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
      key: "comments",
      title: "Your comments",
      sortKey: (d) => d.comments.join("\n"),
      cell: (d) => el("td", { class: "mono comments" }, d.comments.join("\n")),
    },
    {
      key: "mask",
      title: "Mask",
      sortKey: (d) => d.mask || "",
      cell: (d) => el("td", { class: "mono" }, d.mask === null ? "" : d.mask),
    },
  ];

  const maskCounts = new Map();
  for (const decision of decisions) {
    const key = maskKey(decision);
    maskCounts.set(key, (maskCounts.get(key) || 0) + 1);
  }

  const entityCounts = new Map();
  for (const decision of decisions) {
    const key = entityKey(decision);
    entityCounts.set(key, (entityCounts.get(key) || 0) + 1);
  }

  const state = {
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

  function haystack(i) {
    if (haystacks === null) haystacks = new Array(decisions.length);
    let text = haystacks[i];
    if (text === undefined) {
      const d = decisions[i];
      const rule = d.rule === null ? "recommendation" : ruleLabel(d.rule);
      text = [d.id, d.ref, d.new, d.custo, d.taken, d.leftOut, rule, ...d.comments]
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
    return text === "" || haystack(i).includes(text);
  }

  function applyFilters() {
    const text = state.text.trim().toLowerCase();
    const filtering =
      state.decision !== "" ||
      state.mask !== "" ||
      state.entity !== "" ||
      state.kind !== "" ||
      state.decided !== "" ||
      text !== "";
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
      const row = el("tr", { "data-index": i });
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
      data.summary.kinds.map((kind) => [kind.kind, kind.text + " (" + count(kind.count) + ")"]),
    );
    const deciders = [[NONE, "no rule: the recommendation (" + count(data.summary.noRule) + ")"]];
    for (const rule of data.rules)
      deciders.push([
        String(rule.number),
        ruleLabel(rule.number) + " (" + count(rule.decided) + ")",
      ]);
    fillSelect(document.getElementById("filter-decided"), "anyone", deciders);

    for (const name of ["mask", "entity", "kind", "decided"]) {
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
    for (const name of ["mask", "entity", "kind", "decided"]) {
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
    .map((change) => Object.assign({ auth: false }, change))
    .concat(
      data.authChanges.map((change) =>
        Object.assign({ auth: true, change: "auth", operation: "auth" }, change),
      ),
    );
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

  function renderAccessSummary() {
    const box = document.getElementById("access-summary");
    const masks = data.summary.access;
    if (masks.length === 0) {
      box.append(el("p", { class: "empty" }, "None: the merge changes no access line."));
      return;
    }
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
    box.append(list);
  }

  // The cause of an access change, in the words of `qelmask access`: the
  // decision, and the node it was on when that is above the line.
  function accessCause(change) {
    if (change.decision === null) return "no question on it or above it";
    const d = decisions[change.decision - 1];
    const by = d.rule === null ? " (recommendation)" : " (rule #" + d.rule + ")";
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
          { class: "change-" + change.change },
          el("td", { class: "mono" }, change.mask),
          el("td", { class: "mono node" }, ...breakable(change.node)),
          el("td", { class: "mono" }, change.operation),
          valueCell(change.before),
          valueCell(change.after),
          el("td", { class: "change" }, change.change),
          el("td", {}, cause),
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
    renderAccessSummary();
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
    });
    renderAccessRows();
  }

  renderInputs();
  renderFigures();
  renderCharts();
  renderRules();
  renderLostCustomisations();
  renderLostComments();
  setupAccess();
  setupFilters();
  setupTable();
  renderRows();
  document.title = "qelmask report: " + data.inputs.custo.name;
  document.body.dataset.ready = "true";
})();

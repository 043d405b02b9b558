// ---- Rendering: the answer, the table, the journey, the chart -------------
// A text is set only where it changes: the stages of one answer redraw the
// answer box, and what stays the same is left alone.
function text(id, value) { setText($(id), value); }
function setText(el, value) { if (el.textContent !== String(value)) el.textContent = value; }
// A message shown once (a file refused, a link broken, a save failed) is
// kept as how to word it, and worded again in the language switched to:
// tell(id, key, args...), or tell(id, function () { return words; }) where
// its arguments are words too; tell(id) clears it.
var told = {};
function tell(id, key) {
  var args = Array.prototype.slice.call(arguments, 1);
  told[id] = !key ? null : typeof key === "function" ? key : function () { return say.apply(null, args); };
  text(id, told[id] ? told[id]() : "");
}
function retell() { Object.keys(told).forEach(function (id) { if (told[id]) text(id, told[id]()); }); }
function stoneIds() { return Array.prototype.map.call(document.querySelectorAll("#setup select.stone"), function (s) { return s.id; }); }
function priceIds() { return F.stone_labels.slice(1).map(function (label, i) { return "p" + (i + 1); }); }
function valueIds() { return ["attempts", "level", "taliks", "target", "stone_sets", "attempt_price", "item_price", "budget", "seed"]; }
function showFields(errors) {
  ["grade"].concat(valueIds(), stoneIds(), priceIds()).forEach(function (id) {
    var message = errors[id] || "", element = $(id);
    attribute(element, "aria-invalid", message ? "true" : "false");
    text(id + "-error", message);
    attribute(element, "aria-describedby", message ? id + "-error" : null);
  });
}
// The faults the module never sees: a price list of the wrong length in the
// address, prices of attempts or items without the stones' prices.
function pageErrors() {
  var errors = {}, given = state.values.prices === "" ? 0 : state.values.prices.split(",").length, wanted = priceIds().length;
  if (given !== 0 && given !== wanted) errors[priceIds()[Math.min(given, wanted) - 1]] = say("price_link", given, wanted);
  if (given === 0) ["attempt_price", "item_price", "budget"].forEach(function (id) {
    if (state.values[id] !== "") errors[id] = say("needs_stone_prices");
  });
  return errors;
}
function showInputs() {
  valueIds().forEach(function (id) { if ($(id).value !== state.values[id]) $(id).value = state.values[id]; });
  var prices = priceList();
  priceIds().forEach(function (id, i) { if ($(id).value !== prices[i]) $(id).value = prices[i]; });
  setSelect("grade", state.values.grade);
  var stones = state.values.stones, whole = stones.length === stoneIds().length;
  stoneIds().forEach(function (id, i) { setSelect(id, whole ? stones[i] : "?"); });
}
// A value the list does not hold is kept as a marked, invalid choice.
function setSelect(id, value) {
  var select = $(id), match = Array.prototype.some.call(select.options, function (o) { return o.value === value && !o.hasAttribute("data-bad"); });
  Array.prototype.slice.call(select.querySelectorAll("option[data-bad]")).forEach(function (o) { o.remove(); });
  if (!match) { var bad = new Option(say("no_such", value), value); bad.setAttribute("data-bad", ""); select.add(bad); }
  select.value = value;
}
// An element's children set in place, one for each value: made by make
// where missing, filled by fill. A new answer then changes only the texts
// that differ, and the browser lays out no new boxes.
function fillChildren(parent, values, make, fill) {
  while (parent.children.length > values.length) parent.lastElementChild.remove();
  while (parent.children.length < values.length) parent.appendChild(make());
  values.forEach(function (value, i) { fill(parent.children[i], value); });
}
// A list's items, each a text with its class.
function fillItems(list, items) {
  fillChildren(list, items, function () { return document.createElement("li"); }, function (item, value) {
    setText(item, value[0]); attribute(item, "class", value[1]);
  });
}
// The answer's figures, each a term, its value and whether it is a risk.
function showFigures(figures) {
  fillChildren($("figures"), figures, function () {
    var box = document.createElement("div");
    box.appendChild(document.createElement("dt")); box.appendChild(document.createElement("dd"));
    return box;
  }, function (box, f) {
    attribute(box, "class", f[2] ? "risk" : null);
    setText(box.firstChild, f[0]); setText(box.lastChild, f[1]);
  });
}
function outcome(setUp, key) { return setUp.outcomes[F.outcome_keys.indexOf(key)]; }
function levelLabel(p) { return Math.round(F.percentile_levels[p] * 1000) / 10 + F.percent_sign; }
// The answer box: the exact chance beside the simulator's line, the
// journey's figures from the set-up's talik count, the tables in use.
function showAnswer(answer) {
  var figures = [], s = answer.set_up;
  var figure = function (label, value, risk) { figures.push([label, value, risk]); };
  text("chance-line", s ? s.chance_line : "—");
  text("exact-chance", s ? say("exact_chance", outcome(s, "success").figure) : "—");
  text("chance-note", !s ? say("fix_fields") : outcome(s, "success").share >= 1 ? say("certain") : "");
  text("report", s ? s.report : "");
  if (s) answerFigures(answer, figure);
  // The set-up's answer comes alone, first: the journey's figures shown keep
  // their places, saying they are computed, so that nothing below them moves
  // (to be laid out and painted anew) before theirs come.
  var shown = $("figures").children;
  if (s && !("unpriced_plan" in answer)) {
    for (var i = figures.length; i < shown.length; i++) figure(shown[i].firstChild.textContent, say("computing"), false);
  }
  showFigures(figures);
}
function answerFigures(answer, figure) {
  var s = answer.set_up;
  figure(say("destroys_item"), outcome(s, "item_destroyed").percent, true);
  figure(say("destroys_taliks"), outcome(s, "taliks_destroyed").percent, true);
  // While the priced journey is computed, the figures that need no prices
  // stand, and the priced ones say so.
  var plan = answer.plan || (answer.priced ? answer.unpriced_plan : null), taliks = Number(state.values.taliks);
  if (!plan || taliks >= plan.target) return;
  var row = plan.rows[taliks], p = F.shown_percentile;
  figure(say("reach_before_loss", plan.target), row.reach_percent, false);
  figure(say("attempts_with_new_items"), row.attempts_with_new_items, false);
  figure(say("items_on_average_short"), row.items_destroyed, false);
  figure(say("items_for", levelLabel(p)), row.items_for[p], false);
  if (!answer.plan) {
    figure(say("cost_on_average"), say("computing"), false);
    figure(say("budget_for", levelLabel(p)), say("computing"), false);
    return;
  }
  if (plan.priced) {
    figure(say("cost_on_average"), row.cost, false);
    figure(say("budget_for", levelLabel(p)), row.budget_for[p], false);
  }
  // The chance within the player's budget: exact, or a bound from below.
  if (plan.budget !== null && row.reach_within_budget !== "") {
    figure(say("reach_within", plan.target, state.values.budget.trim()),
      row.reach_within_budget_exact ? row.reach_within_budget : say("at_least", row.reach_within_budget), false);
  }
}
// Beside a priced journey of the player's stones: the cheapest stones, what
// their budget differs by, and a button that takes them.
function showCheapest(answer) {
  var cheapest = answer.cheapest, taliks = Number(state.values.taliks);
  var shown = !!(cheapest && answer.plan && taliks < answer.plan.target);
  // While the priced journeys are computed, a line shown keeps its place,
  // unseen, so that nothing below it moves before they come.
  var keep = !shown && answer.priced && answer.stage !== "cheapest" && !$("cheapest").hidden;
  $("cheapest").hidden = !shown && !keep;
  $("cheapest").classList.toggle("unseen", keep);
  $("cheapest-csv").disabled = !cheapest;
  if (!shown) return;
  var row = cheapest.plan.rows[taliks], p = F.shown_percentile;
  var stones = cheapest.plan.rows.map(function (r) { return r.stones; });
  text("cheapest-text", say("cheapest", levelLabel(p), row.budget_for[p],
    cheapest.budget_change ? " (" + cheapest.budget_change + ")" : "", stones.join(", ")));
  $("take-cheapest").hidden = stones.join(",") === answer.plan.rows.map(function (r) { return r.stones; }).join(",");
}
// While the priced journey is computed, its line already says what it will
// be, and keeps its place.
function strategyText(answer) {
  var plan = answer.plan;
  if (!plan && !answer.priced) return "";
  var whose = say(state.values.stone_sets !== "" ? "whose_own" : "whose_set_up");
  return say((plan ? plan.priced : answer.priced) ? "strategy_priced" : answer.unpriced ? "strategy_half" : "strategy_unpriced", whose);
}
// Which tables the figures come from, and a warning where a file is
// missing or has findings.
function tableNote(t) {
  return { example: say("note_example"), file: t.size ? say("note_loaded_bytes", t.size) : say("note_loaded"),
    missing: say("note_missing"), edited: say("changed_here"), link: say("note_link") }[t.source];
}
function showTablesInUse(answer) {
  var all = state.tables.every(function (t) { return t.source === "example"; });
  text("tables-used", all ? say("tables_examples") :
    say("tables_used", state.tables.map(function (t) { return say("table_named", t.name, tableNote(t)); }).join(", ")));
  var missing = state.tables.filter(function (t) { return t.source === "missing"; }).length;
  var found = findingCount(answer);
  var words = [];
  if (missing) words.push(say("warn_missing", missing));
  if (found) words.push(say("warn_findings", found));
  $("tables-warning").hidden = !words.length;
  text("tables-warning-text", words.length ? say("warning", words.join(", ")) : "");
}
function showTable(answer) {
  var grid = $("grid"), table = answer.table;
  text("table-csv-why", table ? "" : say("no_table"));
  $("table-csv").disabled = !table;
  if (!table) { grid.textContent = ""; return; }
  var headings = [say("corner")].concat(table.cells[0].map(function (value, taliks) { return taliks; }));
  var rows = fillTable(grid, headings, table.cells.map(function (cells, grade) {
    return [grade + ": " + words().grade_names[grade]].concat(cells);
  }), true);
  table.cells.forEach(function (cells, grade) {
    cells.forEach(function (value, taliks) {
      var mine = String(grade) === state.values.grade && String(taliks) === state.values.taliks;
      var cell = rows[grade].cells[taliks + 1];
      cell.classList.toggle("mark", mine);
      attribute(cell, "aria-label", mine ? say("your_set_up", value) : null);
    });
  });
}
// A table's head and body rows filled with texts, in place where it already
// has their shape: a new answer then changes only the cells whose texts
// differ, and the browser lays out no rows anew. Each row's first cell is a
// row heading where rowHeadings. Returns the body's rows.
function fillTable(table, headings, rows, rowHeadings) {
  var body = table.tBodies[0];
  var fits = table.tHead && table.tHead.rows[0].cells.length === headings.length && body &&
    body.rows.length === rows.length;
  if (!fits) {
    table.textContent = "";
    var head = table.createTHead().insertRow();
    headings.forEach(function () { var th = document.createElement("th"); th.scope = "col"; head.appendChild(th); });
    body = table.createTBody();
    rows.forEach(function () {
      var row = body.insertRow();
      headings.forEach(function (heading, i) {
        if (i > 0 || !rowHeadings) { row.insertCell(); return; }
        var th = document.createElement("th"); th.scope = "row"; row.appendChild(th);
      });
    });
  }
  headings.forEach(function (heading, i) { setText(table.tHead.rows[0].cells[i], heading); });
  rows.forEach(function (values, r) { values.forEach(function (value, i) { setText(body.rows[r].cells[i], value); }); });
  return body.rows;
}
// An attribute set only where it changes; null removes it.
function attribute(el, name, value) {
  if (value === null) { if (el.hasAttribute(name)) el.removeAttribute(name); }
  else if (el.getAttribute(name) !== value) el.setAttribute(name, value);
}
// The journey's columns, as the module places them: a heading and the
// row's figure; a per-level column once for each level it shows (every
// level, or the one the answer shows); the priced ones in priced plans only.
function journeyColumns(plan) {
  var placed = F.plan_columns.filter(function (c) { return c.place >= 0 && (plan.priced || !c.priced); });
  placed.sort(function (a, b) { return a.place - b.place; });
  var columns = [];
  placed.forEach(function (c) {
    if (c.per === "row") { columns.push([say(c.heading), function (r) { return r[c.key]; }]); return; }
    // A per-tier column: one for each stone tier, after "no stone".
    var names = c.per === "tier" ? words().stone_labels.slice(1) : F.percentile_levels.map(function (level, i) { return levelLabel(i); });
    var shown = c.shown === "shown" ? [F.shown_percentile] : names.map(function (name, i) { return i; });
    shown.forEach(function (i) { columns.push([say(c.heading, names[i]), function (r) { return r[c.key][i]; }]); });
  });
  return columns;
}
var shownLegend = { language: "", text: "" };
function showJourney(answer) {
  var table = $("journey"), plan = answer.plan, computing = !plan && answer.priced;
  text("plan-csv-why", computing ? say("computing") : !plan ? say("no_journey") : answer.unpriced ? say("unpriced_until") : "");
  // The rounded figures' legend goes with the table it explains, kept on
  // show while the next is computed, in the language it was said in.
  var kept = computing && shownLegend.language === language() ? shownLegend.text : "";
  shownLegend = { language: language(), text: plan ? plan.rounded_legend : kept };
  text("strategy", strategyText(answer) + (shownLegend.text ? " " + shownLegend.text : ""));
  $("plan-csv").disabled = !plan;
  text("run-journey-why", plan ? "" : computing ? say("computing") : say("no_journey"));
  $("run-journey").disabled = !plan;
  // While the priced journey is computed, the last one stays, marked as old
  // and out of date, until the new one takes its place.
  [table, $("chart"), $("stock")].forEach(function (el) { el.classList.toggle("old", computing); });
  attribute(table, "aria-busy", computing ? "true" : null);
  if (computing) return;
  drawChart(plan);
  if (!plan) { table.textContent = ""; text("stock", ""); return; }
  var from = plan.rows[plan.chart.start], stock = [];
  from.expected_stones.forEach(function (count, i) { if (count !== "0") stock.push(words().stone_labels[i + 1] + " " + count); });
  text("stock", say("stock", plan.chart.start, stock.length ? stock.join(", ") : say("no_stones")) + ".");
  var marked = plan.rows.some(function (r) { return r.taliks === plan.chart.start && String(r.taliks) === state.values.taliks; });
  var unfolded = !marked || table.classList.contains("unfolded");
  table.classList.toggle("unfolded", unfolded);
  $("journey-more").parentNode.hidden = !marked;
  text("journey-more", unfolded ? say("fold") : say("unfold", plan.rows.length));
  $("journey-more").setAttribute("aria-expanded", String(unfolded));
  var columns = journeyColumns(plan);
  var headings = columns.map(function (c) { return c[0]; });
  var rows = fillTable(table, headings, plan.rows.map(function (r) { return columns.map(function (c) { return c[1](r); }); }), false);
  plan.rows.forEach(function (r, i) {
    var mine = r.taliks === plan.chart.start && String(r.taliks) === state.values.taliks;
    rows[i].classList.toggle("mark", mine);
    attribute(rows[i], "aria-current", mine ? "true" : null);
    headings.forEach(function (heading, c) { attribute(rows[i].cells[c], "data-label", heading); });
  });
}
// The chart's width as shown, kept by an observer that redraws it: read
// while the page is being redrawn, it would make the browser lay out the
// whole page first, on every answer.
var chartWidth = 0, chartPlan = null;
new ResizeObserver(function (entries) {
  var width = Math.round(entries[0].contentRect.width);
  if (width === chartWidth) return;
  chartWidth = width;
  if (chartPlan) drawChart(chartPlan);
}).observe($("chart"));
// The chart drawn anew only when what it shows changes: the priced journey
// has the chart of the same journey unpriced.
var chartDrawn = "";
function drawChart(plan) {
  var svg = $("chart"), ns = "http://www.w3.org/2000/svg";
  if (!chartWidth) chartWidth = svg.clientWidth;
  chartPlan = plan;
  var drawn = plan ? JSON.stringify(plan.chart) + chartWidth + language() : "";
  if (drawn === chartDrawn) return;
  chartDrawn = drawn;
  svg.textContent = "";
  if (!plan) { text("chart-caption", ""); return; }
  var chart = plan.chart;
  function add(name, attributes, content) {
    var node = document.createElementNS(ns, name);
    Object.keys(attributes).forEach(function (k) { node.setAttribute(k, attributes[k]); });
    if (content !== undefined) node.textContent = content;
    svg.appendChild(node); return node;
  }
  if (!chart.points.length) {
    svg.setAttribute("height", "0");
    text("chart-caption", say("no_chart", chart.start));
    return;
  }
  // Drawn at the size it is shown, so its text keeps its size on a phone.
  var width = Math.max(chartWidth || 640, 280), height = 280;
  svg.setAttribute("height", String(height));
  svg.setAttribute("viewBox", "0 0 " + width + " " + height);
  var left = 52, right = width - 16, top = 20, bottom = height - 58;
  var last = chart.points[chart.points.length - 1][0];
  var span = Math.log(Math.max(last, 2));
  function x(n) { return left + (right - left) * Math.log(Math.max(n, 1)) / span; }
  function y(p) { return bottom - (bottom - top) * p; }
  add("line", { x1: left, y1: bottom, x2: right, y2: bottom, stroke: "#999" });
  add("line", { x1: left, y1: top, x2: left, y2: bottom, stroke: "#999" });
  [0, 0.5, 1].forEach(function (p) { add("text", { x: left - 6, y: y(p) + 4, "text-anchor": "end" }, (p * 100) + F.percent_sign); });
  var decades = chart.decades;
  var every = Math.ceil(decades.length / Math.max(1, Math.floor((right - left) / 70)));
  decades.forEach(function (decade, i) {
    if (i % every) return;
    var at = x(decade[0]);
    add("line", { x1: at, y1: bottom, x2: at, y2: bottom + 4, stroke: "#999" });
    // A label near the axis' end ends there, so that it is never cut off.
    var anchor = i === 0 ? "start" : at > right - 40 ? "end" : "middle";
    add("text", { x: at, y: bottom + 18, "text-anchor": anchor }, decade[1]);
  });
  add("text", { x: (left + right) / 2, y: height - 10, "text-anchor": "middle", class: "title" }, say("chart_attempts"));
  add("text", { x: 16, y: (top + bottom) / 2, "text-anchor": "middle", class: "title",
    transform: "rotate(-90 16 " + (top + bottom) / 2 + ")" }, say("chart_reach"));
  add("polyline", { fill: "none", stroke: "#2458c6", "stroke-width": 2,
    points: chart.points.map(function (pt) { return x(pt[0]).toFixed(1) + "," + y(pt[1]).toFixed(1); }).join(" ") });
  var marks = [];
  chart.marks.forEach(function (m) {
    if (m.attempts === null) return;
    var percent = Math.round(m.level * 100) + F.percent_sign;
    add("line", { x1: x(m.attempts), y1: y(m.level), x2: x(m.attempts), y2: bottom, stroke: "#f0a500", "stroke-dasharray": "4 3" });
    add("circle", { cx: x(m.attempts), cy: y(m.level), r: 3.5, fill: "#f0a500" });
    add("text", { x: x(m.attempts) - 6, y: y(m.level) - 6, "text-anchor": "end" }, percent);
    marks.push(percent + " — " + m.label);
  });
  text("chart-caption", say("chart_caption", chart.start, marks.join(", ")) + ".");
}
function showFiles() {
  fillItems($("files"), state.tables.map(function (t) { return [t.name + ": " + tableNote(t), null]; }));
}
// What the page shows for the state now, and whether a simulation shown
// was made for it.
function stateKey() { return request("page") + "&seed=" + state.values.seed; }
function dropStaleResults() {
  if (state.simulatedFor === undefined || state.simulatedFor === stateKey()) return;
  state.simulatedFor = undefined;
  ["sim-chance", "sim-summary", "run-summary"].forEach(function (id) { text(id, ""); });
  tell("seed-used");
  $("sim-lines").textContent = ""; $("run-log").textContent = "";
  tell("sim-stale", "sim_stale");
}
// Each state's answer comes in stages; a stage that arrives for an older
// state is dropped.
var generation = 0;
// The markup's words and the choices' names, in the page's language: all
// of them anew only when it changes.
var wordsShownIn = null;
function showWords() {
  if (wordsShownIn === language()) return;
  wordsShownIn = language();
  var w = words();
  retell();
  document.documentElement.lang = language();
  document.title = say("title");
  $("lang").value = language();
  document.querySelectorAll("[data-t]").forEach(function (el) { el.textContent = say(el.getAttribute("data-t")); });
  text("columns-legend", say("columns_legend", F.percentile_labels.join("/") + F.percent_sign, levelLabel(F.shown_percentile)));
  document.querySelectorAll("[data-t-placeholder]").forEach(function (el) { el.placeholder = say(el.getAttribute("data-t-placeholder")); });
  document.querySelectorAll("[data-t-label]").forEach(function (el) { el.setAttribute("aria-label", say(el.getAttribute("data-t-label"))); });
  document.querySelectorAll("[data-stone]").forEach(function (el) { el.textContent = say("stone", el.getAttribute("data-stone")); });
  document.querySelectorAll("[data-grade]").forEach(function (el) { var g = el.getAttribute("data-grade"); el.textContent = g + ": " + w.grade_names[g]; });
  Array.prototype.forEach.call($("grade").options, function (o, g) { if (!o.hasAttribute("data-bad")) o.text = g + ": " + w.grade_names[g]; });
  stoneIds().forEach(function (id) {
    Array.prototype.forEach.call($(id).options, function (o, t) { if (!o.hasAttribute("data-bad")) o.text = t + ": " + w.stone_labels[t]; });
  });
  var prices = w.stone_labels.slice(1).concat([w.labels.attempt, w.labels.new_item]);
  document.querySelectorAll("[data-price]").forEach(function (el) {
    var i = Number(el.getAttribute("data-price"));
    el.textContent = i < prices.length ? say("price", prices[i]) : say("my_budget");
  });
}
function render(later) {
  showWords();
  rewordFindings();
  var mine = ++generation, answer = {};
  if (state.linkError) { showBrokenLink(); if (later) later(); return; }
  askInStages(request("page"), function (stage, last) {
    if (mine !== generation || stage === null) return;
    if (stage.error) { tell("tables-error", function () { return stage.error; }); if (later) later(); return; }
    Object.assign(answer, stage);
    draw(answer, stage.stage);
    performance.mark("written-" + stage.stage);
    // The address once the answer is whole: the browser's process, which
    // keeps it, has the page's main thread wait on it, and takes a core
    // from the module while it computes.
    if (last) { writeAddress(); holdUntilPainted(); }
    if (last && later) later();
  });
}
// The page busy until the browser's next frame, which lays out and paints
// all that was drawn before it, is painted: the answer is then on screen.
function holdUntilPainted() {
  var release = hold();
  var painted = function () { setTimeout(release, 0); };
  // A page out of sight has no frames.
  if (document.hidden) painted(); else requestAnimationFrame(painted);
}
// Each stage drawn as it comes: the set-up's answer; the journey's figures
// without prices (the priced ones marked as being computed, the journey's
// table cleared); the table, the grades' reach and the editor; the priced
// journey; the cheapest stones beside it.
function draw(answer, stage) {
  if (stage === "set_up") {
    showInputs(); showFields(Object.assign(pageErrors(), answer.errors)); showAnswer(answer);
    dropStaleResults();
    if (!performance.getEntriesByName("first-result").length) performance.mark("first-result");
    return;
  }
  if (stage === "answer") {
    latest = answer;
    // While the prices are half typed, the journey without them stays.
    var pricesWrong = priceIds().concat(["attempt_price", "item_price", "budget"]).some(function (id) { return id in answer.errors; });
    answer.plan = answer.priced ? null : answer.unpriced_plan;
    answer.unpriced = !answer.priced && !!answer.plan && pricesWrong;
    answer.cheapest = null;
    showFields(Object.assign(pageErrors(), answer.errors));
  }
  if (stage === "table") { showTable(answer); showFiles(); showFindings(answer); showEditor(answer); return; }
  showAnswer(answer); showCheapest(answer); showTablesInUse(answer);
  if (stage !== "cheapest") showJourney(answer);
}
// A link whose tables cannot be read computes nothing.
function showBrokenLink() {
  showInputs();
  text("chance-line", "—"); text("exact-chance", "—"); $("figures").textContent = ""; $("cheapest").hidden = true;
  text("chance-note", say.apply(null, state.linkError));
  text("tables-used", "");
}

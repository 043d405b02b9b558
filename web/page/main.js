// ---- Controls, and the start once the module is ready ---------------------
function fillChoices() {
  F.grade_names.forEach(function (name, grade) { $("grade").add(new Option("", String(grade))); });
  stoneIds().forEach(function (id) { F.stone_labels.forEach(function (label, tier) { $(id).add(new Option("", String(tier))); }); });
  F.languages.forEach(function (code) { $("lang").add(new Option(F.texts[code].labels.language_name, code)); });
  var ids = priceIds().concat(["attempt_price", "item_price", "budget"]);
  ids.forEach(function (id, i) {
    var box = document.createElement("div"); box.className = "field";
    box.innerHTML = '<label></label><input type="text" inputmode="numeric" autocomplete="off"><span class="error"></span>';
    box.querySelector("label").setAttribute("for", id);
    box.querySelector("label").setAttribute("data-price", i);
    box.querySelector("input").id = id;
    box.querySelector("span").id = id + "-error";
    $("prices").appendChild(box);
  });
}
function onInput(event) {
  var id = event.target.id, value = event.target.value, stones = stoneIds(), prices = priceIds();
  if (stones.indexOf(id) >= 0) {
    var now = state.values.stones, tiers = stones.map(function (s, i) { return now.length === stones.length ? now[i] : $(s).value; });
    tiers[stones.indexOf(id)] = value;
    state.values.stones = tiers.join("");
  } else if (prices.indexOf(id) >= 0) {
    var list = priceList();
    list[prices.indexOf(id)] = value.trim();
    setPriceList(list);
  } else if (id === "lang") {
    state.values.lang = value === F.languages[0] ? "" : value;
  } else if (id in state.values) {
    state.values[id] = id === "grade" ? value : value.trim();
  }
  // What the player types replaces what a broken address said.
  state.broken = !!state.linkError;
  render();
}
// The address as it now stands, with the tables in it: written first, as
// an answer still being computed has yet to write it.
function copyLink() {
  writeAddress();
  var link = location.href;
  var done = function () { tell("copy-status", "link_copied"); };
  var failed = function () { tell("copy-status", "link_not_copied"); };
  if (navigator.clipboard && navigator.clipboard.writeText) navigator.clipboard.writeText(link).then(done, failed);
  else failed();
}
function start() {
  if (started) return;
  started = true;
  facts().then(begin);
}
function begin(facts) {
  performance.mark("facts-ready");
  F = facts;
  state = initialState();
  fillChoices();
  buildEditor();
  restore();
  readAddress();
  if (state.storageNote) tell.apply(null, ["tables-error"].concat(state.storageNote));
  document.querySelectorAll("#setup input, #setup select, #prices input, #stone_sets, #seed, #lang").forEach(function (el) {
    el.addEventListener("input", onInput);
    el.addEventListener("change", onInput);
  });
  window.addEventListener("hashchange", function () { readAddress(); render(); if (state.values.seed !== "") simulateNow(); });
  $("simulate").addEventListener("click", simulateNow);
  $("run-journey").addEventListener("click", runJourney);
  $("editor").addEventListener("toggle", function () { if (latest) showEditor(latest); });
  $("examples").addEventListener("click", function () {
    try { localStorage.removeItem(storageKey); } catch (e) { /* nothing was stored */ }
    state.tables = exampleTables(); state.linkError = ""; state.broken = false; render();
  });
  $("copy-link").addEventListener("click", copyLink);
  $("load-files").addEventListener("change", function (e) { takeFiles(e.target.files); });
  $("load-folder").addEventListener("change", function (e) { takeFiles(e.target.files); });
  $("table-csv").addEventListener("click", function () { if (latest && latest.table) download(latest.table.csv, "upgrade-odds-table.csv"); });
  $("plan-csv").addEventListener("click", function () { if (latest && latest.plan) download(latest.plan.csv, "upgrade-odds-plan.csv"); });
  $("cheapest-csv").addEventListener("click", function () {
    if (latest && latest.cheapest) download(latest.cheapest.plan.csv, "upgrade-odds-plan-cheapest.csv");
  });
  $("journey-more").addEventListener("click", function () {
    $("journey").classList.toggle("unfolded");
    if (latest) showJourney(latest);
  });
  $("take-cheapest").addEventListener("click", function () {
    if (!latest || !latest.cheapest) return;
    state.values.stone_sets = latest.cheapest.plan.rows.map(function (r) { return r.stones; }).join(",");
    render();
  });
  document.addEventListener("dragover", function (e) { e.preventDefault(); document.body.classList.add("dragging"); });
  document.addEventListener("dragleave", function () { document.body.classList.remove("dragging"); });
  document.addEventListener("drop", function (e) {
    e.preventDefault(); document.body.classList.remove("dragging");
    droppedFiles(e.dataTransfer.items, takeFiles);
  });
  render(function () {
    // A seed in the address replays its run, after the tables it came with.
    var replay = state.values.seed !== "" ? simulateNow() : Promise.resolve();
    replay.then(function () { document.body.setAttribute("data-ready", "true"); });
  });
}
// The module's worker has started with the first script (module.js).
start();

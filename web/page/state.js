// ---- The state and the address --------------------------------------------
// Everything the page shows renders from the state: the set-up's values as
// the request spells them (its keys are the module's), the tables' cells.
var F, state, storageKey = "upgrade-sim-tables-2", started = false, latest = null;
// The page's own first set-up, for a visit without an address.
var firstSetUp = { attempts: "3", grade: "2", level: "50", taliks: "1", stones: "3320", target: "6" };
function $(id) { return document.getElementById(id); }
// The keys of the set-up in the address: the request's, less its view, the
// file asked for and the tables, which come from elsewhere.
function addressKeys() {
  return F.request_keys.filter(function (k) { return k !== "view" && k !== "file" && F.table_keys.indexOf(k) < 0; });
}
function initialState() {
  var values = {};
  addressKeys().forEach(function (k) { values[k] = k in firstSetUp ? firstSetUp[k] : ""; });
  return { values: values, tables: exampleTables() };
}
function tableCount() { return F.files.length; }
function tableIndexes() { return F.files.map(function (f, w) { return w; }); }
function exampleTables() {
  return tableIndexes().map(function (w) {
    return { name: fileName(w), note: F.example_sizes[w] + " байт, примеры", cells: F.example_cells[w] };
  });
}
function fileName(which) { return F.files[which].split("/").pop(); }
function stoneCount() { return firstSetUp.stones.length; }
// The stone prices as fields: one a tier, the tiers after "no stone".
function priceList() {
  var list = state.values.prices === "" ? [] : state.values.prices.split(",");
  return F.stone_labels.slice(1).map(function (label, i) { return i < list.length ? list[i] : ""; });
}
function setPriceList(prices) {
  state.values.prices = prices.some(function (p) { return p !== ""; }) ? prices.join(",") : "";
}

// The set-up as the address holds it; the request adds the tables.
function setUpQuery(withSeed) {
  return addressKeys().filter(function (k) {
    return (k in firstSetUp || state.values[k] !== "") && (withSeed || k !== "seed");
  }).map(function (k) { return k + "=" + encodeURIComponent(state.values[k]); }).join("&");
}
function request(view, seed) {
  var query = "view=" + view + "&" + setUpQuery(false);
  // Priced without stones of the journey's own, the journey takes the cheapest.
  if (state.values.prices !== "" && state.values.plan_stones === "") query += "&plan_stones=" + F.cheapest_stones;
  if (seed !== undefined) query += "&seed=" + encodeURIComponent(seed);
  return query + state.tables.map(function (t, w) { return "&" + F.table_keys[w] + "=" + t.cells.join(","); }).join("");
}
function readAddress() {
  var values = {};
  location.hash.replace(/^#/, "").split("&").forEach(function (pair) {
    var at = pair.indexOf("=");
    if (at > 0) { try { values[decodeURIComponent(pair.slice(0, at))] = decodeURIComponent(pair.slice(at + 1)); } catch (e) { /* a broken escape is no value */ } }
  });
  // What the address does not give is not given: no prices, no seed.
  addressKeys().forEach(function (k) {
    if (k in values) state.values[k] = values[k];
    else if (!(k in firstSetUp)) state.values[k] = "";
  });
}
function writeAddress() { history.replaceState(null, "", "#" + setUpQuery(true)); }
function remember() {
  try { localStorage.setItem(storageKey, JSON.stringify(state.tables)); }
  catch (e) { $("tables-error").textContent = "Таблицы не запомнены: " + e.message; }
}
function restore() {
  var saved = null;
  try { saved = JSON.parse(localStorage.getItem(storageKey) || "null"); } catch (e) { saved = null; }
  var cells = F.example_cells[0].length;
  var good = Array.isArray(saved) && saved.length === tableCount() && saved.every(function (t) {
    return t && typeof t.name === "string" && Array.isArray(t.cells) && t.cells.length === cells; });
  state.tables = good ? saved : exampleTables();
}

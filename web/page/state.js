// ---- The state and the address --------------------------------------------
// Everything the page shows renders from the state: the set-up's values as
// the request spells them (its keys are the module's), and the tables, each
// with its cells and where they came from (example, file, missing, edited,
// link).
var F, state, storageKey = "upgrade-sim-tables-2", started = false, latest = null;
// The page's own first set-up, for a visit without an address.
var firstSetUp = { attempts: "3", grade: "2", level: "50", taliks: "1", stones: "3320", target: "6" };
function $(id) { return document.getElementById(id); }
// The page's language, from the address (none: the first, Russian), and its
// words, all from the module's catalogue.
function language() { return F.languages.indexOf(state.values.lang) > 0 ? state.values.lang : F.languages[0]; }
function words() { return F.texts[language()]; }
function say(key) {
  var args = arguments;
  return words().labels[key].replace(/\{(\d)\}/g, function (m, n) { return n < args.length ? String(args[n]) : m; });
}
// The keys of the set-up in the address: the request's, less its view, the
// file asked for and the tables, which travel in their own form.
function addressKeys() {
  return F.request_keys.filter(function (k) { return k !== "view" && k !== "file" && F.table_keys.indexOf(k) < 0; });
}
function initialState() {
  var values = {};
  addressKeys().forEach(function (k) { values[k] = k in firstSetUp ? firstSetUp[k] : ""; });
  // broken: the address could not be read as it is, and is kept unchanged.
  return { values: values, tables: exampleTables(), broken: false, linkError: "", storageNote: null };
}
function tableIndexes() { return F.files.map(function (f, w) { return w; }); }
function exampleTable(w) { return { name: fileName(w), source: "example", cells: F.example_cells[w], findings: [] }; }
function exampleTables() { return tableIndexes().map(exampleTable); }
function isExample(t, w) { return t.cells.every(function (c, i) { return c === F.example_cells[w][i]; }); }
function fileName(which) { return F.files[which].split("/").pop(); }
// The stone prices as fields: one a tier, the tiers after "no stone".
function priceList() {
  var list = state.values.prices === "" ? [] : state.values.prices.split(",");
  return F.stone_labels.slice(1).map(function (label, i) { return i < list.length ? list[i] : ""; });
}
function setPriceList(prices) {
  state.values.prices = prices.some(function (p) { return p !== ""; }) ? prices.join(",") : "";
}

// A cell is a whole number within the module's range of a cell.
function cellValue(text) {
  var value = Number(text);
  return /^[+-]?\d+$/.test(text) && value >= F.cell_range[0] && value <= F.cell_range[1] ? value : null;
}
function goodCells(cells) {
  return Array.isArray(cells) && cells.length === F.example_cells[0].length && cells.every(function (c) {
    return typeof c === "number" && Number.isInteger(c) && c >= F.cell_range[0] && c <= F.cell_range[1];
  });
}
// Tables travel in the address as their differences from the examples,
// zigzag varints in URL-safe base64: an edited table takes about 100 letters.
function encodeCells(cells, w) {
  var bytes = "";
  cells.forEach(function (c, i) {
    var d = c - F.example_cells[w][i], z = d < 0 ? -2 * d - 1 : 2 * d;
    do { var low = z % 128; z = Math.floor(z / 128); bytes += String.fromCharCode(z > 0 ? low + 128 : low); } while (z > 0);
  });
  return btoa(bytes).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}
function decodeCells(text, w) {
  var bytes;
  try { bytes = atob(text.replace(/-/g, "+").replace(/_/g, "/")); } catch (e) { return null; }
  var cells = [], z = 0, scale = 1;
  for (var i = 0; i < bytes.length; i++) {
    var b = bytes.charCodeAt(i);
    z += (b % 128) * scale; scale *= 128;
    if (b >= 128) continue;
    var d = z % 2 ? -(z + 1) / 2 : z / 2;
    cells.push(F.example_cells[w][cells.length] + d);
    z = 0; scale = 1;
  }
  return scale === 1 && goodCells(cells) ? cells : null;
}

// The set-up as the address holds it, with the tables that are not the
// examples; the request adds every table.
function setUpQuery(withSeed) {
  return addressKeys().filter(function (k) {
    return (k in firstSetUp || state.values[k] !== "") && (withSeed || k !== "seed");
  }).map(function (k) { return k + "=" + encodeURIComponent(state.values[k]); }).join("&");
}
function addressQuery() {
  var tables = state.tables.map(function (t, w) {
    return isExample(t, w) ? "" : "&" + F.table_keys[w] + "=" + encodeCells(t.cells, w);
  });
  return setUpQuery(true) + tables.join("");
}
function request(view, seed, unpriced) {
  var query = "view=" + view + "&" + setUpQuery(false);
  if (unpriced) query = query.replace(/&(prices|attempt_price|item_price|budget)=[^&]*/g, "");
  if (seed !== undefined) query += "&seed=" + encodeURIComponent(seed);
  return query + state.tables.map(function (t, w) { return "&" + F.table_keys[w] + "=" + t.cells.join(","); }).join("");
}
function readAddress() {
  var values = {};
  state.broken = false; state.linkError = "";
  location.hash.replace(/^#/, "").split("&").forEach(function (pair) {
    var at = pair.indexOf("=");
    if (at <= 0) return;
    // A broken escape is kept as written, to be marked where it stands.
    var key = pair.slice(0, at), value = pair.slice(at + 1);
    try { value = decodeURIComponent(value); } catch (e) { state.broken = true; }
    values[key] = value;
  });
  // What the address does not give is not given: no prices, no seed.
  addressKeys().forEach(function (k) {
    if (k in values) state.values[k] = values[k];
    else if (!(k in firstSetUp)) state.values[k] = "";
  });
  // Tables in the address are used as they are; one that cannot be read
  // stops every figure rather than be guessed.
  F.table_keys.forEach(function (key, w) {
    if (!(key in values)) return;
    var cells = decodeCells(values[key], w);
    if (cells === null) { state.linkError = ["link_table_broken", fileName(w)]; return; }
    var now = state.tables[w];
    var same = now.cells.every(function (c, i) { return c === cells[i]; });
    if (!same) state.tables[w] = { name: fileName(w), source: "link", cells: cells, findings: [] };
  });
  if (state.linkError) state.broken = true;
}
function writeAddress() {
  var address = "#" + addressQuery();
  if (!state.broken && location.hash !== address) history.replaceState(null, "", address);
}
// The tables kept in the browser; false where they cannot be.
function store() {
  try { localStorage.setItem(storageKey, JSON.stringify(state.tables)); return true; } catch (e) { return false; }
}
function remember() {
  if (store()) tell("tables-error"); else tell("tables-error", "not_saved");
}
// What the browser holds is checked before it is used; what cannot be used
// is dropped, and the page says what was lost (once the address has given
// its language).
function restore() {
  var raw = null, saved = null, lost = [];
  try { raw = localStorage.getItem(storageKey); } catch (e) { raw = null; }
  if (raw === null) return;
  try { saved = JSON.parse(raw); } catch (e) { saved = null; }
  if (!Array.isArray(saved) || saved.length !== F.files.length) {
    state.storageNote = ["stored_broken"];
    return;
  }
  state.tables = tableIndexes().map(function (w) {
    var t = saved[w];
    if (!t || typeof t !== "object" || typeof t.name !== "string" || !goodCells(t.cells)) { lost.push(fileName(w)); return exampleTable(w); }
    var findings = Array.isArray(t.findings) ? t.findings.filter(function (f) { return f && typeof f.text === "string"; }) : [];
    var sources = ["example", "file", "missing", "edited", "link"], c = t.counts;
    var counts = c && ["errors", "notes", "more"].every(function (k) { return Number.isInteger(c[k]); }) &&
      typeof c.more_text === "string" && typeof c.summary === "string" ? c : null;
    var cellErrors = Array.isArray(t.cellErrors) && t.cellErrors.length === t.cells.length &&
      t.cellErrors.every(function (e) { return typeof e === "string"; }) ? t.cellErrors : null;
    var kept = { name: t.name, source: sources.indexOf(t.source) >= 0 ? t.source : "file", cells: t.cells,
      findings: findings, counts: counts, cellErrors: cellErrors, wordedIn: typeof t.wordedIn === "string" ? t.wordedIn : "" };
    if (typeof t.text === "string") kept.text = t.text;
    if (Number.isInteger(t.size)) kept.size = t.size;
    return kept;
  });
  if (lost.length) state.storageNote = ["stored_some_broken", lost.join(", ")];
}

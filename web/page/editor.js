// ---- The tables: findings and the editor ----------------------------------
var editorInputs = [];
function tableName(which) { return fileName(which).replace(/\.[^.]*$/, ""); }
function heat(hue) { return "hsl(" + hue + " 60% 88%)"; }
function gradeCount() { return F.grade_names.length; }
function columnCount() { return F.taliks[1] + 1; }
function buildEditor() {
  var grids = $("editor-grids"), columns = columnCount();
  tableIndexes().forEach(function (w) {
    var name = tableName(w), loss = w > 0;
    var title = document.createElement("h3"); title.textContent = fileName(w); title.id = "grid-title-" + w;
    grids.appendChild(title);
    var legend = document.createElement("div"); legend.className = "legend";
    legend.innerHTML = '<span>0 %</span><span class="bar' + (loss ? " loss" : "") + '"></span><span>100 %</span>';
    var words = document.createElement("span"); words.setAttribute("data-t", loss ? "loss_chance" : "success_chance");
    legend.insertBefore(words, legend.firstChild);
    grids.appendChild(legend);
    var box = document.createElement("div"); box.className = "scroll"; box.setAttribute("role", "region");
    box.setAttribute("aria-labelledby", title.id); box.tabIndex = 0;
    var table = document.createElement("table"), head = table.createTHead().insertRow();
    var corner = document.createElement("th"); corner.setAttribute("data-t", "corner"); head.appendChild(corner);
    for (var u = 0; u < columns; u++) { var th = document.createElement("th"); th.scope = "col"; th.textContent = u; head.appendChild(th); }
    if (w === 0) { var reach = document.createElement("th"); reach.scope = "col"; reach.id = "reach-head"; head.appendChild(reach); }
    var body = table.createTBody();
    editorInputs[w] = [];
    for (var g = 0; g < gradeCount(); g++) {
      var row = body.insertRow(), label = document.createElement("th");
      label.scope = "row"; label.setAttribute("data-grade", g); row.appendChild(label);
      for (var k = 0; k < columns; k++) {
        var input = document.createElement("input");
        input.type = "text"; input.inputMode = "numeric"; input.autocomplete = "off";
        input.setAttribute("aria-label", name + " " + F.section_stem + g + " " + F.key_stem + k);
        input.dataset.table = w; input.dataset.cell = g * columns + k;
        input.addEventListener("input", onCellInput);
        row.insertCell().appendChild(input);
        editorInputs[w].push(input);
      }
      if (w === 0) { var cell = row.insertCell(); cell.className = "reach"; cell.id = "reach-" + g; }
    }
    box.appendChild(table); grids.appendChild(box);
    var button = document.createElement("button");
    button.type = "button"; button.className = "plain"; button.textContent = say("download", fileName(w));
    button.id = "download-" + w;
    button.addEventListener("click", function () { downloadTable(w); });
    var why = document.createElement("span"); why.className = "note"; why.id = "download-note-" + w;
    $("ini-downloads").appendChild(button); $("ini-downloads").appendChild(why);
  });
}
// The grids are kept up to date only while they are open. Each cell is
// coloured by the chance the module computes for it: of success at the
// set-up's level and stones, or of its loss when the success draw fails.
function showEditor(answer) {
  if (!$("editor").open || !answer.loss_heat) return;
  var hues = answer.table ? answer.table.heat : null;
  var columns = columnCount();
  tableIndexes().forEach(function (w) {
    editorInputs[w].forEach(function (input, i) {
      var value = String(state.tables[w].cells[i]);
      if (document.activeElement !== input && input.value !== value) { input.value = value; input.removeAttribute("aria-invalid"); }
      input.style.background = heat(w === 0 ? (hues ? hues[Math.floor(i / columns)][i % columns] : 0) : answer.loss_heat[w - 1][i]);
      // A cell read otherwise than written (as 0, or only in part) carries
      // its finding.
      var finding = state.tables[w].cellErrors ? state.tables[w].cellErrors[i] : "";
      input.classList.toggle("misread", finding !== "");
      if (finding) input.title = finding; else input.removeAttribute("title");
    });
    var t = state.tables[w];
    text("download-" + w, say(t.source === "missing" ? "write_file" : "download", t.name));
    text("download-note-" + w, t.source === "missing" ? say("file_written_anew") :
      t.text !== undefined ? say("only_edited_change") : "");
  });
  text("reach-head", answer.plan ? say("reach_to_from_zero", answer.plan.target) : say("reach_from_zero"));
  F.grade_names.forEach(function (name, g) { text("reach-" + g, answer.grade_reach ? answer.grade_reach[g] : "—"); });
}
// An invalid cell is marked with its message and not used: the table keeps
// the value it had.
function onCellInput(event) {
  var input = event.target, w = Number(input.dataset.table), i = Number(input.dataset.cell), value = cellValue(input.value.trim());
  if (value === null) {
    input.setAttribute("aria-invalid", "true");
    input.setAttribute("aria-describedby", "cell-error");
    tell("cell-error", "cell_invalid", input.getAttribute("aria-label"), input.value, F.cell_range[0], F.cell_range[1],
      state.tables[w].cells[i]);
    return;
  }
  input.removeAttribute("aria-invalid"); input.removeAttribute("aria-describedby");
  tell("cell-error");
  var was = state.tables[w], cells = was.cells.slice(); cells[i] = value;
  var cellErrors = was.cellErrors ? was.cellErrors.slice() : null;
  if (cellErrors) cellErrors[i] = "";
  state.tables[w] = { name: was.name, source: "edited", cells: cells, findings: [], cellErrors: cellErrors, text: was.text,
    wordedIn: was.text === undefined ? language() : was.wordedIn };
  checkEdited();
  remember(); render();
}
// The findings of each file: an edited table's as the module checks its
// cells now, a loaded file's as read, each listed up to the module's bound
// with the count of the rest and a summary.
function tableFindings(answer, t) { return { shown: t.findings || [], counts: t.counts || null }; }
// An edited table's findings: what the check finds in the file it would be
// written to, asked once an edit.
function checkEdited() {
  var asked = state.tables.slice();
  ask(request("findings")).then(function (answer) {
    state.tables.forEach(function (t, w) {
      if (t.source === "edited" && t === asked[w]) { t.findings = answer.table_findings[w]; t.counts = null; }
    });
    remember();
    if (latest) { showFindings(latest); showTablesInUse(latest); }
  });
}
// Findings worded in another language than the page's are worded again: a
// loaded or missing file read anew from what is kept of it, an edited
// table's cells checked anew. An answer for a language left meanwhile, or
// for a table replaced, is dropped.
function rewordFindings() {
  var lang = language();
  state.tables.forEach(function (t, w) {
    if (t.wordedIn === lang || t.source === "example" || t.source === "link") return;
    var bytes = t.source === "missing" ? null : t.text !== undefined ? textBytes(t.text) : undefined;
    if (bytes === undefined && t.source !== "edited") return;
    t.wordedIn = lang;
    var current = function () { return state.tables[w] === t && t.wordedIn === lang; };
    var read = bytes === undefined ? null : readTable(w, bytes, lang);
    var checked = t.source === "edited" ? ask(request("findings")) : null;
    Promise.all([read, checked]).then(function (answers) {
      var file = answers[0];
      if (!current() || (file && file.error)) return;
      if (checked) {
        t.findings = answers[1].table_findings[w];
        // A cell edited has lost its finding; the others are worded anew.
        if (file && t.cellErrors) t.cellErrors = file.cell_errors.map(function (e, i) { return t.cellErrors[i] === "" ? "" : e; });
      } else {
        t.findings = file.findings; t.counts = file.finding_counts; t.cellErrors = file.cell_errors;
      }
      if (!store()) tell("tables-error", "not_saved");
      if (latest) { showFindings(latest); showTablesInUse(latest); showEditor(latest); }
    });
  });
}
function findingCount(answer) {
  return state.tables.reduce(function (sum, t, w) {
    var f = tableFindings(answer, t, w);
    return sum + (f.counts ? f.counts.errors + f.counts.notes : f.shown.length);
  }, 0);
}
function showFindings(answer) {
  var items = [];
  function add(line, kind) { items.push([line, kind]); }
  state.tables.forEach(function (t, w) {
    var found = tableFindings(answer, t, w);
    found.shown.forEach(function (f) { add(f.text.replace(/\n$/, ""), f.severity); });
    if (found.counts && found.counts.more) add(found.counts.more_text.replace(/\n$/, ""), "more");
    if (found.counts && found.counts.summary) add(found.counts.summary.replace(/\n$/, ""), "summary");
  });
  if (!items.length) add(say("no_findings"), "none");
  fillItems($("findings"), items);
}

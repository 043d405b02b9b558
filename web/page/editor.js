// ---- The tables: findings and the editor ----------------------------------
var editorInputs = [];
function tableName(which) { return fileName(which).replace(/\.[^.]*$/, ""); }
function heat(share) {
  var hue = Math.round(120 * Math.max(0, Math.min(1, share)));
  return "hsl(" + hue + " 60% 88%)";
}
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
    legend.insertBefore(document.createTextNode(loss ? "шанс при неудаче:" : "шанс успеха:"), legend.firstChild);
    grids.appendChild(legend);
    var box = document.createElement("div"); box.className = "scroll"; box.setAttribute("role", "region");
    box.setAttribute("aria-labelledby", title.id); box.tabIndex = 0;
    var table = document.createElement("table"), head = table.createTHead().insertRow();
    var corner = document.createElement("th"); corner.textContent = "Тип \\ талики"; head.appendChild(corner);
    for (var u = 0; u < columns; u++) { var th = document.createElement("th"); th.scope = "col"; th.textContent = u; head.appendChild(th); }
    if (w === 0) { var reach = document.createElement("th"); reach.scope = "col"; reach.id = "reach-head"; head.appendChild(reach); }
    var body = table.createTBody();
    editorInputs[w] = [];
    for (var g = 0; g < gradeCount(); g++) {
      var row = body.insertRow(), label = document.createElement("th");
      label.scope = "row"; label.textContent = g + ": " + F.grade_names[g]; row.appendChild(label);
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
    button.type = "button"; button.className = "plain"; button.textContent = "Скачать " + fileName(w);
    button.addEventListener("click", function () {
      var file = ask(request("ini_file") + "&file=" + w);
      if (!file.error) download(file.text, file.name, "text/plain");
    });
    $("ini-downloads").appendChild(button);
  });
}
// The grids are kept up to date only while they are open. Each cell is
// coloured by the chance the module computes for it: of success at the
// set-up's level and stones, or of its loss when the success draw fails.
function showEditor(answer) {
  if (!$("editor").open) return;
  var shares = answer.table ? answer.table.shares : null;
  var columns = columnCount();
  tableIndexes().forEach(function (w) {
    editorInputs[w].forEach(function (input, i) {
      var value = String(state.tables[w].cells[i]);
      if (document.activeElement !== input && input.value !== value) { input.value = value; input.removeAttribute("aria-invalid"); }
      var share = w === 0 ? (shares ? shares[Math.floor(i / columns)][i % columns] : 0) : 1 - answer.loss_shares[w - 1][i];
      input.style.background = heat(share);
    });
  });
  text("reach-head", answer.plan ? "Дойти до " + answer.plan.target + " от 0" : "Дойти от 0");
  F.grade_names.forEach(function (name, g) { text("reach-" + g, answer.grade_reach ? answer.grade_reach[g] : "—"); });
}
// A cell is a whole number within the module's range of a cell.
function cellValue(text) {
  var value = Number(text);
  return /^[+-]?\d+$/.test(text) && value >= F.cell_range[0] && value <= F.cell_range[1] ? value : null;
}
function onCellInput(event) {
  var input = event.target, w = Number(input.dataset.table), value = cellValue(input.value.trim());
  if (value === null) { input.setAttribute("aria-invalid", "true"); return; }
  input.removeAttribute("aria-invalid");
  var cells = state.tables[w].cells.slice(); cells[Number(input.dataset.cell)] = value;
  state.tables[w] = { name: state.tables[w].name, note: "изменена здесь", cells: cells, edited: true, findings: [] };
  remember(); render();
}
function showFindings(answer) {
  var list = $("findings");
  list.textContent = "";
  state.tables.forEach(function (t, w) {
    var found = t.edited ? answer.table_findings[w] : (t.findings || []);
    found.forEach(function (f) { var item = document.createElement("li"); item.textContent = f.text.replace(/\n$/, ""); list.appendChild(item); });
  });
  if (!list.childNodes.length) { var ok = document.createElement("li"); ok.textContent = "ничего: все ячейки заданы простыми числами"; ok.style.color = "var(--muted)"; list.appendChild(ok); }
}

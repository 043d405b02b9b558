// ---- Tables from files, and files to download -----------------------------
function takeFiles(files) {
  var wanted = tableIndexes().map(function (w) { return fileName(w).toLowerCase(); });
  var found = wanted.map(function () { return null; }), pending = [];
  Array.prototype.forEach.call(files, function (file) {
    var which = wanted.indexOf(file.name.toLowerCase());
    if (which < 0 || found[which]) return;
    found[which] = { name: file.name, bytes: null };
    pending.push(file.arrayBuffer().then(function (buffer) { found[which].bytes = new Uint8Array(buffer); }));
  });
  if (!pending.length) { text("tables-error", "Нет файлов " + wanted.join(", ") + " (имена в любом регистре)."); return; }
  text("tables-error", "");
  Promise.all(pending).then(function () {
    state.tables = found.map(function (file, w) {
      var read = readTable(w, file ? file.bytes : null);
      return file ? { name: file.name, note: file.bytes.length + " байт", cells: read.cells, findings: read.findings }
                  : { name: fileName(w), note: "не загружен: все значения 0", cells: read.cells, findings: read.findings };
    });
    remember(); render();
  });
}
// Files dropped may include a whole folder.
function droppedFiles(items, done) {
  var files = [], waiting = 0;
  function finish() { if (--waiting === 0) done(files); }
  function walk(entry) {
    waiting++;
    if (entry.isFile) { entry.file(function (f) { files.push(f); finish(); }, finish); }
    else if (entry.isDirectory) { entry.createReader().readEntries(function (entries) { entries.forEach(walk); finish(); }, finish); }
    else finish();
  }
  waiting++;
  Array.prototype.forEach.call(items, function (item) { var entry = item.webkitGetAsEntry && item.webkitGetAsEntry(); if (entry) walk(entry); });
  finish();
}
function download(content, name, type) {
  var link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([content], { type: type || "text/csv" }));
  link.download = name;
  document.body.appendChild(link); link.click(); link.remove();
}

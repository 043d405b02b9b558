// ---- Tables from files, and files to download -----------------------------
// The three files by name, in any letter case; one too large for the
// module keeps the tables as they were.
function takeFiles(files) {
  var wanted = tableIndexes().map(function (w) { return fileName(w).toLowerCase(); });
  var found = wanted.map(function () { return null; }), pending = [], large = [];
  Array.prototype.forEach.call(files, function (file) {
    var which = wanted.indexOf(file.name.toLowerCase());
    if (which < 0 || found[which]) return;
    if (file.size > F.max_file_bytes) { large.push({ name: file.name, megabytes: Math.ceil(file.size / 1048576) }); return; }
    found[which] = { name: file.name, bytes: null };
    pending.push(file.arrayBuffer().then(function (buffer) { found[which].bytes = new Uint8Array(buffer); }));
  });
  if (large.length) {
    tell("tables-error", function () {
      var named = large.map(function (f) { return say("table_named", f.name, say("megabytes", f.megabytes)); });
      return say("file_too_large", named.join(", "), say("megabytes", F.max_file_bytes / 1048576));
    });
    return;
  }
  if (!pending.length) { tell("tables-error", "no_files", wanted.join(", ")); return; }
  tell("tables-error");
  var lang = language();
  Promise.all(pending).then(function () {
    return Promise.all(found.map(function (file, w) { return readTable(w, file ? file.bytes : null, lang); }));
  }).then(function (reads) {
    state.tables = found.map(function (file, w) {
      var read = reads[w];
      var t = { name: file ? file.name : fileName(w), source: file ? "file" : "missing", cells: read.cells,
        findings: read.findings, counts: read.finding_counts, cellErrors: read.cell_errors, wordedIn: lang };
      // The file's own text, so that a download changes only what was edited.
      if (file) { t.size = file.bytes.length; t.text = byteText(file.bytes); }
      return t;
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
// A table as a file: a loaded one with only its edited cells changed, any
// other as the writer writes it.
function downloadTable(w) {
  var t = state.tables[w];
  if (t.text !== undefined) {
    editTable(w, textBytes(t.text), t.cells).then(function (edited) {
      if (!edited.error) download(textBytes(edited.bytes), t.name, "text/plain");
    });
    return;
  }
  ask(request("ini_file") + "&file=" + w).then(function (file) { if (!file.error) download(file.text, file.name, "text/plain"); });
}
function download(content, name, type) {
  var link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([content], { type: type || "text/csv" }));
  link.download = name;
  document.body.appendChild(link); link.click(); link.remove();
}

// The one offline file: the compacted shell with the module in it, its
// JavaScript and its WebAssembly gzipped in 91 symbols (below) at the end
// of the code of the worker that runs it, and the module's facts as the
// module itself gives them (run here once, gzipped so too), all in inert
// script elements: the worker's started from the head, the facts read by
// the page's own code (web/page/module.js).
import fs from "node:fs";
import zlib from "node:zlib";

// The module's facts, from the module run as the worker runs it.
function moduleFacts(code, wasm) {
  return new Promise((resolve) => {
    const scope = { self: null, location: { href: "blob:facts" } };
    scope.self = scope;
    scope.Module = {
      instantiateWasm(imports, done) { WebAssembly.instantiate(wasm, imports).then((made) => done(made.instance)); return {}; },
      onRuntimeInitialized() {
        const pointer = scope.Module.ccall("upgrade_sim_facts", "number", [], []);
        resolve(scope.Module.UTF8ToString(pointer));
      },
    };
    new Function("self", "location", "Module", code)(scope, scope.location, scope.Module);
  });
}

const [shell, moduleCode, moduleWasm, workerCode, output] = process.argv.slice(2);
const code = fs.readFileSync(moduleCode, "utf8");
const worker = fs.readFileSync(workerCode, "utf8").split("\n").filter((line) => !/^\s*(\/\/ |$)/.test(line)).join("\n");
// Raw text inside a script element ends at its first "</script".
for (const [name, text] of [[moduleCode, code], [workerCode, worker]]) {
  if (/<\/script|<!--/i.test(text)) throw new Error(`${name} holds text that would end its script element`);
}
// The WebAssembly, a page's bulk, in 91 symbols rather than base64's 64:
// printable ASCII but for the three that a JavaScript string or a script
// element cannot hold as they are. Bits are taken 13 at a time, 14 where
// the 13 fall below the symbols' 91 (two symbols hold 91 * 91 = 8281
// values), so each symbol carries some 6.5 bits, not 6.
const symbols = Array.from({ length: 94 }, (_, i) => String.fromCharCode(33 + i))
  .filter((c) => !"\"\\<".includes(c)).join("");
function base91(bytes) {
  let out = "", queue = 0, bits = 0;
  for (const byte of bytes) {
    queue |= byte << bits;
    bits += 8;
    if (bits > 13) {
      let value = queue & 8191;
      if (value > 88) {
        queue >>= 13;
        bits -= 13;
      } else {
        value = queue & 16383;
        queue >>= 14;
        bits -= 14;
      }
      out += symbols[value % 91] + symbols[Math.floor(value / 91)];
    }
  }
  if (bits > 0) {
    out += symbols[queue % 91];
    if (bits > 7 || queue > 90) out += symbols[Math.floor(queue / 91)];
  }
  return out;
}
const wasmBytes = fs.readFileSync(moduleWasm);
const wasm = base91(zlib.gzipSync(wasmBytes, { level: 9 }));
const packedCode = base91(zlib.gzipSync(code, { level: 9 }));
const facts = base91(zlib.gzipSync(JSON.stringify(JSON.parse(await moduleFacts(code, wasmBytes))), { level: 9 }));
// The page's own code gzipped in those symbols too, started by a loader
// once unpacked: a third of the file's size.
const pageCode = /<script>\n(\(function \(\) \{\n"use strict";\n[\s\S]*?\n\}\)\(\);)\n<\/script>/;
const compacted = fs.readFileSync(shell, "utf8");
const found = compacted.match(pageCode);
if (found === null) throw new Error(`${shell} holds no page code`);
// The module's worker is started first of all, at the top of the head, from
// its own text with the module in it: it unpacks and compiles the module
// while the page is parsed, laid out and painted, and its own code
// unpacked; its messages until the page takes them are kept for it
// (pageWorker.early).
// The page reads its packed parts with the worker's own fromSymbols and
// unpack and the symbols, all set here for it.
const reader = ["fromSymbols", "unpack"].map((name) => {
  const found = worker.match(new RegExp(`function ${name}\\(text, symbols\\) \\{[\\s\\S]*?\\n\\}`));
  if (found === null) throw new Error(`${workerCode} holds no ${name}`);
  return found[0];
}).join("\n");
const workerStart = `var packedSymbols = "${symbols}"; ${reader}\n` +
  "var pageWorker = new Worker(URL.createObjectURL(new Blob(" +
  '[document.getElementById("worker-code").textContent], { type: "text/javascript" })));' +
  "pageWorker.early = []; pageWorker.onmessage = function (event) { pageWorker.early.push(event); };";
const loader = 'new Response(unpack(document.getElementById("page-code").textContent, packedSymbols))' +
  ".text().then(function (code) { (0, eval)(code); });";
const packedPage = base91(zlib.gzipSync(found[1], { level: 9 }));
const parts = compacted.replace(pageCode, () =>
  `<script id="module-facts" type="text/plain">${facts}</script>\n` +
  `<script id="page-code" type="text/plain">${packedPage}</script>\n<script>${loader}</script>`).split("{{{ SCRIPT }}}");
if (parts.length !== 2) throw new Error(`${shell} needs one {{{ SCRIPT }}}`);
// Those 91 symbols are a JavaScript string as they stand.
fs.writeFileSync(output, parts[0] +
  `<script id="worker-code" type="text/plain">${worker}\nstart("${packedCode}", "${wasm}", "${symbols}");</script>\n` +
  `<script>${workerStart}</script>` + parts[1]);

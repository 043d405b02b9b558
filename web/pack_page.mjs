// The one offline file: the compacted shell with the module in it, its
// JavaScript as text and its WebAssembly gzipped in base64, beside the code
// of the worker that runs it, all in inert script elements that the page's
// own code starts (web/page/module.js).
import fs from "node:fs";
import zlib from "node:zlib";

const [shell, moduleCode, moduleWasm, workerCode, output] = process.argv.slice(2);
const code = fs.readFileSync(moduleCode, "utf8");
const worker = fs.readFileSync(workerCode, "utf8").split("\n").filter((line) => !/^\s*(\/\/ |$)/.test(line)).join("\n");
// Raw text inside a script element ends at its first "</script".
for (const [name, text] of [[moduleCode, code], [workerCode, worker]]) {
  if (/<\/script|<!--/i.test(text)) throw new Error(`${name} holds text that would end its script element`);
}
const wasm = zlib.gzipSync(fs.readFileSync(moduleWasm), { level: 9 }).toString("base64");
const parts = fs.readFileSync(shell, "utf8").split("{{{ SCRIPT }}}");
if (parts.length !== 2) throw new Error(`${shell} needs one {{{ SCRIPT }}}`);
fs.writeFileSync(output, parts[0] + `<script id="worker-code" type="text/plain">${worker}</script>\n` +
  `<script id="module-code" type="text/plain">${code}</script>\n` +
  `<script id="module-wasm" type="text/plain">${wasm}</script>` + parts[1]);

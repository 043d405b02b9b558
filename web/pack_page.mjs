// The one offline file: the compacted shell with the module in it, its
// JavaScript as text and its WebAssembly gzipped in base64, both in inert
// script elements that the page's own code starts (web/page/module.js).
import fs from "node:fs";
import zlib from "node:zlib";

const [shell, moduleCode, moduleWasm, output] = process.argv.slice(2);
const code = fs.readFileSync(moduleCode, "utf8");
// Raw text inside a script element ends at its first "</script".
if (/<\/script|<!--/i.test(code)) throw new Error(`${moduleCode} holds text that would end its script element`);
const wasm = zlib.gzipSync(fs.readFileSync(moduleWasm), { level: 9 }).toString("base64");
const parts = fs.readFileSync(shell, "utf8").split("{{{ SCRIPT }}}");
if (parts.length !== 2) throw new Error(`${shell} needs one {{{ SCRIPT }}}`);
fs.writeFileSync(output, parts[0] + `<script id="module-code" type="text/plain">${code}</script>\n` +
  `<script id="module-wasm" type="text/plain">${wasm}</script>` + parts[1]);

// The module's side: a Web Worker made from this text, so that the page
// never waits for an answer. The text ends with the module's code and its
// WebAssembly packed (gzipped, in 91 symbols), given to start(): unpacked and
// compiled here as they stream in, as soon as the worker runs, without a
// word from the page, whose own set-up would keep that word waiting. Each
// message is a call, answered with the call's id and the module's JSON
// text. A call in stages is answered stage by stage, each but the last
// marked "more".
var calls = [], ready = false, staged = null, decoder = new TextDecoder();
// The module's text from pointer to end, decoded at once.
function textAt(pointer, end) { return decoder.decode(Module.HEAPU8.subarray(pointer, end)); }
function answer(call) {
  var a = call.args, text;
  var take = function (pointer) { var t = textAt(pointer, Module.HEAPU8.indexOf(0, pointer)); Module._free(pointer); return t; };
  var withBytes = function (bytes, run) {
    var pointer = Module._malloc(Math.max(bytes.length, 1));
    Module.HEAPU8.set(bytes, pointer);
    var result = run(pointer);
    Module._free(pointer);
    return result;
  };
  if (call.fn === "facts") text = take(Module.ccall("upgrade_sim_facts", "number", [], []));
  else if (call.fn === "answer") text = take(Module.ccall("upgrade_sim_answer", "number", ["string"], [a[0]]));
  else if (call.fn === "stages") {
    self.sendStage = function (pointer, size) { postMessage({ id: call.id, text: textAt(pointer, pointer + size), more: true }); };
    text = take(Module.ccall("upgrade_sim_answer_in_stages", "number", ["string"], [a[0]]));
  }
  else if (call.fn === "read" && a[1] === null) text = take(Module.ccall("upgrade_sim_read_table", "number", ["number", "number", "number", "string"], [a[0], 0, -1, a[2]]));
  else if (call.fn === "read") text = withBytes(a[1], function (p) { return take(Module.ccall("upgrade_sim_read_table", "number", ["number", "number", "number", "string"], [a[0], p, a[1].length, a[2]])); });
  else text = withBytes(a[1], function (p) { return take(Module.ccall("upgrade_sim_edit_table", "number", ["number", "number", "number", "string"], [a[0], p, a[1].length, a[2]])); });
  postMessage({ id: call.id, text: text });
}
// A call in stages begins once the calls sent before it have come in, and
// only the latest: an older one, for a state the page has left, is answered
// null at once.
function answerLatest(call) {
  if (staged) postMessage({ id: staged.id, text: "null" });
  staged = call;
  setTimeout(function () { var latest = staged; staged = null; if (latest) answer(latest); }, 0);
}
self.onmessage = function (event) {
  var data = event.data;
  if (!ready) calls.push(data); else if (data.fn === "stages") answerLatest(data); else answer(data);
};
// Bytes in the 91 symbols the page was packed with (web/pack_page.mjs):
// 13 bits from each pair of symbols, 14 where the 13 fall below 89.
function fromSymbols(text, symbols) {
  var value = new Int16Array(128), out = new Uint8Array(Math.ceil(text.length * 7 / 8) + 1);
  for (var i = 0; i < symbols.length; i++) value[symbols.charCodeAt(i)] = i;
  var queue = 0, bits = 0, pair = -1, at = 0;
  for (var j = 0; j < text.length; j++) {
    var symbol = value[text.charCodeAt(j)];
    if (pair < 0) { pair = symbol; continue; }
    pair += symbol * 91;
    queue |= pair << bits;
    bits += (pair & 8191) > 88 ? 13 : 14;
    do { out[at++] = queue & 255; queue >>= 8; bits -= 8; } while (bits > 7);
    pair = -1;
  }
  if (pair >= 0) out[at++] = (queue | pair << bits) & 255;
  return out.subarray(0, at);
}
// Bytes gzipped in those symbols, as a stream of the bytes themselves.
function unpack(text, symbols) {
  return new Blob([fromSymbols(text, symbols)]).stream().pipeThrough(new DecompressionStream("gzip"));
}
function start(code, packed, symbols) {
  // The module's code unpacked first: a few KB, it runs while the
  // WebAssembly is still unpacked and compiled, ready to take it.
  new Response(unpack(code, symbols)).text().then(function (code) { (0, eval)(code); });
  var wasm = unpack(packed, symbols);
  var compiled = WebAssembly.compileStreaming(new Response(wasm, { headers: { "Content-Type": "application/wasm" } }));
  self.Module = { onRuntimeInitialized: function () { postMessage({ ready: true }); ready = true; calls.splice(0).forEach(answer); }, instantiateWasm: function (imports, done) {
    compiled.then(function (module) { return WebAssembly.instantiate(module, imports); }).then(done);
    return {};
  } };
}

#!/usr/bin/env bash
# The page in headless Chromium, opened from disk: the time from opening the
# file to the first result (the chance line drawn; a blank page's one line
# timed the same way, from outside and inside the page), the time of one
# recompute from an input's event to its answer on screen, and the file's
# size; the first result side by side with a blank page that writes one
# line, in the same browser run. The answer comes in stages, each written
# into the page as it arrives and each timed so: the chance (the set-up's
# answer), the answer box's figures that need no prices, the table of
# chances, the answer box complete with the journey to 7 taliks of the
# set-up's stones priced, and the whole answer with the cheapest stones'
# journey beside it; and the whole answer on screen, at the end of the frame
# that paints it (the page no longer busy).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-test-deps.sh >/dev/null
cmake --preset web >/dev/null && cmake --build --preset web >/dev/null
node - "$PWD/build/web/upgrade-sim.html" "${BENCH_RUNS:-20}" <<'JS'
const puppeteer = require(process.cwd() + "/node_modules/puppeteer-core");
const fs = require("fs"), zlib = require("zlib"), os = require("os"), path = require("path");
const [file, runs] = [process.argv[2], Number(process.argv[3])];
const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
(async () => {
  const browser = await puppeteer.launch({ executablePath: "/usr/bin/chromium", headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-background-networking", "--disable-component-update"] });
  const page = await browser.newPage();
  // A blank page that writes one line: the floor of the first result.
  const blank = path.join(fs.mkdtempSync(path.join(os.tmpdir(), "page-bench-")), "blank.html");
  fs.writeFileSync(blank, "<!doctype html><meta charset=utf-8><body><script>document.body.setAttribute('data-first','');" +
    "document.body.textContent='Шанс';document.body.setAttribute('data-ready','true')</script>");
  const fragment = process.env.BENCH_FRAGMENT || "#attempts=100&grade=5&level=50&taliks=2&stones=6630&target=7" +
    "&prices=10,20,40,80,200,1000&attempt_price=5&item_price=5000";
  // The floor of any page that carries this module packed as the page packs
  // it: nothing but the module, unpacked and compiled on the page's own
  // thread, asked for the set-up's answer on the example tables, its chance
  // line written. What it takes beyond a blank page is the module's alone.
  // Beside it the same least page with the module not packed (its
  // WebAssembly in plain base64, compiled at once): what packing costs.
  const packed = fs.readFileSync(file, "utf8").match(/<script id="worker-code" type="text\/plain">[\s\S]*?<\/script>/)[0];
  const moduleCode = fs.readFileSync(path.join(path.dirname(file), "upgrade-sim-module.js"), "utf8");
  const moduleBytes = fs.readFileSync(path.join(path.dirname(file), "upgrade-sim-module.wasm")).toString("base64");
  const answerOnce = "function run(code, take) {" +
    "  var scope = { location: { href: 'blob:alone' } }; scope.self = scope;" +
    "  var M = { instantiateWasm: function (imports, done) { take(imports, done); return {}; }," +
    "    onRuntimeInitialized: function () {" +
    "      var text = function (p) { var t = M.UTF8ToString(p); M._free(p); return t; };" +
    "      var F = JSON.parse(text(M.ccall('upgrade_sim_facts', 'number', [], [])));" +
    "      var request = 'view=set_up&' + location.hash.slice(1) + F.table_keys.map(function (k, w) { return '&' + k + '=' + F.example_cells[w].join(','); }).join('');" +
    "      var answer = JSON.parse(text(M.ccall('upgrade_sim_answer', 'number', ['string'], [request])));" +
    "      document.getElementById('chance-line').textContent = answer.set_up.chance_line;" +
    "      document.body.setAttribute('data-ready', 'true'); } };" +
    "  new Function('self', 'location', 'Module', code)(scope, scope.location, M); }";
  const least = path.join(path.dirname(blank), "module-alone.html");
  fs.writeFileSync(least, "<!doctype html><meta charset=utf-8>" + packed + "<body><p id=chance-line></p><script>" + answerOnce +
    ";var text = document.getElementById('worker-code').textContent;" +
    "var worker = text.match(/start\\(\"([^\"]*)\", \"([^\"]*)\", \"([^\"]*)\"\\);\\s*$/);" +
    "var fromSymbols = new Function('return ' + text.match(/function fromSymbols[\\s\\S]*?\\n\\}/)[0])();" +
    "function unpack(text) { return Promise.resolve(new Response(new Blob([fromSymbols(text, worker[3])]).stream()" +
    "  .pipeThrough(new DecompressionStream('gzip')))); }" +
    "Promise.all([unpack(worker[1]).then(function (r) { return r.text(); }), unpack(worker[2]).then(function (r) { return r.arrayBuffer(); })" +
    "  .then(function (bytes) { return WebAssembly.compile(bytes); })]).then(function (got) {" +
    "  run(got[0], function (imports, done) { WebAssembly.instantiate(got[1], imports).then(done); }); });</script>");
  const leastUnpacked = path.join(path.dirname(blank), "module-alone-unpacked.html");
  fs.writeFileSync(leastUnpacked, "<!doctype html><meta charset=utf-8><body><p id=chance-line></p>" +
    `<script id=bytes type=text/plain>${moduleBytes}</script><script>` + answerOnce +
    ";var s = atob(document.getElementById('bytes').textContent), b = new Uint8Array(s.length);" +
    "for (var i = 0; i < s.length; i++) b[i] = s.charCodeAt(i);" +
    "var compiled = new WebAssembly.Module(b);" +
    `run(${JSON.stringify(moduleCode)}, function (imports, done) { done(new WebAssembly.Instance(compiled, imports)); });</script>`);
  const first = [], floor = [], firstOutside = [], floorOutside = [], alone = [], aloneOutside = [];
  const unpacked = [], unpackedOutside = [];
  const recompute = [], ready = [], setUp = [], stages = {};
  const stageNames = { set_up: "the chance", answer: "the unpriced figures", table: "the table",
    journey: "the answer box complete", cheapest: "the whole answer" };
  // Both pages timed the same way, twice. Inside the page: from the start of
  // its navigation (performance.now()'s origin) to the moment the element
  // that holds the first result has text, as a mutation observer sees it.
  // From outside, as a player sees it: from the driver's asking to open the
  // file to that observer's word reaching the driver (the same round trip
  // for both pages).
  let shownOutside = 0;
  await page.exposeFunction("firstShownOutside", () => { shownOutside = performance.now(); });
  await page.evaluateOnNewDocument(() => {
    const seen = () => {
      const shown = document.querySelector(document.getElementById("chance-line") ? "#chance-line" : "body[data-first]");
      if (shown && shown.textContent !== "" && window.firstShown === undefined) {
        window.firstShown = performance.now();
        window.firstShownOutside();
      }
    };
    new MutationObserver(seen).observe(document, { childList: true, subtree: true, characterData: true, attributes: true });
  });
  const firstResult = async (url, inside, outside) => {
    await page.goto("about:blank");
    const asked = performance.now();
    await page.goto(url);
    await page.waitForSelector("body[data-ready=true]");
    inside.push(await page.evaluate(() => window.firstShown));
    outside.push(shownOutside - asked);
  };
  for (let run = 0; run < runs; run++) {
    await firstResult("file://" + least + fragment, alone, aloneOutside);
    await firstResult("file://" + leastUnpacked + fragment, unpacked, unpackedOutside);
    await firstResult("file://" + blank, floor, floorOutside);
    await firstResult("file://" + file + fragment, first, firstOutside);
    ready.push(await page.evaluate(() => performance.getEntriesByName("module-ready")[0].startTime));
    setUp.push(await page.evaluate(() => performance.getEntriesByName("facts-ready")[0].startTime));
    // From the input's event to the answer on screen: the page is busy until
    // the frame that paints the answer's last stage has been painted; an
    // answer written into the page is not yet one the player sees.
    const times = await page.evaluate(() => new Promise((resolve) => {
      const level = document.getElementById("level");
      level.value = level.value === "50" ? "49" : "50";
      const start = performance.now();
      new MutationObserver((changes, observer) => {
        if (document.body.hasAttribute("data-busy")) return;
        observer.disconnect();
        // Each stage's mark, set once it is written into the page.
        const drawn = {};
        for (const m of performance.getEntriesByType("mark")) {
          if (m.startTime >= start && m.name.startsWith("written-")) drawn[m.name.slice(8)] = m.startTime - start;
        }
        resolve({ whole: performance.now() - start, drawn });
      }).observe(document.body, { attributes: true, attributeFilter: ["data-busy"] });
      level.dispatchEvent(new Event("input"));
    }));
    recompute.push(times.whole);
    for (const [stage, ms] of Object.entries(times.drawn)) (stages[stage] ??= []).push(ms);
  }
  await browser.close();
  const bytes = fs.readFileSync(file);
  console.log(`first result   ${median(firstOutside).toFixed(0)} ms, a blank page's first line ${median(floorOutside).toFixed(0)} ms:` +
    ` ${(median(firstOutside) / median(floorOutside)).toFixed(2)}x (median of ${runs}, from outside; aim at most 1.5x)`);
  console.log(`first result   ${median(first).toFixed(0)} ms, a blank page's first line ${median(floor).toFixed(0)} ms:` +
    ` ${(median(first) / median(floor)).toFixed(2)}x (median of ${runs}, inside the page from its navigation's start)`);
  console.log(`first result   ${median(aloneOutside).toFixed(0)} ms for the module alone in the least page that shows its answer:` +
    ` ${(median(aloneOutside) / median(floorOutside)).toFixed(2)}x a blank page's (the floor of a page packed so, from outside)`);
  console.log(`first result   ${median(unpackedOutside).toFixed(0)} ms for the module alone not packed (${(fs.statSync(leastUnpacked).size / 1024).toFixed(0)} KB):` +
    ` ${(median(unpackedOutside) / median(floorOutside)).toFixed(2)}x a blank page's`);
  console.log(`module ready   ${median(ready).toFixed(0)} ms, the page's facts unpacked ${median(setUp).toFixed(0)} ms (median of ${runs}):` +
    " the page sets itself up while the worker starts; after both, the first computation");
  for (const [stage, name] of Object.entries(stageNames)) {
    if (stages[stage]) console.log(`recompute      ${median(stages[stage]).toFixed(1)} ms to ${name} written into the page (median of ${runs})`);
  }
  console.log(`recompute      ${median(recompute).toFixed(1)} ms to the whole answer painted (median of ${runs}; aim at most 16)`);
  console.log(`file size      ${(bytes.length / 1024).toFixed(0)} KB, ${(zlib.gzipSync(bytes, { level: 9 }).length / 1024).toFixed(0)} KB gzipped`);
})();
JS

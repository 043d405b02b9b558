// The page's shell as it goes into the one file: each stylesheet and script
// it links (web/page/*) inlined in its place, the scripts one after another
// in one function scope, without their indentation and their lines that are
// comments alone (a line is kept whole, so no string or expression changes).
import fs from "node:fs";
import path from "node:path";

const [input, output] = process.argv.slice(2);
const folder = path.dirname(input);

function compacted(code) {
  let inComment = false;
  return code.split("\n").flatMap((line) => {
    const trimmed = line.trim();
    if (inComment || trimmed.startsWith("/*")) {
      inComment = !trimmed.includes("*/");
      return [];
    }
    return trimmed === "" || trimmed.startsWith("// ") ? [] : [trimmed];
  }).join("\n");
}

const linked = (line, pattern) => {
  const match = line.trim().match(pattern);
  return match ? compacted(fs.readFileSync(path.join(folder, match[1]), "utf8")) : null;
};
const out = [];
let scripts = [];
for (const line of fs.readFileSync(input, "utf8").split("\n")) {
  const style = linked(line, /^<link rel="stylesheet" href="([^"]+)">$/);
  const script = linked(line, /^<script src="([^"]+)"><\/script>$/);
  if (script !== null) { scripts.push(script); continue; }
  if (scripts.length) {
    out.push("<script>", "(function () {", '"use strict";', ...scripts, "})();", "</script>");
    scripts = [];
  }
  out.push(style !== null ? `<style>\n${style}\n</style>` : line);
}
fs.writeFileSync(output, out.join("\n"));

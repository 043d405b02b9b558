// The page's shell as it goes into the file: the indentation, and the lines
// that are comments alone, taken out of its style and script (nothing else
// is touched: a line is kept whole, so no string or expression can change).
import fs from "node:fs";

const [input, output] = process.argv.slice(2);
let inCode = false;
const lines = fs.readFileSync(input, "utf8").split("\n").flatMap((line) => {
  if (/^<(script|style)>/.test(line.trim())) inCode = true;
  if (/^<\/(script|style)>/.test(line.trim())) inCode = false;
  if (!inCode) return [line];
  const trimmed = line.trim();
  return trimmed === "" || trimmed.startsWith("// ") ? [] : [trimmed];
});
fs.writeFileSync(output, lines.join("\n"));

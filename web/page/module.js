// ---- The module's boundary: three functions over text ---------------------
// Every fact the page shows or checks comes from facts(); every figure from
// an answer. The shapes below are what the module writes (the browser test
// checks real answers against them).

/**
 * @typedef {Object} Facts
 * @property {number[]} attempts
 * @property {number[]} grade
 * @property {number[]} level
 * @property {number[]} taliks
 * @property {number[]} stone
 * @property {number[]} target
 * @property {number} max_price
 * @property {number} loss_scale
 * @property {number[]} cell_range
 * @property {string[]} grade_names
 * @property {string[]} stone_labels
 * @property {string[]} outcomes
 * @property {number[]} percentile_levels
 * @property {string[]} percentile_labels
 * @property {number} shown_percentile
 * @property {PlanColumn[]} plan_columns
 * @property {string} percent_sign
 * @property {string[]} languages
 * @property {Object<string, LanguageTexts>} texts
 * @property {string[]} files
 * @property {string} section_stem
 * @property {string} key_stem
 * @property {string[]} request_keys
 * @property {string[]} outcome_keys
 * @property {number} findings_shown
 * @property {number} max_file_bytes
 * @property {string[]} table_keys
 * @property {number[][]} example_cells
 * @property {number[]} example_sizes
 */
/**
 * @typedef {Object} PlanColumn
 * @property {string} key
 * @property {string} per
 * @property {string} shown
 * @property {boolean} priced
 * @property {number} place
 * @property {string} heading
 */
/**
 * @typedef {Object} LanguageTexts
 * @property {Object<string, string>} labels
 * @property {string[]} grade_names
 * @property {string[]} stone_labels
 * @property {string[]} outcomes
 */
/**
 * @typedef {Object} TableRead
 * @property {number[]} cells
 * @property {Finding[]} findings
 * @property {FindingCounts} finding_counts
 * @property {string[]} cell_errors
 */
/**
 * @typedef {Object} FindingCounts
 * @property {number} errors
 * @property {number} notes
 * @property {number} more
 * @property {string} more_text
 * @property {string} summary
 */
/**
 * @typedef {Object} EditedFile
 * @property {string} name
 * @property {string} bytes
 * @property {boolean} kept_layout
 */
/**
 * @typedef {Object} Finding
 * @property {number} line
 * @property {string} finding
 * @property {string} severity
 * @property {number} row
 * @property {number} column
 * @property {string} text
 */
/**
 * @typedef {Object} PageAnswer
 * @property {Object<string, string>} errors
 * @property {?SetUp} set_up
 * @property {?Table} table
 * @property {?Plan} plan
 * @property {?Cheapest} cheapest
 * @property {?string[]} grade_reach
 * @property {number[][]} loss_heat
 */
/**
 * @typedef {Object} SetUpStage
 * @property {string} stage
 * @property {Object<string, string>} errors
 * @property {?SetUp} set_up
 */
/**
 * @typedef {Object} AnswerStage
 * @property {string} stage
 * @property {Object<string, string>} errors
 * @property {?Plan} unpriced_plan
 * @property {boolean} priced
 */
/**
 * @typedef {Object} TableStage
 * @property {string} stage
 * @property {?Table} table
 * @property {?string[]} grade_reach
 * @property {number[][]} loss_heat
 */
/**
 * @typedef {Object} JourneyStage
 * @property {string} stage
 * @property {?Plan} plan
 */
/**
 * @typedef {Object} CheapestStage
 * @property {string} stage
 * @property {?Cheapest} cheapest
 */
/**
 * @typedef {Object} SetUpAnswer
 * @property {Object<string, string>} errors
 * @property {?SetUp} set_up
 */
/**
 * @typedef {Object} Cheapest
 * @property {Plan} plan
 * @property {string} budget_change
 */
/**
 * @typedef {Object} FindingsAnswer
 * @property {Finding[][]} table_findings
 */
/**
 * @typedef {Object} SetUp
 * @property {string} chance_line
 * @property {string} report
 * @property {number} chance
 * @property {number} shown_percent
 * @property {Outcome[]} outcomes
 * @property {string} csv
 */
/**
 * @typedef {Object} Outcome
 * @property {string} label
 * @property {number} share
 * @property {string} percent
 * @property {string} figure
 */
/**
 * @typedef {Object} Table
 * @property {string[][]} cells
 * @property {number[][]} heat
 * @property {string} csv
 */
/**
 * @typedef {Object} Plan
 * @property {number} target
 * @property {boolean} priced
 * @property {JourneyRow[]} rows
 * @property {string} rounded_legend
 * @property {string} csv
 * @property {Chart} chart
 * @property {?number} budget
 */
/**
 * @typedef {Object} JourneyRow
 * @property {number} taliks
 * @property {string} stones
 * @property {string} success
 * @property {string} reach
 * @property {string} reach_percent
 * @property {string} attempts
 * @property {string} attempts_with_new_items
 * @property {string} items_destroyed
 * @property {string[]} attempts_for
 * @property {string[]} items_for
 * @property {string[]} budget_for
 * @property {boolean[]} budget_rounded
 * @property {Array<?number>} budget_relative_error
 * @property {string} reach_within_budget
 * @property {boolean} reach_within_budget_exact
 * @property {string[]} expected_stones
 * @property {string} cost
 */
/**
 * @typedef {Object} Chart
 * @property {number} start
 * @property {number[][]} points
 * @property {ChartMark[]} marks
 * @property {Array<Array<number|string>>} decades
 */
/**
 * @typedef {Object} ChartMark
 * @property {number} level
 * @property {?number} attempts
 * @property {string} label
 */
/**
 * @typedef {Object} SimulationAnswer
 * @property {Object<string, string>} errors
 * @property {?Simulation} simulation
 */
/**
 * @typedef {Object} Simulation
 * @property {number} seed
 * @property {string} lines
 * @property {number[]} counts
 */
/**
 * @typedef {Object} JourneyRunAnswer
 * @property {Object<string, string>} errors
 * @property {?JourneyRun} journey_run
 */
/**
 * @typedef {Object} JourneyRun
 * @property {boolean} reached
 * @property {number} target
 * @property {string} attempts
 * @property {string} items_destroyed
 * @property {string} spent
 * @property {number} highest
 * @property {string[]} last
 */
/**
 * @typedef {Object} IniFile
 * @property {string} name
 * @property {string} text
 */

// The module comes packed in the file: its code as text, its WebAssembly
// gzipped in base64. It runs in a worker (web/page/worker.js); every call
// is a promise of the module's answer. While any is out, or an answer taken
// is yet to be painted, the body carries data-busy.
// The worker was started first of all, by the page's loader, and unpacks
// and compiles the WebAssembly itself: the page's own set-up meanwhile takes
// nothing from it. What it said before the page was ready to hear is taken
// now.
var worker = pageWorker, calls = {}, lastCall = 0, holds = 0;
function heard(event) {
  if (event.data.ready) { performance.mark("module-ready"); return; }
  var take = calls[event.data.id];
  if (!event.data.more) delete calls[event.data.id];
  take(JSON.parse(event.data.text), !event.data.more);
  // After what the answer sets off, which may call again.
  setTimeout(settle, 0);
}
function settle() { if (!Object.keys(calls).length && !holds) document.body.removeAttribute("data-busy"); }
// The page busy until what it has taken is on screen: the returned
// function, called once, lets it go.
function hold() {
  document.body.setAttribute("data-busy", "");
  holds++;
  return function () { holds--; settle(); };
}
worker.onmessage = heard;
worker.early.splice(0).forEach(heard);
function call(fn, args) {
  return new Promise(function (resolve) { send(fn, args, resolve); });
}
function send(fn, args, take) {
  document.body.setAttribute("data-busy", "");
  var id = ++lastCall;
  calls[id] = take;
  worker.postMessage({ id: id, fn: fn, args: args });
}
// Bytes travel as text, each byte the character of its number.
function byteText(bytes) {
  var text = "";
  for (var i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
  return text;
}
function textBytes(text) {
  var bytes = new Uint8Array(text.length);
  for (var i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  return bytes;
}
/**
 * The module's facts, as the build had the module give them: packed in the
 * file, so that the page sets itself up while the worker starts, and read
 * with the unpack and packedSymbols the head's script sets
 * (web/pack_page.mjs).
 * @returns {Promise<Facts>}
 */
function facts() {
  return new Response(unpack(document.getElementById("module-facts").textContent, packedSymbols)).json();
}
/**
 * One table from its file's bytes, or null where the file is missing, its
 * findings worded in the language of the code lang.
 * @returns {Promise<TableRead>}
 */
function readTable(which, bytes, lang) { return call("read", [which, bytes, lang]); }
/**
 * A loaded file's text with only the cells that differ changed in place.
 * @returns {Promise<EditedFile>}
 */
function editTable(which, bytes, cells) { return call("edit", [which, bytes, cells.join(",")]); }
/** @returns {Promise<PageAnswer|SimulationAnswer|JourneyRunAnswer|IniFile|FindingsAnswer>} */
function ask(request) { return call("answer", [request]); }
/**
 * The page's answer in stages, each taken as it comes with whether it is
 * the last; null where the module has dropped it for a later one.
 * @param {function(?(SetUpStage|AnswerStage|TableStage|JourneyStage|CheapestStage), boolean)} take
 */
function askInStages(request, take) { send("stages", [request], take); }

// Puts a report's JSON into the report page as qelmask does (ReportPage::write):
// the data in place of the marker, every "<" written as \u003c so that no
// text of the data can close the script that holds it.
//
//   node fleet-page.mjs TEMPLATE DATA_JSON OUT_HTML
//     TEMPLATE is the page qelmask embeds (generated/report-page.html in a
//     build folder).
import fs from "node:fs";
import path from "node:path";

const MARKER = "@REPORT_DATA@";

const [template, json, out] = process.argv.slice(2);
if (out === undefined) {
  console.error("usage: node fleet-page.mjs TEMPLATE DATA_JSON OUT_HTML");
  process.exit(2);
}
// Bytes in, the same bytes out: latin1 maps each byte to one character.
const page = fs.readFileSync(template, "latin1");
const at = page.indexOf(MARKER);
if (at < 0) {
  console.error(template + ": no " + MARKER + " in it: not the report page");
  process.exit(1);
}
const data = fs.readFileSync(json, "latin1").replaceAll("<", "\\u003c");
fs.mkdirSync(path.dirname(path.resolve(out)), { recursive: true });
fs.writeFileSync(out, page.slice(0, at) + data + page.slice(at + MARKER.length), "latin1");

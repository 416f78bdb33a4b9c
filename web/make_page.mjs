// Makes the one-file page: page.html with its styles, its script, the zip
// library with its licence, the worker (the module's glue and worker.js) and
// the module's WebAssembly binary, all inline, under a Content-Security-Policy
// that admits the inline scripts and styles by their hashes and nothing else:
// no script from anywhere, no eval, workers only from blob: URLs, no
// connection at all.
//
//   node make_page.mjs OUT PAGE_HTML PAGE_CSS PAGE_JS WORKER_JS GLUE_JS WASM ZIP_JS ZIP_LICENCE
import { createHash } from "node:crypto";
import { readFileSync, writeFileSync } from "node:fs";

const [out, html, css, page_js, worker_js, glue_js, wasm, zip_js, zip_licence] = process.argv.slice(2);
if (zip_licence === undefined) throw new Error("usage: node make_page.mjs OUT PAGE_HTML PAGE_CSS PAGE_JS WORKER_JS GLUE_JS WASM ZIP_JS ZIP_LICENCE");
const text = (path) => readFileSync(path, "utf8");

// Inside a <script> or <style> element, these would end it early or change how
// the rest of it is read.
function inline(name, content) {
  if (/<\/(script|style)|<!--/i.test(content)) throw new Error(`${name} holds text that can't stand inline`);
  return content;
}

const hash = (content) => `'sha256-${createHash("sha256").update(content, "utf8").digest("base64")}'`;

const licence = text(zip_licence);
if (licence.includes("*/")) throw new Error(`${zip_licence} would end the comment it goes in`);
const parts = {
  style: inline("the styles", text(css)),
  worker: inline("the worker", `${text(glue_js)}\n${text(worker_js)}`),
  binary: readFileSync(wasm).toString("base64"),
  zip_library: inline("the zip library", `/* fflate, under this licence:\n${licence}*/\n${text(zip_js)}`),
  script: inline("the page's script", text(page_js)),
};
parts.policy = [
  "default-src 'none'",
  `script-src ${hash(parts.zip_library)} ${hash(parts.script)} 'wasm-unsafe-eval'`,
  `style-src ${hash(parts.style)}`,
  "worker-src blob:",
  "connect-src 'none'",
  "base-uri 'none'",
  "form-action 'none'",
].join("; ");

// Each {{name}} of the template stands once for its part; parts themselves
// are not searched.
const used = new Map();
const page = text(html).replace(/\{\{(\w+)\}\}/g, (_, name) => {
  if (!(name in parts)) throw new Error(`${html} holds {{${name}}}, which names no part`);
  used.set(name, (used.get(name) ?? 0) + 1);
  return parts[name];
});
for (const name of Object.keys(parts)) {
  if (used.get(name) !== 1) throw new Error(`${html} must hold {{${name}}} once`);
}
writeFileSync(out, page);

// The page: checks on a tiny project that conversion works in this browser,
// then converts the files and folders it is given, each file in a worker of
// its own; shows how each went, with its counts, its warnings and the start of
// its new text, and offers the results for download, one by one or as one zip
// that keeps folder paths. The zip library (fflate) is loaded before this, as
// the global fflate.
"use strict";

const most_at_once = Math.max(1, Math.min(navigator.hardwareConcurrency || 2, 4));
const excerpt_width = 72;
const preview_lines = 10;
// A large file may have a great many warnings: past these, only how many more.
const most_warnings_shown = 100;
// Converted when the page opens; the page is ready only when the output is
// exactly these bytes.
const probe = { input: "[frame] [name] idle; [sprite] [x] 5; ! !", output: "[frame idle]\nsprite 0 x=5\n" };

const band = document.getElementById("band");
const files_input = document.getElementById("files");
const folder_input = document.getElementById("folder");
const drop = document.getElementById("drop");
const results = document.getElementById("results");
const summary = document.getElementById("summary");
const zip_button = document.getElementById("zip");

const entries = []; // {name, file_name, zip_name, from_folder, li, line, status, state, output}
const waiting = []; // {run, fail}
let running = 0;

function element(tag, class_name, text) {
  const e = document.createElement(tag);
  if (class_name) e.className = class_name;
  if (text !== undefined) e.textContent = text;
  return e;
}

// The worker is the module's glue and worker.js, from the page itself; the
// module's binary is decoded once and handed to every worker.
const worker_url = URL.createObjectURL(
  new Blob([document.getElementById("worker-source").textContent], { type: "text/javascript" }));
const module_binary = Uint8Array.from(atob(document.getElementById("module-binary").textContent.trim()),
  (c) => c.charCodeAt(0));

// One call of the module ("convert" or "check") in a worker of its own, which
// is let go afterwards, returning all its memory. Rejects with the reason when
// the worker gives no result.
function in_worker(call, bytes) {
  return new Promise((resolve, reject) => {
    const worker = new Worker(worker_url);
    const end = (settle, value) => {
      worker.terminate();
      settle(value);
    };
    worker.onmessage = ({ data }) =>
      data.result ? end(resolve, data.result) : end(reject, new Error(data.failure));
    worker.onerror = (event) => {
      event.preventDefault();
      end(reject, new Error(`the converter stopped (${event.message || "no reason given"})`));
    };
    worker.postMessage({ call, bytes, binary: module_binary });
  });
}

// Resolves once the probe converted to its expected bytes in a worker.
async function probe_converter() {
  if (typeof WebAssembly !== "object") throw new Error("this browser runs no WebAssembly, which the converter needs");
  const expected = new TextEncoder().encode(probe.output);
  const result = await in_worker("convert", new TextEncoder().encode(probe.input));
  const same = result.output.length === expected.length && result.output.every((b, i) => b === expected[i]);
  if (result.status !== "success" || !same) {
    throw new Error(`a test project converted wrongly (${result.status}), so no file is converted here`);
  }
}

let readiness = "starting"; // then "ready" or "failed"
let failure_reason = "";
const probed = probe_converter();
probed.then(() => {
  readiness = "ready";
  band.className = "band band-ready";
  band.textContent = "Ready: drop files or a folder, or choose them below.";
  start_next();
}, (failure) => {
  readiness = "failed";
  failure_reason = `The converter does not work in this browser: ${failure.message}.`;
  band.className = "band band-failed";
  band.textContent = failure_reason;
  for (const job of waiting.splice(0)) job.fail(failure_reason);
});

// For scripts, the browser's console among them: convert and check as
// morvane.mjs has them, each in a worker of its own, once the page is ready.
window.morvane = Object.freeze({
  convert: (bytes) => probed.then(() => in_worker("convert", bytes)),
  check: (bytes) => probed.then(() => in_worker("check", bytes)),
});

// A final ".old", in any letter case, becomes ".new"; any other name gets
// ".new" appended.
function new_name(name) {
  return name.replace(/\.old$/i, "") + ".new";
}

function is_project(name) {
  return /\.old$/i.test(name);
}

function size_text(bytes) {
  if (bytes < 1024) return `${bytes} B`;
  if (bytes < 1024 * 1024) return `${(bytes / 1024).toFixed(1)} KB`;
  return `${(bytes / (1024 * 1024)).toFixed(1)} MB`;
}

function time_text(ms) {
  return ms < 1000 ? `${Math.round(ms)} ms` : `${(ms / 1000).toFixed(2)} s`;
}

// The bytes of the line that a place {column, line_begin, line_end} is on, as
// the library found them, cut `past` bytes after the column.
function line_bytes(bytes, { column, line_begin, line_end }, past) {
  return bytes.subarray(line_begin, Math.min(line_end, line_begin + column + past));
}

// Readable text of some bytes: UTF-8 where it is, control bytes as their
// pictures, so that each shows as one character.
function visible(bytes) {
  return new TextDecoder().decode(bytes).replace(/[\x00-\x1f\x7f]/g, (c) =>
    String.fromCodePoint(c === "\x7f" ? 0x2421 : 0x2400 + c.charCodeAt(0)));
}

// The offending line, cut to a readable width around the column (in bytes),
// and a marker under the column. Only the bytes up to the shown width are
// read, however long the line.
function excerpt(bytes, place) {
  const text = line_bytes(bytes, place, excerpt_width);
  const at = Math.min(place.column - 1, text.length);
  const from = Math.max(0, Math.min(at - excerpt_width / 2, text.length - excerpt_width));
  const to = Math.min(text.length, from + excerpt_width);
  const before = (from > 0 ? "…" : "") + visible(text.subarray(from, at));
  const shown = before + visible(text.subarray(at, to)) + (to < text.length ? "…" : "");
  return `${shown}\n${" ".repeat([...before].length)}^`;
}

// The first lines of a new text, whose lines end in "\n", and how many it has.
function first_lines(bytes, count) {
  const lines = [];
  let total = 0;
  for (let start = 0; start < bytes.length; ++total) {
    const end = bytes.indexOf(0x0a, start);
    const stop = end < 0 ? bytes.length : end;
    if (lines.length < count) lines.push(visible(bytes.subarray(start, stop)));
    start = stop + 1;
  }
  return { lines, total };
}

// "animation_frames" reads as "animation frames".
function counts_list(counts) {
  const list = element("dl", "counts");
  for (const [kind, n] of Object.entries(counts)) {
    const item = element("div");
    item.append(element("dt", "", kind.replaceAll("_", " ")), element("dd", "", String(n)));
    list.append(item);
  }
  return list;
}

// NAME:LINE:COLUMN: TEXT as morvane-check prints it, then the line it is
// about with a marker under the column.
function placed(class_name, name, bytes, place, text) {
  return [element("p", class_name, `${name}:${place.line}:${place.column}: ${text}`),
    element("pre", "excerpt", excerpt(bytes, place))];
}

// Nothing for a file without warnings; otherwise how many, and the first of
// them each at its place.
function warnings_list(name, input, warnings) {
  if (warnings.length === 0) return [];
  const box = element("div", "warnings");
  const list = element("ol");
  for (const w of warnings.slice(0, most_warnings_shown)) {
    const item = element("li");
    item.append(...placed("warning", name, input, w, `warning: ${w.message}`));
    list.append(item);
  }
  box.append(element("h3", "", warnings.length === 1 ? "1 warning" : `${warnings.length} warnings`), list);
  const hidden = warnings.length - most_warnings_shown;
  if (hidden > 0) {
    box.append(element("p", "note", hidden === 1 ? "1 more warning is not shown." : `${hidden} more warnings are not shown.`));
  }
  return [box];
}

function preview(output) {
  const { lines, total } = first_lines(output, preview_lines);
  const figure = element("figure", "preview");
  const caption = total > lines.length ? `The first ${lines.length} of ${total} lines` : `All ${total} lines`;
  figure.append(element("figcaption", "", caption), element("pre", "", lines.join("\n")));
  return figure;
}

function update_summary() {
  const count = (state) => entries.filter((e) => e.state === state).length;
  const done = entries.filter((e) => e.state === "done");
  summary.textContent = `${entries.length} file(s): ${count("waiting")} waiting, ${count("converting")} converting, ` +
    `${done.length} done, ${count("failed")} failed, ${count("skipped")} skipped.`;
  zip_button.hidden = !(done.length > 1 || done.some((e) => e.from_folder));
}

function set_state(entry, state) {
  entry.state = state;
  entry.status.textContent = state;
  entry.status.className = `state-${state}`;
  update_summary();
}

function finish(entry, state, parts, ms) {
  if (ms !== undefined) entry.line.append(element("span", "time", time_text(ms)));
  entry.li.setAttribute("aria-busy", "false");
  entry.li.append(...parts);
  set_state(entry, state);
}

function failed(text) {
  return element("p", "failure", text);
}

function show_result(entry, input, result, ms) {
  if (result.status === "success") {
    entry.output = result.output;
    const link = element("a", "button", `Download ${new_name(entry.file_name)}`);
    link.href = URL.createObjectURL(new Blob([result.output], { type: "application/octet-stream" }));
    link.download = new_name(entry.file_name);
    entry.line.append(link);
    finish(entry, "done", [counts_list(result.counts), ...warnings_list(entry.name, input, result.warnings),
      preview(result.output)], ms);
  } else if (result.status === "parse_failure" && result.error) {
    finish(entry, "failed", placed("failure", entry.name, input, result.error, result.error.message), ms);
  } else if (result.status === "out_of_memory") {
    finish(entry, "failed", [failed("Out of memory: this file is too large to convert in this browser.")], ms);
  } else {
    finish(entry, "failed", [failed(`Not converted: ${result.status}`)], ms);
  }
}

// Runs waiting files while fewer than most_at_once workers are busy, once the
// converter is ready.
function start_next() {
  while (readiness === "ready" && running < most_at_once && waiting.length > 0) {
    ++running;
    waiting.shift().run().finally(() => {
      --running;
      start_next();
    });
  }
}

async function convert_entry(entry, file) {
  set_state(entry, "converting");
  const started = performance.now();
  let input;
  try {
    input = new Uint8Array(await file.arrayBuffer());
  } catch (failure) {
    finish(entry, "failed", [failed(`Unable to read the file: ${failure}`)]);
    return;
  }
  try {
    const result = await in_worker("convert", input);
    show_result(entry, input, result, performance.now() - started);
  } catch (failure) {
    finish(entry, "failed", [failed(`Not converted: ${failure.message}`)], performance.now() - started);
  }
}

// Adds files to the list: {file, path}, where a path (from a folder, with the
// folder's own name first) means the file converts only when it is an .old
// file, and keeps that path in the zip.
function add_files(found) {
  for (const { file, path } of found) {
    const li = element("li");
    const line = element("div", "file-line");
    const status = element("span");
    const name = path ?? file.name;
    line.append(element("span", "file-name", name), element("span", "size", size_text(file.size)), status);
    li.append(line);
    results.append(li);
    const entry = { name, file_name: file.name, zip_name: new_name(name), from_folder: path !== undefined,
      li, line, status, state: "", output: null };
    entries.push(entry);
    if (entry.from_folder && !is_project(file.name)) {
      finish(entry, "skipped", [element("p", "note", "Skipped: not an .old file.")]);
    } else if (readiness === "failed") {
      finish(entry, "failed", [failed(failure_reason)]);
    } else {
      li.setAttribute("aria-busy", "true");
      set_state(entry, "waiting");
      waiting.push({ run: () => convert_entry(entry, file), fail: (reason) => finish(entry, "failed", [failed(reason)]) });
    }
  }
  update_summary();
  start_next();
}

// Names in the zip: each converted file's new name or path, made unique by a
// number before its extension where two would be the same.
function unique_names(names) {
  const taken = new Set();
  return names.map((name) => {
    const dot = name.lastIndexOf(".");
    const [stem, ext] = dot > name.lastIndexOf("/") + 1 ? [name.slice(0, dot), name.slice(dot)] : [name, ""];
    let unique = name;
    for (let n = 2; taken.has(unique); ++n) unique = `${stem} (${n})${ext}`;
    taken.add(unique);
    return unique;
  });
}

function download_zip() {
  const done = entries.filter((e) => e.state === "done");
  const names = unique_names(done.map((e) => e.zip_name));
  const zip = fflate.zipSync(Object.fromEntries(names.map((name, i) => [name, done[i].output])));
  const link = element("a");
  link.href = URL.createObjectURL(new Blob([zip], { type: "application/zip" }));
  link.download = "converted.zip";
  document.body.append(link);
  link.click();
  link.remove();
}

// Every file beneath a dropped folder, with its path from the folder's parent.
async function files_beneath(directory) {
  const found = [];
  const reader = directory.createReader();
  const next_batch = () => new Promise((resolve, reject) => reader.readEntries(resolve, reject));
  for (let batch = await next_batch(); batch.length > 0; batch = await next_batch()) {
    for (const entry of batch) {
      if (entry.isDirectory) {
        found.push(...await files_beneath(entry));
      } else {
        const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
        found.push({ file, path: entry.fullPath.replace(/^\//, "") });
      }
    }
  }
  return found;
}

// Dropped files convert whatever their names; dropped folders as chosen ones.
// The items must be taken while the drop event runs.
async function add_dropped(items) {
  const taken = [...items].filter((item) => item.kind === "file")
    .map((item) => ({ entry: item.webkitGetAsEntry?.(), file: item.getAsFile() }));
  for (const { entry, file } of taken) {
    if (entry?.isDirectory) {
      try {
        add_files(await files_beneath(entry));
      } catch (failure) {
        summary.textContent = `Unable to read the folder ${entry.name}: ${failure.message ?? failure}`;
      }
    } else if (file) {
      add_files([{ file }]);
    }
  }
}

files_input.addEventListener("change", () => {
  add_files([...files_input.files].map((file) => ({ file })));
  files_input.value = "";
});
folder_input.addEventListener("change", () => {
  add_files([...folder_input.files].map((file) => ({ file, path: file.webkitRelativePath })));
  folder_input.value = "";
});
zip_button.addEventListener("click", download_zip);
// Files and folders may be dropped anywhere on the page.
document.addEventListener("dragover", (event) => {
  event.preventDefault();
  drop.classList.add("over");
});
document.addEventListener("dragleave", (event) => {
  if (event.relatedTarget === null) drop.classList.remove("over");
});
document.addEventListener("drop", (event) => {
  event.preventDefault();
  drop.classList.remove("over");
  add_dropped(event.dataTransfer.items);
});

// The page: picks files, converts each in a worker of its own, shows how each
// went, and offers the results for download, one by one or as one zip.
import { zipSync } from "./fflate.js";

const most_at_once = Math.max(1, Math.min(navigator.hardwareConcurrency || 2, 4));
const excerpt_width = 72;

const files_input = document.getElementById("files");
const drop = document.getElementById("drop");
const results = document.getElementById("results");
const summary = document.getElementById("summary");
const zip_button = document.getElementById("zip");

const entries = []; // {name, li, state, output}
const waiting = [];
let running = 0;

// NAME.old -> NAME.new; any other name gets .new appended.
function new_name(name) {
  return (name.endsWith(".old") ? name.slice(0, -4) : name) + ".new";
}

function size_text(bytes) {
  if (bytes < 1024) return `${bytes} B`;
  if (bytes < 1024 * 1024) return `${(bytes / 1024).toFixed(1)} KB`;
  return `${(bytes / (1024 * 1024)).toFixed(1)} MB`;
}

function time_text(ms) {
  return ms < 1000 ? `${Math.round(ms)} ms` : `${(ms / 1000).toFixed(2)} s`;
}

function element(tag, class_name, text) {
  const e = document.createElement(tag);
  if (class_name) e.className = class_name;
  if (text !== undefined) e.textContent = text;
  return e;
}

// The bytes of line `line` (1-based), where "\n", "\r\n" and "\r" each end a
// line, as the converter counts them.
function line_bytes(bytes, line) {
  let start = 0;
  for (let n = 1; n < line && start < bytes.length; ++n) {
    while (start < bytes.length && bytes[start] !== 0x0a && bytes[start] !== 0x0d) ++start;
    if (bytes[start] === 0x0d && bytes[start + 1] === 0x0a) ++start;
    ++start;
  }
  let end = start;
  while (end < bytes.length && bytes[end] !== 0x0a && bytes[end] !== 0x0d) ++end;
  return bytes.subarray(start, end);
}

// Readable text of some bytes: UTF-8 where it is, control bytes as their
// pictures, so that each shows as one character.
function visible(bytes) {
  return new TextDecoder().decode(bytes).replace(/[\x00-\x1f\x7f]/g, (c) =>
    String.fromCodePoint(c === "\x7f" ? 0x2421 : 0x2400 + c.charCodeAt(0)));
}

// The offending line, cut to a readable width around the column (in bytes),
// and a marker under the column.
function excerpt(bytes, line, column) {
  const text = line_bytes(bytes, line);
  const at = Math.min(column - 1, text.length);
  const from = Math.max(0, Math.min(at - excerpt_width / 2, text.length - excerpt_width));
  const to = Math.min(text.length, from + excerpt_width);
  const before = (from > 0 ? "…" : "") + visible(text.subarray(from, at));
  const shown = before + visible(text.subarray(at, to)) + (to < text.length ? "…" : "");
  return `${shown}\n${" ".repeat([...before].length)}^`;
}

function update_summary() {
  const count = (state) => entries.filter((e) => e.state === state).length;
  const done = count("done");
  summary.textContent = `${entries.length} file(s): ${count("converting")} converting, ${done} done, ${count("failed")} failed.`;
  zip_button.hidden = done < 2;
}

function finish(entry, state, ms, parts) {
  entry.state = state;
  entry.status.textContent = state;
  entry.status.className = `state-${state}`;
  entry.time.textContent = time_text(ms);
  entry.li.setAttribute("aria-busy", "false");
  entry.li.append(...parts);
  update_summary();
}

function show_result(entry, input, result, ms) {
  if (result.status === "success") {
    entry.output = result.output;
    const link = element("a", "button", `Download ${new_name(entry.name)}`);
    link.href = URL.createObjectURL(new Blob([result.output], { type: "application/octet-stream" }));
    link.download = new_name(entry.name);
    entry.line.append(link);
    finish(entry, "done", ms, []);
  } else if (result.status === "parse_failure" && result.error) {
    const { line, column, message } = result.error;
    finish(entry, "failed", ms, [
      element("p", "failure", `${entry.name}:${line}:${column}: ${message}`),
      element("pre", "excerpt", excerpt(input, line, column)),
    ]);
  } else if (result.status === "out_of_memory") {
    finish(entry, "failed", ms, [
      element("p", "failure", "Out of memory: this file is too large to convert in this browser."),
    ]);
  } else {
    finish(entry, "failed", ms, [element("p", "failure", `Not converted: ${result.status}`)]);
  }
}

// Runs queued files while fewer than most_at_once workers are busy; each
// worker converts one file and is let go, returning all its memory.
function start_next() {
  while (running < most_at_once && waiting.length > 0) {
    const { entry, file } = waiting.shift();
    ++running;
    const started = performance.now();
    const worker = new Worker(new URL("./worker.js", import.meta.url), { type: "module" });
    const done = (show) => {
      worker.terminate();
      --running;
      show(performance.now() - started);
      start_next();
    };
    file.arrayBuffer().then((buffer) => {
      const input = new Uint8Array(buffer);
      worker.onmessage = ({ data }) =>
        done((ms) => data.result
          ? show_result(entry, input, data.result, ms)
          : finish(entry, "failed", ms, [element("p", "failure", `Not converted: ${data.failure}`)]));
      worker.onerror = (event) =>
        done((ms) => finish(entry, "failed", ms, [
          element("p", "failure", `Not converted: the converter stopped (${event.message || "no reason given"}).`)]));
      worker.postMessage({ bytes: input });
    }, (failure) => done((ms) => finish(entry, "failed", ms, [
      element("p", "failure", `Unable to read the file: ${failure}`)])));
  }
}

function add_files(files) {
  for (const file of files) {
    const li = element("li");
    li.setAttribute("aria-busy", "true");
    const line = element("div", "file-line");
    const status = element("span", "state-converting", "converting");
    const time = element("span", "time");
    line.append(element("span", "file-name", file.name), element("span", "size", size_text(file.size)),
      status, time);
    li.append(line);
    results.append(li);
    const entry = { name: file.name, li, line, status, time, state: "converting", output: null };
    entries.push(entry);
    waiting.push({ entry, file });
  }
  update_summary();
  start_next();
}

// Names in the zip: each converted file's new name, made unique by a number
// before its extension where two files would share it.
function unique_names(names) {
  const taken = new Set();
  return names.map((name) => {
    const dot = name.lastIndexOf(".");
    const [stem, ext] = dot > 0 ? [name.slice(0, dot), name.slice(dot)] : [name, ""];
    let unique = name;
    for (let n = 2; taken.has(unique); ++n) unique = `${stem} (${n})${ext}`;
    taken.add(unique);
    return unique;
  });
}

function download_zip() {
  const done = entries.filter((e) => e.state === "done");
  const names = unique_names(done.map((e) => new_name(e.name)));
  const zip = zipSync(Object.fromEntries(names.map((name, i) => [name, done[i].output])));
  const link = element("a");
  link.href = URL.createObjectURL(new Blob([zip], { type: "application/zip" }));
  link.download = "converted.zip";
  document.body.append(link);
  link.click();
  link.remove();
}

files_input.addEventListener("change", () => {
  add_files(files_input.files);
  files_input.value = "";
});
zip_button.addEventListener("click", download_zip);
// Files may be dropped anywhere on the page.
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
  add_files(event.dataTransfer.files);
});

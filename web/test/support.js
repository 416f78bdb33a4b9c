// What the browser tests share: where the project and the built page are, the
// example's files, and Chromium's launch options.
import { readFileSync } from "node:fs";
import { pathToFileURL } from "node:url";

export const root = new URL("../../", import.meta.url).pathname;
export const built = process.env.MORVANE_WEB_BUILD ?? `${root}build/wasm/web`;
export const page_url = pathToFileURL(`${built}/morvane-convert.html`).href;
export const read = (path) => readFileSync(`${root}${path}`);
export const example = { old: read("examples/project.old"), new: read("examples/project.new") };

// The example's counts, as examples/project.counts records them for the C++
// tests too: {characters: 4, ...}.
export const example_counts = Object.fromEntries(read("examples/project.counts").toString().trim()
  .split("\n").map((line) => line.split(" ")).map(([kind, n]) => [kind, Number(n)]));

// Headless, as root, and quiet on a machine without network; nothing that
// loosens what a page opened from disk may do.
export function chromium_options(...more) {
  return { executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", ...more] };
}

export const base64 = (bytes) => Buffer.from(bytes).toString("base64");

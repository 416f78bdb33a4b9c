// The library in the browser: convert and check over Uint8Array bytes, with
// exactly the results of the library's own convert and check.
//
//   convert(bytes) -> {status, output, counts, error}
//   check(bytes)   -> {status, error}
//
// status is "success", "parse_failure" or "out_of_memory"; output is a
// Uint8Array, empty unless status is "success"; counts holds how many
// characters, animations, animation_frames, frames, sprites, points,
// collision_rectangles and charmaps the converted project has, all 0 unless
// status is "success"; error is null or {line, column, message} where the
// input stops being a well-formed project, with column counted in bytes.
import create_morvane from "./morvane-wasm.js";

// The compiled module, made on first use and kept: running out of memory,
// even for an input too large to copy into the module, comes back as a result
// like any other, so the module stays usable.
let loaded = null;

async function run(call, bytes) {
  if (!(bytes instanceof Uint8Array)) throw new TypeError("bytes must be a Uint8Array");
  loaded ??= create_morvane();
  return (await loaded)[call](bytes);
}

export function convert(bytes) {
  return run("convert", bytes);
}

export function check(bytes) {
  return run("check", bytes);
}

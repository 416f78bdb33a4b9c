// The library in the browser: convert and check over Uint8Array bytes, with
// exactly the results of the library's own convert and check, warnings asked
// for.
//
//   convert(bytes) -> {status, output, counts, error, warnings}
//   check(bytes)   -> {status, error, warnings}
//
// status is "success", "parse_failure" or "out_of_memory"; output is a
// Uint8Array, empty unless status is "success"; counts holds how many
// characters, animations, animation_frames, frames, sprites, points,
// collision_rectangles and charmaps the converted project has, all 0 unless
// status is "success"; error is null or {line, column, line_begin, line_end,
// message} where the input stops being a well-formed project, with column
// counted in bytes and the bytes of its line at [line_begin, line_end);
// warnings is an array, in file order and empty unless status is "success",
// of {line, column, line_begin, line_end, offset, message} for each place where the conversion
// drops, merges or leaves out something, with offset the bytes before the "["
// concerned, e.g. {line: 1, column: 38, line_begin: 0, line_end: 70,
// offset: 37, message: '"x" given again in this sprite; the value at 1:31 is
// dropped'}.
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

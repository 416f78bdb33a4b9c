// The library in the browser: convert and check over Uint8Array bytes, with
// exactly the results of the library's own convert and check.
//
//   convert(bytes) -> {status, output, error}
//   check(bytes)   -> {status, error}
//
// status is "success", "parse_failure" or "out_of_memory"; output is a
// Uint8Array, empty unless status is "success"; error is null or
// {line, column, message} where the input stops being a well-formed project,
// with column counted in bytes.
import create_morvane from "./morvane-wasm.js";

let loaded = null;

// The compiled module, made on first use. A module that failed (memory ran out
// outside the library's reach, for one) is dropped so the next call starts a
// fresh one.
async function run(call, bytes) {
  if (!(bytes instanceof Uint8Array)) throw new TypeError("bytes must be a Uint8Array");
  loaded ??= create_morvane();
  try {
    return (await loaded)[call](bytes);
  } catch (failure) {
    loaded = null;
    if (failure instanceof RangeError || /out of memory|\bOOM\b|enlarge memory/i.test(String(failure))) {
      return call === "convert"
        ? { status: "out_of_memory", output: new Uint8Array(0), error: null }
        : { status: "out_of_memory", error: null };
    }
    throw failure;
  }
}

export function convert(bytes) {
  return run("convert", bytes);
}

export function check(bytes) {
  return run("check", bytes);
}

// The converter's worker, a classic script from a blob: URL that the page
// makes of the module's glue (which defines create_morvane) followed by this.
// Answers one {call, bytes, binary} message with {result} or {failure}: the
// module is compiled from the binary the page hands over, since the page
// fetches nothing, and the output's buffer is handed back rather than copied.
self.onmessage = async ({ data }) => {
  try {
    const module = await create_morvane({ wasmBinary: data.binary });
    const result = module[data.call](data.bytes);
    self.postMessage({ result }, result.output ? [result.output.buffer] : []);
  } catch (failure) {
    self.postMessage({ failure: String(failure?.message ?? failure) });
  }
};

// Converts one file off the page's thread, so a large file never freezes it:
// receives {bytes}, answers {result} or {failure}, handing the output's
// buffer over rather than copying it.
import { convert } from "./morvane.mjs";

self.onmessage = async ({ data }) => {
  try {
    const result = await convert(data.bytes);
    self.postMessage({ result }, [result.output.buffer]);
  } catch (failure) {
    self.postMessage({ failure: String(failure) });
  }
};

// The protocol page reloads itself once the results have changed since it was made.
"use strict";
(() => {
  const shown = document.currentScript.dataset.version;
  const events = new EventSource("/events");
  events.addEventListener("protocol", (e) => {
    if (String(JSON.parse(e.data).version) !== shown) {
      events.close();
      location.reload();
    }
  });
})();

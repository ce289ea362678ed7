// The protocol and bracket pages reload themselves once what they show has moved on since they
// were made (the event named by data-event carries the new version).
"use strict";
(() => {
  const data = document.currentScript.dataset;
  const shown = data.version;
  // The result column stands beside the place column at the right edge: as far from the edge
  // as that column is wide.
  if (data.place) {
    const fit = () => {
      const cell = document.querySelector(".wide th:nth-child(" + Number(data.place) + ")");
      if (cell) document.documentElement.style.setProperty("--place", cell.offsetWidth + "px");
    };
    fit();
    addEventListener("resize", fit);
  }
  const events = new EventSource("/events");
  events.addEventListener(data.event || "protocol", (e) => {
    if (String(JSON.parse(e.data).version) !== shown) {
      events.close();
      location.reload();
    }
  });
})();

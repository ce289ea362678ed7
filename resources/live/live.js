// The live page: the state comes as Server-Sent Events; while a run is on the page counts
// the time on from the elapsed time the server sent, about 20 times a second. Texts are set
// with textContent only, so a participant's name can never become markup.
"use strict";
let state = null;
let received = 0; // performance.now() when the state arrived

function formatTime(ms, format, sep) {
  const t = Math.floor(Math.max(ms, 0) / 10);
  const h = String(t % 100).padStart(2, "0");
  const s = Math.floor(t / 100);
  if (format === 0) return s + sep + h;
  let text = String(Math.floor(s / 60) % 60).padStart(2, "0") + ":" +
             String(s % 60).padStart(2, "0") + "," + h;
  let cut = 0;
  while (cut < 4 && !(text[cut] >= "1" && text[cut] <= "9")) cut++;
  return text.slice(cut);
}

function setText(id, text) {
  const e = document.getElementById(id);
  if (e && e.textContent !== text) e.textContent = text;
}

function showTimes() {
  if (!state) return;
  const now = performance.now();
  for (let i = 0; i < 2; i++) {
    const t = state.tracks[i];
    const el = document.getElementById("time" + (i + 1));
    if (!t) continue;
    const ms = t.running ? t.elapsedMs + (now - received) : t.elapsedMs;
    setText("time" + (i + 1), t.falseStart ? "FS" : t.running ? formatTime(ms, state.timeFormat, state.decimalSeparator) : t.time);
    el.classList.toggle("final", t.stopped);
  }
}

function render() {
  setText("title", state.title ? "Veltaro live: " + state.title : "Veltaro live");
  const names = { ready: "Bereit", running: "Lauf", finished: "Beendet" };
  setText("state", names[state.state] || "");
  for (let i = 0; i < 2; i++) {
    const t = state.tracks[i];
    document.getElementById("track" + (i + 1)).hidden = !t;
    if (!t) continue;
    setText("name" + (i + 1), t.participant);
    setText("react" + (i + 1), t.reaction ? "Reaktion " + t.reaction + (t.falseStart ? " – Fehlstart" : "") : (t.falseStart ? "Fehlstart" : ""));
    document.getElementById("bar" + (i + 1)).style.background = t.colour;
  }
  const list = document.getElementById("last");
  list.replaceChildren();
  for (const r of state.last) {
    const li = document.createElement("li");
    const time = document.createElement("span");
    time.className = "t";
    time.textContent = r.time;
    li.append(time, " " + r.participant + " (Kletterturm " + r.track + ")");
    list.append(li);
  }
  showTimes();
}

function take(json) {
  state = json;
  received = performance.now();
  render();
}

// Without the stream (the server is full, or a proxy in front does not pass it) the page asks
// for the state twice a second instead.
let polling = 0;
function poll() {
  if (polling) return;
  setText("link", "Live (Abfrage)");
  polling = setInterval(() => {
    fetch("/api/state", { cache: "no-store" })
      .then((r) => (r.ok ? r.json() : null))
      .then((json) => json && take(json))
      .catch(() => setText("link", "Verbindung unterbrochen …"));
  }, 500);
}

const events = new EventSource("/events");
events.addEventListener("state", (e) => take(JSON.parse(e.data)));
events.onopen = () => setText("link", "Live");
events.onerror = () => {
  if (events.readyState === EventSource.CLOSED) poll();
  else setText("link", "Verbindung unterbrochen, neuer Versuch …");
};
setInterval(showTimes, 50);

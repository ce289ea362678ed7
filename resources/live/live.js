// The live page: the state comes as Server-Sent Events; while a run is on the page counts
// the time on from the elapsed time the server sent, about 20 times a second. The standings and
// the bracket are fetched when the stream says they changed. Texts are set with textContent
// only, so a participant's name can never become markup.
"use strict";
let state = null;
let received = 0; // performance.now() when the state arrived
const colours = { 1: "#0000ff", 2: "#008000" };

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

// An element with a class and a text (or children).
function el(tag, cls, ...content) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  e.append(...content.filter((c) => c !== undefined && c !== null && c !== ""));
  return e;
}

function showTimes() {
  if (!state) return;
  const now = performance.now();
  for (let i = 0; i < 2; i++) {
    const t = state.tracks[i];
    const e = document.getElementById("time" + (i + 1));
    if (!t) continue;
    const ms = t.running ? t.elapsedMs + (now - received) : t.elapsedMs;
    setText("time" + (i + 1), t.falseStart ? "FS" : t.running ? formatTime(ms, state.timeFormat, state.decimalSeparator) : t.time);
    e.classList.toggle("final", t.stopped);
  }
}

// One lane of a heat: who (start number, name; club and category below) and the result.
function lane(l) {
  const e = el("div", "lane" + (l.winner ? " win" : ""),
               el("div", "n", l.startNumber ? l.startNumber + " " : "", l.name),
               el("div", "c", [l.club, l.category].filter(Boolean).join(" · ")),
               el("div", "r", l.result));
  e.style.borderLeftColor = colours[l.track] || "transparent";
  if (l.winner) e.title = "Sieger";
  return e;
}

function render() {
  setText("title", state.title ? "Veltaro live: " + state.title : "Veltaro live");
  const names = { ready: "Bereit", running: "Lauf", finished: "Beendet" };
  setText("state", names[state.state] || "");
  setText("round", state.round || "");
  for (let i = 0; i < 2; i++) {
    const t = state.tracks[i];
    document.getElementById("track" + (i + 1)).hidden = !t;
    if (!t) continue;
    colours[i + 1] = t.colour;
    setText("nr" + (i + 1), t.startNumber);
    setText("name" + (i + 1), t.name);
    setText("club" + (i + 1), t.club);
    setText("cat" + (i + 1), t.category);
    setText("react" + (i + 1), t.reaction ? "Reaktion " + t.reaction + (t.falseStart ? " – Fehlstart" : "") : (t.falseStart ? "Fehlstart" : ""));
    document.getElementById("bar" + (i + 1)).style.background = t.colour;
  }
  document.getElementById("heats").replaceChildren(...state.heats.map((h) =>
    el("div", "heat", el("div", "cap", h.round),
       el("div", "lanes" + (h.lanes.length === 1 ? " one" : ""), ...h.lanes.map(lane)))));
  showTimes();
}

function take(json) {
  state = json;
  received = performance.now();
  render();
}

// --- standings --------------------------------------------------------------------------------
let standings = null;
let category = null; // the one shown, by name

function renderStandings() {
  const cats = standings ? standings.categories : [];
  if (!cats.some((c) => c.category === category)) category = cats.length ? cats[0].category : null;
  const chips = document.getElementById("categories");
  chips.hidden = cats.length < 2;
  chips.replaceChildren(...cats.map((c) => {
    const b = el("button", c.category === category ? "on" : "", c.category || "ohne Klasse");
    b.type = "button";
    b.addEventListener("click", () => { category = c.category; renderStandings(); });
    return b;
  }));
  const shown = cats.find((c) => c.category === category);
  document.getElementById("no-standings").hidden = !!shown;
  const table = document.getElementById("standing");
  if (!shown) { table.replaceChildren(); return; }
  const runs = Math.max(0, ...shown.rows.map((r) => r.runs.length));
  const head = el("tr", "", el("th", "pl", "Platz"), el("th", "nm", "Name"),
                  el("th", "res", "Zeit"));
  for (let i = 1; i <= runs; i++) head.append(el("th", "run", "Lauf " + i));
  const rows = shown.rows.map((r) => {
    const tr = el("tr", "", el("td", "pl", r.place === null ? "" : r.place + "."),
                  el("td", "nm", (r.startNumber ? r.startNumber + " " : "") + r.name,
                     r.club ? el("small", "", r.club) : ""),
                  el("td", "res", r.result));
    for (let i = 0; i < runs; i++) tr.append(el("td", "run", r.runs[i] || ""));
    return tr;
  });
  table.replaceChildren(el("thead", "", head), el("tbody", "", ...rows));
}

// --- bracket ----------------------------------------------------------------------------------
let brackets = null;

function bracketLane(heat, l) {
  const who = l.name || l.startNumber ? (l.startNumber ? l.startNumber + " " : "") + l.name
                                      : heat.bye ? "Freilos" : "…";
  return el("div", "lane" + (l.winner ? " win" : ""), el("span", "s", l.seed ? String(l.seed) : ""),
            el("span", "n", who), el("span", "r", l.result));
}

function renderBrackets() {
  const list = brackets ? brackets.brackets : [];
  document.getElementById("no-bracket").hidden = list.length > 0;
  document.getElementById("brackets").replaceChildren(...list.map((b) => {
    const part = el("section", "bracket");
    if (list.length > 1 || b.category !== "gesamt") part.append(el("h2", "", b.category));
    for (const r of b.rounds) {
      part.append(el("h3", "", r.name));
      for (const h of r.heats) {
        const heat = el("div", "heat" + (h.current ? " now" : ""),
                        el("div", "cap", "Lauf " + h.number + (h.current ? " – jetzt" : "")),
                        el("div", "rows", ...h.lanes.map((l) => bracketLane(h, l))));
        for (const v of h.voided) heat.append(el("div", "void", "ungültig: " + v[0] + " – " + v[1]));
        part.append(heat);
      }
    }
    if (b.places.length) {
      part.append(el("h3", "", "Platzierung"));
      part.append(el("ol", "places", ...b.places.map((p) =>
        el("li", "", p.place + ". " + (p.startNumber ? p.startNumber + " " : "") + p.name))));
    }
    return part;
  }));
}

function load(path, then) {
  fetch(path, { cache: "no-store" })
    .then((r) => (r.ok ? r.json() : null))
    .then((json) => json && then(json))
    .catch(() => {});
}
const loadStandings = () => load("/api/standings", (j) => { standings = j; renderStandings(); });
const loadBracket = () => load("/api/bracket", (j) => { brackets = j; renderBrackets(); });

// --- tabs -------------------------------------------------------------------------------------
const tabs = { "#live": "live", "#wertung": "standings", "#ko": "bracket" };
function showTab() {
  const shown = tabs[location.hash] || "live";
  for (const name of Object.values(tabs)) {
    document.getElementById("panel-" + name).hidden = name !== shown;
    document.getElementById("tab-" + name).classList.toggle("on", name === shown);
  }
}
addEventListener("hashchange", showTab);
showTab();

// Without the stream (the server is full, or a proxy in front does not pass it) the page asks
// for the state twice a second instead, and for the standings and the bracket now and then.
let polling = 0;
function poll() {
  if (polling) return;
  setText("link", "Live (Abfrage)");
  let n = 0;
  polling = setInterval(() => {
    fetch("/api/state", { cache: "no-store" })
      .then((r) => (r.ok ? r.json() : null))
      .then((json) => json && take(json))
      .catch(() => setText("link", "Verbindung unterbrochen …"));
    if (++n % 10 === 0) { loadStandings(); loadBracket(); }
  }, 500);
}

const events = new EventSource("/events");
events.addEventListener("state", (e) => take(JSON.parse(e.data)));
events.addEventListener("protocol", loadStandings);
events.addEventListener("bracket", loadBracket);
events.onopen = () => setText("link", "Live");
events.onerror = () => {
  if (events.readyState === EventSource.CLOSED) poll();
  else setText("link", "Verbindung unterbrochen, neuer Versuch …");
};
setInterval(showTimes, 50);

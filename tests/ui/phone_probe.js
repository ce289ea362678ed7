// What the phone test reads from a page: the texts of what a selector finds; whether all of it
// lies within the screen (and the page is no wider); and for the protocol the texts of the first
// row's name, result and place where each is in view on top of the others ("hidden" if not).
window.t = (s) => [...document.querySelectorAll(s)].map((e) => e.textContent.trim()).join("|");
window.fits = (s) => String([...document.querySelectorAll(s)].every(
  (e) => e.getBoundingClientRect().right <= innerWidth) &&
  document.documentElement.scrollWidth <= innerWidth);
window.keep = () => {
  const titles = t(".wide th").split("|"), row = document.querySelectorAll(".wide tr")[1].children;
  return ["Name, Vorname", "Zeit", "Platz"].map((n) => {
    const c = row[titles.indexOf(n)], b = c.getBoundingClientRect();
    const top = document.elementFromPoint((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    return b.left >= 0 && b.right <= innerWidth && c.contains(top) ? c.textContent.trim() : "hidden";
  }).join("|");
};

// The settings page of the simulated camera. It draws the fitted style of the
// chosen channel (GET /api/channels/N/style) as tabs of controls, fills them
// from the current scheme, applies each change through POST .../set and shows
// what the controller sent for it. It polls the session's revision and reloads
// the values when it changes, so that what the prompt or a script does shows
// here too. Values come from /current (getParameter, the controller's cache):
// /values (getAllParameters) answers from the scheme file for some styles and
// would hide every change not yet saved. docs/http-api.md describes the API.
"use strict";

const POLL_MS = 500;

const page = {
  channels: [],
  channel: 0,        // the channel shown (its number), 0 before the first load
  tabs: [],          // the style's tab elements
  tab: 0,            // index of the tab shown
  values: {},        // key (decimal string) -> value, the current scheme
  controls: [],      // {key, show(value)} of the controls drawn
  revision: -1,
  polling: false,
  stale: false,      // a reload is due whatever the revision says
  nextId: 0,
};

const $ = (id) => document.getElementById(id);

function el(tag, attrs = {}, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attrs)) {
    if (name === "class") node.className = value;
    else if (name === "text") node.textContent = value;
    else node.setAttribute(name, value);
  }
  for (const child of children) if (child) node.append(child);
  return node;
}

// One API call: GET without a body, POST with one. Throws the answer's error text.
async function api(path, body) {
  const options = body === undefined ? {} : {
    method: "POST",
    headers: {"Content-Type": "application/json"},
    body: JSON.stringify(body),
  };
  const response = await fetch("/api/" + path, options);
  let answer = {};
  try {
    answer = await response.json();
  } catch (e) {
    answer = {error: response.statusText};
  }
  if (!response.ok) throw new Error(answer.error || String(response.status));
  return answer;
}

function showStatus(text, isError = false) {
  const status = $("status");
  status.textContent = text;
  status.classList.toggle("error", isError);
}

function channelInfo() {
  return page.channels.find((c) => c.channel === page.channel) || null;
}

function schemeName(info, scheme) {
  if (!info) return "";
  if (scheme === info.schemes) return "Factory set";
  if (scheme < 0) return "none";
  let name = "Scheme " + scheme;
  if (info.schemeMode === 2 && scheme < 2) name += scheme === 0 ? " (day)" : " (night)";
  return name;
}

// Controls drawn from the style ------------------------------------------------

function attr(node, name, fallback = null) {
  return node.hasAttribute(name) ? node.getAttribute(name) : fallback;
}

function optionsOf(param) {
  return Array.from(param.children)
    .filter((child) => child.tagName === "option")
    .map((option) => ({value: Number(attr(option, "index", "0")), text: attr(option, "text", "")}));
}

// One row: the title as label, the control's parts, the unit.
function addRow(container, param, control) {
  const key = attr(param, "id");
  control.input.id = "control-" + page.nextId++;
  const row = [
    el("label", {class: "row-label", for: control.input.id, text: attr(param, "title", "Key " + key)}),
    el("div", {class: "row-control"}, ...control.parts),
    el("div", {class: "row-extra", text: attr(param, "unit", "")}),
  ];
  for (const cell of row) {
    cell.dataset.key = key;
    container.append(cell);
  }
}

function selectControl(param, key, title) {
  const select = el("select", {"data-key": key});
  for (const option of optionsOf(param)) select.append(el("option", {value: option.value, text: option.text}));
  select.addEventListener("change", () => applyChange(key, Number(select.value), title));
  return {
    parts: [select],
    input: select,
    show(value) {
      if (!Array.from(select.options).some((o) => Number(o.value) === value))
        select.append(el("option", {value: value, text: "value " + value}));
      select.value = String(value);
    },
  };
}

function toggleControl(param, key, title) {
  const [off, on] = optionsOf(param);
  const input = el("input", {type: "checkbox", "data-key": key, role: "switch"});
  const label = el("label", {class: "toggle"}, input, el("span"));
  const text = el("span", {class: "muted"});
  input.addEventListener("change", () => applyChange(key, input.checked ? on.value : off.value, title));
  return {
    parts: [label, text],
    input,
    show(value) {
      input.checked = value === on.value;
      text.textContent = value === on.value ? on.text : value === off.value ? off.text : "value " + value;
    },
  };
}

function sliderControl(param, key, title) {
  const input = el("input", {
    type: "range", "data-key": key, min: attr(param, "min", "0"), max: attr(param, "max", "100"), step: "1",
  });
  const shown = el("output", {class: "value-shown"});
  input.addEventListener("input", () => { shown.textContent = input.value; });
  input.addEventListener("change", () => applyChange(key, Number(input.value), title));
  return {
    parts: [input, shown],
    input,
    show(value) {
      input.value = String(value);
      shown.textContent = String(value);
    },
  };
}

function numberControl(param, key, title) {
  const input = el("input", {type: "number", "data-key": key, step: "1"});
  if (param.hasAttribute("min")) input.min = attr(param, "min");
  if (param.hasAttribute("max")) input.max = attr(param, "max");
  input.addEventListener("change", () => {
    if (input.value === "" || !input.checkValidity()) {
      showStatus(title + ": " + (input.validationMessage || "not a number"), true);
      return;
    }
    applyChange(key, Number(input.value), title);
  });
  return {parts: [input], input, show(value) { input.value = String(value); }};
}

function buttonControl(param, key) {
  const title = attr(param, "title", "Key " + key);
  const button = el("button", {type: "button", "data-key": key, text: title});
  const send = Number(attr(param, "send", "1"));
  button.addEventListener("click", () => {
    if (attr(param, "confirm") === "1" && !window.confirm(title + "?")) return;
    // A button's value is an action, not a setting: it is not kept.
    applyChange(key, send, title, false);
  });
  return button;
}

function drawParam(container, param, buttons) {
  const key = attr(param, "id");
  const type = attr(param, "type", "");
  if (key === null || type === "hidden" || attr(param, "visible") === "0") return buttons;
  if (type === "notice") {
    container.append(el("p", {class: "note", "data-key": key, text: attr(param, "text", "")}));
    return null;
  }
  if (type === "button") {
    if (!buttons) {
      buttons = el("div", {class: "button-row"});
      container.append(el("div", {class: "row-label"}), buttons);
    }
    buttons.append(buttonControl(param, key));
    return buttons;
  }
  const title = attr(param, "title", "Key " + key);
  const options = optionsOf(param);
  let control;
  if (options.length === 2 && type === "switch") control = toggleControl(param, key, title);
  else if (options.length > 0) control = selectControl(param, key, title);
  else if (type === "slider") control = sliderControl(param, key, title);
  else control = numberControl(param, key, title);
  addRow(container, param, control);
  const fallback = attr(param, "value");
  if (fallback !== null) control.show(Number(fallback));
  page.controls.push({key, show: control.show, input: control.input});
  return null;
}

function drawChildren(container, parent) {
  let buttons = null;
  for (const child of parent.children) {
    if (child.tagName === "param") {
      buttons = drawParam(container, child, buttons);
    } else if (child.tagName === "group") {
      buttons = null;
      if (attr(child, "visible") === "0") continue;
      const fieldset = el("fieldset");
      if (child.hasAttribute("title")) fieldset.append(el("legend", {text: attr(child, "title")}));
      if (child.hasAttribute("show_when")) fieldset.dataset.showWhen = attr(child, "show_when");
      drawChildren(fieldset, child);
      container.append(fieldset);
    }
  }
}

function drawTab(index) {
  page.tab = index;
  page.controls = [];
  const tab = page.tabs[index];
  const panel = $("panel");
  panel.replaceChildren();
  for (const [i, button] of Array.from($("tabs").children).entries())
    button.classList.toggle("active", i === index);
  if (!tab) return;
  panel.append(el("h2", {text: attr(tab, "title", attr(tab, "key", ""))}));
  const rows = el("div", {class: "rows"});
  drawChildren(rows, tab);
  panel.append(rows);
  showValues();
}

function drawTabs(styleText) {
  const doc = new DOMParser().parseFromString(styleText, "application/xml");
  if (doc.querySelector("parsererror")) throw new Error("the style does not parse");
  page.tabs = Array.from(doc.documentElement.children).filter((child) => child.tagName === "tab");
  const nav = $("tabs");
  nav.replaceChildren();
  page.tabs.forEach((tab, index) => {
    const button = el("button", {type: "button", "data-tab": attr(tab, "key", ""), text: attr(tab, "title", attr(tab, "key", ""))});
    button.addEventListener("click", () => drawTab(index));
    nav.append(button);
  });
  drawTab(Math.min(page.tab, page.tabs.length - 1));
}

// Showing the camera's state -------------------------------------------------------

function showValues() {
  for (const control of page.controls) {
    const value = page.values[control.key];
    // The control the user is working on keeps what they chose.
    if (value === undefined || control.input === document.activeElement) continue;
    control.show(value);
  }
  for (const fieldset of document.querySelectorAll("[data-show-when]")) {
    const [key, wanted] = fieldset.dataset.showWhen.split("=");
    fieldset.hidden = String(page.values[key]) !== wanted;
  }
}

// Shows the camera's value when it changed, so that a choice the user is
// making (before pressing its Set) survives a reload caused by others.
function setUnlessFocused(node, value) {
  if (node === document.activeElement || node.dataset.shown === String(value)) return;
  node.value = String(value);
  node.dataset.shown = String(value);
}

function showHeader(clock) {
  const info = channelInfo();
  if (!info) return;
  $("device").textContent = (info.sensor || "") + (info.thermal ? " (thermal)" : "");
  // The names change with the scheme mode (day, night): redrawn only then.
  const select = $("scheme");
  const names = Array.from({length: info.schemes + 1}, (_, s) => schemeName(info, s));
  if (select.dataset.names !== names.join("|")) {
    const chosen = select.value;
    select.replaceChildren(...names.map((name, s) => el("option", {value: s, text: name})));
    select.dataset.names = names.join("|");
    if (chosen !== "") select.value = chosen;
  }
  setUnlessFocused(select, info.scheme);
  $("scheme-current").textContent = schemeName(info, info.scheme);
  if (info.schemeMode !== null) setUnlessFocused($("scheme-mode"), info.schemeMode);
  setUnlessFocused($("daynight"), info.dayNight === 0 ? 0 : 1);
  const pad = (n) => String(n).padStart(2, "0");
  setUnlessFocused($("clock"), pad(clock.hour) + ":" + pad(clock.minute));
  $("clock").title = clock.simulated ? "the simulated clock" : "the machine's clock";
}

async function reload() {
  const [channels, values, clock] = await Promise.all([
    api("channels"), api("channels/" + page.channel + "/current"), api("clock"),
  ]);
  page.channels = channels;
  page.values = values;
  showHeader(clock);
  showValues();
}

// Reloads the camera's state when the revision changed, or at once with force
// (after a change of our own, or when another channel is shown).
async function poll(force = false) {
  if (page.polling) {
    page.stale = page.stale || force;
    return;
  }
  page.polling = true;
  try {
    const state = await api("state");
    if (force || page.stale || state.revision !== page.revision) {
      page.stale = false;
      page.revision = state.revision;
      await reload();
    }
    showStatus("ch" + page.channel + " · revision " + page.revision);
  } catch (e) {
    showStatus("Cannot reach the simulator: " + e.message, true);
  } finally {
    page.polling = false;
  }
}

async function loadChannel(number) {
  page.channel = number;
  const answer = await api("channels/" + number + "/style");
  drawTabs(answer.style);
  await poll(true);
}

// Changes and their trace -----------------------------------------------------

function showTrace(what, answer, schemeLine) {
  $("trace-what").textContent = what;
  $("trace-what").classList.remove("muted");
  const scheme = $("trace-scheme");
  scheme.replaceChildren();
  if (schemeLine) scheme.append(...schemeLine);
  const list = (id, items) => {
    $(id).replaceChildren(...(items || []).map((item) =>
      el("li", {class: item.status ? "failed" : "", text: item.text})));
  };
  list("trace-isp", answer.isp);
  list("trace-video", answer.video);
  $("trace").classList.remove("changed");
  void $("trace").offsetWidth;
  $("trace").classList.add("changed");
}

function yesNo(flag, yes, no) {
  return el("span", {class: flag ? "yes" : "no", text: flag ? yes : no});
}

// Runs one action, shows its trace and then the state it left.
async function act(what, path, body, describe) {
  try {
    const answer = await api(path, body);
    showTrace(what, answer, describe ? describe(answer) : null);
  } catch (e) {
    showStatus(what + ": " + e.message, true);
    $("trace-what").textContent = what + ": " + e.message;
  }
  await poll(true);
}

function applyChange(key, value, title, save = true) {
  const info = channelInfo();
  return act(title + " = " + value, "channels/" + page.channel + "/set", {key: Number(key), value, save}, (a) => [
    a.status === 0 ? "Applied" : "Failed: " + a.result, ". ",
    save ? "Kept in " + schemeName(info, info ? info.scheme : -1).toLowerCase() + ": " : "Not kept (an action). In the scheme: ",
    yesNo(a.inScheme, "yes", "no"),
  ]);
}

function wireControlBar() {
  const path = (action) => "channels/" + page.channel + "/" + action;
  $("channel").addEventListener("change", () => loadChannel(Number($("channel").value)));
  $("scheme-switch").addEventListener("click", () => {
    const scheme = Number($("scheme").value);
    act("Make " + schemeName(channelInfo(), scheme).toLowerCase() + " current", path("scheme"), {scheme},
      (a) => [yesNo(a.ok, "Switched", "Refused"), " — current: " + schemeName(channelInfo(), a.scheme)]);
  });
  $("scheme-mode").addEventListener("change", () =>
    applyChange(8000, Number($("scheme-mode").value), "Scheme switching"));
  $("flush").addEventListener("click", () => act("Save the scheme", path("flush"), {},
    (a) => [yesNo(a.saved, "Saved", "Not saved"), " — " + schemeName(channelInfo(), a.scheme) + ": " + a.result]));
  $("revert").addEventListener("click", () => act("Revert to the saved values", path("revert"), {},
    (a) => [yesNo(a.ok, "Reverted", "Failed")]));
  $("reset").addEventListener("click", async () => {
    if (!window.confirm("Return every scheme of channel " + page.channel + " to the factory values?")) return;
    await act("Factory reset", path("reset"), {}, (a) => [yesNo(a.ok, "Done", "Failed")]);
    await loadChannel(page.channel);
  });
  $("clock-set").addEventListener("click", () => {
    const [hour, minute] = $("clock").value.split(":").map(Number);
    if (!$("clock").value || Number.isNaN(hour)) return showStatus("Clock: give a time", true);
    act("Clock " + $("clock").value, "clock", {hour, minute});
  });
  $("daynight-set").addEventListener("click", () => {
    const state = Number($("daynight").value);
    act("The ISP reports " + (state ? "night" : "day"), path("daynight"), {state});
  });
  $("pass").addEventListener("click", () => act("Sensor-thread pass", path("pass"), {}, (a) =>
    a.channels.map((c) => "ch" + c.channel + ": " + (c.before === c.scheme
      ? "stays on scheme " + c.scheme : "scheme " + c.before + " → " + c.scheme) + ". ")));
}

async function start() {
  wireControlBar();
  try {
    page.channels = await api("channels");
    const select = $("channel");
    for (const c of page.channels)
      select.append(el("option", {value: c.channel, text: "Channel " + c.channel + (c.thermal ? " (thermal)" : "")}));
    await loadChannel(page.channels[0].channel);
  } catch (e) {
    showStatus("Cannot load the camera: " + e.message, true);
  }
  setInterval(poll, POLL_MS);
}

start();

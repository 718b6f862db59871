#pragma once

// The functions NavRelay runs in a page. Each is called with Runtime.callFunctionOn: the
// document's functions in the page's script context, the element's on the element itself or,
// for an element of a collection, on the collection's array with the element's position
// (-1: the object itself). Values travel as arguments, never pasted into the source.
namespace PageScripts {

inline constexpr char kBody[] = "function() { return document.body; }";
inline constexpr char kAll[] = "function() { return Array.from(document.getElementsByTagName('*')); }";
inline constexpr char kLinks[] = "function() { return Array.from(document.links); }";
inline constexpr char kElementsByName[] = "function(name) { return Array.from(document.getElementsByName(name)); }";
inline constexpr char kElementById[] = "function(id) { return document.getElementById(id); }";
inline constexpr char kElementsByTagName[] = "function(tag) { return Array.from(document.getElementsByTagName(tag)); }";
inline constexpr char kExecCommand[] = "function(command, ui, value) { return document.execCommand(command, ui, value); }";
inline constexpr char kClearSelection[] = "function() { window.getSelection().removeAllRanges(); }";
inline constexpr char kReadyState[] = "document.readyState";
// The error code Chromium's page for an unreachable address shows, "ERR_CONNECTION_REFUSED";
// empty on any other page.
inline constexpr char kNetErrorCode[] =
    "(() => { try { return String(loadTimeDataRaw.errorCode || ''); } catch (e) { return ''; } })()";

// A property the element lacks gives undefined; SVG's animated strings read as their value.
inline constexpr char kGetProperty[] = R"js(function(i, name) {
    const e = i < 0 ? this : this[i];
    if (!(name in e)) return undefined;
    let v = e[name];
    if (v !== null && typeof v === 'object' && 'baseVal' in v) v = v.baseVal;
    return v === undefined ? undefined : v === null ? '' : String(v);
})js";

// A new value goes through the element's own setter and is announced with input and change
// events, so that the page's scripts see the field filled as by typing.
inline constexpr char kSetProperty[] = R"js(function(i, name, value) {
    const e = i < 0 ? this : this[i];
    if (!(name in e)) return false;
    if (name !== 'value') { e[name] = value; return true; }
    let proto = Object.getPrototypeOf(e), d;
    while (proto && !(d = Object.getOwnPropertyDescriptor(proto, 'value'))) proto = Object.getPrototypeOf(proto);
    if (d && d.set) d.set.call(e, value); else e.value = value;
    e.dispatchEvent(new Event('input', { bubbles: true }));
    e.dispatchEvent(new Event('change', { bubbles: true }));
    return true;
})js";

// Answers "refused" for a click that asks a page not loaded from a file for a file: address,
// which the browser drops without a word.
inline constexpr char kClick[] = R"js(function(i) {
    const e = i < 0 ? this : this[i];
    if (typeof e.click !== 'function') return false;
    const link = e.closest && e.closest('a[href], area[href]');
    const submits = e.form && (e.type === 'submit' || e.type === 'image');
    const goal = link ? link.href : submits ? (e.hasAttribute('formaction') ? e.formAction : e.form.action) : '';
    e.click();
    return location.protocol !== 'file:' && String(goal).startsWith('file:') ? 'refused' : true;
})js";

inline constexpr char kDescendants[] = R"js(function(i) {
    const e = i < 0 ? this : this[i];
    return Array.from(e.getElementsByTagName('*'));
})js";

inline constexpr char kLength[] = "function() { return this.length; }";

} // namespace PageScripts

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

// Whether the element a page action looks for is here, searched as the action searches the
// document: "missing", "hidden", "disabled" or "ready". A hidden input is never shown, and an
// element clicked by its position may be any element at all: either is ready once it is there.
// Short of ready, the page's next change calls the binding, once.
inline constexpr char kTargetState[] = R"js(function(kind, text, index, binding) {
    const text_ = v => v !== null && typeof v === 'object' && 'baseVal' in v ? String(v.baseVal) : String(v);
    const prop = (e, name) => name in e ? text_(e[name]) : undefined;
    const all = () => Array.from(document.getElementsByTagName('*'));
    const find = {
        link: () => Array.from(document.links).find(e => e.innerText === text),
        fieldByName: () => document.getElementsByName(text)[0],
        elementByName: () => document.getElementsByName(text)[0],
        elementByClass: () => all().find(e => prop(e, 'className') === text),
        fieldById: () => document.getElementById(text),
        button: () => document.body && Array.from(document.body.getElementsByTagName('*')).find(e => {
            const type = prop(e, 'type');
            return (type === 'submit' || type === 'button') && prop(e, 'value') === text;
        }),
        item: () => (text === '' ? all() : all().filter(e => e.id === text || prop(e, 'name') === text))[index],
        imageInput: () => Array.from(document.getElementsByTagName('INPUT')).find(e => e.src === text),
        elementById: () => all().find(e => e.id === text),
    };
    const e = find[kind]();
    let state = 'ready';
    if (!e) state = 'missing';
    else if (kind !== 'item' && !(e.tagName === 'INPUT' && e.type === 'hidden')) {
        const shown = e.checkVisibility ? e.checkVisibility({ visibilityProperty: true }) : e.getClientRects().length > 0;
        state = !shown ? 'hidden' : e.disabled === true ? 'disabled' : 'ready';
    }
    if (state !== 'ready' && typeof window[binding] === 'function') {
        const key = Symbol.for(binding);
        if (!document[key]) {
            const watch = { armed: false, signal: window[binding] };
            new MutationObserver(() => {
                if (watch.armed) { watch.armed = false; watch.signal(''); }
            }).observe(document, { subtree: true, childList: true, attributes: true, characterData: true });
            document[key] = watch;
        }
        document[key].armed = true;
    }
    return state;
})js";

// The type property of every element of an array, as kGetProperty reads it; null for an element
// without one.
inline constexpr char kTypes[] = R"js(function() {
    return this.map(e => {
        if (!('type' in e)) return null;
        let v = e.type;
        if (v !== null && typeof v === 'object' && 'baseVal' in v) v = v.baseVal;
        return v === undefined ? null : v === null ? '' : String(v);
    });
})js";

inline constexpr char kLength[] = "function() { return this.length; }";

} // namespace PageScripts

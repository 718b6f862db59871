#pragma once

#include "browser/chromium/PageScripts.h"

#include <QString>

// The script that reports a person's clicks and typing in a page while a recording is on. It runs
// in the top document of every page as it starts, before the page's own scripts, and calls the
// binding with one JSON object per action: {"kind":"click", ...} with the fields of
// ClickedElement, or {"kind":"field", ...} with those of ChangedField. The facts are read at the
// moment of the action, before the page can navigate away, with the very functions the runner
// reads a page with (PageScripts), so that the line written finds the element again.
namespace PageScripts {

inline constexpr char kRecordingBinding[] = "navrelayRecord";

// Called as recorder(bindingName, lookups). Only actions of the person (trusted events) count:
// the runner's own clicks and fills are the page's synthetic events.
inline constexpr char kRecorder[] = R"js(function(binding, lookup) {
    const stopName = binding + ':stop';
    if (window !== window.top || document[stopName]) return;
    const report = window[binding];
    if (typeof report !== 'function') return;
    const raw = (e, name) => lookup.property.call(e, -1, name);
    const read = (e, name) => raw(e, name) ?? '';
    const clickTypes = ['submit', 'button', 'image', 'reset', 'checkbox', 'radio'];
    const notTyped = clickTypes.concat(['file', 'hidden']);

    function place(target, name, id) {
        const elements = lookup.all();
        let named = 0, idSeen = false;
        for (let i = 0; i < elements.length; ++i) {
            const e = elements[i];
            if (e === target) return { position: i, positionInName: name ? named : -1, firstWithId: id !== '' && !idSeen };
            if (name && (read(e, 'id') === name || read(e, 'name') === name)) ++named;
            if (id && read(e, 'id') === id) idSeen = true;
        }
        return { position: -1, positionInName: -1, firstWithId: false };
    }
    const firstWithName = (e, name) => name !== '' && lookup.elementsByName(name)[0] === e;
    const describe = e => ({ tagName: read(e, 'tagName'), type: read(e, 'type').toLowerCase(),
                             name: read(e, 'name'), id: read(e, 'id') });

    function clicked(e, opensNewWindow) {
        const facts = Object.assign(describe(e), { text: '', value: '', firstLinkWithText: false,
                                                   firstButtonWithCaption: false, opensNewWindow });
        if (facts.tagName === 'A') {
            facts.text = read(e, 'innerText');
            facts.firstLinkWithText = lookup.links().find(link => raw(link, 'innerText') === facts.text) === e;
        } else {
            facts.value = read(e, 'value');
            const body = lookup.body();
            const isButton = c => { const type = raw(c, 'type'); return (type === 'submit' || type === 'button') && raw(c, 'value') === facts.value; };
            facts.firstButtonWithCaption = !!body && lookup.descendants.call(body, -1).find(isButton) === e;
        }
        facts.firstWithName = firstWithName(e, facts.name);
        return Object.assign(facts, place(e, facts.name, facts.id));
    }

    function changed(e) {
        const facts = describe(e);
        facts.value = read(e, 'value');
        facts.firstWithName = firstWithName(e, facts.name);
        facts.firstWithId = facts.id !== '' && lookup.elementById(facts.id) === e;
        facts.position = lookup.all().indexOf(e);
        return facts;
    }

    function isFrameName(name) {
        return Array.from(document.querySelectorAll('iframe, frame')).some(frame => frame.name === name);
    }
    function opensNewWindow(link, event) {
        if (event.type === 'auxclick' || event.ctrlKey || event.shiftKey || event.metaKey) return true;
        const target = link.target || (document.querySelector('base[target]')?.target ?? '');
        const keyword = target.toLowerCase();
        if (keyword === '_blank') return true;
        if (keyword === '' || keyword === '_self' || keyword === '_parent' || keyword === '_top') return false;
        return window.name !== target && !isFrameName(target);
    }

    const send = facts => report(JSON.stringify(facts));
    function onClick(event) {
        if (!event.isTrusted || !(event.target instanceof Element)) return;
        if (event.type === 'auxclick' && event.button !== 1) return;
        const element = event.target;
        const control = element.closest('button, input');
        if (control) {
            if (event.type === 'click' && (control.tagName === 'BUTTON' || clickTypes.includes(read(control, 'type').toLowerCase())))
                send(Object.assign({ kind: 'click' }, clicked(control, false)));
            return;
        }
        const link = element.closest('a[href]');
        if (link) send(Object.assign({ kind: 'click' }, clicked(link, opensNewWindow(link, event))));
    }
    function onField(event) {
        const e = event.target;
        if (!event.isTrusted || !(e instanceof Element)) return;
        const tag = e.tagName.toUpperCase();
        if (tag === 'TEXTAREA' || tag === 'SELECT' || (tag === 'INPUT' && !notTyped.includes(read(e, 'type').toLowerCase())))
            send(Object.assign({ kind: 'field' }, changed(e)));
    }

    const listeners = [['click', onClick], ['auxclick', onClick], ['input', onField], ['change', onField]];
    for (const [type, listener] of listeners) document.addEventListener(type, listener, true);
    Object.defineProperty(document, stopName, { configurable: true, value: () => {
        for (const [type, listener] of listeners) document.removeEventListener(type, listener, true);
        delete document[stopName];
    } });
})js";

// The recorder as a script of its own: it is given the runner's lookups.
[[nodiscard]] inline QString recorderSource()
{
    return QStringLiteral("(%1)('%2', {property: %3, all: %4, links: %5, elementsByName: %6, elementById: %7, "
                          "body: %8, descendants: %9});")
        .arg(QLatin1String(kRecorder), QLatin1String(kRecordingBinding), QLatin1String(kGetProperty),
             QLatin1String(kAll), QLatin1String(kLinks), QLatin1String(kElementsByName), QLatin1String(kElementById),
             QLatin1String(kBody), QLatin1String(kDescendants));
}

// Ends the reporting in a document the recorder runs in.
[[nodiscard]] inline QString recorderStopSource()
{
    return QStringLiteral("document['%1:stop']?.();").arg(QLatin1String(kRecordingBinding));
}

} // namespace PageScripts

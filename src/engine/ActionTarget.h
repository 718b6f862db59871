#pragma once

#include <QString>

// What a page action looks for before it acts: the element its own search would find.
struct ActionTarget {
    enum class Kind {
        Link,           // a link with this text
        FieldByName,    // the first element with this name
        ElementByClass, // the first element with this class
        FieldById,      // the element with this id, as getElementById finds it
        Button,         // a submit or button control with this value
        ElementByName,  // the first element with this name, to be clicked
        Item,           // the element at `index` of all, or of those with this name or id
        ImageInput,     // an input whose image has this source
        ElementById,    // the first element with this id, to be clicked
    };

    Kind kind = Kind::Link;
    QString text;
    qint16 index = 0;
};

// Whether the target is there: missing, there but not yet to be acted on (hidden or disabled,
// as far as the browser can tell), or ready.
enum class TargetState { Missing, NotReady, Ready };

// How messages name the target: `the link "Late offers"`.
[[nodiscard]] QString describeTarget(const ActionTarget &target);

#pragma once

#include <QRect>

#include <optional>
#include <vector>

class QWidget;

namespace dom {
class Element;
}

// The list a drop-down <select> opens under its box: one row per option, the chosen one
// marked, disabled ones greyed; a click or Enter chooses, Escape or a click elsewhere closes it.
// The option chosen, or nullopt when none was.
[[nodiscard]] std::optional<dom::Element *> choosePopupOption(QWidget *parent, const QRect &globalBox,
                                                             const std::vector<dom::Element *> &options);

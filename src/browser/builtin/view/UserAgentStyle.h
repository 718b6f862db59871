#pragma once

// The attribute a form control's box carries for the user agent style sheet: its kind, from the
// control's type ("text", "check", "button", "image", "hidden"), so that the sheet need not
// match the type attribute's spelling.
inline constexpr char ControlKindAttribute[] = "data-navrelay-control";

// The user agent style sheet: how HTML elements look before a page styles them, as browsers
// draw them.
[[nodiscard]] const char *userAgentStyleSheet();

// The triangle before a <summary>, closed or open with its <details>.
[[nodiscard]] const char *disclosureMarkerStyleSheet();

#include "browser/builtin/view/UserAgentStyle.h"

const char *userAgentStyleSheet()
{
    // The rendering rules browsers share for HTML elements, in the order of the HTML standard's
    // rendering section: hidden elements, flow content, phrasing content, lists, tables, forms.
    // Each selector costs every element a match, so the rules are few and plain.
    return R"css(
html { display: block; color: #000; font-family: serif; font-size: 16px; line-height: normal; }
head, script, style, title, template, datalist, area, map, svg, [hidden], [data-navrelay-control=hidden] { display: none; }

body { display: block; margin: 8px; }
address, blockquote, center, div, figure, figcaption, footer, form, header, hr, legend, main, nav, p, pre,
section, article, aside, details, summary, fieldset, dl, dd, dt, ol, ul { display: block; }
p, blockquote, figure, pre, dl, ol, ul { margin-top: 1em; margin-bottom: 1em; }
blockquote, figure { margin-left: 40px; margin-right: 40px; }
dd { margin-left: 40px; }
address { font-style: italic; }
center { text-align: center; }
h1 { display: block; font-size: 2em; font-weight: bold; margin-top: 0.67em; margin-bottom: 0.67em; }
h2 { display: block; font-size: 1.5em; font-weight: bold; margin-top: 0.83em; margin-bottom: 0.83em; }
h3 { display: block; font-size: 1.17em; font-weight: bold; margin-top: 1em; margin-bottom: 1em; }
h4 { display: block; font-size: 1em; font-weight: bold; margin-top: 1.33em; margin-bottom: 1.33em; }
h5 { display: block; font-size: 0.83em; font-weight: bold; margin-top: 1.67em; margin-bottom: 1.67em; }
h6 { display: block; font-size: 0.67em; font-weight: bold; margin-top: 2.33em; margin-bottom: 2.33em; }
hr { border: 1px inset #808080; margin: 0.5em auto; }
pre { font-family: monospace; white-space: pre; }
fieldset { margin-left: 2px; margin-right: 2px; border: 2px groove #c0c0c0; padding: 0.35em 0.75em 0.625em; }
legend { padding-left: 2px; padding-right: 2px; }
details:not([open]) > * { display: none; }
details > summary, details:not([open]) > summary { display: block; }

b, strong, th { font-weight: bold; }
i, em, cite, var, dfn { font-style: italic; }
code, kbd, samp, tt { font-family: monospace; }
small { font-size: smaller; }
big { font-size: larger; }
sub { vertical-align: sub; font-size: smaller; }
sup { vertical-align: super; font-size: smaller; }
u, ins { text-decoration: underline; }
s, strike, del { text-decoration: line-through; }
mark { background-color: #ff0; color: #000; }
nobr { white-space: nowrap; }
br { display: block; }
a[href] { color: #0000ee; text-decoration: underline; cursor: pointer; }
img { display: inline-block; }
iframe { display: inline-block; border: 2px inset #c0c0c0; width: 300px; height: 150px; }

ol, ul { padding-left: 40px; }
li { display: list-item; }
ul { list-style-type: disc; }
ol { list-style-type: decimal; }
li ul { list-style-type: circle; margin-top: 0; margin-bottom: 0; }
li ol { margin-top: 0; margin-bottom: 0; }

table { display: table; border-spacing: 2px; border-collapse: separate; text-indent: 0; }
caption { display: table-caption; text-align: center; }
colgroup { display: table-column-group; }
col { display: table-column; }
thead { display: table-header-group; vertical-align: middle; }
tbody { display: table-row-group; vertical-align: middle; }
tfoot { display: table-footer-group; vertical-align: middle; }
tr { display: table-row; vertical-align: inherit; }
td, th { display: table-cell; vertical-align: inherit; padding: 1px; }
th { text-align: center; }
table[border] td, table[border] th { border: 1px inset #808080; }
table[border] { border: 1px outset #808080; }
table[border="0"] td, table[border="0"] th, table[border="0"] { border: none; }

input, select, textarea, button { display: inline-block; font-family: sans-serif; font-size: 13px; color: #000;
    text-indent: 0; text-align: left; white-space: normal; line-height: normal; font-weight: normal;
    font-style: normal; text-decoration: none; }
input, textarea { border: 1px solid #767676; padding: 2px 3px; background-color: #fff; }
select { border: 1px solid #767676; border-radius: 3px; padding: 1px 2px; background-color: #fff; cursor: default; }
button, [data-navrelay-control=button] { border: 1px solid #767676; padding: 2px 6px;
    background-color: #efefef; cursor: default; }
button { text-align: center; }
[data-navrelay-control=check] { border: none; padding: 0; margin: 3px 4px; background-color: transparent; }
[data-navrelay-control=image] { border: none; padding: 0; background-color: transparent; cursor: pointer; }
)css";
}

const char *disclosureMarkerStyleSheet()
{
    // Generated content, which the layout engine makes for the page's rules only.
    return "summary:before { content: \"\u25B8\u00A0\"; } details[open] > summary:before { content: \"\u25BE\u00A0\"; }";
}

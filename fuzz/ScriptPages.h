#pragma once

#include <QByteArray>

#include <array>

// The pages the script target's browser shows: between them every kind of element a command
// looks for (links, named and id'd fields, submit and plain buttons, radio items, image
// inputs, the "submit.gif" markup, classes), plus a page with no body and one with SVG.
inline const std::array<QByteArray, 4> ScriptPages = {
    QByteArray(R"html(<title>Search</title><base href="http://127.0.0.1/site/">
<form action="/search" method=get>
 <input name=q value="cats" class=field id=q>
 <input type=checkbox name=fresh checked>
 <input type=radio name=size value=s><input type=radio name=size value=m checked>
 <select name=lang><option>en<option selected>fr</select>
 <textarea name=notes id=notes>one</textarea>
 <input type=submit value=Search name=submit>
 <input type=button value=Search>
 <input type=image src="submit.gif" name=go>
 <button type=reset>Reset</button>
</form>
<a href="next.html">Next</a> <a href="next.html" target=_blank>Next</a>
<span class=result>none</span>)html"),
    QByteArray(R"html(<form action="/post" method=post enctype="multipart/form-data">
 <input type=file name=upload><input type=hidden name=token value="a&b">
 <select name=many multiple><option selected>1<option selected>2</select>
 <input type=submit name=submit id=send value=Send><input type=submit name=submit value=Other>
 <div class=pic><img src="submit.gif"></div>
</form>
<map name=m><area href="/area" id=area></map>
<a href="javascript:void(0)">js</a><a href="http://[bad">bad</a>)html"),
    QByteArray(R"html(<frameset><frame src="a.html"></frameset>)html"),
    QByteArray(R"html(<body><svg><a href="/svg"><text id=t name=n>svg</text></a></svg>
<math><mi id=m>x</mi></math><p id=p class=submit.gif>text<br>more</p>
<input id=i type=text name=submit value=v><a name=submit href=/x>x</a></body>)html"),
};

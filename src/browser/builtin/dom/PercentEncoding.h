#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The percent-encoding of the URL standard: which characters each part of a URL escapes, and
// the escaping of text in a page's encoding.
namespace dom {

// The percent-encode sets, each holding the one before it unless said otherwise.
enum class PercentEncodeSet : quint8 {
    C0Control,     // C0 controls and everything past "~"
    Fragment,      // C0 control set, space " < > `
    Query,         // C0 control set, space " # < >
    SpecialQuery,  // query set and '
    Path,          // query set and ? ^ ` { }
    Userinfo,      // path set and / : ; = @ [ \ ] |
    FormUrlencoded // everything but ASCII letters, digits and * - . _
};

enum class SpaceAs : quint8 { Escape, Plus };

// "UTF-8 percent-encode" each character of the text in the set; a lone surrogate is U+FFFD.
void appendPercentEncoded(QString &out, QStringView text, PercentEncodeSet set);

// "Percent-encode after encoding": the text written in the encoding, a character it cannot hold
// as "%26%23N%3B" (an escaped "&#N;"), every byte in the set as "%XX".
void appendPercentEncodedAfterEncoding(QString &out, QStringView text, QByteArrayView encoding,
                                       PercentEncodeSet set, SpaceAs space = SpaceAs::Escape);

// "Percent-decode" the text's UTF-8 bytes: each "%XX" becomes its byte.
[[nodiscard]] QByteArray percentDecode(QStringView text);

} // namespace dom

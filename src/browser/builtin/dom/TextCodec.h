#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Text encodings by the names and labels of the Encoding standard ("UTF-8", "windows-1252",
// "Shift_JIS", ...). windows-1252 and the Unicode encodings are handled here; the other legacy
// encodings go through Qt's converters where Qt has them.
namespace dom {

inline constexpr QByteArrayView Utf8Encoding = "UTF-8";
inline constexpr QByteArrayView Windows1252Encoding = "windows-1252";

// The encoding a label names (case-insensitive, surrounding white space ignored), or nullopt
// when the label is unknown or the encoding cannot be decoded here.
[[nodiscard]] std::optional<QByteArray> encodingForLabel(QByteArrayView label);

// Decodes bytes, invalid sequences becoming U+FFFD.
[[nodiscard]] QString decodeText(QByteArrayView bytes, QByteArrayView encoding);
// The same text in UTF-8, in a buffer of its own size. windows-1252 text, which decodes byte by
// byte, goes a piece at a time, so that it is never held whole in UTF-16 as well.
[[nodiscard]] QByteArray decodeTextToUtf8(QByteArrayView bytes, QByteArrayView encoding);

// The encoding a form submission writes with: UTF-16 and "replacement" write as UTF-8.
[[nodiscard]] QByteArray outputEncoding(QByteArrayView encoding);

// Encodes text; characters the encoding cannot hold become "&#N;" (N the decimal code point),
// as browsers do when they submit forms.
[[nodiscard]] QByteArray encodeWithCharacterReferences(QStringView text, QByteArrayView encoding);

} // namespace dom

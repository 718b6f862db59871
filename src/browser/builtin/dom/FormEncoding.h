#pragma once

#include "browser/builtin/dom/FormEntryList.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// The encodings of a form data set, byte for byte as browsers send them. Text is written in
// the form's encoding, characters it cannot hold as "&#N;".
namespace dom {

// The application/x-www-form-urlencoded serializer: names and values percent-encoded after
// encoding, spaces as '+', pairs joined by '&'. Used for GET queries too.
[[nodiscard]] QByteArray encodeUrlEncoded(const std::vector<FormEntry> &entries, QByteArrayView encoding);

// A multipart/form-data body with the given boundary (without the leading "--").
[[nodiscard]] QByteArray encodeMultipart(const std::vector<FormEntry> &entries, QByteArrayView encoding,
                                         QByteArrayView boundary);
// A fresh boundary in the form Chromium uses: "----WebKitFormBoundary" and 16 random letters or digits.
[[nodiscard]] QByteArray newMultipartBoundary();

// The text/plain encoding: one "name=value" line per entry, each ended by CR LF.
[[nodiscard]] QByteArray encodeTextPlain(const std::vector<FormEntry> &entries, QByteArrayView encoding);

} // namespace dom

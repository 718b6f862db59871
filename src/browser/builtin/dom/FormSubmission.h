#pragma once

#include "browser/builtin/dom/DocumentModel.h"

#include <optional>

namespace dom {

// The navigation the HTML form submission algorithm makes of submitting the form from the
// submitter (a submit button, or the form itself): nullopt when it navigates nowhere (a form
// outside the document, failed constraints, a method of "dialog", a javascript: action).
[[nodiscard]] std::optional<NavigationRequest> formSubmission(const Element &form, const Element &submitter,
                                                              const DocumentModel &model);

// The browsing context name a link or form targets: its own target, else the document's
// <base target>; a name with a line break or tab and a '<' is taken as "_blank".
[[nodiscard]] QString elementTarget(const QString *ownTarget, const DocumentModel &model);

// The Referer a navigation from this document sends: the address without fragment and
// credentials, nothing for documents that are not http or https.
[[nodiscard]] QUrl documentReferrer(const DocumentModel &model);

} // namespace dom

#pragma once

#include <memory>

class Document;

// The program-wide reference to the attached browser's current document: set when a page
// completes and set, used or emptied by the page actions.
extern std::shared_ptr<Document> CurrentDoc;

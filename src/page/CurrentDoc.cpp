#include "page/CurrentDoc.h"

#include "page/Document.h"

std::shared_ptr<Document> CurrentDoc;

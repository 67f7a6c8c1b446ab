// Where the effects' init routines get their embedded files: the programs
// serve them from the files linked in (assets/data/), the effects tests from
// pictures of their own.
#pragma once
#include "assets/embedded.h"

// The embedded file of that name (assets/content_names.h), or null.
const EmbeddedFile* content_file(const char* name);

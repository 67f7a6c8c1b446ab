// Placeholder until this generator is written: it makes no files yet.
#include "tools/assetgen/assetgen.h"

void generate_soundtrack(GeneratedFiles&) {}

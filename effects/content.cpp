// The programs' content: the files linked in from assets/data/.
#include "effects/content.h"

const EmbeddedFile* content_file(const char* name)
{
    return embedded_find(name);
}

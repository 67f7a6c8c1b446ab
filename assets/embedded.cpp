// Embedded files: look-up over the table generated from assets/data/.
#include "assets/embedded.h"

#include <cstring>

const EmbeddedFile* embedded_table(size_t* count); // generated

const EmbeddedFile* embedded_files(size_t* count)
{
    return embedded_table(count);
}

const EmbeddedFile* embedded_find(const char* name)
{
    size_t count = 0;
    const EmbeddedFile* files = embedded_table(&count);
    for (size_t i = 0; i < count; ++i)
        if (std::strcmp(files[i].name, name) == 0)
            return &files[i];
    return nullptr;
}
